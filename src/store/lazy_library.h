#pragma once

#include <QLibrary>
#include <QString>
#include <type_traits>

// Libraries that only a later action needs (archives, compound documents,
// sound) are loaded on their first use rather than with the program, so
// start-up maps and relocates only what the first window needs. A library's
// entry points are listed once, as an X-macro, and kept in a table of
// function pointers with the entries' own names:
//
//   #define QUILL_ZIP_ENTRIES(X) X(zip_open) X(zip_close)
//   struct ZipEntries { QUILL_ZIP_ENTRIES(QUILL_LAZY_ENTRY) };
//   const ZipEntries* zip = LazyLibrary::load<ZipEntries>("zip", 4, ..., &why);
#define QUILL_LAZY_ENTRY(name) decltype(&::name) name = nullptr;
#define QUILL_LAZY_RESOLVE(name) &&LazyLibrary::resolve(file, entries.name, #name)

namespace LazyLibrary {

template <typename Function> bool resolve(QLibrary& file, Function& function, const char* name)
{
    function = reinterpret_cast<std::remove_reference_t<Function>>(file.resolve(name));
    return function != nullptr;
}

// Why a library could not be loaded, in Russian, for the message that the
// action which needed it shows.
inline QString failure(const QString& library, const QString& reason)
{
    return QStringLiteral("не удалось загрузить библиотеку %1 (%2)").arg(library, reason);
}

} // namespace LazyLibrary

#include "zip_library.h"

const ZipLibrary& ZipLibrary::get()
{
    static const ZipLibrary library = [] {
        ZipLibrary entries;
        QLibrary file(QStringLiteral("zip"), 4);
        if (!file.load()) {
            entries.error = LazyLibrary::failure(QStringLiteral("libzip"), file.errorString());
            return entries;
        }
        if (true QUILL_ZIP_ENTRIES(QUILL_LAZY_RESOLVE))
            return entries;
        ZipLibrary failed;
        failed.error = LazyLibrary::failure(QStringLiteral("libzip"), QStringLiteral("нет всех функций"));
        return failed;
    }();
    return library;
}

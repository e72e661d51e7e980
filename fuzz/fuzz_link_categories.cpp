// A link category file (Resources/<name>.dat), read through the categories'
// own file access and then extended by a line as the browser's "add" does.
#include "fuzz_support.h"

#include "link_categories.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString folder = [] {
        const QString path = FuzzSupport::scratchFolder() + QStringLiteral("/Resources");
        QDir().mkpath(path);
        return path;
    }();
    const LinkCategories categories(folder);
    const QString name = QStringLiteral("Ссылки");
    FuzzSupport::writeScratch(QStringLiteral("Resources/Ссылки.dat"), data, size);
    QStringList lines;
    if (!categories.read(name, &lines))
        FuzzSupport::fail("a written category file does not read");
    const QString added = QStringLiteral(" https://example.org/");
    if (!categories.append(name, added))
        FuzzSupport::fail("a line could not be added");
    QStringList after;
    if (!categories.read(name, &after) || after.size() != lines.size() + 1 || after.last() != added)
        FuzzSupport::fail("adding a line lost or changed lines");
    return 0;
}

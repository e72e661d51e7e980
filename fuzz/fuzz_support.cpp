#include "fuzz_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace FuzzSupport {

void initialise(int* argc, char*** argv)
{
    // Kept until the process ends: the readers may ask it for paths.
    static QCoreApplication* application = new QCoreApplication(*argc, *argv);
    Q_UNUSED(application);
}

QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

QString scratchFolder()
{
    // In memory where the system has such a folder: the category files are
    // written through QSaveFile, which syncs each file to the disk.
    static QTemporaryDir folder(
        (QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
        QStringLiteral("/quill-fuzz-XXXXXX"));
    if (!folder.isValid())
        fail("no scratch folder");
    return folder.path();
}

QString writeScratch(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = scratchFolder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        fail("cannot write the scratch file");
    return path;
}

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz target: %s\n", what);
    std::abort();
}

} // namespace FuzzSupport

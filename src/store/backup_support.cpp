#include "backup_support.h"
#include "zip_library.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace ProfileBackup::Detail {

namespace {

constexpr qint64 kManifestLimit = 16 * 1024 * 1024;

std::optional<QByteArray> readEntry(zip_t* archive, zip_int64_t index, qint64 limit, QString* error)
{
    zip_stat_t stat;
    ZipLibrary::get().zip_stat_init(&stat);
    if (ZipLibrary::get().zip_stat_index(archive, zip_uint64_t(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE)) {
        *error = zipError(archive);
        return std::nullopt;
    }
    if (qint64(stat.size) > limit) {
        *error = QStringLiteral("слишком большой файл в архиве");
        return std::nullopt;
    }
    zip_file_t* file = ZipLibrary::get().zip_fopen_index(archive, zip_uint64_t(index), 0);
    if (!file) {
        *error = zipError(archive);
        return std::nullopt;
    }
    QByteArray data(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t read = ZipLibrary::get().zip_fread(file, data.data(), stat.size);
    const bool whole = read == zip_int64_t(stat.size);
    if (!whole)
        *error = QString::fromLocal8Bit(ZipLibrary::get().zip_file_strerror(file));
    ZipLibrary::get().zip_fclose(file);
    if (!whole)
        return std::nullopt;
    return data;
}

} // namespace

Outcome failed(const QString& why)
{
    return {false, why};
}

QString zipError(zip_t* archive)
{
    return QString::fromLocal8Bit(ZipLibrary::get().zip_strerror(archive));
}

bool syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool replaceFile(const QString& from, const QString& to, QString* error)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool looksLikeDatabase(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool extractEntry(zip_t* archive, zip_int64_t index, const QString& target, qint64 expected, QString* error)
{
    zip_file_t* file = ZipLibrary::get().zip_fopen_index(archive, zip_uint64_t(index), 0);
    if (!file) {
        *error = zipError(archive);
        return false;
    }
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = out.errorString();
        ZipLibrary::get().zip_fclose(file);
        return false;
    }
    out.setPermissions(kPrivateFile);
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    bool ok = true;
    for (;;) {
        const zip_int64_t read =
            ZipLibrary::get().zip_fread(file, buffer.data(), zip_uint64_t(buffer.size()));
        if (read < 0) {
            *error = QString::fromLocal8Bit(ZipLibrary::get().zip_file_strerror(file));
            ok = false;
            break;
        }
        if (read == 0)
            break;
        if (out.write(buffer.constData(), read) != read) {
            *error = out.errorString();
            ok = false;
            break;
        }
        total += read;
    }
    ZipLibrary::get().zip_fclose(file);
    out.close();
    if (ok && total != expected) {
        *error = QStringLiteral("размер файла в архиве не совпадает с описанием");
        ok = false;
    }
    return ok;
}

std::optional<Manifest> readManifest(zip_t* archive, QString* error)
{
    const zip_int64_t index =
        ZipLibrary::get().zip_name_locate(archive, kManifestName.toUtf8().constData(), ZIP_FL_ENC_GUESS);
    if (index < 0) {
        *error = QStringLiteral("в архиве нет описания содержимого (%1): это не резервная копия Quillarbor")
                     .arg(kManifestName);
        return std::nullopt;
    }
    QString why;
    const auto bytes = readEntry(archive, index, kManifestLimit, &why);
    if (!bytes) {
        *error = QStringLiteral("описание содержимого не читается: %1").arg(why);
        return std::nullopt;
    }
    return parseManifest(*bytes, error);
}

bool inArchive(zip_t* archive, const QString& name, qint64 size, zip_int64_t* indexOut, QString* error)
{
    const zip_int64_t index =
        ZipLibrary::get().zip_name_locate(archive, name.toUtf8().constData(), ZIP_FL_ENC_GUESS);
    zip_stat_t stat;
    ZipLibrary::get().zip_stat_init(&stat);
    if (index < 0 || ZipLibrary::get().zip_stat_index(archive, zip_uint64_t(index), 0, &stat) != 0) {
        *error = QStringLiteral("в архиве нет файла «%1», названного в описании").arg(name);
        return false;
    }
    if (!(stat.valid & ZIP_STAT_SIZE) || qint64(stat.size) != size) {
        *error = QStringLiteral("файл «%1» в архиве не совпадает с описанием").arg(name);
        return false;
    }
    if (indexOut)
        *indexOut = index;
    return true;
}

Zip openArchive(const QString& path, QString* error)
{
    if (!ZipLibrary::get().loaded()) {
        *error = ZipLibrary::get().error;
        return {};
    }
    int code = 0;
    zip_t* raw =
        ZipLibrary::get().zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!raw) {
        if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS) {
            *error = QStringLiteral("файл не является архивом ZIP или повреждён");
        } else {
            zip_error_t why;
            ZipLibrary::get().zip_error_init_with_code(&why, code);
            *error = QStringLiteral("архив не открывается: %1")
                         .arg(QString::fromLocal8Bit(ZipLibrary::get().zip_error_strerror(&why)));
            ZipLibrary::get().zip_error_fini(&why);
        }
    }
    return Zip(raw);
}

} // namespace ProfileBackup::Detail

#include "exchange_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace ExchangeFile {

bool readWhole(const QString& path, QByteArray* bytes, QString* error)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        *error = QStringLiteral("Файл «%1» не найден.").arg(path);
        return false;
    }
    if (info.size() > kLargestFile) {
        *error = QStringLiteral("Файл «%1» слишком велик (%2 МБ): можно открыть файл не больше %3 МБ.")
                     .arg(path)
                     .arg(info.size() / (1024 * 1024))
                     .arg(kLargestFile / (1024 * 1024));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Не удалось открыть файл «%1»: %2").arg(path, file.errorString());
        return false;
    }
    // One byte more than allowed tells a file that grew while it was read.
    *bytes = file.read(kLargestFile + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("Не удалось прочитать файл «%1»: %2").arg(path, file.errorString());
        return false;
    }
    if (bytes->size() > kLargestFile) {
        *error = QStringLiteral("Файл «%1» слишком велик: можно открыть файл не больше %2 МБ.")
                     .arg(path)
                     .arg(kLargestFile / (1024 * 1024));
        return false;
    }
    return true;
}

bool writeWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Не удалось создать файл «%1»: %2").arg(path, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("Не удалось записать файл «%1»: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace ExchangeFile

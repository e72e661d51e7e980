#include "backup_support.h"
#include "folder_tree.h"
#include "profile_backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>

// The copies of the database that the program keeps by itself, one a day,
// in the profile's Backups folder.
namespace ProfileBackup {

using namespace Detail;

QString dailyFolder(const QString& profileFolder)
{
    return profileFolder + QStringLiteral("/Backups");
}

QDate dateOfDailyCopy(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (!name.startsWith(kDailyPrefix) || !name.endsWith(kDailySuffix))
        return {};
    return QDate::fromString(
        name.mid(kDailyPrefix.size(), name.size() - kDailyPrefix.size() - kDailySuffix.size()),
        QStringLiteral("yyyy-MM-dd"));
}

QStringList dailyCopies(const QString& profileFolder)
{
    const QDir folder(dailyFolder(profileFolder));
    QStringList copies;
    QStringList names = folder.entryList({kDailyPrefix + QStringLiteral("*") + kDailySuffix}, QDir::Files);
    std::sort(names.begin(), names.end(), std::greater<>());
    for (const QString& name : std::as_const(names))
        if (dateOfDailyCopy(name).isValid())
            copies.append(folder.filePath(name));
    return copies;
}

Outcome makeDailyCopy(const QString& profileFolder, const QDate& today, bool* made)
{
    if (made)
        *made = false;
    const QString folder = dailyFolder(profileFolder);
    if (!FolderTree::makePrivate(folder))
        return failed(QStringLiteral("не удалось создать папку %1").arg(folder));
    const QString target = folder + QLatin1Char('/') + kDailyPrefix +
                           today.toString(QStringLiteral("yyyy-MM-dd")) + kDailySuffix;
    if (!QFileInfo::exists(target)) {
        const QString partial =
            folder + QStringLiteral("/.") + QFileInfo(target).fileName() + QStringLiteral(".part");
        if (const Outcome copied = copyDatabase(profileFolder + QStringLiteral("/profile.mdb"), partial);
            !copied.ok) {
            QFile::remove(partial);
            return copied;
        }
        QString why;
        if (!syncFile(partial) || !replaceFile(partial, target, &why)) {
            QFile::remove(partial);
            return failed(QStringLiteral("копия базы данных не записана: %1").arg(target));
        }
        if (made)
            *made = true;
    }
    const QStringList copies = dailyCopies(profileFolder);
    for (qsizetype i = kDailyCopiesKept; i < copies.size(); ++i)
        QFile::remove(copies[i]);
    return {true, {}};
}

} // namespace ProfileBackup

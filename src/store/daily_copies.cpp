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

namespace {

QString dailyCopyName(const QString& folder, const QDate& day)
{
    return folder + QLatin1Char('/') + kDailyPrefix + day.toString(QStringLiteral("yyyy-MM-dd")) + kDailySuffix;
}

// Today's copy of the database written whole under its name, replacing one there.
Outcome writeDailyCopy(const QString& profileFolder, const QString& target)
{
    const QString partial =
        QFileInfo(target).absolutePath() + QStringLiteral("/.") + QFileInfo(target).fileName() + QStringLiteral(".part");
    if (const Outcome copied = copyDatabase(profileFolder + QStringLiteral("/profile.mdb"), partial); !copied.ok) {
        QFile::remove(partial);
        return copied;
    }
    QString why;
    if (!syncFile(partial) || !replaceFile(partial, target, &why)) {
        QFile::remove(partial);
        return failed(QStringLiteral("копия базы данных не записана: %1").arg(target));
    }
    return {true, {}};
}

} // namespace

Outcome replaceDailyCopies(const QString& profileFolder, const QDate& today)
{
    const QString folder = dailyFolder(profileFolder);
    const QStringList before = dailyCopies(profileFolder);
    if (before.isEmpty())
        return {true, {}};
    const QString target = dailyCopyName(folder, today);
    if (const Outcome written = writeDailyCopy(profileFolder, target); !written.ok)
        return written;
    QStringList left;
    for (const QString& copy : before)
        if (QFileInfo(copy).fileName() != QFileInfo(target).fileName() && !QFile::remove(copy))
            left.append(copy);
    if (!left.isEmpty())
        return failed(QStringLiteral("не удалось удалить прежние копии: %1").arg(left.join(QStringLiteral(", "))));
    return {true, {}};
}

Outcome makeDailyCopy(const QString& profileFolder, const QDate& today, bool* made)
{
    if (made)
        *made = false;
    const QString folder = dailyFolder(profileFolder);
    if (!FolderTree::makePrivate(folder))
        return failed(QStringLiteral("не удалось создать папку %1").arg(folder));
    const QString target = dailyCopyName(folder, today);
    if (!QFileInfo::exists(target)) {
        if (const Outcome written = writeDailyCopy(profileFolder, target); !written.ok)
            return written;
        if (made)
            *made = true;
    }
    const QStringList copies = dailyCopies(profileFolder);
    for (qsizetype i = kDailyCopiesKept; i < copies.size(); ++i)
        QFile::remove(copies[i]);
    return {true, {}};
}

} // namespace ProfileBackup

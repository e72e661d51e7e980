#include "backup_support.h"
#include "folder_tree.h"
#include "profile_backup.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

// Checking an archive or a daily copy and putting its content in place of the
// user's data, so that a failure or a kill half way leaves the old data whole.
namespace ProfileBackup {

using namespace Detail;

namespace {

// Entry names are our own, so a name that climbs out of its folder or is
// absolute marks an archive that was tampered with.
bool isSafeEntry(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QChar(0)))
        return false;
    for (const QString& part : name.split(QLatin1Char('/')))
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    return name == kSettingsEntry ||
           (name.startsWith(kProfilePrefix) && name.size() > kProfilePrefix.size()) ||
           (name.startsWith(kResourcesPrefix) && name.size() > kResourcesPrefix.size()) ||
           (name.startsWith(kPluginsPrefix) && name.size() > kPluginsPrefix.size());
}

// Everything written to the disk that holds path, in one call: a restore
// writes many files and renames them into place only once they are there.
bool syncDisk(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

QString stampOf(const QDateTime& now)
{
    return now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
}

// A name beside path that is not taken yet.
QString freeName(const QString& base)
{
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

} // namespace

std::optional<Manifest> parseManifest(const QByteArray& bytes, QString* error)
{
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parse);
    const QJsonObject root = document.object();
    if (parse.error != QJsonParseError::NoError || !document.isObject() ||
        root.value(QStringLiteral("program")).toString() != kProgram) {
        *error = QStringLiteral("описание содержимого повреждено или составлено не программой Quillarbor");
        return std::nullopt;
    }
    if (root.value(QStringLiteral("format")).toInt() != kFormat) {
        *error = QStringLiteral("архив записан в другом формате (%1), эта версия программы его не читает")
                     .arg(root.value(QStringLiteral("format")).toInt());
        return std::nullopt;
    }
    Manifest manifest;
    manifest.version = root.value(QStringLiteral("version")).toString();
    manifest.created = QDateTime::fromString(root.value(QStringLiteral("created")).toString(), Qt::ISODate);
    for (const QJsonValue& value : root.value(QStringLiteral("files")).toArray()) {
        const QJsonObject entry = value.toObject();
        const QString name = entry.value(QStringLiteral("name")).toString();
        const double size = entry.value(QStringLiteral("size")).toDouble(-1);
        // Sizes past 2^53 are no byte counts that a double holds exactly, and
        // past 2^63 no file size at all.
        if (!isSafeEntry(name) || !(size >= 0 && size <= 9007199254740992.0)) {
            *error = QStringLiteral("описание содержимого называет недопустимый файл «%1»").arg(name);
            return std::nullopt;
        }
        manifest.files.append({name, qint64(size)});
    }
    return manifest;
}

std::optional<Contents> inspect(const QString& path, QString* error)
{
    QString why;
    const auto refuse = [&](const QString& text) -> std::optional<Contents> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    if (!QFileInfo(path).isFile())
        return refuse(QStringLiteral("нет файла %1").arg(path));

    if (path.endsWith(kDailySuffix, Qt::CaseInsensitive) || looksLikeDatabase(path)) {
        if (!isProfileDatabase(path, &why))
            return refuse(why);
        Contents contents;
        contents.dailyCopy = true;
        const QDate date = dateOfDailyCopy(path);
        contents.created = date.isValid() ? date.startOfDay() : QFileInfo(path).lastModified();
        return contents;
    }

    Zip archive = openArchive(path, &why);
    if (!archive)
        return refuse(why);
    const auto manifest = readManifest(archive.get(), &why);
    if (!manifest)
        return refuse(why);
    Contents contents;
    contents.version = manifest->version;
    contents.created = manifest->created;
    zip_int64_t databaseIndex = -1;
    qint64 databaseSize = 0;
    for (const auto& [name, size] : manifest->files) {
        zip_int64_t index = -1;
        if (!inArchive(archive.get(), name, size, &index, &why))
            return refuse(why);
        contents.files.append(name);
        if (name == kDatabaseEntry) {
            databaseIndex = index;
            databaseSize = size;
        } else if (name.startsWith(kProfilePrefix + QStringLiteral("Ideas/"))) {
            ++contents.ideas;
        } else if (name.startsWith(kProfilePrefix) && name.endsWith(QStringLiteral(".dic")) &&
                   !name.mid(kProfilePrefix.size()).contains(QLatin1Char('/'))) {
            ++contents.historyFiles;
        } else if (name == kSettingsEntry) {
            contents.settings = true;
        } else if (name.startsWith(kResourcesPrefix)) {
            ++contents.linkCategories;
        } else if (name.startsWith(kPluginsPrefix)) {
            ++contents.plugins;
        }
    }
    if (databaseIndex < 0)
        return refuse(QStringLiteral("в архиве нет базы данных профиля"));
    QTemporaryDir work;
    if (!work.isValid())
        return refuse(QStringLiteral("нет места для проверки архива"));
    const QString database = work.filePath(QStringLiteral("profile.mdb"));
    if (!extractEntry(archive.get(), databaseIndex, database, databaseSize, &why))
        return refuse(QStringLiteral("база данных профиля в архиве повреждена: %1").arg(why));
    if (!isProfileDatabase(database, &why))
        return refuse(why);
    return contents;
}

QString describeReplaced(const Contents& contents)
{
    QStringList lines;
    lines.append(QStringLiteral("- база данных профиля: все записи всех разделов"));
    if (contents.dailyCopy)
        return lines.join(QStringLiteral("\r\n"));
    lines.append(QStringLiteral("- идеи (в копии: %1)").arg(contents.ideas));
    lines.append(QStringLiteral("- файлы истории (в копии: %1)").arg(contents.historyFiles));
    if (contents.settings)
        lines.append(QStringLiteral("- настройки программы"));
    if (contents.linkCategories > 0)
        lines.append(QStringLiteral("- категории ссылок (в копии: %1)").arg(contents.linkCategories));
    if (contents.plugins > 0)
        lines.append(QStringLiteral("- загруженные плагины (в копии: %1)").arg(contents.plugins));
    return lines.join(QStringLiteral("\r\n"));
}

QStringList keptAside(const Locations& at)
{
    QStringList kept;
    const QString userData = at.userDataFolder;
    for (const QString& target : {at.profileFolder, at.settingsFile, userData + QStringLiteral("/Resources"),
                                  userData + QStringLiteral("/Plugins")}) {
        const QFileInfo info(target);
        const QDir folder = info.absoluteDir();
        for (const QString& name :
             folder.entryList({info.fileName() + QStringLiteral(".before-restore-*")},
                              QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            kept.append(folder.filePath(name));
    }
    return kept;
}

QString keptProfileFolder(const Locations& to, const QDateTime& now)
{
    return freeName(to.profileFolder + QStringLiteral(".before-restore-") + stampOf(now));
}

namespace {

// One part of the user's data put in place: target moved to aside, staged to target.
struct Swap
{
    QString target;
    QString staged;
    QString aside;
    bool exchanged = false; // staged holds the old content, target the new
    bool movedAside = false;
    bool movedIn = false; // there was nothing to exchange with
};

// Swaps two names in one step, so that the target never goes missing, not
// even when the program is killed half way.
bool exchange(const QString& a, const QString& b, QString* error)
{
    if (::renameat2(AT_FDCWD, QFile::encodeName(a).constData(), AT_FDCWD, QFile::encodeName(b).constData(),
                    RENAME_EXCHANGE) == 0)
        return true;
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool runSwaps(QList<Swap>& swaps, QString* error)
{
    for (Swap& swap : swaps) {
        if (!QFileInfo::exists(swap.target)) {
            if (!replaceFile(swap.staged, swap.target, error)) {
                *error = QStringLiteral("%1 не удалось поставить на место: %2").arg(swap.target, *error);
                return false;
            }
            swap.movedIn = true;
            continue;
        }
        if (exchange(swap.staged, swap.target, error)) {
            swap.exchanged = true;
            if (!replaceFile(swap.staged, swap.aside, error)) {
                *error = QStringLiteral("%1 не удалось отложить: %2").arg(swap.target, *error);
                return false;
            }
            swap.movedAside = true;
            continue;
        }
        // A file system without the exchange: two renames.
        if (!replaceFile(swap.target, swap.aside, error)) {
            *error = QStringLiteral("%1 не удалось отложить: %2").arg(swap.target, *error);
            return false;
        }
        swap.movedAside = true;
        if (!replaceFile(swap.staged, swap.target, error)) {
            *error = QStringLiteral("%1 не удалось поставить на место: %2").arg(swap.target, *error);
            return false;
        }
        swap.movedIn = true;
    }
    return true;
}

void undoSwaps(QList<Swap>& swaps)
{
    QString ignored;
    for (auto it = swaps.rbegin(); it != swaps.rend(); ++it) {
        if (it->exchanged) {
            if (it->movedAside)
                replaceFile(it->aside, it->staged, &ignored);
            exchange(it->staged, it->target, &ignored);
            continue;
        }
        if (it->movedIn)
            replaceFile(it->target, it->staged, &ignored);
        if (it->movedAside)
            replaceFile(it->aside, it->target, &ignored);
    }
}

void removeStaged(const QList<Swap>& swaps)
{
    for (const Swap& swap : swaps) {
        if (QFileInfo(swap.staged).isDir())
            FolderTree::remove(swap.staged);
        else
            QFile::remove(swap.staged);
    }
}

RestoreOutcome restoreDailyCopy(const Locations& to, const QString& path, const QString& stamp)
{
    RestoreOutcome outcome;
    const QString database = to.profileFolder + QStringLiteral("/profile.mdb");
    QList<Swap> swaps{{database, database + QStringLiteral(".restore-") + stamp,
                       freeName(to.profileFolder + QStringLiteral("/profile.before-restore-") + stamp +
                                QStringLiteral(".mdb"))}};
    if (!FolderTree::makePrivate(to.profileFolder)) {
        outcome.error = QStringLiteral("нет папки профиля %1").arg(to.profileFolder);
        return outcome;
    }
    if (const Outcome copied = copyDatabase(path, swaps[0].staged); !copied.ok) {
        outcome.error = copied.error;
        removeStaged(swaps);
        return outcome;
    }
    if (!isProfileDatabase(swaps[0].staged, &outcome.error) || !syncFile(swaps[0].staged) ||
        !runSwaps(swaps, &outcome.error)) {
        undoSwaps(swaps);
        removeStaged(swaps);
        return outcome;
    }
    outcome.ok = true;
    outcome.keptAside.append(swaps[0].aside);
    return outcome;
}

} // namespace

RestoreOutcome restore(const Locations& to, const QString& path, const QDateTime& now,
                       const Progress& progress)
{
    RestoreOutcome outcome;
    const auto contents = inspect(path, &outcome.error);
    if (!contents)
        return outcome;
    const QString stamp = stampOf(now);
    if (contents->dailyCopy)
        return restoreDailyCopy(to, path, stamp);

    QString why;
    Zip archive = openArchive(path, &why);
    const auto manifest = archive ? readManifest(archive.get(), &why) : std::nullopt;
    if (!manifest) {
        outcome.error = why;
        return outcome;
    }

    // Each part goes into a staging place beside its target, on the same
    // disk, so that putting it in place is one rename.
    const auto stagedName = [&](const QString& target) {
        return freeName(target + QStringLiteral(".restore-") + stamp);
    };
    const auto asideName = [&](const QString& target) {
        return freeName(target + QStringLiteral(".before-restore-") + stamp);
    };
    Swap profile{to.profileFolder, stagedName(to.profileFolder), keptProfileFolder(to, now)};
    Swap settings{to.settingsFile, stagedName(to.settingsFile), asideName(to.settingsFile)};
    const QString resourcesFolder = to.userDataFolder + QStringLiteral("/Resources");
    const QString pluginsFolder = to.userDataFolder + QStringLiteral("/Plugins");
    Swap resources{resourcesFolder, stagedName(resourcesFolder), asideName(resourcesFolder)};
    Swap plugins{pluginsFolder, stagedName(pluginsFolder), asideName(pluginsFolder)};

    qint64 totalBytes = 1;
    for (const auto& entry : manifest->files)
        totalBytes += entry.second;
    qint64 doneBytes = 0;
    ProgressState state{&progress, 0, 95};
    state.report(0);

    QList<Swap> swaps{profile};
    bool hasSettings = false, hasResources = false, hasPlugins = false;
    bool ok = FolderTree::makePrivate(QFileInfo(profile.target).absolutePath()) &&
              FolderTree::makePrivate(profile.staged);
    if (!ok)
        why = QStringLiteral("не удалось создать папку %1").arg(profile.staged);
    for (const auto& [name, size] : manifest->files) {
        if (!ok)
            break;
        QString file;
        if (name == kSettingsEntry) {
            file = settings.staged;
            if (!hasSettings)
                swaps.append(settings);
            hasSettings = true;
            ok = FolderTree::makePrivate(QFileInfo(file).absolutePath());
        } else if (name.startsWith(kResourcesPrefix)) {
            if (!hasResources) {
                swaps.append(resources);
                ok = FolderTree::makePrivate(resources.staged);
            }
            hasResources = true;
            file = resources.staged + QLatin1Char('/') + name.mid(kResourcesPrefix.size());
        } else if (name.startsWith(kPluginsPrefix)) {
            if (!hasPlugins) {
                swaps.append(plugins);
                ok = FolderTree::makePrivate(plugins.staged);
            }
            hasPlugins = true;
            file = plugins.staged + QLatin1Char('/') + name.mid(kPluginsPrefix.size());
        } else {
            file = profile.staged + QLatin1Char('/') + name.mid(kProfilePrefix.size());
        }
        if (!ok) {
            why = QStringLiteral("не удалось создать папку для %1").arg(file);
            break;
        }
        zip_int64_t index = -1;
        ok = inArchive(archive.get(), name, size, &index, &why) &&
             FolderTree::makePrivate(QFileInfo(file).absolutePath()) &&
             extractEntry(archive.get(), index, file, size, &why);
        if (!ok)
            why = QStringLiteral("файл «%1» не извлекается из архива: %2").arg(name, why);
        doneBytes += size;
        state.report(double(doneBytes) / double(totalBytes));
    }
    if (ok)
        ok = isProfileDatabase(profile.staged + QStringLiteral("/profile.mdb"), &why);
    if (ok && !syncDisk(profile.staged)) {
        ok = false;
        why = QStringLiteral("файлы профиля не удалось сохранить на диск");
    }
    if (ok)
        ok = runSwaps(swaps, &why);
    if (!ok) {
        undoSwaps(swaps);
        removeStaged(swaps);
        outcome.error = why;
        return outcome;
    }
    for (const Swap& swap : std::as_const(swaps))
        if (swap.movedAside)
            outcome.keptAside.append(swap.aside);
    // The daily copies are no part of a backup: they stay with the profile.
    const QString oldCopies = profile.aside + QStringLiteral("/Backups");
    if (QFileInfo(oldCopies).isDir() && !QFileInfo::exists(dailyFolder(to.profileFolder)))
        replaceFile(oldCopies, dailyFolder(to.profileFolder), &why);
    state.to = 100;
    state.report(1);
    outcome.ok = true;
    return outcome;
}

} // namespace ProfileBackup

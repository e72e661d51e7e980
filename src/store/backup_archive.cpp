#include "backup_support.h"
#include "folder_tree.h"
#include "profile_backup.h"

#include "zip_library.h"
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>

// Writing a backup archive: the database's online copy, the user's files
// beside it and the manifest that lists them all.
namespace ProfileBackup {

using namespace Detail;

namespace {

constexpr qint64 kStaleWorkSecs = 3600;

struct Source
{
    QString entry;
    QString file; // empty: the data below
    QByteArray data;
    qint64 size = 0;
};

// Regular files below folder, as entries under prefix; links are not followed.
void collect(const QString& folder, const QString& prefix, const QStringList& skipped, QList<Source>& into)
{
    if (!QFileInfo(folder).isDir())
        return;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QList<Source> found;
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink() || !info.isFile())
            continue;
        const QString relative = QDir(folder).relativeFilePath(info.absoluteFilePath());
        bool skip = false;
        // A name ending in "*" stands for every name that begins with it.
        for (const QString& pattern : skipped)
            if (pattern.endsWith(QLatin1Char('*'))
                    ? relative.startsWith(pattern.chopped(1))
                    : relative == pattern || relative.startsWith(pattern + QLatin1Char('/')))
                skip = true;
        if (skip)
            continue;
        found.append({prefix + relative, info.absoluteFilePath(), {}, info.size()});
    }
    std::sort(found.begin(), found.end(), [](const Source& a, const Source& b) { return a.entry < b.entry; });
    into.append(found);
}

void zipProgress(zip_t*, double done, void* state)
{
    static_cast<ProgressState*>(state)->report(done);
}

} // namespace

Locations Locations::standard(const QString& documentsFolder, const QString& settingsFile)
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return {documentsFolder + QStringLiteral("/Quillarbor"), settingsFile,
            data + QStringLiteral("/Quillarbor")};
}

Outcome write(const Locations& from, const QString& archivePath, const QString& version, const QDateTime& now,
              const Progress& progress)
{
    const QFileInfo target(archivePath);
    if (archivePath.isEmpty() || target.fileName().isEmpty())
        return failed(QStringLiteral("не указано имя файла резервной копии"));
    if (target.isDir())
        return failed(QStringLiteral("%1 — это папка, а не файл").arg(archivePath));
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        return failed(QStringLiteral("нет папки %1").arg(folder));
    if (!ZipLibrary::get().loaded())
        return failed(ZipLibrary::get().error);
    const QString database = from.profileFolder + QStringLiteral("/profile.mdb");
    if (!QFileInfo(database).isFile())
        return failed(QStringLiteral("нет базы данных профиля %1").arg(database));

    // A writer that was killed left its private folder behind.
    const QDir targetFolder(folder);
    for (const QFileInfo& stale : targetFolder.entryInfoList(
             {QStringLiteral(".Quillarbor-backup-*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        if (!stale.isSymLink() && stale.lastModified().secsTo(QDateTime::currentDateTime()) > kStaleWorkSecs)
            FolderTree::remove(stale.absoluteFilePath());
    // The archive is made inside a private folder beside the target, so that
    // no one else sees it unfinished, and moved over the target when whole.
    QTemporaryDir work(folder + QStringLiteral("/.Quillarbor-backup-XXXXXX"));
    if (!work.isValid())
        return failed(QStringLiteral("нет права записи в папку %1").arg(folder));
    QFile::setPermissions(work.path(), kPrivateFolder);
    if (progress)
        progress(0);

    const QString copy = work.filePath(QStringLiteral("profile.mdb"));
    if (const Outcome copied = copyDatabase(database, copy); !copied.ok)
        return copied;
    if (progress)
        progress(10);

    QList<Source> sources;
    sources.append({kDatabaseEntry, copy, {}, QFileInfo(copy).size()});
    collect(from.profileFolder, kProfilePrefix,
            // The database goes in as its consistent copy; the databases a
            // restore kept aside and the daily copies stay out.
            {QStringLiteral("profile.mdb*"), QStringLiteral("profile.before-restore-*"),
             QStringLiteral("Backups")},
            sources);
    // The settings file is replaced whole by every write: read it once, now.
    if (QFile settings(from.settingsFile); settings.open(QIODevice::ReadOnly)) {
        const QByteArray data = settings.readAll();
        sources.append({kSettingsEntry, {}, data, data.size()});
    }
    collect(from.userDataFolder + QStringLiteral("/Resources"), kResourcesPrefix, {}, sources);
    collect(from.userDataFolder + QStringLiteral("/Plugins"), kPluginsPrefix, {}, sources);

    QJsonArray files;
    for (const Source& source : std::as_const(sources))
        files.append(QJsonObject{{QStringLiteral("name"), source.entry},
                                 {QStringLiteral("size"), double(source.size)}});
    const QByteArray manifest =
        QJsonDocument(QJsonObject{{QStringLiteral("program"), kProgram},
                                  {QStringLiteral("format"), kFormat},
                                  {QStringLiteral("version"), version},
                                  {QStringLiteral("created"), now.toString(Qt::ISODate)},
                                  {QStringLiteral("files"), files}})
            .toJson();

    const QString partial = work.filePath(QStringLiteral("archive.zip"));
    int code = 0;
    Zip archive(
        ZipLibrary::get().zip_open(QFile::encodeName(partial).constData(), ZIP_CREATE | ZIP_EXCL, &code));
    if (!archive)
        return failed(QStringLiteral("архив не создаётся в папке %1").arg(folder));

    const auto add = [&](const QString& entry, zip_source_t* source) -> bool {
        if (!source)
            return false;
        const zip_int64_t index = ZipLibrary::get().zip_file_add(archive.get(), entry.toUtf8().constData(),
                                                                 source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            ZipLibrary::get().zip_source_free(source);
            return false;
        }
        // The fastest deflate: the archive of a large profile stays quick to write.
        ZipLibrary::get().zip_set_file_compression(archive.get(), zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
        return true;
    };
    if (!add(kManifestName, ZipLibrary::get().zip_source_buffer(archive.get(), manifest.constData(),
                                                                zip_uint64_t(manifest.size()), 0)))
        return failed(QStringLiteral("не удалось записать архив: %1").arg(zipError(archive.get())));
    for (const Source& source : std::as_const(sources)) {
        zip_source_t* data =
            source.file.isEmpty()
                ? ZipLibrary::get().zip_source_buffer(archive.get(), source.data.constData(),
                                                      zip_uint64_t(source.data.size()), 0)
                : ZipLibrary::get().zip_source_file(archive.get(), QFile::encodeName(source.file).constData(),
                                                    0, source.size);
        if (!add(source.entry, data))
            return failed(
                QStringLiteral("не удалось добавить в архив %1: %2")
                    .arg(source.file.isEmpty() ? source.entry : source.file, zipError(archive.get())));
    }

    ProgressState state{&progress, 10, 98};
    ZipLibrary::get().zip_register_progress_callback_with_state(archive.get(), 0.01, zipProgress, nullptr,
                                                                &state);
    // zip_close reads the files, writes the archive and frees it on success.
    if (ZipLibrary::get().zip_close(archive.get()) != 0)
        return failed(QStringLiteral("архив не записан: %1").arg(zipError(archive.get())));
    archive.release();

    QFile::setPermissions(partial, kPrivateFile);
    if (!syncFile(partial))
        return failed(QStringLiteral("архив не удалось сохранить на диск: %1").arg(partial));
    QString why;
    if (!replaceFile(partial, target.absoluteFilePath(), &why))
        return failed(QStringLiteral("архив не удалось переименовать в %1: %2").arg(archivePath, why));
    syncFile(folder);
    if (progress)
        progress(100);
    return {true, {}};
}

} // namespace ProfileBackup

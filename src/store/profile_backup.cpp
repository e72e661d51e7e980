#include "profile_backup.h"

#include "folder_tree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>
#include <zip.h>

namespace ProfileBackup {

namespace {

const QString kProgram = QStringLiteral("Quillarbor");
constexpr int kFormat = 1;
const QString kProfilePrefix = QStringLiteral("profile/");
const QString kSettingsEntry = QStringLiteral("settings/registry.json");
const QString kResourcesPrefix = QStringLiteral("data/Resources/");
const QString kPluginsPrefix = QStringLiteral("data/Plugins/");
const QString kDailyPrefix = QStringLiteral("profile-");
const QString kDailySuffix = QStringLiteral(".mdb");
constexpr qint64 kManifestLimit = 16 * 1024 * 1024;
constexpr int kBusyWaitMs = 5000;
constexpr qint64 kStaleWorkSecs = 3600;
constexpr QFile::Permissions kPrivateFile = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kPrivateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

const QStringList& profileTables()
{
    static const QStringList names = {QStringLiteral("Заметки"),     QStringLiteral("Дневник"),
                                      QStringLiteral("Ключи"),       QStringLiteral("Адресная книга"),
                                      QStringLiteral("Напоминания"), QStringLiteral("Задачи"),
                                      QStringLiteral("Пароли"),      QStringLiteral("Темы")};
    return names;
}

Outcome failed(const QString& why)
{
    return {false, why};
}

struct SqliteCloser
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Sqlite = std::unique_ptr<sqlite3, SqliteCloser>;

Sqlite openSqlite(const QString& file, int flags, QString* error)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &raw, flags, nullptr);
    Sqlite db(raw);
    if (rc != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), kBusyWaitMs);
    return db;
}

struct ZipDiscarder
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Zip = std::unique_ptr<zip_t, ZipDiscarder>;

QString zipError(zip_t* archive)
{
    return QString::fromLocal8Bit(zip_strerror(archive));
}

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

bool syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// rename(2): replaces the target in one step.
bool replaceFile(const QString& from, const QString& to, QString* error)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool makePrivateFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    if (!QDir().mkpath(path))
        return false;
    QFile::setPermissions(path, kPrivateFolder);
    return true;
}

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

struct ProgressState
{
    const Progress* progress = nullptr;
    int from = 0;
    int to = 100;
    int last = -1;
    void report(double done)
    {
        if (!progress || !*progress)
            return;
        const int percent = from + int((to - from) * std::clamp(done, 0.0, 1.0));
        if (percent != last) {
            last = percent;
            (*progress)(percent);
        }
    }
};

void zipProgress(zip_t*, double done, void* state)
{
    static_cast<ProgressState*>(state)->report(done);
}

std::optional<QByteArray> readEntry(zip_t* archive, zip_int64_t index, qint64 limit, QString* error)
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, zip_uint64_t(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        *error = zipError(archive);
        return std::nullopt;
    }
    if (qint64(stat.size) > limit) {
        *error = QStringLiteral("слишком большой файл в архиве");
        return std::nullopt;
    }
    zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(index), 0);
    if (!file) {
        *error = zipError(archive);
        return std::nullopt;
    }
    QByteArray data(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_fread(file, data.data(), stat.size);
    const bool whole = read == zip_int64_t(stat.size);
    if (!whole)
        *error = QString::fromLocal8Bit(zip_file_strerror(file));
    zip_fclose(file);
    if (!whole)
        return std::nullopt;
    return data;
}

// Copies one entry into a file; libzip checks the CRC as the last bytes are read.
bool extractEntry(zip_t* archive, zip_int64_t index, const QString& target, qint64 expected, QString* error)
{
    zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(index), 0);
    if (!file) {
        *error = zipError(archive);
        return false;
    }
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = out.errorString();
        zip_fclose(file);
        return false;
    }
    out.setPermissions(kPrivateFile);
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    bool ok = true;
    for (;;) {
        const zip_int64_t read = zip_fread(file, buffer.data(), zip_uint64_t(buffer.size()));
        if (read < 0) {
            *error = QString::fromLocal8Bit(zip_file_strerror(file));
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
    zip_fclose(file);
    out.close();
    if (ok && total != expected) {
        *error = QStringLiteral("размер файла в архиве не совпадает с описанием");
        ok = false;
    }
    return ok;
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

namespace {

std::optional<Manifest> readManifest(zip_t* archive, QString* error)
{
    const zip_int64_t index = zip_name_locate(archive, kManifestName.toUtf8().constData(), ZIP_FL_ENC_GUESS);
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
    const zip_int64_t index = zip_name_locate(archive, name.toUtf8().constData(), ZIP_FL_ENC_GUESS);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (index < 0 || zip_stat_index(archive, zip_uint64_t(index), 0, &stat) != 0) {
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
    int code = 0;
    zip_t* raw = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!raw) {
        if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS) {
            *error = QStringLiteral("файл не является архивом ZIP или повреждён");
        } else {
            zip_error_t why;
            zip_error_init_with_code(&why, code);
            *error = QStringLiteral("архив не открывается: %1")
                         .arg(QString::fromLocal8Bit(zip_error_strerror(&why)));
            zip_error_fini(&why);
        }
    }
    return Zip(raw);
}

bool looksLikeDatabase(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
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

Outcome copyDatabase(const QString& sourceFile, const QString& targetFile)
{
    if (!QFileInfo(sourceFile).isFile())
        return failed(QStringLiteral("нет файла базы данных %1").arg(sourceFile));
    QString why;
    // A connection of its own reads only what is committed: a transaction
    // open elsewhere does not leak into the copy.
    Sqlite source = openSqlite(sourceFile, SQLITE_OPEN_READONLY, &why);
    if (!source)
        return failed(QStringLiteral("база данных не открывается: %1").arg(why));
    QFile::remove(targetFile);
    Sqlite target = openSqlite(targetFile, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &why);
    if (!target)
        return failed(QStringLiteral("не удалось создать копию базы данных %1: %2").arg(targetFile, why));
    QFile::setPermissions(targetFile, kPrivateFile);
    // The copy is a new file that the caller syncs once and renames: no
    // journal and no syncs of its own are needed on the way.
    sqlite3_exec(target.get(), "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr,
                 nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", source.get(), "main");
    if (!backup)
        return failed(QStringLiteral("копирование базы данных не началось: %1")
                          .arg(QString::fromUtf8(sqlite3_errmsg(target.get()))));
    int rc = SQLITE_OK;
    int waited = 0;
    // All pages in one step, under one read lock: one consistent state.
    while ((rc = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        if (waited >= kBusyWaitMs)
            break;
        sqlite3_sleep(20);
        waited += 20;
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        return failed(QStringLiteral("копирование базы данных прервано: %1")
                          .arg(QString::fromUtf8(sqlite3_errstr(rc))));
    const int closed = sqlite3_close(target.release());
    if (closed != SQLITE_OK)
        return failed(QStringLiteral("копия базы данных не записана: %1")
                          .arg(QString::fromUtf8(sqlite3_errstr(closed))));
    return {true, {}};
}

bool isProfileDatabase(const QString& file, QString* error)
{
    QString why;
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (!looksLikeDatabase(file))
        return fail(QStringLiteral("база данных профиля повреждена: это не файл базы данных"));
    Sqlite db = openSqlite(file, SQLITE_OPEN_READONLY, &why);
    if (!db)
        return fail(QStringLiteral("база данных профиля не открывается: %1").arg(why));
    sqlite3_stmt* check = nullptr;
    if (sqlite3_prepare_v2(db.get(), "PRAGMA quick_check", -1, &check, nullptr) != SQLITE_OK)
        return fail(QStringLiteral("база данных профиля повреждена: %1")
                        .arg(QString::fromUtf8(sqlite3_errmsg(db.get()))));
    QString verdict;
    int rc = sqlite3_step(check);
    if (rc == SQLITE_ROW)
        verdict = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
    else
        verdict = QString::fromUtf8(sqlite3_errmsg(db.get()));
    sqlite3_finalize(check);
    if (verdict != QLatin1String("ok"))
        return fail(QStringLiteral("база данных профиля повреждена: %1").arg(verdict));

    sqlite3_stmt* table = nullptr;
    sqlite3_prepare_v2(db.get(), "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?", -1,
                       &table, nullptr);
    QStringList missing;
    for (const QString& name : profileTables()) {
        const QByteArray utf8 = name.toUtf8();
        sqlite3_reset(table);
        sqlite3_bind_text(table, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(table) != SQLITE_ROW || sqlite3_column_int(table, 0) != 1)
            missing.append(name);
    }
    sqlite3_finalize(table);
    if (!missing.isEmpty())
        return fail(
            QStringLiteral("в базе данных профиля нет таблиц: %1").arg(missing.join(QStringLiteral(", "))));
    return true;
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
    Zip archive(zip_open(QFile::encodeName(partial).constData(), ZIP_CREATE | ZIP_EXCL, &code));
    if (!archive)
        return failed(QStringLiteral("архив не создаётся в папке %1").arg(folder));

    const auto add = [&](const QString& entry, zip_source_t* source) -> bool {
        if (!source)
            return false;
        const zip_int64_t index = zip_file_add(archive.get(), entry.toUtf8().constData(), source,
                                               ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        // The fastest deflate: the archive of a large profile stays quick to write.
        zip_set_file_compression(archive.get(), zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
        return true;
    };
    if (!add(kManifestName,
             zip_source_buffer(archive.get(), manifest.constData(), zip_uint64_t(manifest.size()), 0)))
        return failed(QStringLiteral("не удалось записать архив: %1").arg(zipError(archive.get())));
    for (const Source& source : std::as_const(sources)) {
        zip_source_t* data =
            source.file.isEmpty()
                ? zip_source_buffer(archive.get(), source.data.constData(), zip_uint64_t(source.data.size()),
                                    0)
                : zip_source_file(archive.get(), QFile::encodeName(source.file).constData(), 0, source.size);
        if (!add(source.entry, data))
            return failed(
                QStringLiteral("не удалось добавить в архив %1: %2")
                    .arg(source.file.isEmpty() ? source.entry : source.file, zipError(archive.get())));
    }

    ProgressState state{&progress, 10, 98};
    zip_register_progress_callback_with_state(archive.get(), 0.01, zipProgress, nullptr, &state);
    // zip_close reads the files, writes the archive and frees it on success.
    if (zip_close(archive.get()) != 0)
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
    if (!makePrivateFolder(to.profileFolder)) {
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
    bool ok =
        makePrivateFolder(QFileInfo(profile.target).absolutePath()) && makePrivateFolder(profile.staged);
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
            ok = makePrivateFolder(QFileInfo(file).absolutePath());
        } else if (name.startsWith(kResourcesPrefix)) {
            if (!hasResources) {
                swaps.append(resources);
                ok = makePrivateFolder(resources.staged);
            }
            hasResources = true;
            file = resources.staged + QLatin1Char('/') + name.mid(kResourcesPrefix.size());
        } else if (name.startsWith(kPluginsPrefix)) {
            if (!hasPlugins) {
                swaps.append(plugins);
                ok = makePrivateFolder(plugins.staged);
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
             makePrivateFolder(QFileInfo(file).absolutePath()) &&
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
    if (!makePrivateFolder(folder))
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

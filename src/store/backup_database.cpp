#include "backup_support.h"
#include "profile_backup.h"

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <sqlite3.h>

// The profile database as a backup sees it: copied online while the program
// has it open, and checked before a copy is trusted.
namespace ProfileBackup {

using namespace Detail;

namespace {

constexpr int kBusyWaitMs = 5000;

const QStringList& profileTables()
{
    static const QStringList names = {QStringLiteral("Заметки"),     QStringLiteral("Дневник"),
                                      QStringLiteral("Ключи"),       QStringLiteral("Адресная книга"),
                                      QStringLiteral("Напоминания"), QStringLiteral("Задачи"),
                                      QStringLiteral("Пароли"),      QStringLiteral("Темы")};
    return names;
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

} // namespace

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

} // namespace ProfileBackup

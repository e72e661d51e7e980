#include "diary_store.h"

#include "profile_database.h"
#include "date_formats.h"
#include "record_cipher.h"
#include "sealed_value.h"

#include <QSqlError>
#include <QSqlQuery>
#include <limits>

namespace {

// The diary's lock record is the first row of the keys table.
constexpr int kLockRow = 0;

bool failWith(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// Raises the page cache of the connection for one change and puts it back.
class CacheForLargeChange
{
public:
    explicit CacheForLargeChange(const QSqlDatabase& connection) : m_connection(connection)
    {
        QSqlQuery pragma(m_connection);
        if (pragma.exec(QStringLiteral("PRAGMA cache_size")) && pragma.next())
            m_previous = pragma.value(0).toLongLong();
        pragma.exec(QStringLiteral("PRAGMA cache_size = -131072")); // 128 MiB at most, used as needed
    }
    ~CacheForLargeChange()
    {
        QSqlQuery pragma(m_connection);
        pragma.exec(QStringLiteral("PRAGMA cache_size = %1").arg(m_previous));
    }
    Q_DISABLE_COPY_MOVE(CacheForLargeChange)

private:
    QSqlDatabase m_connection;
    qint64 m_previous = -2000;
};

QString dayStart(const QDate& day)
{
    return TableObject::dateTimeToText(day.startOfDay());
}

} // namespace

DiaryStore::DiaryStore(ProfileDatabase& database) : m_database(database) {}

DiaryStore::LockRecord DiaryStore::lockRecord() const
{
    const auto row = m_database.KeysTable.at(kLockRow);
    if (!row)
        return {};
    return {row->value(QStringLiteral("Ключ")).toString(),
            row->value(QStringLiteral("Заблокировано")).toBool()};
}

std::optional<QString> DiaryStore::page(const QDate& day) const
{
    QSqlQuery read(m_database.BigBd());
    read.setForwardOnly(true);
    read.prepare(QStringLiteral("SELECT \"Содержание\" FROM \"Дневник\" WHERE \"MsgData\" >= ? AND "
                                "\"MsgData\" < ? ORDER BY rowid LIMIT 1"));
    read.addBindValue(dayStart(day));
    read.addBindValue(dayStart(day.addDays(1)));
    if (!read.exec() || !read.next())
        return std::nullopt;
    return read.value(0).toString();
}

bool DiaryStore::savePage(const QDate& day, const QString& text, QString* error)
{
    QSqlDatabase connection = m_database.BigBd();
    QSqlQuery find(connection);
    find.setForwardOnly(true);
    find.prepare(QStringLiteral("SELECT rowid FROM \"Дневник\" WHERE \"MsgData\" >= ? AND \"MsgData\" < ? "
                                "ORDER BY rowid LIMIT 1"));
    find.addBindValue(dayStart(day));
    find.addBindValue(dayStart(day.addDays(1)));
    if (!find.exec())
        return failWith(error, find.lastError().text());
    QSqlQuery write(connection);
    if (find.next()) {
        const qint64 rowid = find.value(0).toLongLong();
        find.finish();
        write.prepare(QStringLiteral("UPDATE \"Дневник\" SET \"Содержание\" = ? WHERE rowid = ?"));
        write.addBindValue(text);
        write.addBindValue(rowid);
    } else {
        find.finish();
        write.prepare(QStringLiteral("INSERT INTO \"Дневник\" (\"MsgData\", \"Содержание\") VALUES (?, ?)"));
        write.addBindValue(dayStart(day));
        write.addBindValue(text);
    }
    if (!write.exec())
        return failWith(error, write.lastError().text());
    return true;
}

int DiaryStore::pageCount() const
{
    return m_database.DiaryTable.count();
}

std::optional<DiaryStore::Key> DiaryStore::newKey(const QString& password, QString* error)
{
    if (password.isEmpty()) {
        failWith(error, RecordCipher::kEmptyKeyMessage);
        return std::nullopt;
    }
    auto made = KeyRecord::create(password, error);
    if (!made)
        return std::nullopt;
    return Key{std::move(made->key), made->record.text()};
}

bool DiaryStore::lock(const Key& key, QString* error)
{
    if (key.key.isEmpty() || key.record.isEmpty())
        return failWith(error, RecordCipher::kEmptyKeyMessage);
    QString sealError;
    const bool done = rewriteAll(
        [&key, &sealError](const QString& plain) {
            return SealedValue::seal(key.key, plain, SealedValue::kDiaryPage, &sealError);
        },
        true, key.record, error);
    if (!done && error && !sealError.isEmpty())
        *error = sealError;
    return done;
}

bool DiaryStore::lock(const QString& password, QString* error)
{
    const auto key = newKey(password, error);
    return key && lock(*key, error);
}

DiaryStore::Unlocked DiaryStore::unlock(const QString& typed)
{
    Unlocked result;
    const LockRecord stored = lockRecord();
    MasterKey::Checked checked = MasterKey::check(stored.keyRecord, typed);
    result.verdict = checked.verdict;
    result.error = checked.error;
    switch (checked.verdict) {
    case MasterKey::Verdict::Opened: {
        const VaultKey& key = checked.key;
        if (!rewriteAll([&key](const QString& page) { return SealedValue::open(key, page, SealedValue::kDiaryPage); },
                        false, std::nullopt, &result.error)) {
            result.verdict = MasterKey::Verdict::Failed;
            return result;
        }
        result.key = Key{std::move(checked.key), stored.keyRecord};
        return result;
    }
    case MasterKey::Verdict::OldForm: {
        // The first right password of a diary from before: its pages come
        // out plain as ever, and its record takes the current form.
        auto key = newKey(typed, &result.error);
        if (!key || !rewriteAll([&typed](const QString& page) { return RecordCipher::CipherText(page, typed); },
                                false, key->record, &result.error)) {
            result.verdict = MasterKey::Verdict::Failed;
            return result;
        }
        result.verdict = MasterKey::Verdict::Opened;
        result.key = std::move(*key);
        result.carriedOver = true;
        return result;
    }
    case MasterKey::Verdict::Wrong:
    case MasterKey::Verdict::Damaged:
    case MasterKey::Verdict::Failed:
        return result;
    }
    return result;
}

bool DiaryStore::rewriteAll(const PageChange& changePage, bool locked, const std::optional<QString>& record,
                            QString* error)
{
    const auto row = m_database.KeysTable.at(kLockRow);
    if (!row)
        return failWith(error, QStringLiteral("В таблице ключей нет строки для дневника."));

    QSqlDatabase connection = m_database.BigBd();
    // Every page is rewritten: a cache that holds the whole change keeps
    // SQLite from spilling pages (and syncing its journal) half-way.
    CacheForLargeChange cache(connection);
    Transaction change(connection);
    if (!change.isActive())
        return failWith(error, connection.lastError().text());

    QVariantMap lockValues{{QStringLiteral("Заблокировано"), locked}};
    if (record)
        lockValues.insert(QStringLiteral("Ключ"), *record);
    if (!m_database.KeysTable.update(row->key, lockValues, error))
        return false;

    // The pages are read a batch at a time along the row id, so that a long
    // diary never sits in memory whole and the reading statement is finished
    // before its rows are written.
    constexpr int kBatch = 500;
    QSqlQuery read(connection);
    read.setForwardOnly(true);
    read.prepare(
        QStringLiteral("SELECT rowid, \"Содержание\", \"MsgData\" FROM \"Дневник\" WHERE rowid > ? "
                       "ORDER BY rowid LIMIT ?"));
    QSqlQuery write(connection);
    write.prepare(QStringLiteral("UPDATE \"Дневник\" SET \"Содержание\" = ? WHERE rowid = ?"));
    qint64 last = std::numeric_limits<qint64>::min();
    while (true) {
        read.bindValue(0, last);
        read.bindValue(1, kBatch);
        if (!read.exec())
            return failWith(error, read.lastError().text());
        struct Page
        {
            qint64 rowid;
            QVariant text;
            QVariant day;
        };
        QList<Page> batch;
        while (read.next())
            batch.append({read.value(0).toLongLong(), read.value(1), read.value(2)});
        read.finish();
        if (batch.isEmpty())
            break;
        for (Page& page : batch) {
            // A page without any text is sealed as an empty one: a locked
            // diary holds nothing but sealed values.
            if (page.text.isNull() && !locked)
                continue;
            auto changed = changePage(page.text.toString());
            if (!changed) {
                const QDate day = TableObject::dateTimeFromText(page.day.toString()).date();
                return failWith(error, QStringLiteral("страница дневника за %1 повреждена или записана под другим "
                                                      "паролем и не открывается; дневник оставлен как был.")
                                           .arg(day.isValid() ? DateFormats::shortDate(day) : page.day.toString()));
            }
            write.bindValue(0, *changed);
            write.bindValue(1, page.rowid);
            SealedValue::wipe(*changed);
            if (!write.exec())
                return failWith(error, write.lastError().text());
        }
        last = batch.last().rowid;
    }
    if (!change.commit())
        return failWith(error, connection.lastError().text());
    return true;
}

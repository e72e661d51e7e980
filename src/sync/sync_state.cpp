#include "sync_state.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

bool failWith(QString* error, const QSqlQuery& query)
{
    if (error)
        *error = query.lastError().text();
    return false;
}

} // namespace

bool SyncState::ensureTables(QSqlDatabase connection, QString* error)
{
    QSqlQuery create(connection);
    if (!create.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS \"SyncItems\" ("
                                    "\"Collection\" TEXT NOT NULL, \"Href\" TEXT NOT NULL, \"Etag\" TEXT, "
                                    "\"LocalKey\" INTEGER, \"Fingerprint\" BLOB, \"Data\" BLOB, "
                                    "PRIMARY KEY (\"Collection\", \"Href\"))")))
        return failWith(error, create);
    if (!create.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS \"SyncCollections\" ("
                                    "\"Collection\" TEXT PRIMARY KEY, \"Kind\" TEXT, \"Token\" TEXT)")))
        return failWith(error, create);
    return true;
}

QList<SyncState::Item> SyncState::items(const QString& collection, QString* error) const
{
    QSqlQuery read(m_connection);
    read.setForwardOnly(true);
    read.prepare(QStringLiteral(
        "SELECT \"Href\", \"Etag\", \"LocalKey\", \"Fingerprint\", \"Data\" FROM \"SyncItems\" "
        "WHERE \"Collection\" = ?"));
    read.addBindValue(collection);
    QList<Item> list;
    if (!read.exec()) {
        failWith(error, read);
        return list;
    }
    while (read.next())
        list.append({read.value(0).toString(), read.value(1).toString(), read.value(2).toLongLong(),
                     read.value(3).toByteArray(), read.value(4).toByteArray()});
    // Rows that stopped coming part way are a failure, not a shorter state.
    if (read.lastError().isValid()) {
        failWith(error, read);
        return {};
    }
    return list;
}

std::optional<SyncState::Item> SyncState::itemOfLocal(const QString& collection, qint64 localKey) const
{
    QSqlQuery read(m_connection);
    read.setForwardOnly(true);
    read.prepare(QStringLiteral(
        "SELECT \"Href\", \"Etag\", \"LocalKey\", \"Fingerprint\", \"Data\" FROM \"SyncItems\" "
        "WHERE \"Collection\" = ? AND \"LocalKey\" = ? LIMIT 1"));
    read.addBindValue(collection);
    read.addBindValue(localKey);
    if (!read.exec() || !read.next())
        return std::nullopt;
    return Item{read.value(0).toString(), read.value(1).toString(), read.value(2).toLongLong(),
                read.value(3).toByteArray(), read.value(4).toByteArray()};
}

bool SyncState::put(const QString& collection, const Item& item, QString* error)
{
    QSqlQuery write(m_connection);
    write.prepare(QStringLiteral("INSERT OR REPLACE INTO \"SyncItems\" (\"Collection\", \"Href\", \"Etag\", "
                                 "\"LocalKey\", \"Fingerprint\", \"Data\") VALUES (?, ?, ?, ?, ?, ?)"));
    write.addBindValue(collection);
    write.addBindValue(item.href);
    write.addBindValue(item.etag);
    write.addBindValue(item.localKey);
    write.addBindValue(item.fingerprint);
    write.addBindValue(item.data);
    return write.exec() || failWith(error, write);
}

bool SyncState::remove(const QString& collection, const QString& href, QString* error)
{
    QSqlQuery write(m_connection);
    write.prepare(QStringLiteral("DELETE FROM \"SyncItems\" WHERE \"Collection\" = ? AND \"Href\" = ?"));
    write.addBindValue(collection);
    write.addBindValue(href);
    return write.exec() || failWith(error, write);
}

QString SyncState::token(const QString& collection) const
{
    QSqlQuery read(m_connection);
    read.prepare(QStringLiteral("SELECT \"Token\" FROM \"SyncCollections\" WHERE \"Collection\" = ?"));
    read.addBindValue(collection);
    return read.exec() && read.next() ? read.value(0).toString() : QString();
}

bool SyncState::setToken(const QString& collection, const QString& token, QString* error)
{
    QSqlQuery write(m_connection);
    write.prepare(QStringLiteral("INSERT INTO \"SyncCollections\" (\"Collection\", \"Token\") VALUES (?, ?) "
                                 "ON CONFLICT(\"Collection\") DO UPDATE SET \"Token\" = excluded.\"Token\""));
    write.addBindValue(collection);
    write.addBindValue(token);
    return write.exec() || failWith(error, write);
}

bool SyncState::setKind(const QString& collection, const QString& kind, QString* error)
{
    QSqlQuery write(m_connection);
    write.prepare(QStringLiteral("INSERT INTO \"SyncCollections\" (\"Collection\", \"Kind\") VALUES (?, ?) "
                                 "ON CONFLICT(\"Collection\") DO UPDATE SET \"Kind\" = excluded.\"Kind\""));
    write.addBindValue(collection);
    write.addBindValue(kind);
    return write.exec() || failWith(error, write);
}

bool SyncState::keepOnly(const QString& kind, const QString& collection, QString* error)
{
    QSqlQuery write(m_connection);
    write.prepare(
        QStringLiteral("DELETE FROM \"SyncItems\" WHERE \"Collection\" IN (SELECT \"Collection\" FROM "
                       "\"SyncCollections\" WHERE \"Kind\" = ? AND \"Collection\" <> ?)"));
    write.addBindValue(kind);
    write.addBindValue(collection);
    if (!write.exec())
        return failWith(error, write);
    write.prepare(
        QStringLiteral("DELETE FROM \"SyncCollections\" WHERE \"Kind\" = ? AND \"Collection\" <> ?"));
    write.addBindValue(kind);
    write.addBindValue(collection);
    return write.exec() || failWith(error, write);
}

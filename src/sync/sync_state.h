#pragma once

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

// What was last in step with the server, kept in the profile beside the data
// it describes and written in the same transactions: for each item of a
// collection its address on the server, its ETag, the local row it stands
// for, the digest of the fields we own as they were synced, and the server's
// card as it was (to keep the server's other fields when we write). And for
// each collection its sync token.
class SyncState
{
public:
    struct Item
    {
        QString href;
        QString etag; // empty: written by us, not yet confirmed by the server
        qint64 localKey = 0;
        QByteArray fingerprint;
        QByteArray data;
    };

    explicit SyncState(QSqlDatabase connection) : m_connection(std::move(connection)) {}

    // Creates the two tables in a profile that has none yet.
    static bool ensureTables(QSqlDatabase connection, QString* error = nullptr);

    QList<Item> items(const QString& collection, QString* error = nullptr) const;
    std::optional<Item> itemOfLocal(const QString& collection, qint64 localKey) const;
    bool put(const QString& collection, const Item& item, QString* error = nullptr);
    bool remove(const QString& collection, const QString& href, QString* error = nullptr);

    QString token(const QString& collection) const;
    bool setToken(const QString& collection, const QString& token, QString* error = nullptr);

    // Everything kept for collections other than this one of the kind: the
    // account now syncs elsewhere, so what was in step with those is moot.
    bool keepOnly(const QString& kind, const QString& collection, QString* error = nullptr);
    bool setKind(const QString& collection, const QString& kind, QString* error = nullptr);

private:
    QSqlDatabase m_connection;
};

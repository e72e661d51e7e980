#include "sync_steps.h"

#include <QHash>
#include <QSet>

namespace SyncSteps {

namespace {

struct Found
{
    QList<Dav::ItemVersion> changed;
    QStringList removed;
    QString token;
};

Dav::Result<Found> find(Dav::Collection& collection, bool syncCollection, const QList<SyncState::Item>& known,
                        const QString& lastToken)
{
    Found found;
    QHash<QString, QString> etagOf;
    for (const SyncState::Item& item : known)
        etagOf.insert(item.href, item.etag);

    if (syncCollection) {
        // Asked without a token, the server lists every item; with one, only
        // what changed since, so an item it does not name is no item gone.
        bool everything = lastToken.isEmpty();
        auto changes = collection.changesSince(lastToken);
        if (!changes)
            return changes.failure();
        // A token the server no longer takes: everything again, compared below.
        if (changes->tokenRejected && !lastToken.isEmpty()) {
            changes = collection.changesSince(QString());
            if (!changes)
                return changes.failure();
            everything = true;
        }
        if (!changes->tokenRejected) {
            found.token = changes->newToken;
            found.removed = changes->removed;
            if (everything) {
                // A full listing: what we hold and the server has not is gone.
                QSet<QString> present;
                for (const Dav::ItemVersion& item : std::as_const(changes->changed))
                    present.insert(item.href);
                for (const SyncState::Item& item : known)
                    if (!item.etag.isEmpty() && !present.contains(item.href) &&
                        !found.removed.contains(item.href))
                        found.removed.append(item.href);
            }
            for (const Dav::ItemVersion& item : std::as_const(changes->changed))
                if (etagOf.value(item.href) != item.etag || item.etag.isEmpty())
                    found.changed.append(item);
            return found;
        }
    }
    // No sync-collection: every ETag compared.
    auto all = collection.listAll();
    if (!all)
        return all.failure();
    for (auto item = all->cbegin(); item != all->cend(); ++item)
        if (etagOf.value(item.key()) != item.value() || item.value().isEmpty())
            found.changed.append({item.key(), item.value()});
    for (const SyncState::Item& item : known)
        if (!item.etag.isEmpty() && !all->contains(item.href))
            found.removed.append(item.href);
    return found;
}

} // namespace

bool prepareState(const QSqlDatabase& connection, const QString& collection, const QString& kind,
                  QString* why)
{
    SyncState state(connection);
    return SyncState::ensureTables(connection, why) && state.setKind(collection, kind, why) &&
           state.keepOnly(kind, collection, why);
}

Dav::Result<Incoming> incoming(Dav::Collection& collection, bool syncCollection,
                               const QList<SyncState::Item>& known, const QString& lastToken)
{
    auto found = find(collection, syncCollection, known, lastToken);
    if (!found)
        return found.failure();
    Incoming incoming{{}, found->removed, found->token};
    if (found->changed.isEmpty())
        return incoming;
    QStringList hrefs;
    for (const Dav::ItemVersion& item : std::as_const(found->changed))
        hrefs.append(item.href);
    auto fetched = collection.fetch(hrefs);
    if (!fetched)
        return fetched.failure();
    incoming.changed = fetched->items;
    incoming.removed.append(fetched->missing);
    return incoming;
}

Dav::Result<std::optional<Dav::Item>> fetchOne(Dav::Collection& collection, const QString& href)
{
    auto fetched = collection.fetch({href});
    if (!fetched)
        return fetched.failure();
    if (fetched->items.isEmpty())
        return std::optional<Dav::Item>();
    return std::optional<Dav::Item>(fetched->items.first());
}

} // namespace SyncSteps

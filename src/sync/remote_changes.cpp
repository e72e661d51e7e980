#include "remote_changes.h"

#include <QHash>
#include <QSet>

namespace RemoteChanges {

Dav::Result<Found> find(Dav::Collection& collection, bool syncCollection, const QList<SyncState::Item>& known,
                        const QString& lastToken)
{
    Found found;
    QHash<QString, QString> etagOf;
    for (const SyncState::Item& item : known)
        etagOf.insert(item.href, item.etag);

    if (syncCollection) {
        auto changes = collection.changesSince(lastToken);
        if (!changes)
            return changes.failure();
        // A token the server no longer takes: everything again, compared below.
        if (changes->tokenRejected && !lastToken.isEmpty()) {
            changes = collection.changesSince(QString());
            if (!changes)
                return changes.failure();
        }
        if (!changes->tokenRejected) {
            found.token = changes->newToken;
            found.removed = changes->removed;
            if (lastToken.isEmpty() || changes->changed.size() >= known.size()) {
                // A full listing: what we hold and the server has not is gone.
                QSet<QString> present;
                for (const Dav::ItemVersion& item : std::as_const(changes->changed))
                    present.insert(item.href);
                for (const SyncState::Item& item : known)
                    if (!item.etag.isEmpty() && !present.contains(item.href) && !found.removed.contains(item.href))
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

Dav::Result<QList<Dav::Item>> fetch(Dav::Collection& collection, Found* found)
{
    if (found->changed.isEmpty())
        return QList<Dav::Item>();
    QStringList hrefs;
    for (const Dav::ItemVersion& item : std::as_const(found->changed))
        hrefs.append(item.href);
    auto fetched = collection.fetch(hrefs);
    if (!fetched)
        return fetched.failure();
    found->removed.append(fetched->missing);
    return fetched->items;
}

} // namespace RemoteChanges

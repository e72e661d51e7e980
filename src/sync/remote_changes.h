#pragma once

#include "dav_collection.h"
#include "sync_state.h"

// What changed in a collection on the server since the last sync: by the
// server's sync token where it keeps one (a token it no longer takes means
// a full listing, compared), else by comparing every ETag with the sync state.
namespace RemoteChanges {

struct Found
{
    QList<Dav::ItemVersion> changed; // new, or with an ETag other than the state's
    QStringList removed;             // in the state and gone from the server
    QString token;                   // to keep once the changes are in; empty: none
};

Dav::Result<Found> find(Dav::Collection& collection, bool syncCollection, const QList<SyncState::Item>& known,
                        const QString& lastToken);

// The changed items fetched; those the server no longer has join removed.
Dav::Result<QList<Dav::Item>> fetch(Dav::Collection& collection, Found* found);

} // namespace RemoteChanges

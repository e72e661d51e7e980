#pragma once

#include "dav_collection.h"
#include "sync_state.h"

#include <optional>

// The steps the address book's and the reminders' syncs take alike: the
// sync state made ready, the server's changes found and fetched, one item
// read again, and the writes that go up in rounds.
namespace SyncSteps {

// The state's tables, with this collection as the one of its kind: what was
// kept for another collection of the kind is moot once the account syncs here.
bool prepareState(const QSqlDatabase& connection, const QString& collection, const QString& kind,
                  QString* why);

// What changed on the server since the last sync: by the server's sync token
// where it keeps one (a token it no longer takes means a full listing,
// compared), else by comparing every ETag with the sync state; the changed
// items fetched.
struct Incoming
{
    QList<Dav::Item> changed; // new, or with an ETag other than the state's
    QStringList removed;      // in the state and gone from the server
    QString token;            // to keep once the changes are in; empty: none
};
Dav::Result<Incoming> incoming(Dav::Collection& collection, bool syncCollection,
                               const QList<SyncState::Item>& known, const QString& lastToken);

// The item as the server holds it now; nullopt when it is gone.
Dav::Result<std::optional<Dav::Item>> fetchOne(Dav::Collection& collection, const QString& href);

// The writes that go up: each may bring more (a conflict's copy, an item
// that moved on), written in the next round, for at most rounds rounds;
// what is left then waits for the next sync.
template <typename Action, typename Write>
Dav::Result<bool> writeInRounds(QList<Action> upward, int rounds, Write write)
{
    for (int round = 0; !upward.isEmpty() && round < rounds; ++round) {
        QList<Action> more;
        for (const Action& action : std::as_const(upward))
            if (const Dav::Result<bool> done = write(action, &more); !done)
                return done.failure();
        upward = more;
    }
    return true;
}

} // namespace SyncSteps

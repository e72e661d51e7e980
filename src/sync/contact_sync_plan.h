#pragma once

#include "contact.h"
#include "sync_state.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// What one sync of the address book must do, decided from three views: what
// was last in step (the sync state), what changed on the server since, and
// the contacts as they are here now. No network and no database: the
// decisions alone, so that every case can be tried.
//
// Nothing is lost. A contact changed on both sides keeps both versions: the
// server's is taken, and the local one stays as a copy marked as a conflict
// that goes up as a new card. A deletion on one side and an edit on the
// other keeps the edited contact. On the first sync, a local contact and a
// server card with the same three names are one contact when their other
// fields do not disagree; when they do, it is a conflict as above.
namespace ContactSyncPlan {

struct Remote
{
    QString href;
    QString etag;
    QByteArray data;
    std::optional<Contact> contact; // nullopt: the card could not be read
    QByteArray fingerprint;         // of contact
};

struct Local
{
    qint64 key = 0;
    Contact contact;
    QByteArray fingerprint;
};

struct Input
{
    QList<SyncState::Item> state;
    QList<Remote> changed;  // new or changed on the server, fetched
    QStringList removed;    // gone from the server
    QList<Local> local;     // every contact here
};

enum class Kind {
    TakeRemote,   // the server's card into local row key; state := the card
    InsertRemote, // a new local contact from the server's card
    Pair,         // local row key is the server's card: state := the card; contact := the filled-in one
    DeleteLocal,  // gone from the server and unchanged here
    ForgetState,  // the state of href no longer stands for anything
    InsertCopy,   // the local version of a conflict, as a new contact (then PutNew)
    PutChanged,   // a local edit goes up into the server's card href (If-Match etag)
    PutNew,       // a contact without a card goes up (href empty: a new one is chosen)
    DeleteRemote, // deleted here, unchanged there
};

struct Action
{
    Kind kind;
    QString href;
    qint64 key = 0;      // the local row, where there is one
    Contact contact;     // what the local row or the card is to hold
    QByteArray data;     // the server's card, where one is involved
    QString etag;        // the server's ETag, where one is involved
    QByteArray fingerprint; // the digest of what was taken from the server
    // For a PutChanged or PutNew, the local digest this upload stands for:
    // what the state records once the server has it.
    QByteArray localFingerprint;
};

QList<Action> plan(const Input& input);

// The local version of a conflict, told apart by its names and its comment.
Contact conflictCopy(const Contact& local);
inline const QString kConflictSuffix = QStringLiteral(" (конфликт)");
inline const QString kConflictComment = QStringLiteral("Конфликт синхронизации");

// Two contacts with the same names whose other fields agree wherever both
// hold something: the one filled in from the other; nullopt when they differ.
std::optional<Contact> filledIn(const Contact& local, const Contact& remote);

} // namespace ContactSyncPlan

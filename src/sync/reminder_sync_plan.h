#pragma once

#include "reminder_event.h"
#include "sync_state.h"

#include <QList>
#include <QString>
#include <functional>

// What one sync of the reminders with a calendar must do, decided from what
// was last in step (the sync state), what changed on the server since, and
// the reminders as they are here now. No network and no database.
//
// A reminder here is an event there. An event is taken as a reminder while
// its moment is still to come (a recurring one gives its next occurrence,
// and the one after that once it has passed). A reminder deleted before its
// moment deletes its event; one dismissed after it rang leaves the event
// (the calendar's history) and does not bring it back. Nothing is lost on a
// conflict: the server's moment is taken, and the local version stays as a
// second reminder that goes up as an event of its own. A reminder that
// stands for an occurrence of a recurring event changes here only: the
// series on the server is not moved for one occurrence.
//
// The sync state's fingerprint of an event is the occurrence last in step
// (ReminderEvent::fingerprint), also when no reminder stands for it.
namespace ReminderSyncPlan {

using ReminderEvent::Occurrence;

struct Remote
{
    QString href;
    QString etag;
    QByteArray data;
};

struct Local
{
    qint64 key = 0;
    Occurrence reminder;
};

using Reader = std::function<ReminderEvent::Reading(const QByteArray& data, const QDateTime& notBefore)>;

struct Input
{
    QList<SyncState::Item> state;
    QList<Remote> changed; // new or changed on the server, fetched
    QStringList removed;   // gone from the server
    QList<Local> local;    // every reminder here
    QDateTime now;
    Reader read = ReminderEvent::read;
};

enum class Kind {
    TakeRemote,   // the event's occurrence into local row key; state := the event
    InsertRemote, // a new reminder from the event's occurrence
    Note,         // state := the event, nothing changes here (key: the reminder it stands for, or 0)
    DeleteLocal,  // the reminder goes; keepState: the event stays (state with key 0), else the state goes
    ForgetState,  // the state of href no longer stands for anything
    InsertCopy,   // the local version of a conflict, as a new reminder (then PutNew)
    PutChanged,   // a local change goes up into the server's event href (If-Match etag)
    PutNew,       // a reminder without an event goes up (href empty: a new one is chosen)
    DeleteRemote, // deleted here before its moment, unchanged there
};

struct Action
{
    Kind kind;
    QString href;
    qint64 key = 0;
    Occurrence reminder; // what the local row is to hold, or the local version to send
    QByteArray data;     // the server's event, where one is involved
    QString etag;
    QByteArray fingerprint; // the occurrence in step with the server, as the state keeps it
    bool keepState = false; // DeleteLocal: the event stays on the server
};

QList<Action> plan(const Input& input);

inline const QString kConflictPrefix = QStringLiteral("Конфликт синхронизации: ");
// The local version of a conflict: its text marked where the mark and the
// whole text fit, else the text alone.
Occurrence conflictCopy(const Occurrence& local);

// A cheap first look: data that may hold a rule is read to be sure.
bool mayRecur(const QByteArray& data);

} // namespace ReminderSyncPlan

#pragma once

#include "dav_collection.h"
#include "reminder_sync_plan.h"

#include <QDateTime>
#include <QString>

class ProfileDatabase;

// One sync of the reminders with a calendar on the server, run on a worker
// thread with a connection of its own to the profile, written as the
// address book's sync is: what comes down in one transaction with the sync
// state, each event that goes up recorded before it is sent and confirmed
// after.
class ReminderSync
{
public:
    struct Report
    {
        int down = 0; // reminders added or changed here
        int up = 0;   // events written on the server
        int deletedHere = 0;
        int deletedThere = 0;
        int conflicts = 0;  // reminders kept twice, the local version as a second one
        int refused = 0;    // writes the server would not take, tried again at the next sync
        int unreadable = 0; // events on the server that could not be read, left alone
    };

    // now: the moment that tells what is still to come; the time zone is the machine's.
    ReminderSync(Dav::Collection& collection, const Dav::CollectionInfo& info, ProfileDatabase& database,
                 const QDateTime& now = QDateTime::currentDateTime());

    Dav::Result<Report> run();

    inline static const QString kKind = QStringLiteral("calendar");

private:
    using Action = ReminderSyncPlan::Action;

    QList<ReminderSyncPlan::Local> readLocal() const;
    std::optional<ReminderSyncPlan::Local> localNow(qint64 key) const;
    Dav::Result<bool> applyDownward(const QList<Action>& actions, const QList<ReminderSyncPlan::Local>& local,
                                    const QString& token, QList<Action>* upward);
    Dav::Result<bool> putChanged(Action action, QList<Action>* more);
    Dav::Result<bool> putNew(const Action& action, QList<Action>* more);
    Dav::Result<bool> deleteRemote(const Action& action, QList<Action>* more);
    // An event that moved on while we wrote, planned anew against the reminder as it is now.
    Dav::Result<bool> replan(const QString& href, const std::optional<Dav::Item>& current,
                             QList<Action>* more);
    Dav::Failure databaseFailure(const QString& why) const;

    Dav::Collection& m_collection;
    Dav::CollectionInfo m_info;
    ProfileDatabase& m_database;
    QDateTime m_now;
    QString m_key; // the collection, as the sync state names it
    Report m_report;
};

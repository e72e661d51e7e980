#pragma once

#include "contact_sync_plan.h"
#include "dav_collection.h"

#include <QString>

class ProfileDatabase;

// One sync of the address book with an address book on the server, run on
// a worker thread with a connection of its own to the profile. What comes
// down is written with the sync state in one transaction; each card that
// goes up is recorded before it is sent and confirmed after, so a kill at any
// moment leaves the contacts and the state whole and the next sync goes on
// from there.
class ContactSync
{
public:
    struct Report
    {
        int down = 0; // contacts added or changed here
        int up = 0;   // cards written on the server
        int deletedHere = 0;
        int deletedThere = 0;
        int conflicts = 0;  // contacts kept twice, the local version as a copy
        int refused = 0;    // writes the server would not take, tried again at the next sync
        int unreadable = 0; // cards on the server that could not be read, left alone
    };

    ContactSync(Dav::Collection& collection, const Dav::CollectionInfo& info, ProfileDatabase& database);

    Dav::Result<Report> run();

    inline static const QString kKind = QStringLiteral("addressbook");

private:
    using Action = ContactSyncPlan::Action;

    QList<ContactSyncPlan::Local> readLocal() const;
    // The server's changes and the token, in one transaction; what must go
    // up as a result is added to upward.
    Dav::Result<bool> applyDownward(const QList<Action>& actions, const QList<ContactSyncPlan::Local>& local,
                                    const QString& token, QList<Action>* upward);
    Dav::Result<bool> putChanged(Action action, QList<Action>* more);
    Dav::Result<bool> putNew(const Action& action, QList<Action>* more);
    Dav::Result<bool> deleteRemote(const Action& action, QList<Action>* more);
    // What the server holds at href now, read; nullopt when it is gone.
    Dav::Result<std::optional<ContactSyncPlan::Remote>> fetchOne(const QString& href);
    // The local row's contact and digest now, or nullopt when it is gone.
    std::optional<ContactSyncPlan::Local> localNow(qint64 key) const;
    Dav::Failure databaseFailure(const QString& why) const;

    Dav::Collection& m_collection;
    Dav::CollectionInfo m_info;
    ProfileDatabase& m_database;
    QString m_key; // the collection, as the sync state names it
    Report m_report;
};

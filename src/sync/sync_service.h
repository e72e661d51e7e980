#pragma once

#include "dav_collection.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

// Syncs the address book and the reminders with the server on a worker
// thread, one sync at a time, so that the window never waits for the
// network. Also finds the address books and calendars of an account for the
// settings page. Results come back as signals on the thread that owns the
// service.
class SyncService : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SyncService)

public:
    struct Account
    {
        QString server;
        QString login;
        QString password;
        QString addressBook; // its address or its name; empty: the first found
        QString calendar;    // its address or its name; empty: the first that takes events
        QString acceptedCertificateSha256;
        QString documentsFolder;
        QString programFolder;
    };

    struct Outcome
    {
        bool ok = false;
        QString summary;              // in words, for the status bar and the settings page
        QString certificateSha256;    // a certificate no authority vouches for: its fingerprint
        int contactsChangedHere = 0;  // contacts added, changed or deleted here
        int remindersChangedHere = 0; // reminders added, changed or deleted here
    };

    // Where an account syncs to.
    struct Collections
    {
        QList<Dav::CollectionInfo> addressBooks;
        QList<Dav::CollectionInfo> calendars; // those that take events
    };

    explicit SyncService(QObject* parent = nullptr);
    ~SyncService() override;

    bool isRunning() const { return m_running; }
    // Starts a sync unless one runs; false when one runs.
    bool syncNow(const Account& account);
    // Lists the account's address books and calendars (finished comes as collectionsFound).
    bool findCollections(const Account& account);

    // What a sync of contacts or reminders says in words.
    enum class What { Contacts, Reminders };
    static QString summaryOf(What what, int down, int up, int deletedHere, int deletedThere, int conflicts,
                             int refused);

signals:
    void syncStarted();
    void syncFinished(const SyncService::Outcome& outcome);
    void collectionsFound(const SyncService::Collections& found, const QString& error,
                          const QString& certificateSha256);

private:
    bool startWorker(std::function<void()> work);
    Outcome syncOnce(const Account& account, const QDateTime& now);
    // The collections of the account, found once and kept.
    Dav::Result<Collections> collections(Dav::Client& client, const Account& account);

    // What was found for an account, kept between syncs so that a sync with
    // little to do asks the server for no more than the changes. Used by the
    // worker only; forgotten on any failure.
    QString m_knownFor;
    std::optional<Collections> m_known;

    std::thread m_worker;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancel{false};
};

Q_DECLARE_METATYPE(SyncService::Outcome)
Q_DECLARE_METATYPE(SyncService::Collections)

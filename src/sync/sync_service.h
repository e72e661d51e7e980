#pragma once

#include "dav_collection.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

// Syncs the address book with the server on a worker thread, one sync at a
// time, so that the window never waits for the network. Also finds the
// address books of an account for the settings page. Results come back as
// signals on the thread that owns the service.
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
        QString acceptedCertificateSha256;
        QString documentsFolder;
        QString programFolder;
    };

    struct Outcome
    {
        bool ok = false;
        QString summary;           // in words, for the status bar and the settings page
        QString certificateSha256; // a certificate no authority vouches for: its fingerprint
        int changedHere = 0;       // contacts added, changed or deleted here
    };

    explicit SyncService(QObject* parent = nullptr);
    ~SyncService() override;

    bool isRunning() const { return m_running; }
    // Starts a sync unless one runs; false when one runs.
    bool syncNow(const Account& account);
    // Lists the account's address books (finished comes as booksFound).
    bool findBooks(const Account& account);

    // What a sync says in words.
    static QString summaryOf(int down, int up, int deletedHere, int deletedThere, int conflicts);

signals:
    void syncStarted();
    void syncFinished(const SyncService::Outcome& outcome);
    void booksFound(const QList<Dav::CollectionInfo>& books, const QString& error,
                    const QString& certificateSha256);

private:
    bool startWorker(std::function<void()> work);
    Outcome syncOnce(const Account& account);

    // The address book found for an account, kept between syncs so that a
    // sync with little to do asks the server for no more than the changes.
    // Used by the worker only; forgotten on any failure.
    QString m_knownFor;
    std::optional<Dav::CollectionInfo> m_knownBook;

    std::thread m_worker;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancel{false};
};

Q_DECLARE_METATYPE(SyncService::Outcome)

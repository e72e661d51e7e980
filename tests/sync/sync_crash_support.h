#pragma once

#include <QStringList>
#include <QUrl>
#include <functional>

class ProfileDatabase;
class RadicaleServer;
class TestHome;

// What the crash tests of the sync share: a child process runs one sync and
// is killed with SIGKILL at random moments, each time against the server's
// storage and the profile put back as the test made them. After each kill
// the profile must be whole and its sync state sound; a second sync run to
// its end must then leave the server and the profile with the expected
// items: every one of both sides, none twice.
namespace SyncCrashSupport {

QStringList sorted(QStringList list);

// What differs between the items found and those expected, for a failure.
QString difference(const QStringList& found, const QStringList& expected);

// One whole sync in this process: its failure, empty when it went through.
using SyncOnce = std::function<QString(const QUrl& root, ProfileDatabase& database)>;

// The child: open the profile, say so, sync once, end.
int runChild(int argc, char** argv, const SyncOnce& syncOnce);

struct KilledSyncs
{
    RadicaleServer& server;
    const TestHome& home;
    QStringList expected;
    // The items of each side, sorted, one entry an item.
    std::function<QStringList(const QUrl& root, QString* error)> serverItems;
    std::function<QStringList(ProfileDatabase& database)> localItems;
    // What is wrong with the sync state; empty when nothing.
    std::function<QString(ProfileDatabase& database)> stateFault;
    SyncOnce syncOnce;

    struct Outcome
    {
        QString failure; // empty: every kill passed
        qint64 wholeRun = 0;
        int kills = 0;
        int interrupted = 0; // kills that fell before the server's items had come down
    };
    // The server and the profile as they are now are the pristine ones; the
    // child is this program, run with the profile's folders and the server's root.
    Outcome run(int defaultKills);
};

} // namespace SyncCrashSupport

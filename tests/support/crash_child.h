#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

class ProfileDatabase;

// Crash tests run their own program a second time as a child that opens the
// real data, says "ready", does one real write and is killed with SIGKILL
// part-way through it.
namespace CrashChild {

// Kills per case: QUILLARBOR_CRASH_KILLS when it holds a positive number,
// else the test's own default (CI keeps the default).
int kills(int byDefault);

// The child side: started with "--crash-child" first; the rest are its arguments.
bool isChild(int argc, char** argv);
QStringList arguments(int argc, char** argv);
void sayReady();

// The parent side.
struct Run
{
    bool ready = false;
    int exitCode = -1;
    // From "ready" to the end of the child.
    qint64 milliseconds = 0;
    QByteArray errors;
};
// Runs a child to its end.
Run runToEnd(const QStringList& arguments);
// Starts a child and kills it the given time after it said "ready"; false
// when it never said so.
bool killAfter(const QStringList& arguments, qint64 delay, QByteArray* errors = nullptr);
// Somewhere in [0, duration].
qint64 randomDelay(qint64 duration);

// The profile as start-up opens it, then SQLite's integrity check: an empty
// text when the profile is whole, else what is wrong.
QString openWhole(ProfileDatabase& database, const QString& documents, const QString& programFolder);
// Every row of a table in row order, each row its values joined: a table's
// whole content, to compare with what it held before or should hold after.
QStringList rowsOf(const QSqlDatabase& connection, const QString& table);
// Files of a folder other than the expected ones, hidden ones too.
QStringList strayFiles(const QString& folder, const QStringList& expected);

// A write to the profile database, killed again and again. The profile as it
// is now is the old state; one child run to its end gives the new one; then
// each child is killed at a random moment, the profile put back between
// kills. After each kill the profile must open whole, hold exactly the old
// content or exactly the new, keep no file but itself, and pass `starts`
// (what start-up reads of it; an empty text when it went well). The profile
// is left in the new state. A child
// that makes a series of changes, each whole in itself, may also leave one
// of the states `between` them.
struct ProfileKills
{
    QString failure; // empty when every kill left the old or the new
    int old = 0;
    int fresh = 0;
    int between = 0;
    qint64 milliseconds = 0; // of the whole run
};
ProfileKills killProfileWrite(const QString& documents, const QString& programFolder,
                              const QStringList& childArguments, int kills,
                              const std::function<QStringList(ProfileDatabase&)>& content,
                              const std::function<QString(ProfileDatabase&)>& starts,
                              const QList<QStringList>& between = {});

} // namespace CrashChild

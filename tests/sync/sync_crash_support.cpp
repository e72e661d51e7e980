#include "sync_crash_support.h"

#include "crash_child.h"
#include "profile_database.h"
#include "radicale_server.h"
#include "test_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace SyncCrashSupport {

namespace {

bool copyFolder(const QString& from, const QString& to)
{
    QDir(to).removeRecursively();
    if (!QDir().mkpath(to))
        return false;
    const QDir source(from);
    for (const QFileInfo& entry : source.entryInfoList(QDir::Dirs | QDir::Files | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir() ? !copyFolder(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

} // namespace

int runChild(int argc, char** argv, const SyncOnce& syncOnce)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = CrashChild::arguments(argc, argv);
    if (arguments.size() != 3)
        return 2;
    ProfileDatabase database;
    if (!database.open(arguments[0], arguments[1]))
        return 2;
    CrashChild::sayReady();
    if (const QString failed = syncOnce(QUrl(arguments[2]), database); !failed.isEmpty()) {
        std::fprintf(stderr, "sync: %s\n", qPrintable(failed));
        return 3;
    }
    return 0;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QString difference(const QStringList& found, const QStringList& expected)
{
    QStringList extra = found;
    QStringList missing;
    for (const QString& name : expected)
        if (!extra.removeOne(name))
            missing.append(name);
    return QStringLiteral("%1 found, %2 expected; missing: %3; extra or twice: %4")
        .arg(found.size())
        .arg(expected.size())
        .arg(missing.mid(0, 5).join(QStringLiteral(", ")), extra.mid(0, 5).join(QStringLiteral(", ")));
}

KilledSyncs::Outcome KilledSyncs::run(int defaultKills)
{
    Outcome outcome;
    // The pristine server and profile, put back before every child.
    server.stop();
    const QString pristineStorage = home.path() + QStringLiteral("/pristine-storage");
    const QString pristineProfile = home.path() + QStringLiteral("/pristine.mdb");
    const QString profile = ProfileDatabase::profileFile(home.documents());
    if (!copyFolder(server.storageFolder(), pristineStorage) || !QFile::copy(profile, pristineProfile)) {
        outcome.failure = QStringLiteral("cannot keep the pristine server and profile");
        return outcome;
    }
    const auto putBack = [&] {
        server.stop();
        QFile::remove(profile);
        QFile::remove(profile + QStringLiteral("-journal"));
        return copyFolder(pristineStorage, server.storageFolder()) && QFile::copy(pristineProfile, profile) &&
               server.restart();
    };
    const auto childArguments = [&] {
        return QStringList{home.documents(), TestHome::programFolder(), server.root().toString()};
    };
    // Both sides after a whole sync: the same items, each once.
    const auto checkBothSides = [&](const QString& when) {
        QString error;
        const QStringList there = serverItems(server.root(), &error);
        if (!error.isEmpty())
            return when + QStringLiteral(": the server's items: ") + error;
        if (there != expected)
            return when + QStringLiteral(": server ") + difference(there, expected);
        ProfileDatabase database;
        const QString whole = CrashChild::openWhole(database, home.documents(), TestHome::programFolder());
        if (!whole.isEmpty())
            return when + QStringLiteral(": ") + whole;
        const QStringList here = localItems(database);
        if (here != expected)
            return when + QStringLiteral(": profile ") + difference(here, expected);
        return QString();
    };

    // One whole run gives the time within which the kills fall.
    if (!putBack()) {
        outcome.failure = server.error();
        return outcome;
    }
    const CrashChild::Run whole = CrashChild::runToEnd(childArguments());
    if (!whole.ready || whole.exitCode != 0) {
        outcome.failure = QStringLiteral("a whole sync: ") + QString::fromLocal8Bit(whole.errors);
        return outcome;
    }
    outcome.failure = checkBothSides(QStringLiteral("after a whole sync"));
    if (!outcome.failure.isEmpty())
        return outcome;
    outcome.wholeRun = qMax<qint64>(1, whole.milliseconds);

    outcome.kills = CrashChild::kills(defaultKills);
    for (int kill = 0; kill < outcome.kills; ++kill) {
        if (!putBack()) {
            outcome.failure = server.error();
            return outcome;
        }
        // Every other kill falls in the first tenth of the run, where the
        // server's items are listed, fetched and written down in one
        // transaction; the rest anywhere, mostly among the uploads.
        const qint64 delay = CrashChild::randomDelay(kill % 2 == 0 ? qMax<qint64>(1, outcome.wholeRun / 10)
                                                                   : outcome.wholeRun);
        QByteArray errors;
        if (!CrashChild::killAfter(childArguments(), delay, &errors)) {
            outcome.failure = QString::fromLocal8Bit(errors);
            return outcome;
        }
        const QString when = QStringLiteral("kill %1 after %2 ms").arg(kill).arg(delay);
        {
            ProfileDatabase database;
            QString fault = CrashChild::openWhole(database, home.documents(), TestHome::programFolder());
            if (fault.isEmpty())
                fault = stateFault(database);
            if (!fault.isEmpty()) {
                outcome.failure = when + QStringLiteral(": ") + fault;
                return outcome;
            }
            if (localItems(database) != expected)
                ++outcome.interrupted;
            if (const QString failed = syncOnce(server.root(), database); !failed.isEmpty()) {
                outcome.failure = when + QStringLiteral(", the next sync: ") + failed;
                return outcome;
            }
        }
        outcome.failure = checkBothSides(when + QStringLiteral(", then a whole sync"));
        if (!outcome.failure.isEmpty())
            return outcome;
    }
    return outcome;
}

} // namespace SyncCrashSupport

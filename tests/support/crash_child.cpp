#include "crash_child.h"

#include "profile_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <cstdio>

namespace CrashChild {

namespace {

const QByteArray kMark = QByteArrayLiteral("--crash-child");

bool startReady(QProcess& child, const QStringList& arguments)
{
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QCoreApplication::applicationFilePath(), QStringList{QString::fromLatin1(kMark)} + arguments);
    if (!child.waitForStarted(20000))
        return false;
    // Start-up of a child under the sanitizers may be slow.
    while (!child.canReadLine())
        if (!child.waitForReadyRead(60000))
            return false;
    return child.readLine().trimmed() == "ready";
}

} // namespace

int kills(int byDefault)
{
    bool ok = false;
    const int asked = qEnvironmentVariableIntValue("QUILLARBOR_CRASH_KILLS", &ok);
    return ok && asked > 0 ? asked : byDefault;
}

bool isChild(int argc, char** argv)
{
    return argc >= 2 && QByteArray(argv[1]) == kMark;
}

QStringList arguments(int argc, char** argv)
{
    QStringList list;
    for (int n = 2; n < argc; ++n)
        list.append(QString::fromLocal8Bit(argv[n]));
    return list;
}

void sayReady()
{
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
}

Run runToEnd(const QStringList& arguments)
{
    Run run;
    QProcess child;
    run.ready = startReady(child, arguments);
    QElapsedTimer clock;
    clock.start();
    if (!child.waitForFinished(120000))
        child.kill();
    child.waitForFinished(10000);
    run.milliseconds = clock.elapsed();
    run.errors = child.readAllStandardError();
    run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    return run;
}

bool killAfter(const QStringList& arguments, qint64 delay, QByteArray* errors)
{
    QProcess child;
    const bool ready = startReady(child, arguments);
    if (ready)
        QThread::msleep(quint64(delay));
    child.kill();
    child.waitForFinished(10000);
    if (errors)
        *errors = child.readAllStandardError();
    return ready;
}

qint64 randomDelay(qint64 duration)
{
    return QRandomGenerator::global()->bounded(qMax<qint64>(1, duration) + 1);
}

QString openWhole(ProfileDatabase& database, const QString& documents, const QString& programFolder)
{
    QString error;
    if (!database.open(documents, programFolder, &error))
        return QStringLiteral("the profile does not open: ") + error;
    QSqlQuery integrity(database.BigBd());
    if (!integrity.exec(QStringLiteral("PRAGMA integrity_check")) || !integrity.next())
        return QStringLiteral("no integrity check");
    const QString verdict = integrity.value(0).toString();
    return verdict == QLatin1String("ok") ? QString() : QStringLiteral("integrity check: ") + verdict;
}

QStringList rowsOf(const QSqlDatabase& connection, const QString& table)
{
    QStringList rows;
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    QString quoted = table;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    if (!query.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(quoted)))
        return {QStringLiteral("cannot read %1").arg(table)};
    while (query.next()) {
        QStringList values;
        for (int n = 0; n < query.record().count(); ++n)
            values.append(query.value(n).isNull() ? QStringLiteral("<null>") : query.value(n).toString());
        rows.append(values.join(QLatin1Char('\x1f')));
    }
    return rows;
}

QStringList strayFiles(const QString& folder, const QStringList& expected)
{
    QStringList stray;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (!expected.contains(name))
            stray.append(name);
    return stray;
}

ProfileKills killProfileWrite(const QString& documents, const QString& programFolder,
                              const QStringList& childArguments, int kills,
                              const std::function<QStringList(ProfileDatabase&)>& content,
                              const std::function<QString(ProfileDatabase&)>& starts,
                              const QList<QStringList>& between)
{
    ProfileKills result;
    const QString folder = ProfileDatabase::profileFolder(documents);
    const QString file = ProfileDatabase::profileFile(documents);
    const QString pristine = documents + QStringLiteral("/../pristine.mdb");
    QFile::remove(pristine);
    if (!QFile::copy(file, pristine))
        return {QStringLiteral("cannot keep a copy of the profile")};
    const auto putBack = [&] {
        QFile::remove(file);
        QFile::remove(file + QStringLiteral("-journal"));
        return QFile::copy(pristine, file);
    };
    // What the profile holds, and whether start-up takes it; empty content when it does not open.
    const auto inspect = [&](QString* failure) {
        QStringList rows;
        {
            ProfileDatabase database;
            *failure = openWhole(database, documents, programFolder);
            if (failure->isEmpty())
                rows = content(database);
            if (failure->isEmpty())
                *failure = starts(database);
        }
        QStringList stray = strayFiles(folder, {QStringLiteral("profile.mdb")});
        // A kill just as SQLite began its journal leaves it empty: SQLite
        // itself sees such a journal as no journal and clears it with the next
        // change. A journal with content would have been rolled back on opening.
        QFile journal(file + QStringLiteral("-journal"));
        if (journal.open(QIODevice::ReadOnly) && journal.read(1).leftJustified(1, '\0').at(0) == '\0')
            stray.removeAll(QStringLiteral("profile.mdb-journal"));
        if (failure->isEmpty() && !stray.isEmpty())
            *failure = QStringLiteral("left behind: ") + stray.join(QStringLiteral(", "));
        return rows;
    };

    QString failure;
    const QStringList before = inspect(&failure);
    if (!failure.isEmpty())
        return {QStringLiteral("before the write: ") + failure};
    const Run whole = runToEnd(childArguments);
    if (!whole.ready || whole.exitCode != 0)
        return {QStringLiteral("the write did not finish (exit %1): %2")
                    .arg(whole.exitCode)
                    .arg(QString::fromLocal8Bit(whole.errors))};
    result.milliseconds = qMax<qint64>(1, whole.milliseconds);
    const QStringList after = inspect(&failure);
    if (!failure.isEmpty())
        return {QStringLiteral("after the whole write: ") + failure};
    const QString finished = documents + QStringLiteral("/../finished.mdb");
    QFile::remove(finished);
    if (!QFile::copy(file, finished))
        return {QStringLiteral("cannot keep a copy of the new profile")};
    if (after == before)
        return {QStringLiteral("the write changed nothing")};

    for (int kill = 0; kill < kills; ++kill) {
        if (!putBack())
            return {QStringLiteral("cannot put the profile back")};
        QByteArray errors;
        if (!killAfter(childArguments, randomDelay(result.milliseconds), &errors)) {
            result.failure = QStringLiteral("kill %1: the child did not start: %2")
                                 .arg(kill)
                                 .arg(QString::fromLocal8Bit(errors));
            return result;
        }
        const QStringList now = inspect(&failure);
        if (!failure.isEmpty()) {
            result.failure = QStringLiteral("kill %1: %2").arg(kill).arg(failure);
            return result;
        }
        if (now == before) {
            ++result.old;
        } else if (now == after) {
            ++result.fresh;
        } else if (between.contains(now)) {
            ++result.between;
        } else {
            result.failure = QStringLiteral("kill %1: %2 rows, neither the old %3 nor the new %4")
                                 .arg(kill)
                                 .arg(now.size())
                                 .arg(before.size())
                                 .arg(after.size());
            return result;
        }
    }
    // What the caller finds is the new state.
    QFile::remove(file);
    QFile::remove(file + QStringLiteral("-journal"));
    if (!QFile::copy(finished, file))
        result.failure = QStringLiteral("cannot put the new profile back");
    QFile::remove(pristine);
    QFile::remove(finished);
    return result;
}

} // namespace CrashChild

#pragma once

#include "dav_result.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

// What the sync benchmarks share: ending on a failure, and vdirsyncer
// pulling a collection into a folder for comparison.
namespace SyncBenchSupport {

inline const QString kLogin = QStringLiteral("anna");
inline const QString kPassword = QStringLiteral("secret");

[[noreturn]] inline void fail(const QString& what)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(what));
    std::exit(1);
}

inline double milliseconds(const QElapsedTimer& clock)
{
    return clock.nsecsElapsed() / 1e6;
}

template <typename T> const T& must(const Dav::Result<T>& result, const char* what)
{
    if (!result)
        fail(QStringLiteral("%1: %2").arg(QLatin1String(what), result.failure().message));
    return result.value();
}

// vdirsyncer pulling the collection (type "carddav" or "caldav") into a
// folder of files with the extension; the time of `sync`, after `discover`.
inline double timeVdirsyncer(const QString& folder, const QString& type, const QUrl& url,
                             const QString& extension, int* files)
{
    QDir(folder).mkpath(QStringLiteral("status"));
    QDir(folder).mkpath(QStringLiteral("items"));
    const QString config = folder + QStringLiteral("/config");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write the vdirsyncer configuration"));
    file.write(
        QStringLiteral("[general]\nstatus_path = \"%1/status/\"\n\n"
                       "[pair items]\na = \"items_local\"\nb = \"items_remote\"\ncollections = null\n\n"
                       "[storage items_local]\ntype = \"filesystem\"\npath = \"%1/items/\"\n"
                       "fileext = \"%5\"\n\n"
                       "[storage items_remote]\ntype = \"%6\"\nurl = \"%2\"\n"
                       "username = \"%3\"\npassword = \"%4\"\n")
            .arg(folder, url.toString(), kLogin, kPassword, extension, type)
            .toUtf8());
    file.close();
    const auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("/usr/bin/vdirsyncer"),
                      QStringList{QStringLiteral("-c"), config} + arguments);
        process.waitForStarted();
        // Any question is answered yes; none is expected with the folder made.
        process.write(QByteArray("y\n").repeated(8));
        process.closeWriteChannel();
        if (!process.waitForFinished(600000) || process.exitCode() != 0)
            fail(QStringLiteral("vdirsyncer %1: %2")
                     .arg(arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(process.readAll())));
    };
    run({QStringLiteral("discover")});
    QElapsedTimer clock;
    clock.start();
    run({QStringLiteral("sync")});
    const double ms = milliseconds(clock);
    *files =
        QDir(folder + QStringLiteral("/items")).entryList({QLatin1Char('*') + extension}, QDir::Files).size();
    return ms;
}

} // namespace SyncBenchSupport

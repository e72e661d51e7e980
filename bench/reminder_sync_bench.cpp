// The reminders sync against a real Radicale on loopback with a large
// calendar: the first sync of an empty profile taking every event, a sync
// after one change on each side, one with nothing changed, and Debian's
// vdirsyncer pulling the same calendar into a folder, for comparison. Then
// the due-item monitor's tick over a profile holding all those reminders.
// Everything happens under a temporary HOME.
//
//   bench_reminder_sync [events] [runs]   (default: 20000 events, 3 runs)
#include "bench_support.h"
#include "due_item_monitor.h"
#include "due_items.h"
#include "monitor_switch.h"
#include "profile_database.h"
#include "radicale_server.h"
#include "reminder_event.h"
#include "reminder_sync.h"
#include "sync_bench_support.h"
#include "sync_state.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace SyncBenchSupport;

// Event n: from tomorrow on, one every 37 minutes, each with a place and an
// alarm, as a phone writes them.
QByteArray eventOf(int n, const QDateTime& now)
{
    const QDateTime start = QDateTime(now.date().addDays(1), QTime(8, 0)).addSecs(qint64(n) * 37 * 60);
    return "BEGIN:VEVENT\r\nUID:bench-" + QByteArray::number(n) +
           "\r\nDTSTAMP:20260101T000000Z\r\n"
           "DTSTART:" +
           start.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1() +
           "\r\nDURATION:PT1H\r\nSUMMARY:Встреча №" + QByteArray::number(n) +
           " в переговорной\r\n"
           "LOCATION:Офис\\, 3 этаж\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Скоро\r\n"
           "TRIGGER:-PT10M\r\nEND:VALARM\r\nEND:VEVENT\r\n";
}

struct Timed
{
    double ms = 0;
    ReminderSync::Report report;
};

Timed timeSync(Dav::Client& client, const Dav::CollectionInfo& info, ProfileDatabase& database)
{
    QElapsedTimer clock;
    clock.start();
    Dav::Collection collection(client, info.url, Dav::CollectionKind::Calendar);
    const auto report = ReminderSync(collection, info, database).run();
    const double ms = milliseconds(clock);
    return {ms, must(report, "sync")};
}

QString reportText(const ReminderSync::Report& report)
{
    return QStringLiteral("down %1, up %2, deleted here %3, there %4, conflicts %5")
        .arg(report.down)
        .arg(report.up)
        .arg(report.deletedHere)
        .arg(report.deletedThere)
        .arg(report.conflicts);
}

void printRow(const char* what, const QList<double>& values, int decimals = 0)
{
    QStringList each;
    for (double value : values)
        each.append(QString::number(value, 'f', decimals));
    std::printf("  %-58s %10.*f   (%s)\n", what, decimals + 1, BenchSupport::median(values),
                qPrintable(each.join(QStringLiteral(", "))));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_reminder_sync"));
    const int events = argc > 1 ? qMax(10, QByteArray(argv[1]).toInt()) : 20000;
    const int runs = argc > 2 ? qMax(1, QByteArray(argv[2]).toInt()) : 3;

    QTemporaryDir home;
    if (!home.isValid())
        fail(QStringLiteral("no temporary folder"));
    BenchSupport::useHome(home.path());

    RadicaleServer server;
    if (!server.isRunning())
        fail(QStringLiteral("Radicale: ") + server.error());
    Dav::Client client({server.root(), kLogin, kPassword, {}});
    const QUrl url = server.principal(kLogin).resolved(QUrl(QStringLiteral("calendar/")));
    must(Dav::createCollection(client, url, Dav::CollectionKind::Calendar, QStringLiteral("Календарь"),
                               {QStringLiteral("VEVENT"), QStringLiteral("VTODO")}),
         "create the calendar");
    std::printf("bench_reminder_sync: %d events on Radicale at %s, %d runs of the first sync\n", events,
                qPrintable(server.root().toString()), runs);

    // The events are laid into Radicale's storage while it is stopped, one
    // file an event as it keeps them: written over HTTP, so many take it
    // minutes.
    QElapsedTimer clock;
    clock.start();
    const QDateTime now = QDateTime::currentDateTime();
    server.stop();
    const QString folder =
        server.storageFolder() + QStringLiteral("/collection-root/") + kLogin + QStringLiteral("/calendar/");
    for (int n = 0; n < events; ++n) {
        QFile file(folder + QStringLiteral("bench-%1.ics").arg(n));
        if (!file.open(QIODevice::WriteOnly))
            fail(QStringLiteral("cannot write ") + file.fileName());
        file.write("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//RU\r\n" + eventOf(n, now) +
                   "END:VCALENDAR\r\n");
    }
    const QUrl root = server.root();
    if (!server.restart() || server.root() != root)
        fail(QStringLiteral("Radicale did not start again at %1: %2").arg(root.toString(), server.error()));
    Dav::Collection calendar(client, url, Dav::CollectionKind::Calendar);
    // Radicale reads every event once to fill its cache, as it would have
    // while taking them over HTTP: one sync-collection listing that waits as
    // long as that takes (the sync's client gives up on a server silent for
    // a minute; Radicale's PROPFIND of a large calendar is slower still, so
    // the count below comes from sync-collection too).
    QProcess warm;
    warm.setProcessChannelMode(QProcess::MergedChannels);
    warm.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral(
                    "import base64, sys, urllib.request\n"
                    "request = urllib.request.Request(sys.argv[1], method='REPORT', headers={'Depth': '0', "
                    "'Authorization': 'Basic ' + base64.b64encode(sys.argv[2].encode()).decode()}, "
                    "data=b'<sync-collection xmlns=\"DAV:\"><sync-token/><sync-level>1</sync-level>"
                    "<prop><getetag/></prop></sync-collection>')\n"
                    "urllib.request.urlopen(request, timeout=3600).read()\n"),
                url.toString(), kLogin + QLatin1Char(':') + kPassword});
    if (!warm.waitForFinished(3600000) || warm.exitCode() != 0)
        fail(QStringLiteral("warming Radicale up: ") + QString::fromLocal8Bit(warm.readAll()));
    if (const int there = int(must(calendar.changesSince(QString()), "list").changed.size()); there != events)
        fail(QStringLiteral("%1 events of %2 on the server").arg(there).arg(events));
    std::printf("laid %d events into the storage in %.1f s\n\n", events, milliseconds(clock) / 1000);
    const Dav::CollectionInfo info = must(calendar.describe(), "describe");

    // The server's part of a first sync alone: the listing and the fetching it asks for.
    QList<double> listing, fetching;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer part;
        part.start();
        const Dav::Changes changes = must(calendar.changesSince(QString()), "sync-collection");
        listing.append(milliseconds(part));
        QStringList hrefs;
        for (const Dav::ItemVersion& item : changes.changed)
            hrefs.append(item.href);
        part.restart();
        must(calendar.fetch(hrefs), "multiget");
        fetching.append(milliseconds(part));
    }

    // (a) The first sync of an empty profile, each time in a fresh one.
    QList<double> first;
    ReminderSync::Report firstReport;
    for (int run = 0; run < runs; ++run) {
        ProfileDatabase database;
        QString why;
        if (!database.open(home.path() + QStringLiteral("/first%1").arg(run),
                           QStringLiteral(QUILL_PROGRAM_DIR), &why))
            fail(why);
        const Timed timed = timeSync(client, info, database);
        first.append(timed.ms);
        firstReport = timed.report;
        if (timed.report.down != events)
            fail(QStringLiteral("the first sync brought %1 of %2").arg(timed.report.down).arg(events));
    }

    // (b) One change on each side, then a sync; then one with nothing changed.
    QList<double> small, unchanged, ticks, fetchOne, putOne;
    ReminderSync::Report smallReport;
    ProfileDatabase database;
    QString why;
    if (!database.open(home.path() + QStringLiteral("/first0"), QStringLiteral(QUILL_PROGRAM_DIR), &why))
        fail(why);
    DueItems items(database);
    const QList<TableObject::Row> rows = database.EventsTable.rows({}, 8);
    for (int round = 0; round < 5; ++round) {
        // Here: one reminder put off by an hour.
        const auto reminder = items.reminder(rows[round].key);
        if (items.postponeReminder(reminder->key, reminder->moment.addSecs(3600)) != DueItems::Written::Done)
            fail(QStringLiteral("local edit"));
        // There: another event's summary, written over its current version.
        // Its two calls are the kinds the sync makes for one change each way:
        // they are timed as the server's share of that sync.
        const QString href = url.path() + QStringLiteral("bench-%1.ics").arg(events - 1 - round);
        QElapsedTimer part;
        part.start();
        const Dav::Fetched current = must(calendar.fetch({href}), "fetch one");
        fetchOne.append(milliseconds(part));
        if (current.items.isEmpty())
            fail(QStringLiteral("no event at ") + href);
        QByteArray edited = current.items.first().data;
        edited.replace("в переговорной", "в зале");
        part.restart();
        must(calendar.put(href, edited, current.items.first().etag), "remote edit");
        putOne.append(milliseconds(part));

        const Timed timed = timeSync(client, info, database);
        small.append(timed.ms);
        smallReport = timed.report;
        if (timed.report.down != 1 || timed.report.up != 1)
            fail(QStringLiteral("one change on each side: ") + reportText(timed.report));
        unchanged.append(timeSync(client, info, database).ms);
    }

    // What a sync with nothing to do spends, part by part, through the same calls.
    QList<double> idleChanges, idleState, idleLocal;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer part;
        part.start();
        const SyncState state(database.BigBd());
        must(calendar.changesSince(state.token(url.toString())), "sync-collection");
        idleChanges.append(milliseconds(part));
        part.restart();
        state.items(url.toString());
        idleState.append(milliseconds(part));
        part.restart();
        for (const TableObject::Row& row : database.EventsTable.rows())
            ReminderEvent::fingerprint({row.value(QStringLiteral("Текст")).toString(),
                                        row.value(QStringLiteral("Дата")).toDateTime()});
        idleLocal.append(milliseconds(part));
    }

    // (c) The monitor's tick over the synced profile, nothing due.
    {
        QWidget window;
        QTimer timer;
        MonitorSwitch monitorSwitch(&timer);
        DueItemMonitor monitor(database, monitorSwitch, &window);
        for (int round = 0; round < 7; ++round) {
            QElapsedTimer tick;
            tick.start();
            constexpr int kTicks = 1000;
            for (int n = 0; n < kTicks; ++n)
                monitor.tick();
            ticks.append(tick.nsecsElapsed() / 1e3 / kTicks);
        }
    }

    // (d) vdirsyncer on the same calendar.
    int files = 0;
    const double vdirsyncer = timeVdirsyncer(home.path() + QStringLiteral("/vdirsyncer"),
                                             QStringLiteral("caldav"), url, QStringLiteral(".ics"), &files);
    if (files != events)
        fail(QStringLiteral("vdirsyncer wrote %1 events of %2").arg(files).arg(events));

    std::printf("%-60s %10s   %s\n", "", "median ms", "(each run)");
    std::printf("(a) first sync of an empty profile, %d events (%s)\n", events,
                qPrintable(reportText(firstReport)));
    printRow("ReminderSync::run", first);
    std::printf("    of which the server's part, through the same calls:\n");
    printRow("  listing (sync-collection from no token)", listing);
    printRow(
        qPrintable(
            QStringLiteral("  fetching (calendar-multiget, %1 a request)").arg(Dav::Collection::kFetchBatch)),
        fetching);
    std::printf("(b) one reminder put off here, one event renamed there (%s)\n",
                qPrintable(reportText(smallReport)));
    printRow("ReminderSync::run after the two edits", small);
    printRow("ReminderSync::run with nothing changed", unchanged);
    std::printf("    with nothing changed, its parts, through the same calls:\n");
    printRow("  sync-collection from the last token", idleChanges);
    printRow("  reading the sync state (SyncState::items)", idleState);
    printRow("  reading every reminder and its fingerprint", idleLocal);
    std::printf("    the server's own calls for one change each way:\n");
    printRow("  calendar-multiget of one event", fetchOne);
    printRow("  PUT of one event (If-Match)", putOne);
    const double floor =
        BenchSupport::median(idleChanges) + BenchSupport::median(fetchOne) + BenchSupport::median(putOne);
    std::printf(
        "    the server alone: %.0f ms (sync-collection + multiget + PUT); the client's share: %.0f ms\n",
        floor, BenchSupport::median(small) - floor);
    std::printf("    target: under 1000 ms -> %s\n", BenchSupport::median(small) < 1000 ? "met" : "MISSED");
    std::printf("(c) the due-item monitor's tick, %d reminders, nothing due (microseconds)\n",
                database.EventsTable.count());
    printRow("DueItemMonitor::tick", ticks, 1);
    std::printf("(d) vdirsyncer sync into a folder, %d events\n", files);
    printRow("vdirsyncer -c config sync (after discover)", {vdirsyncer});
    std::printf("\nratio first sync / vdirsyncer: %.2f\n", BenchSupport::median(first) / vdirsyncer);
    return 0;
}

// A child process runs one sync of the reminders with a real Radicale
// calendar and is killed with SIGKILL at a random moment. The server holds
// events, the profile other reminders and some that are the same as events
// (these pair up). After each kill the profile must be whole and its sync
// state sound; a second sync run to its end must then leave the server and
// the profile with the same reminders: every one of both sides, none twice.
#include "crash_child.h"
#include "profile_database.h"
#include "radicale_server.h"
#include "reminder_event.h"
#include "reminder_sync.h"
#include "sync_crash_support.h"
#include "test_home.h"

#include <QCoreApplication>
#include <QSet>
#include <QSqlQuery>
#include <QTest>
#include <QTimeZone>
#include <cstdio>

namespace {

using namespace SyncCrashSupport;
using ReminderEvent::Occurrence;

constexpr int kEvents = 120; // on the server
constexpr int kLocal = 120;  // in the profile
constexpr int kShared = 40;  // of those, the same as an event: events 0..39
const QString kLogin = QStringLiteral("anna");
const QString kPassword = QStringLiteral("secret");
const QDateTime kNow(QDate(2030, 1, 10), QTime(9, 0));

Dav::Account accountOf(const QUrl& root)
{
    return {root, kLogin, kPassword, {}};
}

Occurrence eventOccurrence(int n)
{
    return {QStringLiteral("Событие %1").arg(n), kNow.addSecs(3600 * (n + 1))};
}

Occurrence localOccurrence(int n)
{
    if (n < kShared)
        return eventOccurrence(n);
    return {QStringLiteral("Местное %1").arg(n), kNow.addSecs(1800 * (n + 1) + 60)};
}

QString textOf(const Occurrence& occurrence)
{
    return occurrence.text + QLatin1Char('|') + occurrence.moment.toString(Qt::ISODate);
}

QStringList expectedItems()
{
    QSet<QString> items;
    for (int n = 0; n < kEvents; ++n)
        items.insert(textOf(eventOccurrence(n)));
    for (int n = 0; n < kLocal; ++n)
        items.insert(textOf(localOccurrence(n)));
    return sorted(QStringList(items.cbegin(), items.cend()));
}

QUrl calendarOf(const QUrl& root)
{
    return root.resolved(QUrl(kLogin + QStringLiteral("/calendar/")));
}

Dav::Result<ReminderSync::Report> syncOnce(const QUrl& root, ProfileDatabase& database)
{
    Dav::Client client(accountOf(root));
    Dav::Collection collection(client, calendarOf(root), Dav::CollectionKind::Calendar);
    const auto info = collection.describe();
    if (!info)
        return info.failure();
    return ReminderSync(collection, info.value(), database, kNow).run();
}

// The sync the child runs, and the test after each kill.
QString syncedOrWhy(const QUrl& root, ProfileDatabase& database)
{
    const auto report = syncOnce(root, database);
    return report ? QString() : report.failure().message;
}

QStringList serverItems(const QUrl& root, QString* error)
{
    Dav::Client client(accountOf(root));
    Dav::Collection collection(client, calendarOf(root), Dav::CollectionKind::Calendar);
    const auto all = collection.listAll();
    if (!all) {
        *error = all.failure().message;
        return {};
    }
    const auto fetched = collection.fetch(all->keys());
    if (!fetched) {
        *error = fetched.failure().message;
        return {};
    }
    QStringList items;
    for (const Dav::Item& item : fetched->items) {
        const auto reading = ReminderEvent::read(item.data, kNow);
        items.append(reading.occurrence ? textOf(*reading.occurrence)
                                        : QStringLiteral("unreadable ") + item.href);
    }
    return sorted(items);
}

QStringList localItems(ProfileDatabase& database)
{
    QStringList items;
    for (const TableObject::Row& row : database.EventsTable.rows())
        items.append(textOf(
            {row.value(QStringLiteral("Текст")).toString(), row.value(QStringLiteral("Дата")).toDateTime()}));
    return sorted(items);
}

// Each row of the sync state stands for a reminder that is there, for an
// event no reminder stands for (no key), or for a write not yet confirmed.
QString stateFault(ProfileDatabase& database)
{
    QSqlQuery read(database.BigBd());
    if (!read.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE name = 'SyncItems'")))
        return QStringLiteral("cannot read the schema");
    if (!read.next())
        return {};
    if (!read.exec(QStringLiteral("SELECT \"Href\", \"Etag\", \"LocalKey\" FROM \"SyncItems\"")))
        return QStringLiteral("cannot read SyncItems");
    while (read.next()) {
        const QString etag = read.value(1).toString();
        const qint64 key = read.value(2).toLongLong();
        if (!etag.isEmpty() && key != 0 && !database.EventsTable.byKey(key))
            return QStringLiteral("SyncItems row %1 (etag %2) points at no reminder (%3)")
                .arg(read.value(0).toString(), etag)
                .arg(key);
    }
    return {};
}

} // namespace

class TestReminderSyncCrash : public QObject
{
    Q_OBJECT

private slots:
    void killedSyncLosesAndDoublesNothing()
    {
        TestHome home;
        RadicaleServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        {
            Dav::Client client(accountOf(server.root()));
            QVERIFY(Dav::createCollection(client, calendarOf(server.root()), Dav::CollectionKind::Calendar,
                                          QStringLiteral("Календарь"), {QStringLiteral("VEVENT")}));
            Dav::Collection calendar(client, calendarOf(server.root()), Dav::CollectionKind::Calendar);
            for (int n = 0; n < kEvents; ++n) {
                const QString uid = QStringLiteral("event-%1").arg(n);
                const auto written =
                    calendar.put(calendarOf(server.root()).path() + uid + QStringLiteral(".ics"),
                                 ReminderEvent::create(uid.toUtf8(), eventOccurrence(n),
                                                       QTimeZone::systemTimeZone(), kNow),
                                 {});
                QVERIFY2(written && written->status == Dav::WriteStatus::Done, qPrintable(uid));
            }
        }
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            QList<QVariantMap> rows;
            for (int n = 0; n < kLocal; ++n)
                rows.append({{QStringLiteral("Текст"), localOccurrence(n).text},
                             {QStringLiteral("Дата"), localOccurrence(n).moment}});
            Transaction fill(database.BigBd());
            QVERIFY(database.EventsTable.insertMany(rows));
            QVERIFY(fill.commit());
        }

        KilledSyncs scenario{server, home, expectedItems(), serverItems, localItems, stateFault, syncedOrWhy};
        // Eight kills by default, so that the suite stays short; QUILLARBOR_CRASH_KILLS asks for more.
        const KilledSyncs::Outcome outcome = scenario.run(8);
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.failure));
        qInfo("sync of %d events with %d reminders: whole run %lld ms; %d kills, %d of them before the "
              "events had come down",
              kEvents, kLocal, outcome.wholeRun, outcome.kills, outcome.interrupted);
    }
};

int main(int argc, char** argv)
{
    if (CrashChild::isChild(argc, argv))
        return runChild(argc, argv, syncedOrWhy);
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "590000");
    QCoreApplication application(argc, argv);
    TestReminderSyncCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reminder_sync_crash.moc"

// Reminders kept in step with a calendar on a real Radicale on loopback:
// both ways, each side in its own time zone; postponing, deleting and
// dismissing here; all-day, recurring and to-do items; a conflict; a token
// the server no longer knows; the service with an account that has a
// calendar and no address book. The machine is in Berlin (see CMakeLists.txt),
// the phone in Moscow.
#include "dav_discovery.h"
#include "due_items.h"
#include "profile_database.h"
#include "radicale_server.h"
#include "reminder_sync.h"
#include "sync_service.h"
#include "sync_state.h"
#include "test_home.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QTimeZone>

using namespace Dav;

namespace {

const QString kPassword = QStringLiteral("secret");
const QDateTime kNow(QDate(2030, 1, 10), QTime(9, 0));

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2030, 1, day), QTime(hour, minute));
}

// A phone's event in Moscow time, with a place we do not keep.
QByteArray phoneEvent(const QString& uid, const QString& summary, const QByteArray& start,
                      const QByteArray& extra = {})
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//RU\r\n"
           "BEGIN:VTIMEZONE\r\nTZID:Europe/Moscow\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
           "TZOFFSETFROM:+0300\r\nTZOFFSETTO:+0300\r\nTZNAME:MSK\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
           "BEGIN:VEVENT\r\nUID:" +
           uid.toUtf8() +
           "\r\nDTSTAMP:20300101T000000Z\r\n"
           "DTSTART;TZID=Europe/Moscow:" +
           start + "\r\nSUMMARY:" + summary.toUtf8() +
           "\r\n"
           "LOCATION:Поликлиника\r\n" +
           extra + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

QByteArray calendarWith(const QByteArray& items)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//RU\r\n" + items + "END:VCALENDAR\r\n";
}

// One account, one calendar, one profile.
struct World
{
    TestHome home;
    RadicaleServer server;
    Client client{{server.root(), QStringLiteral("anna"), kPassword, {}}};
    QUrl calendar = server.principal(QStringLiteral("anna")).resolved(QUrl(QStringLiteral("calendar/")));
    Collection collection{client, calendar, CollectionKind::Calendar};
    ProfileDatabase database;
    DueItems items{database};

    World()
    {
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        QVERIFY(createCollection(client, calendar, CollectionKind::Calendar, QStringLiteral("Календарь"),
                                 {QStringLiteral("VEVENT"), QStringLiteral("VTODO")}));
        QVERIFY(database.open(home.documents(), TestHome::programFolder()));
    }

    Result<ReminderSync::Report> sync(const QDateTime& now = kNow)
    {
        const auto calendars = discover(client, server.root(), CollectionKind::Calendar);
        if (!calendars)
            return calendars.failure();
        return ReminderSync(collection, calendars->first(), database, now).run();
    }
    QString put(const QByteArray& data)
    {
        const QString href = collection.newHref();
        const auto written = collection.put(href, data, {});
        return written && written->status == WriteStatus::Done ? href : QString();
    }
    // The server's events, unfolded, by the first summary in each.
    QMap<QString, Item> remote()
    {
        QMap<QString, Item> events;
        const auto all = collection.listAll();
        if (!all)
            return events;
        const auto fetched = collection.fetch(all->keys());
        for (Item item : fetched->items) {
            item.data.replace("\r\n ", "").replace("\n ", "");
            const qsizetype from = item.data.indexOf("SUMMARY:") + 8;
            const qsizetype to = item.data.indexOf('\n', from);
            events.insert(QString::fromUtf8(item.data.mid(from, to - from)).trimmed(), item);
        }
        return events;
    }
    // The reminders here: text → moment.
    QMultiMap<QString, QDateTime> local()
    {
        QMultiMap<QString, QDateTime> reminders;
        for (const auto& row : database.EventsTable.rows())
            reminders.insert(row.value(QStringLiteral("Текст")).toString(),
                             row.value(QStringLiteral("Дата")).toDateTime());
        return reminders;
    }
    qint64 keyOf(const QString& text)
    {
        for (const auto& row : database.EventsTable.rows())
            if (row.value(QStringLiteral("Текст")).toString() == text)
                return row.key;
        return 0;
    }
    bool editRemote(const QString& summary, const QByteArray& from, const QByteArray& to)
    {
        Item item = remote().value(summary);
        item.data.replace(from, to);
        const auto written = collection.put(item.href, item.data, item.etag);
        return written && written->status == WriteStatus::Done;
    }
};

bool nothingDone(const Result<ReminderSync::Report>& report)
{
    return report &&
           report->down + report->up + report->deletedHere + report->deletedThere + report->conflicts == 0;
}

} // namespace

class TestReminderSync : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(QTimeZone::systemTimeZone().id(), QByteArray("Europe/Berlin")); }

    void remindersAndEventsGoBothWaysEachInItsOwnZone()
    {
        World world;
        // 12:00 in Moscow with an alarm 15 minutes before: 09:45 here.
        QVERIFY(
            !world
                 .put(phoneEvent(
                     "p1", QStringLiteral("Стоматолог"), "20300115T120000",
                     "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"))
                 .isEmpty());
        // Over already: not taken.
        QVERIFY(!world.put(phoneEvent("p2", QStringLiteral("Было"), "20291231T120000")).isEmpty());
        QVERIFY(world.items.addReminder(QStringLiteral("Позвонить маме"), at(12, 18, 30)));

        auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->down, 1);
        QCOMPARE(report->up, 1);
        QCOMPARE(world.local(),
                 (QMultiMap<QString, QDateTime>{{QStringLiteral("Позвонить маме"), at(12, 18, 30)},
                                                {QStringLiteral("Стоматолог"), at(15, 9, 45)}}));
        const QByteArray ours = world.remote().value(QStringLiteral("Позвонить маме")).data;
        QVERIFY2(ours.contains("DTSTART;TZID=Europe/Berlin:20300112T183000"), ours.constData());
        QVERIFY(ours.contains("ACTION:DISPLAY"));
        QCOMPARE(world.remote().size(), 3);
        QVERIFY(nothingDone(world.sync()));

        // Moved here by an hour: the phone's event moves by an hour in its own zone and keeps its place.
        QCOMPARE(world.items.changeReminder(world.keyOf(QStringLiteral("Стоматолог")),
                                            QStringLiteral("Стоматолог"), at(15, 10, 45)),
                 DueItems::Written::Done);
        report = world.sync();
        QVERIFY(report);
        QCOMPARE(report->up, 1);
        const QByteArray moved = world.remote().value(QStringLiteral("Стоматолог")).data;
        QVERIFY2(moved.contains("DTSTART;TZID=Europe/Moscow:20300115T130000"), moved.constData());
        QVERIFY(moved.contains("LOCATION:Поликлиника"));
        QVERIFY(moved.contains("TRIGGER:-PT15M"));
        QVERIFY(nothingDone(world.sync()));

        // Moved there: the reminder follows.
        QVERIFY(world.editRemote(QStringLiteral("Позвонить маме"), "20300112T183000", "20300112T200000"));
        report = world.sync();
        QVERIFY(report);
        QCOMPARE(report->down, 1);
        QCOMPARE(world.local().value(QStringLiteral("Позвонить маме")), at(12, 20));
    }

    void postponingDeletingAndDismissingHere()
    {
        World world;
        QVERIFY(!world.put(phoneEvent("a", QStringLiteral("Отложенное"), "20300111T120000")).isEmpty());
        QVERIFY(!world.put(phoneEvent("b", QStringLiteral("Удалённое"), "20300112T120000")).isEmpty());
        QVERIFY(!world.put(phoneEvent("c", QStringLiteral("Прозвеневшее"), "20300113T120000")).isEmpty());
        QVERIFY(world.sync());
        QCOMPARE(world.local().size(), 3);

        // "Отложить" moves the event; deleting before the moment deletes it.
        QCOMPARE(world.items.postponeReminder(world.keyOf(QStringLiteral("Отложенное")), at(12, 15, 30)),
                 DueItems::Written::Done);
        QVERIFY(world.items.removeReminder(world.keyOf(QStringLiteral("Удалённое"))));
        auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->up, 1);
        QCOMPARE(report->deletedThere, 1);
        QVERIFY(!world.remote().contains(QStringLiteral("Удалённое")));
        QVERIFY(world.remote()
                    .value(QStringLiteral("Отложенное"))
                    .data.contains("DTSTART;TZID=Europe/Moscow:20300112T173000"));

        // "Отменить" after it rang leaves the event on the server, and it does not come back.
        const QDateTime later = at(13, 11);
        QVERIFY(world.items.removeReminder(world.keyOf(QStringLiteral("Прозвеневшее"))));
        report = world.sync(later);
        QVERIFY(report);
        QCOMPARE(report->deletedThere, 0);
        QVERIFY(world.remote().contains(QStringLiteral("Прозвеневшее")));
        QVERIFY(nothingDone(world.sync(later)));
        QVERIFY(!world.local().contains(QStringLiteral("Прозвеневшее")));
        // Not even when the phone changes what we do not keep.
        QVERIFY(world.editRemote(QStringLiteral("Прозвеневшее"), "LOCATION:Поликлиника", "LOCATION:Дом"));
        QVERIFY(nothingDone(world.sync(later)));
        QVERIFY(!world.local().contains(QStringLiteral("Прозвеневшее")));
    }

    void allDayRecurringAndToDoItems()
    {
        World world;
        // Mondays at 08:00 here (07:00 UTC), the first on 7 January.
        QVERIFY(!world
                     .put(calendarWith("BEGIN:VEVENT\r\nUID:w1\r\nDTSTAMP:20300101T000000Z\r\n"
                                       "DTSTART:20300107T070000Z\r\nRRULE:FREQ=WEEKLY\r\nSUMMARY:Планёрка\r\n"
                                       "END:VEVENT\r\n"))
                     .isEmpty());
        QVERIFY(!world
                     .put(calendarWith("BEGIN:VEVENT\r\nUID:d1\r\nDTSTAMP:20300101T000000Z\r\n"
                                       "DTSTART;VALUE=DATE:20300120\r\nDTEND;VALUE=DATE:20300121\r\n"
                                       "SUMMARY:Праздник\r\nEND:VEVENT\r\n"))
                     .isEmpty());
        QVERIFY(!world
                     .put(calendarWith("BEGIN:VTODO\r\nUID:t1\r\nDTSTAMP:20300101T000000Z\r\n"
                                       "DUE:20300111T090000Z\r\nSUMMARY:Сдать отчёт\r\nEND:VTODO\r\n"))
                     .isEmpty());
        QVERIFY(!world
                     .put(calendarWith("BEGIN:VTODO\r\nUID:t2\r\nDTSTAMP:20300101T000000Z\r\n"
                                       "SUMMARY:Когда-нибудь\r\nEND:VTODO\r\n"))
                     .isEmpty());
        QVERIFY(world.sync());
        QCOMPARE(world.local(), (QMultiMap<QString, QDateTime>{{QStringLiteral("Планёрка"), at(14, 8)},
                                                               {QStringLiteral("Праздник"), at(20, 0)},
                                                               {QStringLiteral("Сдать отчёт"), at(11, 10)}}));

        // Put off here, a recurring one moves here only: the series stays.
        const QByteArray series = world.remote().value(QStringLiteral("Планёрка")).data;
        QCOMPARE(world.items.postponeReminder(world.keyOf(QStringLiteral("Планёрка")), at(14, 9)),
                 DueItems::Written::Done);
        QVERIFY(world.sync());
        QCOMPARE(world.remote().value(QStringLiteral("Планёрка")).data, series);
        QCOMPARE(world.local().value(QStringLiteral("Планёрка")), at(14, 9));

        // Dismissed after it rang: the next occurrence comes, and only that one.
        QVERIFY(world.items.removeReminder(world.keyOf(QStringLiteral("Планёрка"))));
        const auto report = world.sync(at(14, 9, 5));
        QVERIFY(report);
        QCOMPARE(report->down, 1);
        QCOMPARE(world.local().values(QStringLiteral("Планёрка")), QList<QDateTime>{at(21, 8)});
        QVERIFY(nothingDone(world.sync(at(14, 9, 10))));
        QCOMPARE(world.remote().value(QStringLiteral("Планёрка")).data, series);
    }

    void anEditOnBothSidesKeepsBoth()
    {
        World world;
        QVERIFY(!world.put(phoneEvent("k", QStringLiteral("Стрижка"), "20300116T120000")).isEmpty());
        QVERIFY(world.sync());
        QCOMPARE(world.items.changeReminder(world.keyOf(QStringLiteral("Стрижка")), QStringLiteral("Стрижка"),
                                            at(16, 16)),
                 DueItems::Written::Done);
        QVERIFY(world.editRemote(QStringLiteral("Стрижка"), "20300116T120000", "20300116T140000"));

        const auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->conflicts, 1);
        const QString copy = QStringLiteral("Конфликт синхронизации: Стрижка");
        QCOMPARE(world.local(), (QMultiMap<QString, QDateTime>{{QStringLiteral("Стрижка"), at(16, 12)},
                                                               {copy, at(16, 16)}}));
        // The local version went up as an event of its own; the phone's kept its place.
        QCOMPARE(world.remote().keys(), (QStringList{copy, QStringLiteral("Стрижка")}));
        QVERIFY(world.remote().value(QStringLiteral("Стрижка")).data.contains("LOCATION:Поликлиника"));
        QVERIFY(nothingDone(world.sync()));
    }

    void textsComeBackFromTheServerAsTheyWent()
    {
        World world;
        // An emoji across the column's end: the reminder keeps the 49 letters before it.
        const QString summary = QString(49, QLatin1Char('a')) + QStringLiteral("😀 и ещё слова");
        const QString kept(49, QLatin1Char('a'));
        QVERIFY(!world.put(phoneEvent("e", summary, "20300119T120000")).isEmpty());
        QVERIFY(world.sync());
        QCOMPARE(world.local().keys(), QStringList{kept});
        QVERIFY(nothingDone(world.sync()));

        // Put off here: the event moves and its summary stays as the phone wrote it.
        QCOMPARE(world.items.postponeReminder(world.keyOf(kept), at(19, 15)), DueItems::Written::Done);
        const auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->up, 1);
        QCOMPARE(world.remote().keys(), QStringList{summary});
        QVERIFY(world.remote().value(summary).data.contains("DTSTART;TZID=Europe/Moscow:20300119T170000"));
        QVERIFY(nothingDone(world.sync()));

        // A text with doubled blanks reads back simplified from any calendar:
        // the phone adding a place to its event does not make that a change of text.
        const QString spaced = QStringLiteral("Купить  хлеб");
        QVERIFY(world.items.addReminder(spaced, at(24, 9)));
        QCOMPARE(world.sync()->up, 1);
        QVERIFY(world.editRemote(spaced, "END:VEVENT", "LOCATION:Булочная\r\nEND:VEVENT"));
        QVERIFY(nothingDone(world.sync()));
        QCOMPARE(world.local().value(spaced), at(24, 9));
    }

    void aStaleTokenOrETagIsNoErrorForTheUser()
    {
        World world;
        QVERIFY(!world.put(phoneEvent("s1", QStringLiteral("Первое"), "20300117T120000")).isEmpty());
        QVERIFY(world.sync());
        // As many events new there as are known here: the server's answer
        // names only the new one, and the known one stays.
        QVERIFY(!world.put(phoneEvent("s2", QStringLiteral("Второе"), "20300118T120000")).isEmpty());
        QVERIFY(world.sync());
        QCOMPARE(world.local().keys(), (QStringList{"Второе", "Первое"}));

        // A token the server does not know: everything is compared instead,
        // so an event deleted there meanwhile goes here too.
        SyncState state(world.database.BigBd());
        QVERIFY(
            state.setToken(world.calendar.toString(), QStringLiteral("http://radicale.org/ns/sync/bogus")));
        const Item second = world.remote().value(QStringLiteral("Второе"));
        QCOMPARE(world.collection.remove(second.href, second.etag).value(), WriteStatus::Done);
        auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(world.local().keys(), QStringList{"Первое"});
        QVERIFY(!world.put(phoneEvent("s3", QStringLiteral("Третье"), "20300118T120000")).isEmpty());
        report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(world.local().keys(), (QStringList{"Первое", "Третье"}));

        // A write with an ETag that is no longer the event's: read again, written again.
        QSqlQuery stale(world.database.BigBd());
        QVERIFY(stale.exec("UPDATE \"SyncItems\" SET \"Etag\" = '\"stale\"'"));
        QCOMPARE(world.items.changeReminder(world.keyOf(QStringLiteral("Первое")), QStringLiteral("Первое!"),
                                            at(17, 10)),
                 DueItems::Written::Done);
        report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->conflicts, 0);
        QVERIFY(world.remote().contains(QStringLiteral("Первое!")));
        QCOMPARE(world.local().keys(), (QStringList{"Первое!", "Третье"}));
        QCOMPARE(world.remote().size(), 2);
    }

    void aCalendarThatTakesNoWritesKeepsEverythingHere()
    {
        World world;
        QVERIFY(!world.put(phoneEvent("r1", QStringLiteral("Приём"), "20300121T120000")).isEmpty());
        QVERIFY(world.sync());
        QVERIFY(!world.put(phoneEvent("r2", QStringLiteral("С телефона"), "20300123T120000")).isEmpty());
        // Then the calendar turns read-only for the account, as a shared or subscribed one is.
        QVERIFY(world.server.setReadOnly(QStringLiteral("calendar")));
        QVERIFY(world.items.addReminder(QStringLiteral("Новое"), at(22, 10)));
        QCOMPARE(world.items.postponeReminder(world.keyOf(QStringLiteral("Приём")), at(21, 12)),
                 DueItems::Written::Done);
        auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->refused, 2);
        QCOMPARE(report->down, 1);
        QCOMPARE(world.local(), (QMultiMap<QString, QDateTime>{{QStringLiteral("Новое"), at(22, 10)},
                                                               {QStringLiteral("Приём"), at(21, 12)},
                                                               {QStringLiteral("С телефона"), at(23, 10)}}));
        // Asked again at each sync; deleted here meanwhile, asked as a deletion.
        QVERIFY(world.items.removeReminder(world.keyOf(QStringLiteral("С телефона"))));
        report = world.sync();
        QVERIFY(report);
        QCOMPARE(report->refused, 3);
        QCOMPARE(world.remote().size(), 2);

        QVERIFY(world.server.setReadOnly({}));
        report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->refused, 0);
        QCOMPARE(report->up, 2);
        QCOMPARE(report->deletedThere, 1);
        QCOMPARE(world.remote().keys(), (QStringList{QStringLiteral("Новое"), QStringLiteral("Приём")}));
        QVERIFY(nothingDone(world.sync()));
    }

    void theServiceSyncsWhatTheAccountHas()
    {
        // A calendar and no address book: the reminders sync, and nothing is said of contacts.
        World world;
        QVERIFY(!world.put(phoneEvent("v", QStringLiteral("Визит"), "20300120T120000")).isEmpty());
        SyncService service;
        QSignalSpy finished(&service, &SyncService::syncFinished);
        SyncService::Account account{
            world.server.root().toString(), QStringLiteral("anna"),   kPassword, {}, {}, {},
            world.home.documents(),         TestHome::programFolder()};
        QVERIFY(service.syncNow(account));
        QVERIFY(finished.wait(20000));
        auto outcome = finished.takeFirst().first().value<SyncService::Outcome>();
        QVERIFY2(outcome.ok, qPrintable(outcome.summary));
        QCOMPARE(outcome.summary, QStringLiteral("Напоминания: получено с сервера: 1, отправлено: 0."));
        QCOMPARE(outcome.remindersChangedHere, 1);
        QCOMPARE(world.local().keys(), QStringList{QStringLiteral("Визит")});

        // A calendar asked for by a name the server does not have: said, and nothing synced.
        account.calendar = QStringLiteral("Работа");
        QVERIFY(service.syncNow(account));
        QVERIFY(finished.wait(20000));
        outcome = finished.takeFirst().first().value<SyncService::Outcome>();
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.summary, QStringLiteral("На сервере нет календаря «Работа»."));
    }
};

QTEST_GUILESS_MAIN(TestReminderSync)
#include "tst_reminder_sync.moc"

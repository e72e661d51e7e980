// A reminder as a calendar server's event and back: what a phone's event
// gives here, in its own time zone; a reminder's change made in the event
// without losing what else it holds; all-day and recurring events.
#include "reminder_event.h"

#include <QTest>
#include <QTimeZone>

using ReminderEvent::Occurrence;

namespace {

// The tests run with the machine in Berlin (see CMakeLists.txt): Moscow is two hours ahead in winter.
const QDateTime kNow(QDate(2030, 1, 10), QTime(9, 0));

// A phone's event in Moscow time: a place, a guest, an alarm 15 minutes
// before and a second one at a fixed moment.
QByteArray phoneEvent(const QByteArray& start = "20300115T120000", const QByteArray& extra = {})
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//RU\r\n"
           "BEGIN:VTIMEZONE\r\nTZID:Europe/Moscow\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
           "TZOFFSETFROM:+0300\r\nTZOFFSETTO:+0300\r\nTZNAME:MSK\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
           "BEGIN:VEVENT\r\nUID:phone-1\r\nDTSTAMP:20300101T000000Z\r\n"
           "DTSTART;TZID=Europe/Moscow:" +
           start + "\r\nDTEND;TZID=Europe/Moscow:" + start.left(9) +
           "130000\r\n"
           "SUMMARY:Стоматолог\r\nLOCATION:ул. Ленина\\, 1\r\nATTENDEE;CN=Анна:mailto:anna@example.ru\r\n" +
           extra +
           "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Скоро\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
           "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER;VALUE=DATE-TIME:20300115T060000Z\r\nEND:VALARM\r\n"
           "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

QByteArray calendarWith(const QByteArray& items)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//RU\r\n" + items + "END:VCALENDAR\r\n";
}

} // namespace

class TestReminderEvent : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(QTimeZone::systemTimeZone().id(), QByteArray("Europe/Berlin")); }

    void aReminderGoesUpAndComesBackTheSame()
    {
        const Occurrence reminder{QStringLiteral("Позвонить маме"),
                                  QDateTime(QDate(2030, 1, 12), QTime(18, 30))};
        const QByteArray event = ReminderEvent::create("abc-1", reminder, QTimeZone::systemTimeZone(), kNow);
        QVERIFY(event.contains("UID:abc-1"));
        QVERIFY(event.contains("DTSTART;TZID=Europe/Berlin:20300112T183000"));
        QVERIFY(event.contains("BEGIN:VTIMEZONE"));
        QVERIFY(event.contains("ACTION:DISPLAY"));

        const auto reading = ReminderEvent::read(event, kNow);
        QVERIFY(reading.readable);
        QVERIFY(!reading.recurring);
        QVERIFY(reading.toCome);
        QCOMPARE(*reading.occurrence, reminder);
        // Once it has rung it is no longer to come, and still says when it rang.
        const auto later = ReminderEvent::read(event, reminder.moment.addSecs(1));
        QVERIFY(!later.toCome);
        QCOMPARE(*later.occurrence, reminder);

        const QByteArray fingerprint = ReminderEvent::fingerprint(reminder);
        QCOMPARE(*ReminderEvent::fromFingerprint(fingerprint), reminder);
        QVERIFY(!ReminderEvent::fromFingerprint("no moment"));
        QVERIFY(!ReminderEvent::read("BEGIN:VCARD\r\nEND:VCARD\r\n", kNow).readable);
    }

    void aPhonesEventRingsAtItsFirstAlarmInOurTime()
    {
        const auto reading = ReminderEvent::read(phoneEvent(), kNow);
        QVERIFY(reading.readable && reading.toCome);
        // 12:00 in Moscow is 10:00 in Berlin; the first alarm is 15 minutes before.
        QCOMPARE(reading.occurrence->moment, QDateTime(QDate(2030, 1, 15), QTime(9, 45)));
        QCOMPARE(reading.occurrence->text, QStringLiteral("Стоматолог"));

        // A summary longer than a reminder holds is cut as the reminder window would.
        QByteArray longer = phoneEvent();
        longer.replace("SUMMARY:Стоматолог", "SUMMARY:" + QByteArray(70, 'x'));
        QCOMPARE(ReminderEvent::read(longer, kNow).occurrence->text, QString(50, QLatin1Char('x')));
    }

    void aChangeHereMovesTheEventAndKeepsTheRest()
    {
        const QByteArray event = phoneEvent();
        const Occurrence was = *ReminderEvent::read(event, kNow).occurrence;
        // Put off by a day and an hour and a half, as "Отложить" may.
        const Occurrence moved{was.text, was.moment.addSecs(86400 + 5400)};
        const auto written = ReminderEvent::changed(event, was, moved, kNow);
        QVERIFY(written);
        QCOMPARE(*ReminderEvent::read(*written, kNow).occurrence, moved);
        // Still in Moscow time, start and end moved alike, the fixed alarm with them.
        QVERIFY2(written->contains("DTSTART;TZID=Europe/Moscow:20300116T133000"), written->constData());
        QVERIFY(written->contains("DTEND;TZID=Europe/Moscow:20300116T143000"));
        QVERIFY(written->contains("20300116T073000Z"));
        QVERIFY(written->contains("LOCATION:ул. Ленина\\, 1"));
        QVERIFY(written->contains("ATTENDEE;CN=Анна:mailto:anna@example.ru"));
        QVERIFY(written->contains("DESCRIPTION:Скоро"));
        QVERIFY(written->contains("SEQUENCE:1"));
        QVERIFY(written->contains("SUMMARY:Стоматолог"));

        // A new text replaces the summary; a long summary cut here is left whole when the text stays.
        const auto renamed = ReminderEvent::changed(event, was, {QStringLiteral("Зубной"), was.moment}, kNow);
        QVERIFY(renamed && renamed->contains("SUMMARY:Зубной") &&
                renamed->contains("DTSTART;TZID=Europe/Moscow:20300115T120000"));
        QByteArray longer = event;
        longer.replace("SUMMARY:Стоматолог", "SUMMARY:" + QByteArray(70, 'x'));
        const Occurrence cut = *ReminderEvent::read(longer, kNow).occurrence;
        const auto kept = ReminderEvent::changed(longer, cut, {cut.text, cut.moment.addSecs(60)}, kNow);
        QVERIFY(kept);
        QVERIFY(QByteArray(*kept).replace("\r\n ", "").contains("SUMMARY:" + QByteArray(70, 'x')));

        QVERIFY(!ReminderEvent::changed("не календарь", was, moved, kNow));
    }

    void allDayAndRecurringEvents()
    {
        // All day on the 20th: it rings at the day's beginning here.
        const QByteArray allDay = calendarWith("BEGIN:VEVENT\r\nUID:d1\r\nDTSTAMP:20300101T000000Z\r\n"
                                               "DTSTART;VALUE=DATE:20300120\r\nDTEND;VALUE=DATE:20300121\r\n"
                                               "SUMMARY:Праздник\r\nEND:VEVENT\r\n");
        const Occurrence day = *ReminderEvent::read(allDay, kNow).occurrence;
        QCOMPARE(day.moment, QDateTime(QDate(2030, 1, 20), QTime(0, 0)));
        // Moved by whole days it stays all day; by part of one it gets a time of day.
        const Occurrence twoDaysOn{day.text, day.moment.addDays(2)};
        const auto moved = ReminderEvent::changed(allDay, day, twoDaysOn, kNow);
        QVERIFY(moved && moved->contains("DTSTART;VALUE=DATE:20300122"));
        QCOMPARE(*ReminderEvent::read(*moved, kNow).occurrence, twoDaysOn);
        // Across the night summer time begins (31 March): still whole days, still all day.
        const QByteArray spring =
            calendarWith("BEGIN:VEVENT\r\nUID:d2\r\nDTSTAMP:20300101T000000Z\r\n"
                         "DTSTART;VALUE=DATE:20300330\r\nSUMMARY:Дача\r\nEND:VEVENT\r\n");
        const Occurrence saturday = *ReminderEvent::read(spring, kNow).occurrence;
        const Occurrence monday{saturday.text, QDateTime(QDate(2030, 4, 1), QTime(0, 0))};
        const auto overTheChange = ReminderEvent::changed(spring, saturday, monday, kNow);
        QVERIFY(overTheChange && overTheChange->contains("DTSTART;VALUE=DATE:20300401"));
        QCOMPARE(*ReminderEvent::read(*overTheChange, kNow).occurrence, monday);
        const Occurrence atTen{day.text, day.moment.addSecs(10 * 3600)};
        const auto timed = ReminderEvent::changed(allDay, day, atTen, kNow);
        QVERIFY(timed);
        QCOMPARE(*ReminderEvent::read(*timed, kNow).occurrence, atTen);

        // Every Monday at 08:00 (Berlin), the first on 7 January: the next
        // from now, and the one after that once that has passed.
        const QByteArray weekly = calendarWith("BEGIN:VEVENT\r\nUID:w1\r\nDTSTAMP:20300101T000000Z\r\n"
                                               "DTSTART:20300107T070000Z\r\nRRULE:FREQ=WEEKLY\r\n"
                                               "SUMMARY:Планёрка\r\nEND:VEVENT\r\n");
        const auto next = ReminderEvent::read(weekly, kNow);
        QVERIFY(next.recurring && next.toCome);
        QCOMPARE(next.occurrence->moment, QDateTime(QDate(2030, 1, 14), QTime(8, 0)));
        const auto after = ReminderEvent::read(weekly, next.occurrence->moment.addSecs(1));
        QCOMPARE(after.occurrence->moment, QDateTime(QDate(2030, 1, 21), QTime(8, 0)));

        // One Monday moved to the afternoon and the next called off, as a
        // phone writes them: the series rings at neither's old time.
        const QByteArray exceptions = "BEGIN:VEVENT\r\nUID:w1\r\nDTSTAMP:20300101T000000Z\r\n"
                                      "RECURRENCE-ID:20300114T070000Z\r\nDTSTART:20300114T140000Z\r\n"
                                      "SUMMARY:Планёрка\r\nEND:VEVENT\r\n"
                                      "BEGIN:VEVENT\r\nUID:w1\r\nDTSTAMP:20300101T000000Z\r\n"
                                      "RECURRENCE-ID:20300121T070000Z\r\nDTSTART:20300121T070000Z\r\n"
                                      "STATUS:CANCELLED\r\nSUMMARY:Планёрка\r\nEND:VEVENT\r\n";
        const QByteArray withExceptions =
            calendarWith("BEGIN:VEVENT\r\nUID:w1\r\nDTSTAMP:20300101T000000Z\r\n"
                         "DTSTART:20300107T070000Z\r\nRRULE:FREQ=WEEKLY\r\n"
                         "SUMMARY:Планёрка\r\nEND:VEVENT\r\n" +
                         exceptions);
        const auto moved14 = ReminderEvent::read(withExceptions, kNow);
        QCOMPARE(moved14.occurrence->moment, QDateTime(QDate(2030, 1, 14), QTime(15, 0)));
        const auto after14 = ReminderEvent::read(withExceptions, moved14.occurrence->moment.addSecs(1));
        QCOMPARE(after14.occurrence->moment, QDateTime(QDate(2030, 1, 28), QTime(8, 0)));
        // The series' very first occurrence moved: not rung at its old time either.
        const QByteArray firstMoved =
            calendarWith("BEGIN:VEVENT\r\nUID:w2\r\nDTSTAMP:20300101T000000Z\r\n"
                         "DTSTART:20300114T070000Z\r\nRRULE:FREQ=WEEKLY\r\n"
                         "SUMMARY:Йога\r\nEND:VEVENT\r\n"
                         "BEGIN:VEVENT\r\nUID:w2\r\nDTSTAMP:20300101T000000Z\r\n"
                         "RECURRENCE-ID:20300114T070000Z\r\n"
                         "DTSTART:20300115T070000Z\r\nSUMMARY:Йога\r\nEND:VEVENT\r\n");
        QCOMPARE(ReminderEvent::read(firstMoved, kNow).occurrence->moment,
                 QDateTime(QDate(2030, 1, 15), QTime(8, 0)));

        // A to-do with a due moment is taken; one with no date, and a cancelled event, are not.
        const auto todo = ReminderEvent::read(
            calendarWith("BEGIN:VTODO\r\nUID:t1\r\nDTSTAMP:20300101T000000Z\r\nDUE:20300111T090000Z\r\n"
                         "SUMMARY:Сдать отчёт\r\nEND:VTODO\r\n"),
            kNow);
        QVERIFY(todo.toCome);
        QCOMPARE(todo.occurrence->moment, QDateTime(QDate(2030, 1, 11), QTime(10, 0)));
        const auto undated = ReminderEvent::read(
            calendarWith(
                "BEGIN:VTODO\r\nUID:t2\r\nDTSTAMP:20300101T000000Z\r\nSUMMARY:Когда-нибудь\r\nEND:VTODO\r\n"),
            kNow);
        QVERIFY(undated.readable && !undated.occurrence);
        // Nor one dated only by its start: it has no due moment.
        const auto started = ReminderEvent::read(
            calendarWith("BEGIN:VTODO\r\nUID:t3\r\nDTSTAMP:20300101T000000Z\r\nDTSTART:20300112T090000Z\r\n"
                         "SUMMARY:Начать ремонт\r\nEND:VTODO\r\n"),
            kNow);
        QVERIFY(started.readable && !started.occurrence);
        const QByteArray cancelled = phoneEvent("20300115T120000", "STATUS:CANCELLED\r\n");
        const auto off = ReminderEvent::read(cancelled, kNow);
        QVERIFY(off.readable && !off.occurrence);
    }
};

QTEST_GUILESS_MAIN(TestReminderEvent)
#include "tst_reminder_event.moc"

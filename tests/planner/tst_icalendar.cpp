#include "contact.h"
#include "dates_exchange.h"
#include "due_items.h"
#include "icalendar_file.h"
#include "profile_database.h"
#include "test_home.h"
#include "test_main.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <memory>

namespace {

const QTimeZone kBerlin("Europe/Berlin");
const QDateTime kNow(QDate(2026, 3, 8), QTime(14, 20, 5));

QDateTime localOf(const QDate& date, const QTime& time, const char* zone)
{
    const QDateTime there(date, time, QTimeZone(zone));
    const QDateTime here = there.toLocalTime();
    return QDateTime(here.date(), here.time());
}

// A second reader, for the test only: each item as kind, summary, the clock
// time in the file's own zone, its UTC offset in seconds and its rule.
const char* const kSecondReader = R"(
import sys, vobject
calendar = vobject.readOne(open(sys.argv[1], encoding='utf-8').read())
for item in calendar.getChildren():
    if item.name not in ('VEVENT', 'VTODO'):
        continue
    moment = item.dtstart.value if item.name == 'VEVENT' else item.due.value
    if hasattr(moment, 'hour'):
        offset = int(moment.utcoffset().total_seconds())
        clock = moment.strftime('%Y-%m-%dT%H:%M:%S')
    else:
        offset = ''
        clock = moment.isoformat()
    rule = item.rrule.value if hasattr(item, 'rrule') else ''
    alarm = item.valarm.trigger.value if hasattr(item, 'valarm') else ''
    print('|'.join([item.name, item.summary.value, clock, str(offset), rule, str(alarm)]))
)";

} // namespace

class TestICalendar : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_database = std::make_unique<ProfileDatabase>();
        QVERIFY(m_database->open(m_home->documents(), TestHome::programFolder()));
    }
    void cleanup()
    {
        m_database.reset();
        m_home.reset();
    }

    void writtenFileReadsInAnotherCalendarAtTheSameClockTime()
    {
        DueItems items(*m_database);
        // One moment in winter time, one in summer time, one on the night the clocks change.
        QVERIFY(items.addReminder(QStringLiteral("Позвонить маме, купить хлеб; не забыть"),
                                  QDateTime(QDate(2026, 1, 15), QTime(9, 30))));
        QVERIFY(items.addReminder(QStringLiteral("Отпуск"), QDateTime(QDate(2026, 7, 1), QTime(18, 5, 7))));
        QVERIFY(items.addReminder(QStringLiteral("Ночь перевода часов"),
                                  QDateTime(QDate(2026, 10, 25), QTime(1, 30))));
        QVERIFY(items.addTask(QStringLiteral("/usr/bin/backup --all"),
                              QDateTime(QDate(2026, 3, 29), QTime(12, 0))));
        Contact born;
        born.surname = QStringLiteral("Иванов");
        born.name = QStringLiteral("Пётр");
        born.patronymic = QStringLiteral("---");
        born.birthday = QDate(1980, 5, 17).startOfDay();
        born.remind = true;
        QVERIFY(m_database->BookTable.insert(born.toValues()));
        Contact leap = born;
        leap.name = QStringLiteral("Високосный");
        leap.birthday = QDate(1984, 2, 29).startOfDay();
        QVERIFY(m_database->BookTable.insert(leap.toValues()));
        Contact silent = born;
        silent.name = QStringLiteral("Без напоминания");
        silent.remind = false;
        QVERIFY(m_database->BookTable.insert(silent.toValues()));

        const QString path = m_home->path() + QStringLiteral("/dates.ics");
        QString error;
        QVERIFY2(DatesExchange::exportFile(*m_database, path, kNow, &error, kBerlin), qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY(written.contains("BEGIN:VTIMEZONE"));
        QVERIFY(written.contains("TZID:Europe/Berlin"));
        QVERIFY(written.contains("DTSTART;TZID=Europe/Berlin:20260115T093000"));
        QVERIFY(written.contains("TRIGGER:PT0S") || written.contains("TRIGGER:P0D"));
        QVERIFY(written.contains("DUE;TZID=Europe/Berlin:20260329T120000"));
        QVERIFY(written.contains("DTSTART;VALUE=DATE:19800517"));
        QVERIFY(written.contains("RRULE:FREQ=YEARLY;BYMONTHDAY=-1;BYMONTH=2"));
        QVERIFY(!written.contains("Без напоминания"));

        const QString python =
            QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
        QProcess reader;
        reader.start(python, {QStringLiteral("-c"), QString::fromUtf8(kSecondReader), path});
        QVERIFY(reader.waitForFinished(60000));
        const QString errors = QString::fromUtf8(reader.readAllStandardError());
        if (errors.contains(QLatin1String("No module named 'vobject'")))
            QSKIP("python3-vobject is not installed (tools/install-deps.sh --tests)");
        QCOMPARE(reader.exitCode(), 0);
        const QStringList lines =
            QString::fromUtf8(reader.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList expected = {
            QStringLiteral("VEVENT|Позвонить маме, купить хлеб; не забыть|2026-01-15T09:30:00|3600||0:00:00"),
            QStringLiteral("VEVENT|Отпуск|2026-07-01T18:05:07|7200||0:00:00"),
            QStringLiteral("VEVENT|Ночь перевода часов|2026-10-25T01:30:00|7200||0:00:00"),
            QStringLiteral("VTODO|/usr/bin/backup --all|2026-03-29T12:00:00|7200||"),
            QStringLiteral("VEVENT|День рождения: Иванов Пётр|1980-05-17||FREQ=YEARLY|"),
            QStringLiteral(
                "VEVENT|День рождения: Иванов Високосный|1984-02-29||FREQ=YEARLY;BYMONTHDAY=-1;BYMONTH=2|"),
        };
        // The second reader groups items by kind.
        QStringList sorted = lines;
        sorted.sort();
        expected.sort();
        QCOMPARE(sorted, expected);
    }

    void ourOwnFileReadsBack()
    {
        const QList<ICalendarFile::Reminder> reminders = {
            {1, QStringLiteral("Раз"), QDateTime(QDate(2026, 3, 9), QTime(8, 0)), {}},
            {2, QStringLiteral("Два"), QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59)), {}},
        };
        const QList<ICalendarFile::Task> tasks = {
            {3, QStringLiteral("Задача"), QStringLiteral("cmd"), QDateTime(QDate(2026, 4, 1), QTime(6, 15))}};
        QByteArray bytes;
        QString error;
        QVERIFY(
            ICalendarFile::write(reminders, tasks, {}, QTimeZone::systemTimeZone(), kNow, &bytes, &error));
        const ICalendarFile::ReadResult read = ICalendarFile::read(bytes, kNow);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.found.size(), 3);
        QCOMPARE(read.found[0].text, QStringLiteral("Два"));
        QCOMPARE(read.found[0].moment, reminders[1].moment);
        QVERIFY(read.found[0].past);
        QCOMPARE(read.found[1].moment, reminders[0].moment);
        QVERIFY(!read.found[1].past);
        QCOMPARE(read.found[2].text, QStringLiteral("Задача"));
        QCOMPARE(read.found[2].moment, tasks[0].moment);
    }

    void readsWhatOtherCalendarsWrite()
    {
        const QByteArray file =
            QStringLiteral(
                "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other Calendar//EN\r\n"
                "BEGIN:VTIMEZONE\r\nTZID:America/New_York\r\n"
                "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\nTZNAME:EDT\r\n"
                "DTSTART:19700308T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\r\nEND:DAYLIGHT\r\n"
                "BEGIN:STANDARD\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nTZNAME:EST\r\n"
                "DTSTART:19701101T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\nEND:STANDARD\r\n"
                "END:VTIMEZONE\r\n"
                "BEGIN:VEVENT\r\nUID:1\r\nDTSTAMP:20260101T000000Z\r\n"
                "DTSTART;VALUE=DATE:20260320\r\nDTEND;VALUE=DATE:20260321\r\n"
                "SUMMARY:Весь день: субботник\r\nEND:VEVENT\r\n"
                "BEGIN:VEVENT\r\nUID:2\r\nDTSTAMP:20260101T000000Z\r\n"
                "DTSTART;TZID=America/New_York:20260402T090000\r\n"
                "DTEND;TZID=America/New_York:20260402T100000\r\n"
                "SUMMARY:Созвон с Нью-Йорком\r\n"
                "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
                "END:VEVENT\r\n"
                "BEGIN:VEVENT\r\nUID:3\r\nDTSTAMP:20260101T000000Z\r\n"
                "DTSTART:20260105T073000\r\nRRULE:FREQ=WEEKLY;BYDAY=MO\r\n"
                "EXDATE:20260309T073000\r\n"
                "SUMMARY:Планёрка по понедельникам\r\nEND:VEVENT\r\n"
                "BEGIN:VTODO\r\nUID:4\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Когда-нибудь\r\nEND:VTODO\r\n"
                "BEGIN:VTODO\r\nUID:5\r\nDTSTAMP:20260101T000000Z\r\nDUE:20260310T120000Z\r\n"
                "SUMMARY:Сдать отчёт, который очень длинный и никак не помещается в одну строку\r\n"
                "END:VTODO\r\n"
                "BEGIN:VEVENT\r\nUID:6\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20250101T100000Z\r\n"
                "SUMMARY:Прошлое\r\nEND:VEVENT\r\n"
                "BEGIN:VEVENT\r\nUID:7\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Без даты\r\nEND:VEVENT\r\n"
                "BEGIN:VEVENT\r\nUID:8\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260401T100000Z\r\n"
                "STATUS:CANCELLED\r\nSUMMARY:Отменённая встреча\r\nEND:VEVENT\r\n"
                "BEGIN:VTODO\r\nUID:9\r\nDTSTAMP:20260101T000000Z\r\nDUE:20260401T100000Z\r\n"
                "STATUS:COMPLETED\r\nSUMMARY:Сделано\r\nEND:VTODO\r\n"
                "END:VCALENDAR\r\n")
                .toUtf8();
        const ICalendarFile::ReadResult read = ICalendarFile::read(file, kNow);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.found.size(), 5);
        QCOMPARE(read.found[0].text, QStringLiteral("Прошлое"));
        QCOMPARE(read.found[0].moment, localOf(QDate(2025, 1, 1), QTime(10, 0), "UTC"));
        QVERIFY(read.found[0].past);
        QCOMPARE(read.found[1].text,
                 QStringLiteral("Сдать отчёт, который очень длинный и никак не помещается в одну строку")
                     .left(50));
        QCOMPARE(read.found[1].text.size(), 50);
        QCOMPARE(read.found[1].moment, localOf(QDate(2026, 3, 10), QTime(12, 0), "UTC"));
        // The next Monday after now is the 9th, which the rule leaves out.
        QCOMPARE(read.found[2].text, QStringLiteral("Планёрка по понедельникам"));
        QCOMPARE(read.found[2].moment, QDateTime(QDate(2026, 3, 16), QTime(7, 30)));
        QVERIFY(!read.found[2].past);
        QCOMPARE(read.found[3].text, QStringLiteral("Весь день: субботник"));
        QCOMPARE(read.found[3].moment, QDateTime(QDate(2026, 3, 20), QTime(0, 0)));
        QCOMPARE(read.found[4].text, QStringLiteral("Созвон с Нью-Йорком"));
        QCOMPARE(read.found[4].moment, localOf(QDate(2026, 4, 2), QTime(8, 45), "America/New_York"));
        QCOMPARE(read.skipped.size(), 4);
        QCOMPARE(read.skipped[0].label, QStringLiteral("Когда-нибудь"));
        QCOMPARE(read.skipped[0].reason, QStringLiteral("у задачи нет даты"));
        QCOMPARE(read.skipped[1].label, QStringLiteral("Без даты"));
        QCOMPARE(read.skipped[2].reason, QStringLiteral("событие отменено"));
        QCOMPARE(read.skipped[3].reason, QStringLiteral("задача уже выполнена"));
    }

    void badFilesAreRefused()
    {
        const auto readBytes = [this](const QByteArray& bytes) {
            const QString path = m_home->path() + QStringLiteral("/in.ics");
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return QString();
            file.write(bytes);
            file.close();
            return DatesExchange::readFile(path, kNow).error;
        };
        QVERIFY(readBytes("").contains(QStringLiteral("пуст")));
        QVERIFY(readBytes("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:x\r\nEND:VCARD\r\n")
                    .contains(QStringLiteral("не является файлом iCalendar")));
        QVERIFY(readBytes("BEGIN:VCALENDAR\r\nSUMMARY:\xC3\x28\xFF\r\nEND:VCALENDAR\r\n")
                    .contains(QStringLiteral("UTF-8")));
        QVERIFY(readBytes(QByteArray("\x7f"
                                     "ELF\x02\x01\x01\0\0\0",
                                     10))
                    .contains(QStringLiteral("UTF-8")));
        const QString huge = m_home->path() + QStringLiteral("/huge.ics");
        QFile big(huge);
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(100LL * 1024 * 1024));
        big.close();
        QVERIFY(DatesExchange::readFile(huge, kNow).error.contains(QStringLiteral("слишком велик")));
        // A calendar with nothing in it is read, with nothing to offer.
        const ICalendarFile::ReadResult empty =
            ICalendarFile::read("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n", kNow);
        QVERIFY(empty.error.isEmpty());
        QVERIFY(empty.found.isEmpty());
    }

    void chosenItemsBecomeRemindersTogether()
    {
        const QList<ICalendarFile::Found> chosen = {
            {QStringLiteral("Первое"), QDateTime(QDate(2026, 5, 1), QTime(10, 0)), false},
            {QStringLiteral("Второе"), QDateTime(QDate(2026, 4, 1), QTime(9, 0)), false},
        };
        QString error;
        QVERIFY(DatesExchange::addReminders(*m_database, chosen, &error));
        const QList<TableObject::Row> rows = m_database->EventsTable.rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].value(QStringLiteral("Текст")).toString(), QStringLiteral("Второе"));
        QCOMPARE(rows[1].value(QStringLiteral("Дата")).toDateTime(), chosen[0].moment);
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ProfileDatabase> m_database;
};

QUILL_TEST_MAIN(TestICalendar)
#include "tst_icalendar.moc"

// A child process takes the events of a large iCalendar file in as
// reminders and is killed with SIGKILL at a random moment; the reminders
// must then be the old ones or the old ones with every chosen event, and the
// monitor and the daily planner must read them as start-up does.
#include "crash_child.h"
#include "dates_exchange.h"
#include "day_events_query.h"
#include "due_items.h"
#include "icalendar_file.h"
#include "profile_database.h"
#include "test_home.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

namespace {

constexpr int kReminders = 2000;
constexpr int kEvents = 6000;
const QDateTime kNow(QDate(2026, 12, 9), QTime(9, 30));

int runChild(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = CrashChild::arguments(argc, argv);
    ProfileDatabase database;
    if (!database.open(arguments.at(0), arguments.at(1)))
        return 2;
    const ICalendarFile::ReadResult read = DatesExchange::readFile(arguments.at(2), kNow);
    if (!read.error.isEmpty() || read.found.size() != kEvents)
        return 4;
    CrashChild::sayReady();
    // As the import window's OK does with every item chosen.
    QString error;
    return DatesExchange::addReminders(database, read.found, &error) ? 0 : 3;
}

QStringList remindersOf(ProfileDatabase& database)
{
    return CrashChild::rowsOf(database.BigBd(), QStringLiteral("Напоминания"));
}

// The monitor's first look and the daily planner of today.
QString startsWith(ProfileDatabase& database)
{
    DueItems due(database);
    if (!due.earliestReminder())
        return QStringLiteral("the monitor finds no reminder");
    DayEventsQuery::itemsOf(database, kNow.date());
    return {};
}

} // namespace

class TestPlannerCrash : public QObject
{
    Q_OBJECT

private slots:
    void aDatesImportIsWholeOrNotAtAll()
    {
        TestHome home;
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            QList<QVariantMap> rows;
            for (int n = 0; n < kReminders; ++n)
                rows.append({{QStringLiteral("Текст"), QStringLiteral("Позвонить %1").arg(n)},
                             {QStringLiteral("Дата"), kNow.addSecs(3600 * n)}});
            Transaction fill(database.BigBd());
            QVERIFY(database.EventsTable.insertMany(rows));
            QVERIFY(fill.commit());
        }
        QList<ICalendarFile::Reminder> events;
        for (int n = 0; n < kEvents; ++n)
            events.append(
                {0, QStringLiteral("Встреча %1 в переговорной").arg(n), kNow.addSecs(600 * n + 60), {}});
        QByteArray bytes;
        QString error;
        QVERIFY2(ICalendarFile::write(events, {}, {}, QTimeZone::systemTimeZone(), kNow, &bytes, &error),
                 qPrintable(error));
        const QString file = home.path() + QStringLiteral("/встречи.ics");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QVERIFY(out.write(bytes) == bytes.size());
        out.close();

        const CrashChild::ProfileKills kills = CrashChild::killProfileWrite(
            home.documents(), TestHome::programFolder(), {home.documents(), TestHome::programFolder(), file},
            CrashChild::kills(15), remindersOf, startsWith);
        QVERIFY2(kills.failure.isEmpty(), qPrintable(kills.failure));
        qInfo("import of %d events: whole run %lld ms; %d old, %d new", kEvents, kills.milliseconds,
              kills.old, kills.fresh);

        ProfileDatabase database;
        QVERIFY(database.open(home.documents(), TestHome::programFolder()));
        QCOMPARE(database.EventsTable.count(), kReminders + kEvents);
    }
};

int main(int argc, char** argv)
{
    if (CrashChild::isChild(argc, argv))
        return runChild(argc, argv);
    QCoreApplication application(argc, argv);
    TestPlannerCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_planner_crash.moc"

#include "canberra_player.h"
#include "planner_rules.h"
#include "test_home.h"
#include "test_main.h"

#include <QTest>

using namespace PlannerRules;

class TestPlannerRules : public QObject
{
    Q_OBJECT

private slots:
    void hourAndMinuteBoxesStayValid_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("fallback");
        QTest::addColumn<QString>("shown");
        QTest::newRow("hour 99") << "99" << 23 << 12 << "23";
        QTest::newRow("minute 75") << "75" << 59 << 0 << "59";
        QTest::newRow("letter in hour") << "7a" << 23 << 12 << "12";
        QTest::newRow("letter in minute") << "x" << 59 << 0 << "0";
        QTest::newRow("emptied hour") << "" << 23 << 12 << "12";
        QTest::newRow("negative") << "-4" << 23 << 12 << "0";
        QTest::newRow("leading zero") << "07" << 23 << 12 << "7";
        QTest::newRow("beyond any number") << "99999999999999999999" << 59 << 0 << "0";
    }
    void hourAndMinuteBoxesStayValid()
    {
        QFETCH(QString, typed);
        QFETCH(int, maximum);
        QFETCH(int, fallback);
        QFETCH(QString, shown);
        QCOMPARE(keptInRange(typed, maximum, fallback), shown);
    }

    void momentsAndTheDueRule()
    {
        const QDateTime now(QDate(2026, 3, 8), QTime(14, 20, 5));
        QVERIFY(isDue(now, now));
        QVERIFY(isDue(now.addYears(-3), now));
        QVERIFY(!isDue(now.addSecs(1), now));
        QVERIFY(!isDue(now.addMSecs(1), now));
        // A row with no readable moment must not block the rows behind it.
        QVERIFY(isDue(QDateTime(), now));

        QCOMPARE(postponed(now), QDateTime(QDate(2026, 3, 9), QTime(14, 20, 5)));
        QCOMPARE(postponed(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 500))),
                 QDateTime(QDate(2027, 1, 1), QTime(23, 59, 59, 500)));

        QCOMPARE(momentText(QDateTime(QDate(2026, 3, 8), QTime(0, 0))), QStringLiteral("08.03.2026"));
        QCOMPARE(momentText(QDateTime(QDate(2026, 3, 8), QTime(9, 30))),
                 QStringLiteral("08.03.2026 9:30:00"));
        QCOMPARE(momentText(QDateTime()), QString());

        QCOMPARE(momentOf(QDate(2026, 3, 8), 7, 5), QDateTime(QDate(2026, 3, 8), QTime(7, 5)));
        QCOMPARE(parseMoment(QStringLiteral(" 09.03.2026  7:05 ")),
                 QDateTime(QDate(2026, 3, 9), QTime(7, 5)));
        QCOMPARE(parseMoment(QStringLiteral("09.03.2026 7:05:30")),
                 QDateTime(QDate(2026, 3, 9), QTime(7, 5, 30)));
        QCOMPARE(parseMoment(QStringLiteral("09.03.2026")), QDateTime(QDate(2026, 3, 9), QTime(0, 0)));
        QVERIFY(!parseMoment(QStringLiteral("завтра")));
        QVERIFY(!parseMoment(QStringLiteral("31.02.2026")));
    }

    void longCommandsAreLaunchedWhole()
    {
        const QString path =
            QStringLiteral("/home/user/Программы/очень длинная папка/ещё одна папка/запуск.sh");
        QVERIFY(path.size() > kTaskNameLength);
        const TaskFields stored = taskFields(path);
        QCOMPARE(stored.name, path.left(kTaskNameLength));
        QCOMPARE(stored.file, path);
        // The cut name is never launched.
        QCOMPARE(launchTarget(stored.name, stored.file), path);
        // A name edited in the grid is what runs, even a shorter cut.
        QCOMPARE(launchTarget(QStringLiteral("gedit"), path), QStringLiteral("gedit"));
        QCOMPARE(launchTarget(path.left(kTaskNameLength - 1), path), path.left(kTaskNameLength - 1));
        // A short command: both fields alike, the name runs.
        QCOMPARE(taskFields(QStringLiteral("xterm")).name, QStringLiteral("xterm"));
        QCOMPARE(launchTarget(QStringLiteral("xterm"), QStringLiteral("xterm")), QStringLiteral("xterm"));

        QCOMPARE(taskQuestion(QDateTime(QDate(2026, 3, 8), QTime(0, 0)), QStringLiteral("xterm")),
                 QStringLiteral("На 08.03.2026 назначена задача:\r\nxterm\r\n\r\nВыполнить?"));

        qputenv("WINDIR", "D:\\WINNT\\");
        QCOMPARE(readyMadeCommands(windowsDirectory()),
                 (QStringList{"D:\\WINNT\\System32\\dfrg.msc", "D:\\WINNT\\System32\\restore\\rstrui.exe",
                              "D:\\WINNT\\System32\\cleanmgr.exe"}));
        qunsetenv("WINDIR");
        QCOMPARE(windowsDirectory(), QStringLiteral("C:\\Windows"));
    }

    void historyRepeatsAndMinutes()
    {
        QCOMPARE(withoutRepeats({"a", "b", "a", "c", "b", "a"}), (QStringList{"a", "b", "c"}));
        QCOMPARE(withoutRepeats({"A", "a", "", ""}), (QStringList{"A", "a", ""}));

        QCOMPARE(parseMinutes(QStringLiteral("5")).value, 5);
        QCOMPARE(parseMinutes(QStringLiteral("150")).value, 150);
        QCOMPARE(parseMinutes(QStringLiteral("0")).value, 0);
        for (const char* bad : {"-5", "пять", "", "2.5", "99999999"}) {
            const Minutes read = parseMinutes(QString::fromUtf8(bad));
            QVERIFY2(!read.value && !read.error.isEmpty(), bad);
        }
    }

    void signalSoundPlaysOrFallsBack()
    {
        TestHome home; // plays into ALSA's null device
        const QString chime = TestHome::programFolder() + QStringLiteral("1.wav");
        QCOMPARE(CanberraPlayer::wavLength(chime), 1500);
        QVERIFY(!CanberraPlayer::wavLength(TestHome::programFolder() + QStringLiteral("tea.ico")));

        CanberraPlayer player;
        QCOMPARE(player.play(chime), CanberraPlayer::Outcome::File);
        // A file that is missing or is no sound: the desktop's alert, or a beep.
        QVERIFY(player.play(home.path() + QStringLiteral("/missing.wav")) != CanberraPlayer::Outcome::File);
        QFile garbage(home.path() + QStringLiteral("/garbage.wav"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("RIFF this is no sound at all");
        garbage.close();
        QVERIFY(player.play(garbage.fileName()) != CanberraPlayer::Outcome::File);
    }
};

QUILL_TEST_MAIN(TestPlannerRules)
#include "tst_planner_rules.moc"

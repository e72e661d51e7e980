#include "planner_fixture.h"
#include "test_main.h"

#include <QApplication>
#include <QSqlQuery>

using Button = MessageBoxes::Button;

class TestDueItemMonitor : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_fixture = std::make_unique<PlannerFixture>();
    }
    void cleanup()
    {
        m_fixture.reset();
        m_seams.reset();
        m_home.reset();
    }

    void emptyTablesDoNothing()
    {
        m_fixture->start();
        m_fixture->tick();
        m_fixture->tick();
        QVERIFY(m_seams->boxes.shown.isEmpty());
        QVERIFY(m_seams->modals.opened.isEmpty());
        QVERIFY(m_seams->sound.played.isEmpty());
        QVERIFY(m_fixture->Timer1()->isActive());
        QCOMPARE(m_fixture->Timer1()->interval(), 3000);
    }

    // Due at now, not a second early; the sound ends before the pop-up shows;
    // the timer is off while it is open; "Отложить" puts it off by exactly a day.
    void aReminderComesAtItsMomentAndIsPutOffByADay()
    {
        m_fixture->start();
        const QDateTime now = m_seams->clock.current; // 8 March 14:20:05
        m_fixture->seedReminder(QStringLiteral("Позвонить маме"), now);
        m_fixture->seedReminder(QStringLiteral("Через секунду"), now.addSecs(1));

        QStringList seen;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            seen.append(popupLine(window));
            QCOMPARE(m_seams->sound.played, QStringList{TestHome::programFolder() + QStringLiteral("1.wav")});
            QVERIFY(!m_fixture->Timer1()->isActive());
            auto* popup = qobject_cast<TForm9*>(window);
            QCOMPARE(popup->windowTitle(), QStringLiteral("Напоминание"));
            QCOMPARE(popup->Label1->text(), QStringLiteral("Сегодня: 08.03.2026 14:20:05"));
            QCOMPARE(popup->StaticText1->text(),
                     QStringLiteral("Кнопка \"Отложить\" отложит напоминание на один день"));
            popup->Button1->click();
        });
        m_fixture->tick();
        QCOMPARE(seen, QStringList{"Позвонить маме | Дата события: 08.03.2026 14:20:05"});
        QVERIFY(m_fixture->Timer1()->isActive());
        QCOMPARE(m_fixture->reminderLines(), (QStringList{"Через секунду | 2026-03-08T14:20:06.000",
                                                          "Позвонить маме | 2026-03-09T14:20:05.000"}));
        // The grid follows at once.
        QCOMPARE(m_fixture->reminders()->model()->rowCount(), 2);
        QCOMPARE(m_fixture->reminders()->model()->index(0, 0).data().toString(),
                 QStringLiteral("Через секунду"));

        m_fixture->tick();
        QCOMPARE(m_seams->modals.opened.size(), 1);

        // The pop-up closed a little later: the day counts from the closing.
        m_seams->clock.current = now.addSecs(1);
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            m_seams->clock.current = now.addSecs(40);
            window->close(); // the close box puts off, as "Отложить" does
        });
        m_fixture->tick();
        QCOMPARE(m_fixture->reminderLines(), (QStringList{"Позвонить маме | 2026-03-09T14:20:05.000",
                                                          "Через секунду | 2026-03-09T14:20:45.000"}));
        QVERIFY(m_seams->boxes.shown.isEmpty());
    }

    void dueRemindersComeOnePerTickEarliestFirst()
    {
        m_fixture->start();
        const QDateTime minute = at(8, 14, 20);
        m_fixture->seedReminder(QStringLiteral("третье"), minute.addSecs(2));
        m_fixture->seedReminder(QStringLiteral("первое"), minute);
        m_fixture->seedReminder(QStringLiteral("второе"), minute);
        m_fixture->seedReminder(QStringLiteral("в полночь"), at(9, 0, 0));
        QStringList seen;
        const auto dismiss = [&](QDialog* window) {
            seen.append(popupLine(window));
            qobject_cast<TForm9*>(window)->Button2->click();
        };
        for (int tick = 1; tick <= 3; ++tick) {
            m_seams->modals.scripts.enqueue(dismiss);
            m_fixture->tick();
            QCOMPARE(seen.size(), tick);
        }
        QCOMPARE(seen, (QStringList{"первое | Дата события: 08.03.2026 14:20:00",
                                    "второе | Дата события: 08.03.2026 14:20:00",
                                    "третье | Дата события: 08.03.2026 14:20:02"}));
        m_fixture->tick();
        QCOMPARE(seen.size(), 3);
        // At midnight the date stands alone.
        m_seams->clock.current = at(9, 0, 0);
        m_seams->modals.scripts.enqueue(dismiss);
        m_fixture->tick();
        QCOMPARE(seen.last(), QStringLiteral("в полночь | Дата события: 09.03.2026"));
        QVERIFY(m_fixture->reminderLines().isEmpty());
        QCOMPARE(m_seams->sound.played.size(), 4);
    }

    // The task question comes first, then the reminder in the same tick; No
    // deletes the task unlaunched; Yes launches what the row names.
    void aTaskAndAReminderTogether()
    {
        m_fixture->start();
        const QDateTime now = m_seams->clock.current;
        m_fixture->seedTask(QStringLiteral("gedit"), QStringLiteral("gedit"), now.addSecs(-60));
        m_fixture->seedReminder(QStringLiteral("Чай"), now.addSecs(-60));
        QStringList order;
        m_seams->boxes.onShow = [&](const MessageBoxes::Request& request) {
            order.append(QStringLiteral("question"));
            QCOMPARE(request.title, QStringLiteral("Задача"));
            QCOMPARE(request.icon, MessageBoxes::Icon::None);
            QCOMPARE(request.buttons, (QList<Button>{Button::Yes, Button::No}));
            QCOMPARE(request.text,
                     QStringLiteral("На 08.03.2026 14:19:05 назначена задача:\r\ngedit\r\n\r\nВыполнить?"));
            QVERIFY(!m_fixture->Timer1()->isActive());
        };
        m_seams->boxes.answers.enqueue(Button::No);
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            order.append(QStringLiteral("pop-up"));
            window->close();
        });
        m_fixture->tick();
        QCOMPARE(order, (QStringList{"question", "pop-up"}));
        QVERIFY(m_fixture->taskLines().isEmpty());
        QVERIFY(m_seams->shell.opened.isEmpty());
        QCOMPARE(m_fixture->reminderLines(), QStringList{"Чай | 2026-03-09T14:20:05.000"});

        // Yes: a long path picked once, cut in Название, runs whole; a name
        // edited in the grid runs as edited.
        const QString path = QStringLiteral("/opt/Очень длинное имя папки/и ещё одна папка/bin/program.sh");
        m_fixture->seedTask(path.left(50), path, now);
        m_fixture->seedTask(QStringLiteral("xterm"), path, now);
        m_seams->boxes.onShow = {};
        m_seams->boxes.answers << Button::Yes << Button::Yes;
        m_fixture->tick();
        m_fixture->tick();
        QCOMPARE(m_seams->shell.opened, (QStringList{path, "xterm"}));
        QVERIFY(m_seams->boxes.texts().at(1).contains(QLatin1Char('\n') + path + QLatin1Char('\r')));
        QVERIFY(m_fixture->Timer1()->isActive());
    }

    // A week away: every overdue task, then every overdue reminder, each
    // once, earliest first, before the window shows.
    void theStartUpPassHandlesEveryOverdueRowOnce()
    {
        const QDateTime now = m_seams->clock.current;
        const QDateTime weekAgo = now.addDays(-7);
        m_fixture->seedReminder(QStringLiteral("r3"), weekAgo.addDays(2));
        m_fixture->seedReminder(QStringLiteral("r1"), weekAgo);
        m_fixture->seedReminder(QStringLiteral("r2"), weekAgo); // adjacent to r1: not to be skipped
        m_fixture->seedReminder(QStringLiteral("r4"), weekAgo.addDays(5));
        m_fixture->seedReminder(QStringLiteral("r5"), now);
        m_fixture->seedReminder(QStringLiteral("later"), now.addSecs(60));
        m_fixture->seedTask(QStringLiteral("t2"), QStringLiteral("t2"), weekAgo.addDays(1));
        m_fixture->seedTask(QStringLiteral("t1"), QStringLiteral("t1"), weekAgo);
        m_fixture->seedTask(QStringLiteral("t-later"), QStringLiteral("t-later"), now.addDays(1));

        QStringList order;
        const auto windowHidden = [] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (qobject_cast<TForm1*>(top) && top->isVisible())
                    return false;
            return true;
        };
        m_seams->boxes.onShow = [&](const MessageBoxes::Request& request) {
            order.append(request.text.section(QStringLiteral("\r\n"), 1, 1));
            QVERIFY(windowHidden());
        };
        m_seams->boxes.answers << Button::Yes << Button::No;
        // r1 and r4 are put off: neither comes again in the same pass.
        for (const bool putOff : {true, false, false, true, false}) {
            m_seams->modals.scripts.enqueue([&, putOff](QDialog* window) {
                order.append(qobject_cast<TForm9*>(window)->Event->text());
                QVERIFY(windowHidden());
                // The main window takes no input yet; the pop-up does.
                QVERIFY(!qobject_cast<TForm1*>(window->parentWidget())->acceptsInput());
                QVERIFY(window->isEnabled());
                auto* popup = qobject_cast<TForm9*>(window);
                (putOff ? popup->Button1 : popup->Button2)->click();
            });
        }
        m_fixture->start();
        QCOMPARE(order, (QStringList{"t1", "t2", "r1", "r2", "r3", "r4", "r5"}));
        QCOMPARE(m_seams->shell.opened, QStringList{"t1"});
        QCOMPARE(m_fixture->taskLines(), QStringList{"t-later | t-later | 2026-03-09T14:20:05.000"});
        QCOMPARE(m_fixture->reminderLines(),
                 (QStringList{"later | 2026-03-08T14:21:05.000", "r1 | 2026-03-09T14:20:05.000",
                              "r4 | 2026-03-09T14:20:05.000"}));
        QVERIFY(m_seams->modals.scripts.isEmpty());
        // The monitor's timer was not started by the pass's pop-ups before its time.
        QCOMPARE(m_fixture->Timer1()->interval(), 3000);
    }

    // Putting off that fails leaves the reminder where it was, with a word to
    // the user; a reminder deleted while its pop-up was open stays deleted.
    void aFailedPostponementNeverDeletes()
    {
        m_fixture->start();
        const QDateTime now = m_seams->clock.current;
        m_fixture->seedReminder(QStringLiteral("Не пропасть"), now);
        QSqlQuery refuse(m_fixture->database().BigBd());
        QVERIFY(refuse.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON \"Напоминания\" "
                                           "BEGIN SELECT RAISE(ABORT, 'disk full'); END")));
        m_seams->modals.scripts.enqueue(
            [](QDialog* window) { qobject_cast<TForm9*>(window)->Button1->click(); });
        m_fixture->tick();
        QCOMPARE(m_fixture->reminderLines(), QStringList{"Не пропасть | 2026-03-08T14:20:05.000"});
        QCOMPARE(m_seams->boxes.titles(), QStringList{MessageBoxes::kErrorTitle});
        QVERIFY(m_seams->boxes.texts().first().contains(QStringLiteral("Не пропасть")));
        QVERIFY(m_fixture->Timer1()->isActive());

        // It does not come again in this run, though it is still due.
        QVERIFY(refuse.exec(QStringLiteral("DROP TRIGGER refuse")));
        m_fixture->tick();
        QCOMPARE(m_seams->modals.opened.size(), 1);

        const qint64 other = m_fixture->seedReminder(QStringLiteral("Удалят при показе"), now.addSecs(1));
        m_seams->clock.current = now.addSecs(1);
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            m_fixture->database().EventsTable.remove(other);
            qobject_cast<TForm9*>(window)->Button1->click();
        });
        m_fixture->tick();
        QCOMPARE(m_fixture->reminderLines(), QStringList{"Не пропасть | 2026-03-08T14:20:05.000"});
        QCOMPARE(m_seams->boxes.shown.size(), 1);
    }

    // A stray Enter puts the reminder off; the pop-up keeps its cream look
    // under any colour scheme.
    void enterPutsOffAndThePopUpKeepsItsOwnLook()
    {
        m_fixture->start();
        const QDateTime now = m_seams->clock.current;
        m_fixture->seedReminder(QStringLiteral("Не удалять"), now);
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            auto* popup = qobject_cast<TForm9*>(window);
            QVERIFY(popup->Button1->isDefault());
            QVERIFY(!popup->Button2->isDefault());
            QVERIFY(!popup->skin);
            QCOMPARE(popup->font().pixelSize(), 20);
            QCOMPARE(popup->palette().color(QPalette::Window), QColor(255, 251, 240));
            popup->show();
            QTest::keyClick(popup, Qt::Key_Return);
        });
        m_fixture->tick();
        QCOMPARE(m_fixture->reminderLines(),
                 QStringList{"Не удалять | " + now.addDays(1).toString(Qt::ISODateWithMs)});
    }

    // A profile that takes no writes: each row is offered once in the run and
    // the user is told once, not at every tick.
    void rowsThatCannotBeChangedAreNotOfferedAgain()
    {
        m_fixture->start();
        const QDateTime now = m_seams->clock.current;
        m_fixture->seedTask(QStringLiteral("report"), QStringLiteral("report.sh"), now.addSecs(-60));
        m_fixture->seedReminder(QStringLiteral("Застрявшее"), now.addSecs(-60));
        m_fixture->seedReminder(QStringLiteral("Следующее"), now.addSecs(-30));
        QSqlQuery refuse(m_fixture->database().BigBd());
        QVERIFY(refuse.exec(R"(CREATE TRIGGER "no_task_delete" BEFORE DELETE ON "Задачи"
                              BEGIN SELECT RAISE(ABORT, 'disk full'); END)"));
        QVERIFY(refuse.exec(R"(CREATE TRIGGER "no_event_change" BEFORE UPDATE ON "Напоминания"
                              WHEN OLD."Текст" = 'Застрявшее' BEGIN SELECT RAISE(ABORT, 'disk full'); END)"));
        m_seams->boxes.answers << Button::Yes << Button::Ok << Button::Ok;
        QStringList popups;
        for (int i = 0; i < 2; ++i)
            m_seams->modals.scripts.enqueue([&](QDialog* window) {
                popups.append(qobject_cast<TForm9*>(window)->Event->text());
                qobject_cast<TForm9*>(window)->Button1->click();
            });
        for (int i = 0; i < 5; ++i)
            m_fixture->tick();
        QCOMPARE(m_seams->shell.opened, QStringList{"report"});
        QCOMPARE(popups, (QStringList{"Застрявшее", "Следующее"}));
        const QStringList titles = m_seams->boxes.titles();
        QCOMPARE(titles, (QStringList{"Задача", "Произошла ошибка!", "Произошла ошибка!"}));
        QVERIFY(m_seams->boxes.shown[1].text.contains("«report»"));
        QVERIFY(m_seams->boxes.shown[2].text.contains("Застрявшее"));
        QVERIFY(m_seams->boxes.shown[2].text.contains("disk full"));
        // The one that could be put off was; the other stays as it was.
        QCOMPARE(m_fixture->reminderLines(),
                 (QStringList{"Застрявшее | " + now.addSecs(-60).toString(Qt::ISODateWithMs),
                              "Следующее | " + now.addDays(1).toString(Qt::ISODateWithMs)}));
    }

    // An unreadable table is said once, however many ticks come.
    void anUnreadableProfileIsReportedOnce()
    {
        m_fixture->start();
        QSqlQuery damage(m_fixture->database().BigBd());
        QVERIFY(damage.exec(R"(ALTER TABLE "Напоминания" RENAME TO "gone")"));
        for (int i = 0; i < 4; ++i)
            m_fixture->tick();
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QCOMPARE(m_seams->boxes.shown[0].title, QStringLiteral("Произошла ошибка!"));
        QVERIFY(m_seams->boxes.shown[0].text.contains("Напоминания"));
        QVERIFY(m_fixture->Timer1()->isActive());
        // Readable again, then unreadable again: said once more.
        QVERIFY(damage.exec(R"(ALTER TABLE "gone" RENAME TO "Напоминания")"));
        m_fixture->tick();
        QVERIFY(damage.exec(R"(ALTER TABLE "Напоминания" RENAME TO "gone")"));
        m_fixture->tick();
        m_fixture->tick();
        QCOMPARE(m_seams->boxes.shown.size(), 2);
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<PlannerFixture> m_fixture;
};

QUILL_TEST_MAIN(TestDueItemMonitor)
#include "tst_due_item_monitor.moc"

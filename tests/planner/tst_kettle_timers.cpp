#include "kettle_timers.h"
#include "planner_fixture.h"
#include "slides_page.h"
#include "tea_window.h"
#include "test_main.h"
#include "tray_icon.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

using Button = MessageBoxes::Button;

class TestKettleTimers : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        TrayIcon::setAvailableForTests(true);
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_fixture = std::make_unique<PlannerFixture>();
        m_fixture->start();
        // The timers are started from the tray's menu: the icon is there.
        m_fixture->window->trayIcon()->add();
    }
    void cleanup()
    {
        m_fixture.reset();
        m_seams.reset();
        m_home.reset();
        TrayIcon::setAvailableForTests(std::nullopt);
    }

    // The default five minutes: one alarm after 300000 ms, with the kettle's
    // picture in the tray until the pop-up is closed.
    void theKettleRingsOnceAfterFiveMinutes()
    {
        KettleTimers* timers = m_fixture->window->schedule()->timers();
        QTimer* TeaTimer = m_fixture->window->findChild<QTimer*>(QStringLiteral("TeaTimer"));
        QCOMPARE(TeaTimer, timers->TeaTimer);
        QVERIFY(!TeaTimer->isActive());
        QAction* kettle = m_fixture->window->PopupMenu1->findChild<QAction*>(QStringLiteral("N100"));
        QVERIFY(kettle->isEnabled());
        QCOMPARE(kettle->text(), QStringLiteral("Поставить чайник..."));

        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* form = qobject_cast<TTeaForm*>(window);
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), QStringLiteral("Поставить чайник"));
            QCOMPARE(form->StaticText1->text(), TTeaForm::kKettleText);
            QCOMPARE(form->Edit1->text(), QStringLiteral("5"));
            form->BitBtn1->click();
        });
        kettle->trigger();
        QVERIFY(TeaTimer->isActive());
        QCOMPARE(TeaTimer->interval(), 300000);
        QCOMPARE(m_fixture->window->trayIcon()->picture().cacheKey(),
                 timers->picture(KettleTimers::Mode::Kettle).cacheKey());

        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            QCOMPARE(popupLine(window), QStringLiteral("Чайник вскипел! | Дата события: сейчас"));
            QCOMPARE(m_seams->sound.played.size(), 1);
            // Left open longer than another interval: no second alarm is on its way.
            QVERIFY(!TeaTimer->isActive());
            QCOMPARE(m_fixture->window->trayIcon()->picture().cacheKey(),
                     timers->picture(KettleTimers::Mode::Kettle).cacheKey());
            window->close();
        });
        QMetaObject::invokeMethod(TeaTimer, "timeout");
        QCOMPARE(m_seams->modals.opened, (QStringList{"TTeaForm", "TForm9"}));
        QVERIFY(!TeaTimer->isActive());
        QVERIFY(m_fixture->window->trayIcon()->picture().cacheKey() !=
                timers->picture(KettleTimers::Mode::Kettle).cacheKey());
    }

    // The countdown replaces a running kettle: its message, its picture and its interval.
    void aCountdownReplacesTheKettle()
    {
        KettleTimers* timers = m_fixture->window->schedule()->timers();
        m_seams->modals.scripts.enqueue(
            [](QDialog* window) { qobject_cast<TTeaForm*>(window)->BitBtn1->click(); });
        timers->N100Click();
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* form = qobject_cast<TTeaForm*>(window);
            QCOMPARE(form->StaticText1->text(), TTeaForm::kCountdownText);
            form->Edit1->setText(QStringLiteral("150"));
            form->BitBtn1->click();
        });
        m_fixture->window->PopupMenu1->findChild<QAction*>(QStringLiteral("N103"))->trigger();
        QCOMPARE(timers->TeaTimer->interval(), 150 * 60000);
        QCOMPARE(m_fixture->window->trayIcon()->picture().cacheKey(),
                 timers->picture(KettleTimers::Mode::Countdown).cacheKey());
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            QCOMPARE(popupLine(window), QStringLiteral("Время закончилось | Дата события: сейчас"));
        });
        QMetaObject::invokeMethod(timers->TeaTimer, "timeout");
        QCOMPARE(m_seams->modals.opened.count(QStringLiteral("TForm9")), 1);
    }

    // 0 minutes starts nothing (a timer of no interval would fire without
    // end) and stops the one running; a negative or unreadable number is
    // refused with a word and changes nothing.
    void minutesThatGiveNoAlarm()
    {
        KettleTimers* timers = m_fixture->window->schedule()->timers();
        const auto minutes = [this](const QString& typed, bool cancelAfter = false) {
            m_seams->modals.scripts.enqueue([typed, cancelAfter](QDialog* window) {
                auto* form = qobject_cast<TTeaForm*>(window);
                form->Edit1->setText(typed);
                form->BitBtn1->click();
                if (cancelAfter) {
                    QVERIFY(form->isVisible());
                    form->BitBtn2->click();
                }
            });
        };
        minutes(QStringLiteral("3"));
        timers->N103Click();
        QVERIFY(timers->TeaTimer->isActive());

        minutes(QStringLiteral("-5"), true);
        timers->N100Click();
        minutes(QStringLiteral("пять"), true);
        timers->N100Click();
        QCOMPARE(m_seams->boxes.titles(),
                 (QStringList{MessageBoxes::kErrorTitle, MessageBoxes::kErrorTitle}));
        QVERIFY(m_seams->boxes.texts().first().startsWith(
            QStringLiteral("Число минут не может быть отрицательным")));
        QVERIFY(timers->TeaTimer->isActive());
        QCOMPARE(timers->TeaTimer->interval(), 3 * 60000);
        QCOMPARE(timers->mode(), KettleTimers::Mode::Countdown);

        minutes(QStringLiteral("0"));
        timers->N100Click();
        QVERIFY(!timers->TeaTimer->isActive());
        QCOMPARE(timers->mode(), KettleTimers::Mode::Kettle);
        QCOMPARE(m_fixture->window->trayIcon()->picture().cacheKey(),
                 timers->picture(KettleTimers::Mode::Kettle).cacheKey());
        QTest::qWait(20);
        QVERIFY(!m_seams->modals.opened.contains(QStringLiteral("TForm9")));

        // The arrows step within 0..100; typing is free.
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* form = qobject_cast<TTeaForm*>(window);
            form->Edit1->setText(QStringLiteral("100"));
            form->UpDown1->up->click();
            QCOMPARE(form->Edit1->text(), QStringLiteral("100"));
            form->Edit1->setText(QStringLiteral("0"));
            form->UpDown1->down->click();
            QCOMPARE(form->Edit1->text(), QStringLiteral("0"));
            form->BitBtn2->click();
        });
        timers->N100Click();
    }

    // The monitor's pop-up over the kettle's: each belongs to its opener and
    // closes on its own.
    void twoPopUpsCloseIndependently()
    {
        KettleTimers* timers = m_fixture->window->schedule()->timers();
        m_seams->modals.scripts.enqueue(
            [](QDialog* window) { qobject_cast<TTeaForm*>(window)->BitBtn1->click(); });
        timers->N100Click();
        m_fixture->seedReminder(QStringLiteral("Выключить плиту"), m_seams->clock.current);

        QDialog* kettlePopup = nullptr;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            kettlePopup = window;
            m_fixture->tick();
            QVERIFY(window->isVisible());
            QCOMPARE(popupLine(window), QStringLiteral("Чайник вскипел! | Дата события: сейчас"));
            // The monitor is on again while the kettle's pop-up stays open.
            QVERIFY(m_fixture->Timer1()->isActive());
            qobject_cast<TForm9*>(window)->Button1->click();
        });
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            QVERIFY(window != kettlePopup);
            QCOMPARE(popupLine(window),
                     QStringLiteral("Выключить плиту | Дата события: 08.03.2026 14:20:05"));
            qobject_cast<TForm9*>(window)->Button2->click();
            QVERIFY(kettlePopup->isVisible());
        });
        QMetaObject::invokeMethod(timers->TeaTimer, "timeout");
        QCOMPARE(m_seams->modals.opened, (QStringList{"TTeaForm", "TForm9", "TForm9"}));
        QVERIFY(m_fixture->reminderLines().isEmpty());
        QVERIFY(m_fixture->window->trayIcon()->picture().cacheKey() !=
                timers->picture(KettleTimers::Mode::Kettle).cacheKey());
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<PlannerFixture> m_fixture;
};

QUILL_TEST_MAIN(TestKettleTimers)
#include "tst_kettle_timers.moc"

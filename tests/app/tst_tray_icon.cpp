#include "sections.h"
#include "test_main.h"
#include "tray_icon.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

namespace {
const QString kConfig = QStringLiteral("Software\\Quillarbor\\Config");
}

class TestTrayIcon : public QObject
{
    Q_OBJECT

private slots:
    void init() { TrayIcon::setAvailableForTests(true); }
    void cleanup() { TrayIcon::setAvailableForTests(std::nullopt); }

    void firstTickHidesIntoTheTrayWhenAsked()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        QVERIFY(!window.trayIcon()->isAdded());
        window.Timer1Timer();
        QVERIFY(window.acceptsInput());
        QVERIFY(window.trayIcon()->isAdded());
        QVERIFY(!window.isVisible());
        QCOMPARE(window.trayIcon()->tip(), QStringLiteral("Quillarbor 3.2 - tester"));
        // Only the first tick does it.
        window.trayIcon()->leftClick();
        QVERIFY(window.isVisible());
        window.Timer1Timer();
        QVERIFY(window.isVisible());
    }

    void minimisingTwiceGivesOneIcon()
    {
        WindowFixture fixture(
            [](RegistryStore& registry) { registry.writeBool(kConfig, "HideInTray", false); });
        TForm1& window = *fixture.window;
        window.Timer1Timer();
        QVERIFY(window.isVisible());
        for (int round = 0; round < 2; ++round) {
            window.showMinimized();
            QTRY_VERIFY(!window.isVisible());
            QVERIFY(!(window.windowState() & Qt::WindowMinimized));
            window.trayIcon()->leftClick();
            QVERIFY(window.isVisible());
        }
        QCOMPARE(window.findChildren<QSystemTrayIcon*>().size(), 1);
    }

    void hideInTrayCommandAndPictures()
    {
        WindowFixture fixture(
            [](RegistryStore& registry) { registry.writeBool(kConfig, "HideInTray", false); });
        TForm1& window = *fixture.window;
        window.Timer1Timer();
        QAction* hide = window.findChild<QAction*>("HideInTrayAction");
        QCOMPARE(hide->shortcut(), QKeySequence("Ctrl+H"));
        hide->trigger();
        QVERIFY(window.trayIcon()->isAdded());
        QVERIFY(!window.isVisible());

        // A timer's picture is reset by a click, by the command and by Close.
        const QIcon kettle(QStringLiteral(":/icons/tea.png"));
        window.trayIcon()->setPicture(kettle);
        QCOMPARE(window.trayIcon()->picture().cacheKey(), kettle.cacheKey());
        window.trayIcon()->leftClick();
        QVERIFY(window.trayIcon()->picture().cacheKey() != kettle.cacheKey());
        window.trayIcon()->setPicture(kettle);
        window.close();
        QVERIFY(window.trayIcon()->picture().cacheKey() != kettle.cacheKey());
    }

    void aLaterStartBringsTheWindowOutOfTheTray()
    {
        WindowFixture fixture(
            [](RegistryStore& registry) { registry.writeBool(kConfig, "HideInTray", false); });
        TForm1& window = *fixture.window;
        window.Timer1Timer();
        window.findChild<QAction*>("HideInTrayAction")->trigger();
        QVERIFY(!window.isVisible());
        window.bringToFront();
        QVERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
        // A second request while it is already on screen changes nothing.
        window.bringToFront();
        QVERIFY(window.isVisible());
    }

    void withoutANotificationAreaTheWindowMinimisesInstead()
    {
        TrayIcon::setAvailableForTests(false);
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        window.Timer1Timer(); // HideInTray is on by default
        QVERIFY(!window.trayIcon()->isAdded());
        QVERIFY(window.isMinimized());
        window.findChild<QAction*>("HideInTrayAction")->trigger();
        QVERIFY(!window.trayIcon()->isAdded());
        QVERIFY(window.isMinimized());
    }

    void longUserNamesAreCutInTheTip()
    {
        const QString name(200, QLatin1Char('u'));
        const QString tip = TrayIcon::tipFor(name);
        QCOMPARE(tip.size(), 127);
        QCOMPARE(tip, (QStringLiteral("Quillarbor 3.2 - ") + name).left(127));
    }

    void quickLaunchMenuGoesThroughTheShell()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        QMenu* menu = window.PopupMenu1;
        QStringList captions;
        for (QAction* action : menu->actions())
            captions.append(action->text());
        QCOMPARE(captions, (QStringList{"По&казать", "В&ыполнить", "&Быстрый переход", "Таймер...",
                                        "Поставить чайник...", "О &программе...", "&Выход"}));
        QMenu* go = menu->actions()[2]->menu();
        go->actions()[0]->trigger();
        go->actions()[1]->trigger();
        QCOMPARE(fixture.seams.shell.opened,
                 (QStringList{fixture.home.documents(), QStringLiteral("https://www.google.com/")}));

        // A tool with no program installed is explained, not silently ignored.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", fixture.home.path().toUtf8());
        menu->actions()[1]->menu()->actions()[4]->trigger(); // "Калькулятор"
        qputenv("PATH", path);
        QCOMPARE(fixture.seams.boxes.shown.size(), 1);
        QVERIFY(fixture.seams.boxes.shown[0].text.contains(QStringLiteral("Калькулятор")));
        QCOMPARE(fixture.seams.shell.opened.size(), 2);
    }

    // A right click opens the menu over the window; a window hidden in the
    // tray stays hidden.
    void rightClickRaisesTheWindowAndOpensTheMenu()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        window.Timer1Timer();
        QVERIFY(!window.isVisible());
        window.trayIcon()->rightClick();
        QVERIFY(window.PopupMenu1->isVisible());
        QVERIFY(!window.isVisible());
        window.PopupMenu1->close();

        window.trayIcon()->leftClick();
        window.trayIcon()->rightClick();
        QVERIFY(window.isVisible());
        QVERIFY(window.PopupMenu1->isVisible());
        window.PopupMenu1->close();
    }
};

QUILL_TEST_MAIN(TestTrayIcon)
#include "tst_tray_icon.moc"

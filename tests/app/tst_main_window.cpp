#include "about_window.h"
#include "browser_section.h"
#include "build_addresses.h"
#include "error_handler.h"
#include "main_window.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "sections.h"
#include "settings.h"
#include "test_home.h"
#include "test_main.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

// Fails in the middle of handling an event, as a faulty handler would.
class ThrowingObject : public QObject
{
public:
    bool event(QEvent*) override { throw std::runtime_error("internal detail"); }
};

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        m_registry->load();
        Settings::writeFirstRunDefaults(*m_registry);
        m_window = std::make_unique<TForm1>(*m_registry);
        QVERIFY(m_window->startedUp());
        m_window->show();
        m_window->Timer1Timer(); // the first tick enables the window
    }
    void cleanup()
    {
        m_window.reset();
        m_registry.reset();
        m_seams.reset();
        m_home.reset();
    }

    void firstTickEnablesTheWindow()
    {
        QVERIFY(m_window->acceptsInput());
        QCOMPARE(m_window->size(), QSize(875, 636));
    }

    void everyTreeNodeShowsExactlyItsOneBox()
    {
        // The section boxes; the sections hold group boxes of their own inside.
        const QList<QGroupBox*> boxes =
            m_window->centralWidget()->findChildren<QGroupBox*>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(boxes.size(), Sections::boxes().size());
        // Node caption, expected section and group box, written out by hand.
        const QList<std::tuple<QString, int, QString>> expected = {
            {"Ежедневник", 778, "EveryDay"},
            {"Календарь", 777, "CalendarBox"},
            {"Почта", 1, "GroupBox1"},
            {"Пароли", 40, "PassBox"},
            {"Дневник", 41, "DiaryBox"},
            {"Заметки", 9, "Marks"},
            {"Расписание", 6, "GroupBox5"},
            {"Напоминания", 6, "GroupBox5"},
            {"Задачи", 5, "GroupBox6"},
            {"Адресная книга", 10, "GroupBox2"},
            {"Записи", 10, "GroupBox2"},
            {"Поиск", 11, "GroupBox4"},
            {"Медиа", 42, "IdeaBox"},
            {"Идеи", 42, "IdeaBox"},
            {"Плагины", 33, "GroupBox7"},
            {"Настройки", 15, "Config"},
            {"Информация", 16, "Browser"},
            {"Новости", 16, "Browser"},
            {"Погода", 17, "Browser"},
            {"Ресурсы", 18, "Resources"},
            {"Справка", 25, "Help"},
            {"Интернет-поддержка", 21, "Browser"},
            {"Новые версии", 22, "Browser"},
            {"Плагины", 101, "Browser"},
            {"Официальный сайт программы", 21, "Browser"},
            {"Письмо в службу поддержки", 30, "GroupBox1"},
        };
        QList<QTreeWidgetItem*> items;
        for (QTreeWidgetItemIterator it(m_window->TreeView1); *it; ++it)
            items.append(*it);
        QCOMPARE(items.size(), expected.size());
        for (int i = 0; i < items.size(); ++i) {
            const auto& [caption, section, boxName] = expected[i];
            QCOMPARE(items[i]->text(0), caption);
            m_window->TreeView1->setCurrentItem(items[i]);
            QCOMPARE(m_window->currentSection(), section);
            QStringList visible;
            for (QGroupBox* box : boxes)
                if (box->isVisible())
                    visible.append(box->objectName());
            QCOMPARE(visible, QStringList{boxName});
        }
        QCOMPARE(m_window->sectionBox("GroupBox4")->title(), QStringLiteral("Поиск в адресной книге"));
        QCOMPARE(m_window->sectionBox("Resources")->title(), QStringLiteral("Ресурсы Интернета"));

        // A number outside the table shows nothing.
        m_window->showSection(12345);
        for (QGroupBox* box : boxes)
            QVERIFY(!box->isVisible());
    }

    // The publisher's pages where this build has their addresses; its own
    // help pages in their place where it has not.
    void siteNodesShowTheSiteOrTheProgramsOwnPages()
    {
        const auto page = [](int number) {
            return QUrl::fromLocalFile(
                       QFileInfo(TestHome::programFolder() + QStringLiteral("Manual/%1.htm").arg(number))
                           .absoluteFilePath())
                .toString();
        };
        const BuildAddresses::Set none;
        BuildAddresses::setForTests(&none);
        const auto restore = qScopeGuard([] { BuildAddresses::setForTests(nullptr); });
        // The section is made on its first showing.
        m_window->showSection(Sections::kNews);
        auto* browser = m_window->findChild<BrowserSection*>(QStringLiteral("BrowserSection"));
        QVERIFY(browser);
        for (const int node : {Sections::kSite, Sections::kNewVersions}) {
            browser->Edit7->clear();
            m_window->showSection(node);
            QTRY_COMPARE_WITH_TIMEOUT(browser->Edit7->text(), page(1), 60000);
        }
        m_window->showSection(Sections::kPluginDownloads);
        QTRY_COMPARE_WITH_TIMEOUT(browser->Edit7->text(), page(14), 60000);

        // The site itself is only asked for: the tests' browser reaches no network.
        const BuildAddresses::Set published{QStringLiteral("https://quillarbor.test/"),
                                            {},
                                            {},
                                            QStringLiteral("https://quillarbor.test/plugins.html")};
        BuildAddresses::setForTests(&published);
        m_window->showSection(Sections::kSite);
        QTRY_COMPARE_WITH_TIMEOUT(browser->Edit7->text(), QStringLiteral("https://quillarbor.test/"), 60000);
        m_window->showSection(Sections::kPluginDownloads);
        QTRY_COMPARE_WITH_TIMEOUT(browser->Edit7->text(),
                                  QStringLiteral("https://quillarbor.test/plugins.html"), 60000);
        QVERIFY(m_seams->shell.opened.isEmpty());
    }

    void errorAndSuccessBoxesAndTheApplicationWideHandler()
    {
        MessageBoxes::errorBox("Нет связи");
        MessageBoxes::successBox("Готово");
        QCOMPARE(m_seams->boxes.shown.size(), 2);
        QCOMPARE(m_seams->boxes.shown[0].title, QStringLiteral("Произошла ошибка!"));
        QCOMPARE(
            m_seams->boxes.shown[0].text,
            QStringLiteral("Нет связи\r\n\r\nДля устранения причин ошибки воспользуйтесь значком ? в правом "
                           "верхнем углу. Или можете активировать в правой панели режим Справка и выбрать "
                           "требуемый раздел."));
        QCOMPARE(m_seams->boxes.shown[0].icon, MessageBoxes::Icon::Critical);
        QCOMPARE(m_seams->boxes.shown[1].title, QStringLiteral("Успех"));
        QCOMPARE(m_seams->boxes.shown[1].text, QStringLiteral("Готово"));
        QCOMPARE(m_seams->boxes.shown[1].icon, MessageBoxes::Icon::Information);

        // A failure escaping a handler is reported without its own text; the program goes on.
        ThrowingObject thrower;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&thrower, &event);
        QCOMPARE(m_seams->boxes.shown.size(), 3);
        QVERIFY(m_seams->boxes.shown[2].text.startsWith(
            QStringLiteral("При попытке выполнить данное действие возникла исключительная ситуация!")));
        QVERIFY(!m_seams->boxes.shown[2].text.contains("internal detail"));
        m_window->showSection(Sections::kNotes);
        QCOMPARE(m_window->currentSection(), int(Sections::kNotes));
    }

    void closeHidesTheWindowAndEndsTheProgram()
    {
        QSignalSpy ended(m_window.get(), &TForm1::programEnded);
        m_window->findChild<QAction*>("ExitAction")->trigger();
        QVERIFY(!m_window->isVisible());
        QCOMPARE(ended.count(), 1);
        QVERIFY(m_seams->boxes.shown.isEmpty());
    }

    void insertDateTimeAndClipboardCommands()
    {
        auto* box = new QLineEdit(m_window->sectionBox("EveryDay"));
        box->show();
        box->setFocus();
        QApplication::setActiveWindow(m_window.get());
        QTRY_COMPARE(m_window->focusWidget(), box);
        m_seams->clock.current = QDateTime(QDate(2011, 1, 1), QTime(7, 5, 9));

        m_window->findChild<QAction*>("InsertDateAction")->trigger();
        QCOMPARE(box->text(), QStringLiteral("01.01.2011"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("01.01.2011"));
        m_window->findChild<QAction*>("InsertTimeAction")->trigger();
        QCOMPARE(box->text(), QStringLiteral("01.01.20117:05:09"));

        box->selectAll();
        m_window->findChild<QAction*>("CutAction")->trigger();
        QCOMPARE(box->text(), QString());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("01.01.20117:05:09"));
        m_window->findChild<QAction*>("PasteAction")->trigger();
        QCOMPARE(box->text(), QStringLiteral("01.01.20117:05:09"));

        // With a button focused, copy and paste leave everything alone.
        auto* button = new QPushButton("x", m_window->sectionBox("EveryDay"));
        button->show();
        button->setFocus();
        QTRY_COMPARE(m_window->focusWidget(), button);
        QApplication::clipboard()->setText("unchanged");
        m_window->findChild<QAction*>("CopyAction")->trigger();
        m_window->findChild<QAction*>("PasteAction")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("unchanged"));
        QCOMPARE(box->text(), QStringLiteral("01.01.20117:05:09"));
    }

    void insertTextFromAWindowsFile()
    {
        const QString path = m_home->path() + "/list.txt";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "\xEF\xE5\xF0\xE2\xE0\xFF\r\n\xE2\xF2\xEE\xF0\xE0\xFF\r\n"); // "первая", "вторая" in Windows-1251
        file.close();

        auto* memo = new QPlainTextEdit(m_window->sectionBox("EveryDay"));
        memo->show();
        memo->setFocus();
        QApplication::setActiveWindow(m_window.get());
        QTRY_COMPARE(m_window->focusWidget(), memo);
        m_seams->files.answers.enqueue(path);
        m_window->findChild<QAction*>("InsertFileAction")->trigger();
        QCOMPARE(memo->toPlainText(), QStringLiteral("первая\nвторая\n"));

        auto* line = new QLineEdit(m_window->sectionBox("EveryDay"));
        line->show();
        line->setFocus();
        QTRY_COMPARE(m_window->focusWidget(), line);
        m_seams->files.answers.enqueue(path);
        m_window->findChild<QAction*>("InsertFileAction")->trigger();
        QCOMPARE(line->text(), QStringLiteral("перваявторая"));

        // A file that cannot be read is reported.
        m_seams->files.answers.enqueue(m_home->path() + "/missing.txt");
        m_window->findChild<QAction*>("InsertFileAction")->trigger();
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QVERIFY(m_seams->boxes.shown[0].text.startsWith(ErrorHandler::kMessage));
    }

    void inputIsRefusedUntilTheFirstTickWithoutGreyingTheWindow()
    {
        TForm1 fresh(*m_registry);
        fresh.show();
        QApplication::setActiveWindow(&fresh);
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        // It looks finished: nothing is disabled, so nothing is greyed.
        QVERIFY(!fresh.acceptsInput());
        QVERIFY(fresh.isEnabled() && fresh.TreeView1->isEnabled());
        QTreeWidgetItem* notes = fresh.TreeView1->findItems("Заметки", Qt::MatchExactly).value(0);
        QVERIFY(notes);
        const QPoint at = fresh.TreeView1->visualItemRect(notes).center();
        QTest::mouseClick(fresh.TreeView1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(fresh.currentSection(), int(Sections::kEveryDay));
        // Nor do its menu shortcuts answer.
        QSignalSpy ended(&fresh, &TForm1::programEnded);
        QTest::keyClick(fresh.TreeView1, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(ended.count(), 0);

        fresh.Timer1Timer();
        QVERIFY(fresh.acceptsInput());
        QTest::mouseClick(fresh.TreeView1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(fresh.currentSection(), int(Sections::kNotes));
    }

    void menuShortcutsWinOverTheKeysOfAFocusedBox()
    {
        auto* box = new QLineEdit("abc", m_window->sectionBox("EveryDay"));
        box->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        box->setFocus();
        QTRY_COMPARE(m_window->focusWidget(), box);
        m_seams->clock.current = QDateTime(QDate(2011, 1, 1), QTime(7, 5, 9));
        box->setCursorPosition(0);
        // Ctrl+D would delete a character and Ctrl+T swap two in a line edit.
        QTest::keyClick(box, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("01.01.2011abc"));
        QTest::keyClick(box, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("01.01.20117:05:09abc"));
        // Ctrl+E is "end of line" to a line edit; here it is "Выход".
        QSignalSpy ended(m_window.get(), &TForm1::programEnded);
        QTest::keyClick(box, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(ended.count(), 1);
    }

    void readOnlyBoxesTakeNoEditAndFileLinesKeepTheSelection()
    {
        auto* fixed = new QLineEdit("fixed", m_window->sectionBox("EveryDay"));
        fixed->setReadOnly(true);
        fixed->show();
        fixed->setFocus();
        QApplication::setActiveWindow(m_window.get());
        QTRY_COMPARE(m_window->focusWidget(), fixed);
        fixed->selectAll();
        QApplication::clipboard()->setText("pasted");
        for (const char* action : {"CutAction", "PasteAction", "InsertDateAction", "InsertTimeAction"})
            m_window->findChild<QAction*>(action)->trigger();
        const QString path = m_home->path() + "/two.txt";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("one\r\ntwo\r\n");
        file.close();
        m_seams->files.answers.enqueue(path);
        m_window->findChild<QAction*>("InsertFileAction")->trigger();
        QCOMPARE(fixed->text(), QStringLiteral("fixed"));
        // Copying from it still works.
        m_window->findChild<QAction*>("CopyAction")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("fixed"));

        // The selection stays, the file's lines follow it.
        auto* memo = new QPlainTextEdit("start end", m_window->sectionBox("EveryDay"));
        memo->show();
        memo->setFocus();
        QTRY_COMPARE(m_window->focusWidget(), memo);
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(0);
        cursor.setPosition(5, QTextCursor::KeepAnchor);
        memo->setTextCursor(cursor);
        m_seams->files.answers.enqueue(path);
        m_window->findChild<QAction*>("InsertFileAction")->trigger();
        QCOMPARE(memo->toPlainText(), QStringLiteral("startone\ntwo\n end"));
    }

    void treeCaptionsAreShownWhole()
    {
        QTreeWidget* tree = m_window->TreeView1;
        const QFontMetrics metrics(tree->font());
        int wrapped = 0;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            const QTreeWidgetItem* item = *it;
            // The text's room: the row less its icon and the margins around both.
            const QRect row = tree->visualItemRect(item);
            const int room = row.width() - tree->iconSize().width() - 12;
            const QRect needed =
                metrics.boundingRect(QRect(0, 0, room, 1000), Qt::TextWordWrap, item->text(0));
            QVERIFY2(needed.width() <= room && needed.height() <= row.height(), qPrintable(item->text(0)));
            if (needed.height() > metrics.height())
                ++wrapped;
        }
        // "Интернет-поддержка", "Официальный сайт программы", "Письмо в службу поддержки".
        QVERIFY(wrapped >= 3);
        QCOMPARE(tree->horizontalScrollBar()->maximum(), 0);
    }

    void helpButtonsAskForTheirPage()
    {
        m_window->notesSection();
        auto* help = m_window->sectionBox("Marks")->findChild<QPushButton*>("Button7");
        QVERIFY(help->isEnabled());
        help->click();
        QCOMPARE(m_window->requestedHelpPage(), 9);
        m_window->sectionBox("GroupBox2")->findChild<QPushButton*>("Button2")->click();
        QCOMPARE(m_window->requestedHelpPage(), 11);
        m_window->sectionBox("GroupBox4")->findChild<QPushButton*>("Button3")->click();
        QCOMPARE(m_window->requestedHelpPage(), 12);
        m_window->sectionBox("GroupBox5")->findChild<QPushButton*>("Button4")->click();
        QCOMPARE(m_window->requestedHelpPage(), 7);
        m_window->sectionBox("GroupBox6")->findChild<QPushButton*>("Button5")->click();
        QCOMPARE(m_window->requestedHelpPage(), 8);
    }

    void aboutWindowShowsNameAndVersion()
    {
        QStringList labels;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            QCOMPARE(window->windowTitle(), QStringLiteral("О программе..."));
            for (QLabel* label : window->findChildren<QLabel*>())
                labels.append(label->text());
            window->findChild<QPushButton*>("Button1")->click();
        });
        m_window->findChild<QAction*>("AboutAction")->trigger();
        QCOMPARE(m_seams->modals.opened, QStringList{"TForm8"});
        QVERIFY(labels.contains("Quillarbor"));
        QVERIFY(labels.contains(QStringLiteral("версия 3.2")));
        QVERIFY(labels.filter(QStringLiteral("GNU GPL версии 3 или более поздней")).size() == 1);
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<TForm1> m_window;
};

QUILL_TEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"

#include "build_addresses.h"
#include "help_pages.h"
#include "help_section.h"
#include "help_viewer.h"
#include "mail_section.h"
#include "message_boxes.h"
#include "sections.h"
#include "smart_box.h"
#include "system_info.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QTreeWidgetItem* findNode(QTreeWidget* tree, const QStringList& path)
{
    QTreeWidgetItem* item = nullptr;
    for (const QString& caption : path) {
        QTreeWidgetItem* found = nullptr;
        const int count = item ? item->childCount() : tree->topLevelItemCount();
        for (int i = 0; i < count && !found; ++i) {
            QTreeWidgetItem* child = item ? item->child(i) : tree->topLevelItem(i);
            if (child->text(0) == caption)
                found = child;
        }
        if (!found)
            return nullptr;
        item = found;
    }
    return item;
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<WindowFixture>();
        m_fixture->window->Timer1Timer();
    }
    void cleanup() { m_fixture.reset(); }

    // Every "?" button opens the viewer on its own page file, captioned as help.
    void helpButtonsOpenTheirPageInTheViewer()
    {
        const QList<std::tuple<QString, QString, int>> buttons = {
            {"GroupBox1", "Button1", 5},  {"GroupBox2", "Button2", 11}, {"GroupBox4", "Button3", 12},
            {"GroupBox5", "Button4", 7},  {"GroupBox6", "Button5", 8},  {"Marks", "Button7", 9},
            {"PassBox", "Button11", 20},  {"DiaryBox", "Button13", 22}, {"Config", "Button8", 18},
            {"GroupBox7", "Button6", 13},
        };
        for (const auto& [box, button, page] : buttons) {
            QString shown, caption;
            seams().modals.scripts.enqueue([&](QDialog* window) {
                caption = window->windowTitle();
                shown = window->findChild<QTextBrowser*>("WebBrowser1")->source().toLocalFile();
            });
            window()->sectionBox(box)->findChild<QPushButton*>(button)->click();
            QCOMPARE(seams().modals.opened.value(seams().modals.opened.size() - 1),
                     QStringLiteral("TForm10"));
            QCOMPARE(caption, HelpPages::kViewerCaption);
            QCOMPARE(QFileInfo(shown).canonicalFilePath(),
                     QFileInfo(SystemInfo::programFolder() + QStringLiteral("Manual/%1.htm").arg(page))
                         .canonicalFilePath());
        }
        QVERIFY(seams().boxes.shown.isEmpty());
    }

    // F1 opens the page of the section on screen, and nothing for one without a page.
    void f1FollowsTheSectionOnScreen()
    {
        QAction* topic = window()->findChild<QAction*>("HelpTopicAction");
        QVERIFY(topic->isEnabled());
        QCOMPARE(topic->shortcut(), QKeySequence(Qt::Key_F1));
        const QList<std::pair<int, int>> sections = {{Sections::kAddressBook, 11},
                                                     {Sections::kNotes, 9},
                                                     {Sections::kSupportLetter, 5},
                                                     {Sections::kDiary, 22}};
        for (const auto& [section, page] : sections) {
            window()->showSection(section);
            seams().modals.scripts.enqueue([](QDialog*) {});
            topic->trigger();
            QCOMPARE(window()->requestedHelpPage(), page);
        }
        const int opened = seams().modals.opened.size();
        QCOMPARE(opened, sections.size());
        for (int section : {int(Sections::kResources), int(Sections::kEveryDay), int(Sections::kHelp)}) {
            window()->showSection(section);
            topic->trigger();
        }
        QCOMPARE(seams().modals.opened.size(), opened);

        window()->findChild<QAction*>("HelpContentsAction")->trigger();
        QCOMPARE(window()->currentSection(), int(Sections::kHelp));
        QVERIFY(!window()->sectionBox("Help")->isHidden());
    }

    void contentsTreeOpensThePagesOfItsNodes()
    {
        HelpSection* help = window()->helpSection();
        QTreeWidget* tree = help->TreeView2;
        QCOMPARE(tree->topLevelItemCount(), 10);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("О программе"));
        QCOMPARE(tree->topLevelItem(9)->text(0), QStringLiteral("Разметка сайта"));
        QTreeWidgetItem* standard = findNode(tree, {"Плагины", "Стандартные"});
        QVERIFY(standard);
        QCOMPARE(standard->childCount(), 2);
        QCOMPARE(HelpSection::pageOf(standard), 15);
        QCOMPARE(HelpSection::pageOf(standard->child(0)), 16);
        QCOMPARE(HelpSection::pageOf(standard->child(1)), 15);
        // Every page the contents name is a file of the program folder.
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            QVERIFY2(
                QFileInfo::exists(HelpPages::pathOf(SystemInfo::programFolder(), HelpSection::pageOf(*it))),
                qPrintable((*it)->text(0)));

        // With no node chosen, "Показать" does nothing.
        help->BitBtn31->click();
        QVERIFY(seams().modals.opened.isEmpty());

        window()->show();
        window()->showSection(Sections::kHelp);
        for (QTreeWidgetItem* node : {standard, standard->child(1), standard->child(0)}) {
            tree->setCurrentItem(node);
            tree->scrollToItem(node);
            QApplication::processEvents();
            QString shown;
            seams().modals.scripts.enqueue([&](QDialog* viewer) {
                shown = viewer->findChild<QTextBrowser*>("WebBrowser1")->source().fileName();
            });
            const QPoint centre = tree->visualItemRect(node).center();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, centre);
            QCOMPARE(shown, QStringLiteral("%1.htm").arg(HelpSection::pageOf(node)));
        }
        // The keyboard: Enter on a node and the button both open it, once each.
        tree->setCurrentItem(findNode(tree, {"Конфигурация"}));
        seams().modals.scripts.enqueue([](QDialog*) {});
        QTest::keyClick(tree, Qt::Key_Return);
        seams().modals.scripts.enqueue([](QDialog*) {});
        help->BitBtn31->click();
        QCOMPARE(seams().modals.opened.size(), 5);
        QCOMPARE(window()->requestedHelpPage(), 18);
    }

    // Every link and picture inside the shipped pages leads to a file that exists.
    void pagesLinkOnlyToWhatExists()
    {
        const QDir manual(SystemInfo::programFolder() + QStringLiteral("Manual"));
        const QStringList pages = manual.entryList({QStringLiteral("*.htm")}, QDir::Files);
        QCOMPARE(pages.size(), 19);
        const QRegularExpression reference(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""));
        int checked = 0;
        for (const QString& page : pages) {
            QFile file(manual.filePath(page));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            QVERIFY2(!html.contains(QStringLiteral("<script"), Qt::CaseInsensitive), qPrintable(page));
            for (auto match = reference.globalMatch(html); match.hasNext();) {
                const QString target = match.next().captured(1);
                if (target.startsWith(QLatin1String("https://")) ||
                    target.startsWith(QLatin1String("http://")) ||
                    target.startsWith(QLatin1String("mailto:")) || target.startsWith(QLatin1Char('#')))
                    continue;
                const QString path = target.section(QLatin1Char('#'), 0, 0);
                QVERIFY2(QFileInfo(manual.filePath(path)).isFile(),
                         qPrintable(page + QStringLiteral(": ") + target));
                ++checked;
            }
        }
        QVERIFY(checked > 100);
    }

    void missingPageGivesTheErrorBox()
    {
        window()->showHelpPage(2);
        QVERIFY(seams().modals.opened.isEmpty());
        QCOMPARE(seams().boxes.shown.size(), 1);
        QCOMPARE(seams().boxes.shown[0].title, MessageBoxes::kErrorTitle);
        QVERIFY(seams().boxes.shown[0].text.startsWith(HelpPages::kMissingPage));
        QVERIFY(seams().boxes.shown[0].text.endsWith(MessageBoxes::kErrorHint));
        window()->showHelpPage(-1);
        QCOMPARE(seams().boxes.shown.size(), 1);
    }

    // The support node fills the mail section anew each time; a build
    // without a support address says so and addresses nothing.
    void supportLetterReplacesWhatWasTyped()
    {
        const BuildAddresses::Set withSupport{{}, QStringLiteral("help@quillarbor.test"), {}, {}};
        BuildAddresses::setForTests(&withSupport);
        const auto restore = qScopeGuard([] { BuildAddresses::setForTests(nullptr); });
        MailSection* mail = window()->mailSection();
        for (int round = 0; round < 3; ++round) {
            mail->Edit8->setText(QStringLiteral("друг@example.org"));
            mail->Theme->setCurrentText(QStringLiteral("Привет"));
            mail->Memo1->setPlainText(QStringLiteral("Старый текст"));
            window()->showSection(Sections::kSupportLetter);
            QVERIFY(!window()->sectionBox("GroupBox1")->isHidden());
            QVERIFY(window()->sectionBox("Help")->isHidden());
            QCOMPARE(mail->Edit8->text(), QStringLiteral("help@quillarbor.test"));
            QCOMPARE(mail->Theme->currentText(), QStringLiteral("Техническая поддержка"));
            QCOMPARE(mail->Memo1->toPlainText().split(QLatin1Char('\n')),
                     QStringList({"Здравствуйте, Лирт!", "", "", "--------------------------", "%Имя:"}));
        }
        QVERIFY(seams().boxes.shown.isEmpty());

        const BuildAddresses::Set none;
        BuildAddresses::setForTests(&none);
        mail->Edit8->setText(QStringLiteral("друг@example.org"));
        mail->Memo1->setPlainText(QStringLiteral("Своё письмо"));
        window()->showSection(Sections::kSupportLetter);
        QVERIFY(!window()->sectionBox("GroupBox1")->isHidden());
        QCOMPARE(seams().boxes.shown.size(), 1);
        QVERIFY(seams().boxes.shown[0].text.contains(QStringLiteral("не указан адрес службы поддержки")));
        // What the user had typed stays: nothing is addressed to the support.
        QCOMPARE(mail->Edit8->text(), QStringLiteral("друг@example.org"));
        QCOMPARE(mail->Memo1->toPlainText(), QStringLiteral("Своё письмо"));
    }

    // The viewer shows local pages of its folder only; web links go to the default browser.
    void viewerKeepsToItsFolder()
    {
        QTemporaryDir dir;
        const QString manual = dir.filePath("Manual");
        QVERIFY(QDir().mkpath(manual));
        QVERIFY(writeFile(dir.filePath("secret.htm"), "<p>secret</p>"));
        QVERIFY(writeFile(manual + "/2.htm", "<p>second <a href=\"#end\">end</a></p><a name=\"end\">x</a>"));
        QVERIFY(writeFile(manual + "/1.htm", "<html><head><meta charset=\"utf-8\">"
                                             "<link rel=\"stylesheet\" href=\"../style.css\"></head>"
                                             "<body><p>Первая <a href=\"2.htm\">вторая</a> "
                                             "<a href=\"../secret.htm\">out</a> "
                                             "<a href=\"https://example.org/x\">web</a> "
                                             "<a href=\"file:///etc/passwd\">passwd</a></p>"
                                             "<img src=\"../secret.png\"></body></html>"));
        QVERIFY(writeFile(dir.filePath("style.css"), "p { color: red; }"));
        TForm10 viewer;
        viewer.showPage(manual + "/1.htm");
        QCOMPARE(viewer.windowTitle(), HelpPages::kViewerCaption);
        QCOMPARE(viewer.size(), QSize(669, 490));
        HelpBrowser* browser = viewer.WebBrowser1;
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Первая")));
        // Nothing outside the folder is read for the page.
        QVERIFY(browser->loadResource(QTextDocument::StyleSheetResource, QUrl("../style.css")).isNull());
        QVERIFY(browser->loadResource(QTextDocument::HtmlResource, QUrl("file:///etc/passwd")).isNull());

        emit browser->anchorClicked(QUrl("../secret.htm"));
        emit browser->anchorClicked(QUrl("file:///etc/passwd"));
        QCOMPARE(browser->source().fileName(), QStringLiteral("1.htm"));
        QVERIFY(!browser->toPlainText().contains(QStringLiteral("secret")));
        emit browser->anchorClicked(QUrl("https://example.org/x"));
        QCOMPARE(seams().shell.opened, QStringList{"https://example.org/x"});
        emit browser->anchorClicked(QUrl("2.htm"));
        QCOMPARE(browser->source().fileName(), QStringLiteral("2.htm"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("second")));
        QVERIFY(browser->isBackwardAvailable());
    }

private:
    TForm1* window() { return m_fixture->window.get(); }
    TestSeams& seams() { return m_fixture->seams; }

    std::unique_ptr<WindowFixture> m_fixture;
};

QUILL_TEST_MAIN(TestHelp)
#include "tst_help.moc"

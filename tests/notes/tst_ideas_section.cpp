#include "idea_file.h"
#include "ideas_section.h"
#include "main_window.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "sections.h"
#include "settings.h"
#include "sketch_size_window.h"
#include "sketch_window.h"
#include "test_home.h"
#include "test_main.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

namespace {

using Button = MessageBoxes::Button;
using Tool = SketchCanvas::Tool;

void mouse(QWidget* widget, QEvent::Type type, const QPoint& at, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// A drag with the left button through the points, as a hand would draw it.
void drag(SketchCanvas* canvas, const QList<QPoint>& points)
{
    mouse(canvas, QEvent::MouseButtonPress, points.first(), Qt::LeftButton);
    for (const QPoint& point : points.mid(1))
        mouse(canvas, QEvent::MouseMove, point, Qt::LeftButton);
    mouse(canvas, QEvent::MouseButtonRelease, points.last(), Qt::NoButton);
}

void click(SketchCanvas* canvas, const QPoint& at)
{
    drag(canvas, {at});
}

QStringList names(const QListWidget* list)
{
    QStringList shown;
    for (int row = 0; row < list->count(); ++row)
        shown.append(list->item(row)->text());
    return shown;
}

QImage whitePicture(const QSize& size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

} // namespace

class TestIdeasSection : public QObject
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
        m_registry->writeBool(Settings::fullKey("Config"), QStringLiteral("HideInTray"), false);
        m_window = std::make_unique<TForm1>(*m_registry);
        m_window->show();
        m_window->Timer1Timer();
    }
    void cleanup()
    {
        m_window.reset();
        m_registry.reset();
        m_seams.reset();
        m_home.reset();
    }

    void theFirstVisitMakesTheFolderAndBothNodesLeadThere()
    {
        const QString folder = ideasFolder();
        QVERIFY(!QFileInfo::exists(folder));
        for (const QString& caption : {QStringLiteral("Медиа"), QStringLiteral("Идеи")}) {
            const QList<QTreeWidgetItem*> found =
                m_window->TreeView1->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
            QCOMPARE(found.size(), 1);
            m_window->TreeView1->setCurrentItem(m_window->TreeView1->topLevelItem(0));
            m_window->TreeView1->setCurrentItem(found.first());
            QCOMPARE(m_window->currentSection(), Sections::kIdeas);
            QGroupBox* box = m_window->sectionBox(QStringLiteral("IdeaBox"));
            QVERIFY(box->isVisible());
            QCOMPARE(box->title(), QStringLiteral("Идеи"));
            QVERIFY(QFileInfo(folder).isDir());
            QCOMPARE(section()->ListBox1->count(), 0);
        }
        QCOMPARE(section()->OleContainer1->size(), QSize(265, 177));
        QVERIFY(!section()->OleContainer1->isEnabled());
        QCOMPARE(section()->BitBtn29->text(), QStringLiteral("Смотреть\\Изменять"));
        QCOMPARE(m_seams->boxes.shown.size(), 0);
    }

    void aNewDrawingIsSavedUnderAFreeDefaultNameAndReadsBackEqual()
    {
        showIdeas();
        QImage drawn;
        m_seams->modals.scripts.enqueue([&](QDialog* dialog) {
            auto* window = qobject_cast<TNewPicture*>(dialog);
            QVERIFY(window);
            QCOMPARE(window->windowTitle(), QStringLiteral("Зарисовка"));
            QCOMPARE(window->size(), QSize(783, 569));
            QVERIFY(window->windowFlags() & Qt::WindowMaximizeButtonHint);
            QCOMPARE(window->personal, ideasFolder() + QLatin1Char('/'));
            QVERIFY(!window->edit);
            // A new sketch starts white.
            const QImage start = window->OleContainer1->picture();
            QCOMPARE(start, whitePicture(start.size()));
            drag(window->OleContainer1, {{20, 20}, {60, 40}, {120, 90}});
            drawn = window->OleContainer1->picture();
            QCOMPARE(drawn.pixel(20, 20), qRgb(0, 0, 0));
            m_seams->boxes.answers.enqueue(Button::Yes);
            window->close();
            QVERIFY(!window->isVisible());
            QCOMPARE(window->r, TNewPicture::kYes);
            QCOMPARE(window->s, QStringLiteral("Набросок1"));
        });
        QTest::mouseClick(section()->BitBtn30, Qt::LeftButton);
        QCOMPARE(m_seams->modals.opened, QStringList{QStringLiteral("TNewPicture")});
        const MessageBoxes::Request question = m_seams->boxes.shown.value(0);
        QCOMPARE(question.title, QStringLiteral("Воспрос"));
        QCOMPARE(question.text, QStringLiteral("Вы хотите сохранить набросок?"));
        QCOMPARE(question.icon, MessageBoxes::Icon::Warning);
        QCOMPARE(question.buttons, QList<Button>({Button::Yes, Button::No, Button::Cancel}));
        // Cancel in the name dialog saves under the default.
        QCOMPARE(m_seams->boxes.inputPrompts,
                 QStringList{QStringLiteral("Коротко|Введите название наброска:")});
        QCOMPARE(names(section()->ListBox1), QStringList{QStringLiteral("Набросок1")});
        const QString first = ideasFolder() + QStringLiteral("/Набросок1.dat");
        QCOMPARE(IdeaFile::load(first).picture, drawn);

        // The same again: the old drawing stays, the new one takes the next free name.
        m_seams->modals.scripts.enqueue([&](QDialog* dialog) {
            auto* window = qobject_cast<TNewPicture*>(dialog);
            drag(window->OleContainer1, {{200, 10}, {200, 150}});
            m_seams->boxes.answers.enqueue(Button::Yes);
            window->close();
        });
        QTest::mouseClick(section()->BitBtn30, Qt::LeftButton);
        QCOMPARE(names(section()->ListBox1),
                 QStringList({QStringLiteral("Набросок1"), QStringLiteral("Набросок2")}));
        QCOMPARE(IdeaFile::load(first).picture, drawn);

        // Reloaded into the window, the drawing is the one saved.
        section()->ListBox1->setCurrentRow(0);
        QCOMPARE(section()->OleContainer1->picture(), drawn);
        m_seams->modals.scripts.enqueue([&](QDialog* dialog) {
            auto* window = qobject_cast<TNewPicture*>(dialog);
            QVERIFY(window->edit);
            QCOMPARE(window->nm, QStringLiteral("Набросок1"));
            QCOMPARE(window->OleContainer1->picture(), drawn);
        });
        QTest::mouseClick(section()->ListBox1->viewport(), Qt::LeftButton, {},
                          section()->ListBox1->visualItemRect(section()->ListBox1->item(0)).center());
        QTest::mouseDClick(section()->ListBox1->viewport(), Qt::LeftButton, {},
                           section()->ListBox1->visualItemRect(section()->ListBox1->item(0)).center());
        QCOMPARE(m_seams->modals.opened.size(), 3);
    }

    void badNamesAreAskedAgainAndReplacingIsAsked()
    {
        showIdeas();
        QVERIFY(IdeaFile::save(ideasFolder() + QStringLiteral("/Набросок1.dat"), whitePicture({10, 10})));
        showIdeas();
        const auto drawAndClose = [this](const QPoint& at) {
            m_seams->modals.scripts.enqueue([at](QDialog* dialog) {
                auto* window = qobject_cast<TNewPicture*>(dialog);
                click(window->OleContainer1, at);
                window->close();
                QVERIFY(!window->isVisible());
            });
            QTest::mouseClick(section()->BitBtn30, Qt::LeftButton);
        };
        for (const QString& typed :
             {QStringLiteral("a/b"), QStringLiteral(".."), QStringLiteral(""), QStringLiteral(".скрытый"),
              QStringLiteral("Набросок1"), QStringLiteral("Кот")})
            m_seams->boxes.inputs.enqueue(typed);
        // The closing question, four refusals, and No to replacing Набросок1.
        m_seams->boxes.answers.append(
            {Button::Yes, Button::Ok, Button::Ok, Button::Ok, Button::Ok, Button::No});
        drawAndClose({5, 5});
        QCOMPARE(m_seams->boxes.inputPrompts.size(), 6);
        QCOMPARE(m_seams->boxes.titles().count(MessageBoxes::kErrorTitle), 4);
        QVERIFY(m_seams->boxes.texts().at(1).contains(QStringLiteral("«/»")));
        QVERIFY(m_seams->boxes.texts().at(5).contains(QStringLiteral("Набросок1")));
        QCOMPARE(names(section()->ListBox1),
                 QStringList({QStringLiteral("Набросок1"), QStringLiteral("Кот")}));
        QCOMPARE(IdeaFile::load(ideasFolder() + QStringLiteral("/Набросок1.dat")).picture,
                 whitePicture({10, 10}));
        QVERIFY(IdeaFile::load(ideasFolder() + QStringLiteral("/Кот.dat")).status ==
                IdeaFile::Status::Loaded);
        QVERIFY(QDir(ideasFolder()).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden).isEmpty());

        // Yes to replacing: the file is the new drawing, and the name is listed once.
        m_seams->boxes.inputs.enqueue(QStringLiteral("Набросок1"));
        m_seams->boxes.answers.append({Button::Yes, Button::Yes});
        drawAndClose({3, 3});
        QCOMPARE(names(section()->ListBox1),
                 QStringList({QStringLiteral("Набросок1"), QStringLiteral("Кот")}));
        const QImage replaced = IdeaFile::load(ideasFolder() + QStringLiteral("/Набросок1.dat")).picture;
        QCOMPARE(replaced.pixel(3, 3), qRgb(0, 0, 0));
    }

    void anOpenIdeaKeepsItsDrawingOnNoAndTakesTheChangeOnYes()
    {
        showIdeas();
        const QString path = ideasFolder() + QStringLiteral("/Дом.dat");
        QVERIFY(IdeaFile::save(path, whitePicture({300, 200})));
        showIdeas();
        section()->ListBox1->setCurrentRow(0);

        // Cancel keeps the window open for more drawing; Escape asks too; No closes.
        m_seams->modals.scripts.enqueue([this](QDialog* dialog) {
            auto* window = qobject_cast<TNewPicture*>(dialog);
            drag(window->OleContainer1, {{10, 10}, {100, 100}});
            m_seams->boxes.answers.enqueue(Button::Cancel);
            window->close();
            QVERIFY(window->isVisible());
            QCOMPARE(window->r, TNewPicture::kCancel);
            m_seams->boxes.answers.enqueue(Button::Cancel);
            QTest::keyClick(window, Qt::Key_Escape);
            QVERIFY(window->isVisible());
            m_seams->boxes.answers.enqueue(Button::No);
            window->close();
            QVERIFY(!window->isVisible());
        });
        QTest::mouseClick(section()->BitBtn29, Qt::LeftButton);
        QCOMPARE(m_seams->boxes.shown.size(), 3);
        QCOMPARE(IdeaFile::load(path).picture, whitePicture({300, 200}));

        QImage drawn;
        m_seams->modals.scripts.enqueue([&](QDialog* dialog) {
            auto* window = qobject_cast<TNewPicture*>(dialog);
            drag(window->OleContainer1, {{10, 10}, {100, 100}});
            drawn = window->OleContainer1->picture();
            m_seams->boxes.answers.enqueue(Button::Yes);
            window->close();
        });
        QTest::keyClick(section()->ListBox1, Qt::Key_Return);
        QCOMPARE(IdeaFile::load(path).picture, drawn);
        // No name is asked for an existing idea, and the preview shows the change.
        QCOMPARE(m_seams->boxes.inputPrompts.size(), 0);
        QCOMPARE(section()->OleContainer1->picture(), drawn);
        QCOMPARE(names(section()->ListBox1), QStringList{QStringLiteral("Дом")});
    }

    void aFailedSaveIsReportedAndTheWindowStays()
    {
        showIdeas();
        bool stayed = false;
        m_seams->modals.scripts.enqueue([&](QDialog* dialog) {
            auto* window = qobject_cast<TNewPicture*>(dialog);
            drag(window->OleContainer1, {{10, 10}, {50, 50}});
            // The folder goes while the window is open.
            QVERIFY(QDir(ideasFolder()).removeRecursively());
            m_seams->boxes.answers.enqueue(Button::Yes);
            window->close();
            stayed = window->isVisible();
            QCOMPARE(window->OleContainer1->picture().pixel(10, 10), qRgb(0, 0, 0));
            m_seams->boxes.answers.enqueue(Button::No);
            window->close();
        });
        QTest::mouseClick(section()->BitBtn30, Qt::LeftButton);
        QVERIFY(stayed);
        QCOMPARE(m_seams->boxes.titles().value(1), MessageBoxes::kErrorTitle);
        QVERIFY(m_seams->boxes.texts().value(1).startsWith(QStringLiteral("Не удалось сохранить набросок")));
        QCOMPARE(section()->ListBox1->count(), 0);
    }

    void aForeignFileIsListedOpensNothingAndEmptiesThePreview()
    {
        showIdeas();
        QImage picture(120, 80, QImage::Format_RGB32);
        picture.fill(qRgb(200, 30, 30));
        QVERIFY(IdeaFile::save(ideasFolder() + QStringLiteral("/Дом.dat"), picture));
        QFile foreign(ideasFolder() + QStringLiteral("/Чужой.dat"));
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("not a sketch at all");
        foreign.close();
        QVERIFY(QDir().mkpath(ideasFolder() + QStringLiteral("/Папка.dat")));
        QFile(ideasFolder() + QStringLiteral("/Другое.txt")).open(QIODevice::WriteOnly);
        showIdeas();
        QCOMPARE(names(section()->ListBox1), QStringList({QStringLiteral("Дом"), QStringLiteral("Чужой")}));

        section()->ListBox1->setCurrentRow(0);
        QCOMPARE(section()->OleContainer1->picture(), picture);
        // Scaled to fit the frame, its proportions kept.
        QCOMPARE(section()->OleContainer1->pictureRect().size(), QSize(120, 80));
        section()->ListBox1->setCurrentRow(1);
        QVERIFY(section()->OleContainer1->isEmpty());
        QTest::mouseClick(section()->BitBtn29, Qt::LeftButton);
        QVERIFY(m_seams->modals.opened.isEmpty());
        QVERIFY(m_seams->boxes.shown.isEmpty());

        QImage wide(2000, 500, QImage::Format_RGB32);
        wide.fill(Qt::blue);
        QVERIFY(IdeaFile::save(ideasFolder() + QStringLiteral("/Дом.dat"), wide));
        section()->ListBox1->setCurrentRow(0);
        QCOMPARE(section()->OleContainer1->pictureRect().width(), 263);
        QVERIFY(section()->OleContainer1->pictureRect().height() < 70);
    }

    void deletingAsksAndAFailureKeepsTheName()
    {
        showIdeas();
        for (const QString& name :
             {QStringLiteral("Первый"), QStringLiteral("Второй"), QStringLiteral("Третий")})
            QVERIFY(IdeaFile::save(ideasFolder() + QLatin1Char('/') + name + QStringLiteral(".dat"),
                                   whitePicture({8, 8})));
        showIdeas();
        QCOMPARE(section()->ListBox1->count(), 3);

        // Nothing selected: nothing asked.
        QTest::mouseClick(section()->BitBtn32, Qt::LeftButton);
        QVERIFY(m_seams->boxes.shown.isEmpty());

        section()->ListBox1->setCurrentItem(
            section()->ListBox1->findItems(QStringLiteral("Первый"), Qt::MatchExactly).first());
        m_seams->boxes.answers.enqueue(Button::No);
        QTest::mouseClick(section()->BitBtn32, Qt::LeftButton);
        QCOMPARE(m_seams->boxes.shown.last().title, QStringLiteral("Quest"));
        QCOMPARE(m_seams->boxes.shown.last().text,
                 QStringLiteral("Вы действительно хотите удалить выбранную идею?"));
        QCOMPARE(m_seams->boxes.shown.last().buttons, QList<Button>({Button::Yes, Button::No}));
        QCOMPARE(section()->ListBox1->count(), 3);

        m_seams->boxes.answers.enqueue(Button::Yes);
        QTest::mouseClick(section()->BitBtn32, Qt::LeftButton);
        QVERIFY(!QFileInfo::exists(ideasFolder() + QStringLiteral("/Первый.dat")));
        QVERIFY(section()->ListBox1->findItems(QStringLiteral("Первый"), Qt::MatchExactly).isEmpty());

        // A file that cannot be deleted: the message, and the name stays with its file.
        const QString stuck = ideasFolder() + QStringLiteral("/Второй.dat");
        QVERIFY(QFile::remove(stuck));
        QVERIFY(QDir().mkpath(stuck + QStringLiteral("/inside")));
        section()->ListBox1->setCurrentItem(
            section()->ListBox1->findItems(QStringLiteral("Второй"), Qt::MatchExactly).first());
        m_seams->boxes.answers.enqueue(Button::Yes);
        QTest::mouseClick(section()->BitBtn32, Qt::LeftButton);
        QCOMPARE(m_seams->boxes.shown.last().title, MessageBoxes::kErrorTitle);
        QVERIFY(m_seams->boxes.shown.last().text.contains(QStringLiteral("Второй")));
        QCOMPARE(section()->ListBox1->findItems(QStringLiteral("Второй"), Qt::MatchExactly).size(), 1);

        // "Очистить": every listed file goes but the one that cannot; unlisted files stay.
        QVERIFY(IdeaFile::save(ideasFolder() + QStringLiteral("/Новый.dat"), whitePicture({8, 8})));
        m_seams->boxes.answers.enqueue(Button::Yes);
        QTest::mouseClick(section()->BitBtn33, Qt::LeftButton);
        QCOMPARE(m_seams->boxes.shown.value(m_seams->boxes.shown.size() - 2).text,
                 QStringLiteral("Вы действительно хотите удалить все идеи?"));
        QCOMPARE(m_seams->boxes.shown.last().title, MessageBoxes::kErrorTitle);
        QCOMPARE(names(section()->ListBox1), QStringList{QStringLiteral("Второй")});
        QVERIFY(!QFileInfo::exists(ideasFolder() + QStringLiteral("/Третий.dat")));
        QVERIFY(QFileInfo::exists(ideasFolder() + QStringLiteral("/Новый.dat")));

        QVERIFY(QDir(stuck).removeRecursively());
        const int shown = int(m_seams->boxes.shown.size());
        m_seams->boxes.answers.enqueue(Button::Yes);
        QTest::mouseClick(section()->BitBtn33, Qt::LeftButton);
        QCOMPARE(m_seams->boxes.shown.size(), shown + 1);
        QCOMPARE(section()->ListBox1->count(), 0);
        // An empty list asks nothing.
        QTest::mouseClick(section()->BitBtn33, Qt::LeftButton);
        QCOMPARE(m_seams->boxes.shown.size(), shown + 1);
    }

    void theEditorDrawsWithEveryToolAndUndoesFiftySteps()
    {
        TNewPicture window(m_window.get());
        window.personal = ideasFolder() + QLatin1Char('/');
        QVERIFY(QDir().mkpath(ideasFolder()));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        SketchCanvas* canvas = window.OleContainer1;
        const auto pick = [&](Tool tool) { window.toolAction(tool)->trigger(); };
        const auto at = [&](int x, int y) { return canvas->picture().pixel(x, y); };
        const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);

        // Every picture-only button of the tool bar has a tooltip and a name.
        for (QAction* action : window.ToolBar1->actions())
            if (QWidget* button = window.ToolBar1->widgetForAction(action);
                button && !action->isSeparator()) {
                QVERIFY2(!button->toolTip().isEmpty(), qPrintable(action->text()));
                QVERIFY2(!button->accessibleName().isEmpty(), qPrintable(action->text()));
            }
        QCOMPARE(window.MainMenu1->actions().size(), 5);

        drag(canvas, {{10, 10}, {40, 10}});
        QCOMPARE(at(25, 10), black);
        pick(Tool::Line);
        drag(canvas, {{10, 30}, {50, 30}, {90, 30}});
        QCOMPARE(at(70, 30), black);
        QCOMPARE(at(70, 40), white);
        pick(Tool::Rectangle);
        drag(canvas, {{100, 100}, {160, 160}});
        QCOMPARE(at(100, 130), black);
        QCOMPARE(at(130, 130), white);
        // The enclosed inside is flooded, the outside is not.
        pick(Tool::Fill);
        window.findChild<QMenu*>(QStringLiteral("ColourMenu"))->actions().at(4)->trigger(); // red
        click(canvas, {130, 130});
        QCOMPARE(at(130, 130), qRgb(255, 0, 0));
        QCOMPARE(at(170, 130), white);
        QCOMPARE(at(100, 130), black);
        pick(Tool::Ellipse);
        window.FilledAction->trigger();
        drag(canvas, {{200, 100}, {260, 140}});
        QCOMPARE(at(230, 120), qRgb(255, 0, 0));
        QCOMPARE(at(201, 101), white);
        pick(Tool::Eraser);
        drag(canvas, {{230, 120}, {231, 120}});
        QCOMPARE(at(230, 120), white);
        pick(Tool::Text);
        m_seams->boxes.inputs.enqueue(QStringLiteral("Привет"));
        const QImage beforeText = canvas->picture();
        click(canvas, {300, 200});
        QVERIFY(canvas->picture() != beforeText);
        QCOMPARE(canvas->picture().copy(0, 0, 290, 400), beforeText.copy(0, 0, 290, 400));

        // Undo and redo from the keyboard.
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(canvas->picture(), beforeText);
        QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(canvas->picture() != beforeText);
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);

        // Sixty dots; at least fifty of them can be undone, one by one.
        pick(Tool::Pen);
        QList<QImage> states{canvas->picture()};
        for (int i = 0; i < 60; ++i) {
            click(canvas, {10 + 5 * i, 300});
            states.append(canvas->picture());
        }
        for (int i = 0; i < 50; ++i)
            window.UndoAction->trigger();
        QCOMPARE(canvas->picture(), states.at(10));
        for (int i = 0; i < 50; ++i)
            window.RedoAction->trigger();
        QCOMPARE(canvas->picture(), states.last());
        QVERIFY(!window.RedoAction->isEnabled());

        // The picture's size: cut at the right, white added at the bottom; undone as one step.
        const QImage full = canvas->picture();
        m_seams->modals.scripts.enqueue([](QDialog* dialog) {
            auto* size = qobject_cast<SketchSizeWindow*>(dialog);
            QVERIFY(size);
            size->SpinWidth->setValue(200);
            size->SpinHeight->setValue(900);
            QTest::mouseClick(size->ButtonOk, Qt::LeftButton);
        });
        window.SizeAction->trigger();
        QCOMPARE(canvas->picture().size(), QSize(200, 900));
        QCOMPARE(window.SizeLabel->text(), QStringLiteral("Размер рисунка: 200 × 900 пикс."));
        QCOMPARE(canvas->picture().copy(0, 0, 200, full.height()), full.copy(0, 0, 200, full.height()));
        QCOMPARE(at(100, 899), white);
        window.UndoAction->trigger();
        QCOMPARE(canvas->picture(), full);
        window.ClearAction->trigger();
        QCOMPARE(canvas->picture(), whitePicture(full.size()));
        window.UndoAction->trigger();
        QCOMPARE(canvas->picture(), full);

        // Ctrl+S names and saves a new sketch; saving again replaces the same file.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(window.s, QStringLiteral("Набросок1"));
        QCOMPARE(IdeaFile::load(ideasFolder() + QStringLiteral("/Набросок1.dat")).picture, full);
        click(canvas, {5, 5});
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        // One text for the text tool, one name: the second save asks none.
        QCOMPARE(m_seams->boxes.inputPrompts.size(), 2);
        QCOMPARE(m_seams->boxes.inputPrompts.last(), QStringLiteral("Коротко|Введите название наброска:"));
        QCOMPARE(IdeaFile::load(ideasFolder() + QStringLiteral("/Набросок1.dat")).picture, canvas->picture());
        m_seams->boxes.answers.enqueue(Button::No);
        window.close();
        QVERIFY(!window.isVisible());
    }

private:
    QString ideasFolder() const { return m_home->profileFolder() + QStringLiteral("/Ideas"); }
    IdeasSection* section() const { return m_window->ideasSection(); }
    void showIdeas() { m_window->showSection(Sections::kIdeas); }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<TForm1> m_window;
};

QUILL_TEST_MAIN(TestIdeasSection)
#include "tst_ideas_section.moc"

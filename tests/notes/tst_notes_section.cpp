#include "main_window.h"
#include "note_editor.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "sections.h"
#include "settings.h"
#include "test_home.h"
#include "test_main.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <memory>

namespace {

const QString kMarks = QStringLiteral("Software\\Quillarbor\\Marks");
const QString kNameExists = QStringLiteral("Заметка с таким именем уже существует!");

struct StoredNote
{
    qint64 key;
    QString name;
    QString text;
    bool operator==(const StoredNote&) const = default;
};

// Fills the editor the user sees and presses OK or Cancel.
ScriptedModals::Script answerEditor(std::optional<QString> name, std::optional<QString> text, bool ok = true)
{
    return [name, text, ok](QDialog* window) {
        auto* editor = qobject_cast<TForm3*>(window);
        QVERIFY(editor);
        if (name)
            editor->Edit1->setText(*name);
        if (text)
            editor->RichEdit1->setPlainText(*text);
        QTest::mouseClick(ok ? editor->BitBtn1 : editor->BitBtn2, Qt::LeftButton);
    };
}

} // namespace

class TestNotesSection : public QObject
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
        startWindow();
    }
    void cleanup()
    {
        m_window.reset();
        m_registry.reset();
        m_seams.reset();
        m_home.reset();
    }

    void addingRefusesTakenNamesExactly()
    {
        QCOMPARE(list()->count(), 0);

        // The defaults: "Заметка1" with an empty text, then refused the second time.
        m_seams->modals.scripts.enqueue(answerEditor({}, {}));
        click("BitBtn3");
        QCOMPARE(captions(), QStringList{"Заметка1"});
        QCOMPARE(m_window->statusMessage(), QStringLiteral("Заметка создана."));
        m_seams->modals.scripts.enqueue(answerEditor({}, QStringLiteral("другой текст")));
        click("BitBtn3");
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QVERIFY(m_seams->boxes.shown[0].text.startsWith(kNameExists));
        QCOMPARE(stored().size(), 1);
        QCOMPARE(stored()[0].text, QString());

        // Letter case counts; quotes and SQL-looking names are names like any other.
        const QStringList names = {"Покупки", "покупки", "Мамин 'пирог'", "x\" OR \"1\"=\"1",
                                   "a'); DROP TABLE x;--"};
        for (const QString& name : names) {
            m_seams->modals.scripts.enqueue(answerEditor(name, "текст " + name));
            click("BitBtn3");
        }
        QCOMPARE(captions(), QStringList{"Заметка1"} + names);
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        m_seams->modals.scripts.enqueue(answerEditor("Мамин 'пирог'", {}));
        click("BitBtn3");
        QCOMPARE(m_seams->boxes.shown.size(), 2);
        QCOMPARE(stored().size(), 6);

        // Reading one back shows its own text; Cancel changes nothing.
        list()->setCurrentRow(3);
        QString seen;
        m_seams->modals.scripts.enqueue([&seen](QDialog* window) {
            auto* editor = qobject_cast<TForm3*>(window);
            seen = editor->Edit1->text() + "|" + editor->RichEdit1->toPlainText();
            QTest::mouseClick(editor->BitBtn2, Qt::LeftButton);
        });
        const QList<StoredNote> before = stored();
        click("BitBtn28");
        QCOMPARE(seen, QStringLiteral("Мамин 'пирог'|текст Мамин 'пирог'"));
        QCOMPARE(stored(), before);

        // Cancelling the editor of a new note stores nothing.
        m_seams->modals.scripts.enqueue(answerEditor("Новая", "текст", false));
        click("BitBtn3");
        QCOMPARE(stored(), before);
        QCOMPARE(m_seams->modals.opened, QStringList(10, "TForm3"));
        // The editor lets no more than 50 characters into the name.
        TForm3 editor;
        editor.Edit1->setText(QString(60, QChar(u'я')));
        QCOMPARE(editor.Edit1->text().size(), 50);
    }

    void changingRewritesTheNoteAtTheEnd()
    {
        addNotes({{"Первая", "один"}, {"Вторая", "два"}, {"Третья", "три"}});
        const QList<StoredNote> before = stored();

        // Onto another note's name: refused, both notes stay as they were.
        list()->setCurrentRow(0);
        m_seams->modals.scripts.enqueue(answerEditor("Вторая", "новый"));
        click("BitBtn28");
        QVERIFY(m_seams->boxes.shown.last().text.startsWith(kNameExists));
        QCOMPARE(stored(), before);
        QCOMPARE(captions(), (QStringList{"Первая", "Вторая", "Третья"}));

        // OK without a change: a new row at the end, and the success box.
        m_seams->boxes.shown.clear();
        list()->setCurrentRow(0);
        m_seams->modals.scripts.enqueue(answerEditor({}, {}));
        click("BitBtn28");
        QCOMPARE(captions(), (QStringList{"Вторая", "Третья", "Первая"}));
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QCOMPARE(m_seams->boxes.shown[0].title, QStringLiteral("Успех"));
        QCOMPARE(m_seams->boxes.shown[0].text, QStringLiteral("Заметка изменена!"));
        QCOMPARE(m_window->statusMessage(), QStringLiteral("Заметка изменена."));
        const QList<StoredNote> after = stored();
        QCOMPARE(after.size(), 3);
        QCOMPARE(after.last().name, QStringLiteral("Первая"));
        QCOMPARE(after.last().text, QStringLiteral("один"));
        QVERIFY(after.last().key > before.last().key);
        QCOMPARE(list()->currentItem()->text(), QStringLiteral("Первая"));

        // A double click opens the note too; keeping its own name is no clash.
        m_seams->modals.scripts.enqueue(answerEditor("Третья", "три\nи ещё строка"));
        QListWidgetItem* third = list()->item(1);
        list()->setCurrentItem(third);
        QApplication::processEvents(); // the list lays its items out
        const QPoint spot = list()->visualItemRect(third).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, spot);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, spot);
        QCOMPARE(stored().last().name, QStringLiteral("Третья"));
        QCOMPARE(stored().last().text, QStringLiteral("три\r\nи ещё строка"));

        // With nothing selected neither command does anything.
        list()->clearSelection();
        const int opened = m_seams->modals.opened.size();
        click("BitBtn28");
        QCOMPARE(m_seams->modals.opened.size(), opened);
    }

    void aFailedWriteKeepsTheOldNote()
    {
        addNotes({{"Рецепт", "мука, яйца"}, {"Другая", "текст"}});
        const QList<StoredNote> before = stored();
        QSqlQuery trigger(m_window->database().BigBd());
        QVERIFY(trigger.exec(
            "CREATE TRIGGER refuse BEFORE INSERT ON \"Заметки\" "
            "WHEN NEW.\"Содержание\" LIKE '%сахар%' BEGIN SELECT RAISE(ABORT, 'disk full'); END"));

        list()->setCurrentRow(0);
        m_seams->modals.scripts.enqueue(answerEditor("Рецепт пирога", "мука, яйца, сахар"));
        click("BitBtn28");
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QCOMPARE(m_seams->boxes.shown[0].title, QStringLiteral("Произошла ошибка!"));
        QVERIFY(m_seams->boxes.shown[0].text.startsWith(
            QStringLiteral("При попытке выполнить данное действие возникла исключительная ситуация!")));
        QCOMPARE(stored(), before);
        QCOMPARE(captions(), (QStringList{"Рецепт", "Другая"}));

        // A failed addition leaves no item behind.
        m_seams->modals.scripts.enqueue(answerEditor("Сладкое", "сахар"));
        click("BitBtn3");
        QCOMPARE(stored(), before);
        QCOMPARE(list()->count(), 2);
    }

    void dayNoteNamesStayOutOfTheList()
    {
        // A name of the reserved form shows until the list is filled again.
        addNotes({{"#!моя", "a"}, {"Обычная", "b"}});
        QCOMPARE(captions(), (QStringList{"#!моя", "Обычная"}));
        list()->setCurrentRow(1);
        m_seams->modals.scripts.enqueue(answerEditor({}, {}));
        click("BitBtn28");
        QCOMPARE(captions(), QStringList{"Обычная"});

        // A day note in the table never shows, and its name is taken.
        QVERIFY(
            m_window->database().MarksTable.insert({{"Название", "#!08.12.2010"}, {"Содержание", "день"}}));
        list()->setCurrentRow(0);
        m_seams->modals.scripts.enqueue(answerEditor({}, {}));
        click("BitBtn28");
        QCOMPARE(captions(), QStringList{"Обычная"});
        m_seams->boxes.shown.clear();
        m_seams->modals.scripts.enqueue(answerEditor("#!08.12.2010", "чужой"));
        click("BitBtn3");
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QVERIFY(m_seams->boxes.shown[0].text.startsWith(kNameExists));
        QCOMPARE(m_window->database().MarksTable.count({"Название", "#!08.12.2010"}), 1);
    }

    void deletingAsksFirst()
    {
        addNotes({{"Первая", "1"}, {"Вторая", "2"}});
        list()->setCurrentRow(1);
        m_seams->boxes.answers.enqueue(MessageBoxes::Button::No);
        click("BitBtn27");
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QCOMPARE(m_seams->boxes.shown[0].title, QStringLiteral("Вопрос"));
        QCOMPARE(m_seams->boxes.shown[0].text, QStringLiteral("Вы действительно хотите удалить заметку?"));
        QCOMPARE(m_seams->boxes.shown[0].icon, MessageBoxes::Icon::Warning);
        QCOMPARE(stored().size(), 2);

        m_seams->boxes.answers.enqueue(MessageBoxes::Button::Yes);
        click("BitBtn27");
        QCOMPARE(captions(), QStringList{"Первая"});
        QCOMPARE(stored().size(), 1);
        QCOMPARE(stored()[0].name, QStringLiteral("Первая"));
        QCOMPARE(m_seams->boxes.shown.size(), 2);

        list()->clearSelection();
        m_seams->boxes.answers.enqueue(MessageBoxes::Button::Yes);
        click("BitBtn27");
        QCOMPARE(stored().size(), 1);
    }

    void editorCommandsWorkOnTheText()
    {
        m_seams->clock.current = QDateTime(QDate(2011, 1, 1), QTime(7, 5, 9));
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* editor = qobject_cast<TForm3*>(window);
            QCOMPARE(editor->windowTitle(), QStringLiteral("Добавить заметку"));
            QCOMPARE(editor->Edit1->text(), QStringLiteral("Заметка1"));
            editor->Edit1->setText("Список дел");
            editor->RichEdit1->setPlainText("Купить");
            // The list goes to the end wherever the caret is.
            QTextCursor start = editor->RichEdit1->textCursor();
            start.movePosition(QTextCursor::Start);
            editor->RichEdit1->setTextCursor(start);
            editor->Action4->trigger();
            QCOMPARE(editor->noteText(), QStringLiteral("Купить\r\n1)\r\n2)\r\n3)\r\n4)\r\n5)"));
            QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        });
        click("BitBtn3");
        QCOMPARE(stored()[0].text, QStringLiteral("Купить\r\n1)\r\n2)\r\n3)\r\n4)\r\n5)"));

        // Date and time replace the selection; cut, copy and paste act on the
        // text even while the name has the focus.
        TForm3 editor;
        editor.show();
        editor.RichEdit1->setPlainText("срок: XX");
        QTextCursor cursor = editor.RichEdit1->textCursor();
        cursor.setPosition(6);
        cursor.setPosition(8, QTextCursor::KeepAnchor);
        editor.RichEdit1->setTextCursor(cursor);
        editor.Action5->trigger();
        QCOMPARE(editor.RichEdit1->toPlainText(), QStringLiteral("срок: 01.01.2011"));
        editor.RichEdit1->insertPlainText(" ");
        editor.Action6->trigger();
        QCOMPARE(editor.RichEdit1->toPlainText(), QStringLiteral("срок: 01.01.2011 7:05:09"));

        editor.Edit1->setFocus();
        editor.RichEdit1->selectAll();
        editor.Action2->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("срок: 01.01.2011 7:05:09"));
        editor.Action1->trigger();
        QCOMPARE(editor.RichEdit1->toPlainText(), QString());
        editor.Action3->trigger();
        editor.Action3->trigger();
        QCOMPARE(editor.RichEdit1->toPlainText(),
                 QStringLiteral("срок: 01.01.2011 7:05:09срок: 01.01.2011 7:05:09"));
        QCOMPARE(editor.Edit1->text(), QStringLiteral("Заметка1"));

        // The keys too: the name box would take Ctrl+X/C/V for itself.
        QApplication::setActiveWindow(&editor);
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        editor.Edit1->setFocus();
        editor.Edit1->selectAll();
        editor.RichEdit1->setPlainText("текст");
        editor.RichEdit1->selectAll();
        QTest::keyClick(editor.Edit1, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(editor.RichEdit1->toPlainText(), QString());
        QCOMPARE(editor.Edit1->text(), QStringLiteral("Заметка1"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("текст"));
        QTest::keyClick(editor.Edit1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(editor.RichEdit1->toPlainText(), QStringLiteral("текст"));
        QCOMPARE(editor.Edit1->text(), QStringLiteral("Заметка1"));
    }

    // What was typed is what is kept: no-break spaces and line separators too.
    void theNoteKeepsEveryCharacterTyped()
    {
        const QString typed = QStringLiteral("10\u00a0кг\u2028строка\nвторая\tтаб");
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            auto* editor = qobject_cast<TForm3*>(window);
            editor->Edit1->setText("Точно");
            editor->RichEdit1->setPlainText(typed);
            editor->BitBtn1->click();
        });
        click("BitBtn3");
        QCOMPARE(stored()[0].text, QStringLiteral("10\u00a0кг\u2028строка\r\nвторая\tтаб"));
        // And read back into the editor unchanged.
        TForm3 editor;
        editor.setNoteText(stored()[0].text);
        QCOMPARE(editor.noteText(), stored()[0].text);
    }

    void theViewIsStoredAndRestored()
    {
        auto* selector = m_window->findChild<QComboBox*>("ComboBox3");
        QCOMPARE(selector->currentIndex(), 0);
        QCOMPARE(list()->viewMode(), QListView::IconMode);

        selector->setCurrentIndex(2);
        QCOMPARE(m_registry->readInteger(kMarks, "View"), std::optional<qint32>(2));
        QCOMPARE(m_window->statusMessage(), QStringLiteral("Вид изменён!"));
        QCOMPARE(list()->viewMode(), QListView::ListMode);
        QCOMPARE(list()->flow(), QListView::TopToBottom);

        // The next start shows the list view again, with the selector on it.
        restartWindow();
        selector = m_window->findChild<QComboBox*>("ComboBox3");
        QCOMPARE(selector->currentIndex(), 2);
        QCOMPARE(list()->viewMode(), QListView::ListMode);
        QCOMPARE(list()->flow(), QListView::TopToBottom);
        QCOMPARE(m_window->statusMessage(), QStringLiteral("Загрузка настроек завершена!"));

        selector->setCurrentIndex(1);
        QCOMPARE(list()->viewMode(), QListView::ListMode);
        QCOMPARE(list()->flow(), QListView::LeftToRight);
        QCOMPARE(list()->iconSize(), QSize(16, 16));

        // A stored value outside the three leaves no entry and large icons.
        m_registry->writeInteger(kMarks, "View", 7);
        restartWindow();
        selector = m_window->findChild<QComboBox*>("ComboBox3");
        QCOMPARE(selector->currentIndex(), -1);
        QCOMPARE(list()->viewMode(), QListView::IconMode);
        QCOMPARE(m_registry->readInteger(kMarks, "View"), std::optional<qint32>(7));
    }

private:
    void startWindow()
    {
        m_window = std::make_unique<TForm1>(*m_registry);
        QVERIFY(m_window->startedUp());
        m_window->show();
        m_window->Timer1Timer();
        m_window->showSection(Sections::kNotes);
    }
    void restartWindow()
    {
        m_window.reset();
        startWindow();
    }
    QListWidget* list() const { return m_window->findChild<QListWidget*>("ListView1"); }
    void click(const char* button)
    {
        QTest::mouseClick(m_window->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    QStringList captions() const
    {
        QStringList names;
        for (int row = 0; row < list()->count(); ++row)
            names.append(list()->item(row)->text());
        return names;
    }
    QList<StoredNote> stored() const
    {
        QList<StoredNote> notes;
        for (const auto& row : m_window->database().MarksTable.rows())
            notes.append({row.key, row.value("Название").toString(), row.value("Содержание").toString()});
        return notes;
    }
    void addNotes(const QList<QPair<QString, QString>>& notes)
    {
        for (const auto& [name, text] : notes) {
            m_seams->modals.scripts.enqueue(answerEditor(name, text));
            click("BitBtn3");
        }
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<TForm1> m_window;
};

QUILL_TEST_MAIN(TestNotesSection)
#include "tst_notes_section.moc"

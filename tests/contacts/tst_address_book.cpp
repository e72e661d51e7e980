#include "book_fixture.h"
#include "error_handler.h"
#include "smart_box.h"
#include "test_main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>

namespace {
const QString kTab = QStringLiteral("\t");
QString line(const QString& surname, const QString& name, const QString& patronymic)
{
    return QLatin1Char(' ') + surname + kTab + name + kTab + patronymic;
}
TForm4* editorOf(QDialog* window)
{
    auto* editor = qobject_cast<TForm4*>(window);
    if (!editor)
        qFatal("the window shown is not the contact editor");
    return editor;
}
} // namespace

class TestAddressBook : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_book = std::make_unique<BookFixture>();
    }
    void cleanup()
    {
        m_book.reset();
        m_seams.reset();
        m_home.reset();
    }

    void startupFillsBothListsInTheTablesOrder()
    {
        m_book->seed({BookFixture::contact("Сидоров", "Пётр", "Ильич"),
                      BookFixture::contact("Абрамов", "Ян", ""),
                      BookFixture::contact("O'Brien", "Patrick", "")});
        m_book->start();
        const QStringList expected = {line("Сидоров", "Пётр", "Ильич"), line("Абрамов", "Ян", ""),
                                      line("O'Brien", "Patrick", "")};
        QCOMPARE(BookFixture::lines(m_book->ListBox2()), expected);
        QCOMPARE(BookFixture::lines(m_book->ListBox5()), expected);
        QCOMPARE(m_book->ListBox2()->tabWidth(), 50);
        QCOMPARE(m_book->ListBox5()->tabWidth(), 50);
        QVERIFY(m_book->ListBox2()->tabStopPixels() >
                m_book->ListBox2()->fontMetrics().averageCharWidth() * 10);
        // The subject box of the mail section stands beside its recipient list and has its history file.
        auto* subject = m_book->box("GroupBox1")->findChild<TSmartBox*>("Theme");
        QVERIFY(subject);
        QVERIFY(QFileInfo::exists(m_home->profileFolder() + "/Theme.dic"));
    }

    void listsAreBuiltOnFirstShowingWithTheRowsAndTheScheme()
    {
        m_book->seed({BookFixture::contact("Сидоров", "Пётр", "Ильич")});
        m_book->start();
        // Start-up leaves the hidden sections' controls unmade.
        QVERIFY(!m_book->window->findChild<TabbedListBox*>("ListBox2"));
        QVERIFY(!m_book->window->findChild<TabbedListBox*>("ListBox5"));
        // A row added after start-up is there when the section is first shown.
        QVERIFY(m_book->window->database().BookTable.insert(
            BookFixture::contact("Абрамов", "Ян", "").toValues()));
        m_book->window->showSection(10);
        const QStringList expected = {line("Сидоров", "Пётр", "Ильич"), line("Абрамов", "Ян", "")};
        QCOMPARE(BookFixture::lines(m_book->ListBox2()), expected);
        // Showing the mail section later does not fill its list a second time.
        m_book->window->showSection(1);
        QCOMPARE(BookFixture::lines(m_book->ListBox5()), expected);
        // The scheme applied at start-up ("Metal") reaches the lists made after it.
        const QColor schemeText =
            m_book->box("EveryDay")->palette().color(QPalette::Active, QPalette::WindowText);
        for (TabbedListBox* list : {m_book->ListBox2(), m_book->ListBox5()}) {
            QCOMPARE(list->font(), m_book->window->mainFont());
            QCOMPARE(list->palette().color(QPalette::Active, QPalette::Text), schemeText);
        }
    }

    void newContactStartsWithItsTextsAndIsAppendedToBothLists()
    {
        m_book->seed({BookFixture::contact("Сидоров", "Пётр", "Ильич")});
        m_book->start();
        QStringList defaults;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            TForm4* editor = editorOf(window);
            QCOMPARE(editor->windowTitle(), QStringLiteral("Редактировать запись"));
            QCOMPARE(editor->size(), QSize(709, 564));
            QVERIFY(editor->skin);
            for (QLineEdit* box : {editor->Edit1, editor->Edit2, editor->Edit3, editor->Edit4, editor->Edit11,
                                   editor->Edit5, editor->Edit6, editor->Edit8, editor->Edit9})
                defaults.append(box->text());
            defaults.append(editor->Edit7->currentText());
            QVERIFY(!editor->CheckBox1->isChecked());
            QCOMPARE(editor->Edit1->maxLength(), 30);
            QCOMPARE(editor->Edit6->maxLength(), 30);
            // The comment's column holds 50 characters: no more can be typed.
            QCOMPARE(editor->Edit8->maxLength(), 50);

            typeNames(editor, "Белова", "Ирина", "Олеговна");
            editor->Edit4->setText("(8-12)345-67-89");
            editor->Edit11->setText("---");
            editor->Edit5->setText("irina@example.com");
            editor->Edit6->setText("123-456-789");
            editor->Edit7->setCurrentIndex(2);
            editor->Edit8->setText(QString(60, QChar(u'ж')));
            editor->Edit9->setText("22.06.1985 7:30:00");
            editor->CheckBox1->setChecked(true);
            QTest::keyClick(editor->Edit9, Qt::Key_Return); // OK is the default button
        });
        m_book->click("GroupBox2", "BitBtn5");

        QCOMPARE(defaults, (QStringList{"Name or NickName", "Surname or Index", "Father", "(0-00)00-00-00",
                                        "(0-00)00-00-00", "name@example.com", "000-000-000", "", "01.01.1980",
                                        "Друзья"}));
        const QList<TableObject::Row> rows = m_book->rows();
        QCOMPARE(rows.size(), 2);
        const Contact stored = Contact::fromRow(rows[1]);
        QCOMPARE(stored.names(), (ContactNames{"Белова", "Ирина", "Олеговна"}));
        QCOMPARE(stored.phone1, QStringLiteral("(8-12)345-67-89"));
        QCOMPARE(stored.phone2, QStringLiteral("---"));
        QCOMPARE(stored.mail, QStringLiteral("irina@example.com"));
        QCOMPARE(stored.icq, QStringLiteral("123-456-789"));
        QCOMPARE(stored.category, 3);
        QCOMPARE(stored.comment, QString(50, QChar(u'ж')));
        QCOMPARE(stored.birthday, QDateTime(QDate(1985, 6, 22), QTime(7, 30)));
        QVERIFY(stored.remind);

        const QStringList expected = {line("Сидоров", "Пётр", "Ильич"), line("Белова", "Ирина", "Олеговна")};
        QCOMPARE(BookFixture::lines(m_book->ListBox2()), expected);
        QCOMPARE(BookFixture::lines(m_book->ListBox5()), expected);
        QCOMPARE(m_book->ListBox2()->tabWidth(), 30);
        QCOMPARE(m_book->ListBox5()->tabWidth(), 50);

        // Cancel and the close box store nothing.
        m_seams->modals.scripts.enqueue([](QDialog* window) { editorOf(window)->BitBtn2->click(); });
        m_book->click("GroupBox2", "BitBtn5");
        m_seams->modals.scripts.enqueue([](QDialog* window) { window->close(); });
        m_book->click("GroupBox2", "BitBtn5");
        QCOMPARE(m_book->rows().size(), 2);
        QCOMPARE(m_book->ListBox2()->count(), 2);
    }

    void duplicatesAreRefusedButLetterCaseCounts()
    {
        m_book->seed({BookFixture::contact("Сидоров", "Пётр", "Ильич"),
                      BookFixture::contact("Абрамов", "Ян", "Петрович")});
        m_book->start();
        const auto add = [this](const QString& surname, const QString& name, const QString& patronymic) {
            m_seams->modals.scripts.enqueue([=](QDialog* window) {
                typeNames(editorOf(window), surname, name, patronymic);
                editorOf(window)->BitBtn1->click();
            });
            m_book->click("GroupBox2", "BitBtn5");
        };
        add("Абрамов", "Ян", "Петрович"); // the last row
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QCOMPARE(m_seams->boxes.shown[0].title, QStringLiteral("Произошла ошибка!"));
        QVERIFY(
            m_seams->boxes.shown[0].text.startsWith(QStringLiteral("Такая запись уже существует!\r\n\r\n")));
        add("Сидоров", "Пётр", "Ильич"); // the first row
        QCOMPARE(m_seams->boxes.shown.size(), 2);
        QCOMPARE(m_book->rows().size(), 2);
        QCOMPARE(m_book->ListBox2()->count(), 2);
        QCOMPARE(m_book->ListBox2()->tabWidth(), 50);

        add("абрамов", "Ян", "Петрович");
        add("Абрамов", "Ян", "Ильич");
        QCOMPARE(m_seams->boxes.shown.size(), 2);
        QCOMPARE(m_book->rows().size(), 4);
        QCOMPARE(BookFixture::lines(m_book->ListBox5()).mid(2),
                 (QStringList{line("абрамов", "Ян", "Петрович"), line("Абрамов", "Ян", "Ильич")}));
    }

    // Each row's box, then its "-", then its "?"; a large scheme font gets
    // the room it needs.
    void theEditorKeepsItsTabOrderAndGrowsForLargeFonts()
    {
        TForm4 editor;
        const QStringList expected = {
            "Edit1", "Button1",  "Button2",  "Edit2",  "Button3",  "Button4",  "Edit3", "Button5", "Button6",
            "Edit4", "Button7",  "Button8",  "Edit11", "Button21", "Button22", "Edit5", "Button9", "Button10",
            "Edit6", "Button11", "Button12", "Edit7",  "Button13", "Button14", "Edit8"};
        QStringList order;
        QWidget* at = editor.Edit1;
        for (int i = 0; i < expected.size(); ++i) {
            order.append(at->objectName());
            at = at->nextInFocusChain();
            while (at->focusPolicy() == Qt::NoFocus || at->objectName().isEmpty() ||
                   at->objectName().startsWith("qt_"))
                at = at->nextInFocusChain();
        }
        QCOMPARE(order, expected);

        editor.skin = true;
        editor.Font1 = QFont(QStringLiteral("DejaVu Sans"));
        editor.Font1.setPixelSize(27); // a 20-pt scheme font
        editor.show();
        QApplication::processEvents();
        QVERIFY(editor.width() >= 709 && editor.height() > 564);
        QVERIFY(editor.size().expandedTo(editor.layout()->totalMinimumSize()) == editor.size());
        const auto roomy = [&editor] {
            // The named boxes; a combo box draws its own line edit inside its frame.
            for (const QLineEdit* box : editor.findChildren<QLineEdit*>(QRegularExpression("^Edit")))
                if (box->height() < box->sizeHint().height())
                    return false;
            return true;
        };
        QTRY_VERIFY(roomy());
    }

    // A table that cannot be read is not an empty one: nothing passes the
    // duplicate test, and the user is told why.
    void anUnreadableBookRefusesTheNewContact()
    {
        m_book->seed({BookFixture::contact("Сидоров", "Пётр", "Ильич")});
        m_book->start();
        m_book->window->showSection(10);
        QSqlQuery damage(m_book->window->database().BigBd());
        QVERIFY(damage.exec(R"(ALTER TABLE "Адресная книга" RENAME TO "gone")"));
        m_seams->modals.scripts.enqueue([=](QDialog* window) {
            typeNames(editorOf(window), "Новиков", "Иван", "");
            editorOf(window)->BitBtn1->click();
        });
        m_book->click("GroupBox2", "BitBtn5");
        QCOMPARE(m_seams->boxes.titles(), QStringList{"Произошла ошибка!"});
        QVERIFY(m_seams->boxes.shown[0].text.contains("Адресная книга"));
        QCOMPARE(m_book->ListBox2()->count(), 1);
        QVERIFY(damage.exec(R"(ALTER TABLE "gone" RENAME TO "Адресная книга")"));
        QCOMPARE(m_book->rows().size(), 1);
    }

    void emptyNamesBecomeDashesOnlyOnce()
    {
        m_book->start();
        for (int attempt = 0; attempt < 2; ++attempt) {
            m_seams->modals.scripts.enqueue([](QDialog* window) {
                typeNames(editorOf(window), "", "", "");
                editorOf(window)->BitBtn1->click();
            });
            m_book->click("GroupBox2", "BitBtn5");
        }
        QCOMPARE(m_book->rows().size(), 1);
        QCOMPARE(Contact::fromRow(m_book->rows()[0]).names(), (ContactNames{"---", "---", "---"}));
        QCOMPARE(BookFixture::lines(m_book->ListBox2()), QStringList{line("---", "---", "---")});
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QVERIFY(m_seams->boxes.shown[0].text.startsWith(QStringLiteral("Такая запись уже существует!")));
    }

    void markButtonsAndTypedCategoriesStoreCategoryZero()
    {
        m_book->start();
        QStringList marked;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            TForm4* editor = editorOf(window);
            const QStringList buttons = {"Button1",  "Button4",  "Button5",  "Button8",
                                         "Button21", "Button10", "Button11", "Button13"};
            for (const QString& name : buttons)
                editor->findChild<QPushButton*>(name)->click();
            for (QLineEdit* box : {editor->Edit1, editor->Edit2, editor->Edit3, editor->Edit4, editor->Edit11,
                                   editor->Edit5, editor->Edit6})
                marked.append(box->text());
            marked.append(editor->Edit7->currentText());
            editor->BitBtn1->click();
        });
        m_book->click("GroupBox2", "BitBtn5");
        QCOMPARE(marked, (QStringList{"---", "???", "---", "???", "---", "???", "---", "---"}));
        QCOMPARE(Contact::fromRow(m_book->rows()[0]).category, 0);

        // A category typed instead of chosen is no category; typing an item's exact name chooses it.
        const QList<std::pair<QString, int>> typed = {{"Коллеги", 0}, {"Работа", 2}, {"работа", 0}};
        for (const auto& [text, number] : typed) {
            m_seams->modals.scripts.enqueue([text](QDialog* window) {
                TForm4* editor = editorOf(window);
                typeNames(editor, text, "x", "y");
                editor->Edit7->setEditText(text);
                editor->BitBtn1->click();
            });
            m_book->click("GroupBox2", "BitBtn5");
            QCOMPARE(Contact::fromRow(m_book->rows().last()).category, number);
        }

        // Category 0 reopens with an empty box.
        QString reopened = "unset";
        int index = 0;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            reopened = editorOf(window)->Edit7->currentText();
            index = editorOf(window)->Edit7->currentIndex();
        });
        m_book->ListBox2()->setCurrentRow(1);
        m_book->click("GroupBox2", "BitBtn7");
        QCOMPARE(reopened, QString());
        QCOMPARE(index, -1);
    }

    void editingMovesTheLineToTheEndOfBothLists()
    {
        Contact first = BookFixture::contact("Сидоров", "Пётр", "Ильич", "111");
        first.birthday = QDateTime(QDate(1975, 4, 18), QTime(6, 15, 20));
        first.category = 4;
        first.remind = true;
        first.comment = "сосед";
        m_book->seed(
            {first, BookFixture::contact("Абрамов", "Ян", ""), BookFixture::contact("Ким", "Ли", "")});
        m_book->start();
        QStringList shown;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            TForm4* editor = editorOf(window);
            for (QLineEdit* box :
                 {editor->Edit1, editor->Edit2, editor->Edit3, editor->Edit4, editor->Edit9, editor->Edit8})
                shown.append(box->text());
            shown.append(editor->Edit7->currentText());
            shown.append(editor->CheckBox1->isChecked() ? "yes" : "no");
            editor->Edit2->setText("Сидоров-Старший");
            editor->BitBtn1->click();
        });
        m_book->ListBox2()->setCurrentRow(0);
        m_book->click("GroupBox2", "BitBtn7");
        QCOMPARE(shown, (QStringList{"Пётр", "Сидоров", "Ильич", "111", "18.04.1975 6:15:20", "сосед",
                                     "Родственники", "yes"}));
        const QStringList expected = {line("Абрамов", "Ян", ""), line("Ким", "Ли", ""),
                                      line("Сидоров-Старший", "Пётр", "Ильич")};
        QCOMPARE(BookFixture::lines(m_book->ListBox2()), expected);
        QCOMPARE(BookFixture::lines(m_book->ListBox5()), expected);
        const QList<TableObject::Row> rows = m_book->rows();
        const Contact stored = Contact::fromRow(rows[0]);
        QCOMPARE(stored.surname, QStringLiteral("Сидоров-Старший"));
        QCOMPARE(stored.birthday, first.birthday);
        QCOMPARE(stored.category, 4);

        // A double click opens the same editor; Cancel changes nothing.
        m_seams->modals.scripts.enqueue([](QDialog* window) { editorOf(window)->BitBtn2->click(); });
        m_book->window->showSection(10);
        QListWidget* list = m_book->ListBox2();
        const QPoint centre = list->visualItemRect(list->item(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(m_seams->modals.opened, (QStringList{"TForm4", "TForm4"}));
        QCOMPARE(BookFixture::lines(m_book->ListBox2()), expected);

        // After a restart the lists show the table's order again.
        m_book->stop();
        m_book->start();
        QCOMPARE(BookFixture::lines(m_book->ListBox2()),
                 (QStringList{line("Сидоров-Старший", "Пётр", "Ильич"), line("Абрамов", "Ян", ""),
                              line("Ким", "Ли", "")}));
    }

    void contactsSharingTheirNamesActOnTheFirst()
    {
        m_book->seed({BookFixture::contact("Ким", "Ли", "", "первый"),
                      BookFixture::contact("Абрамов", "Ян", ""),
                      BookFixture::contact("Ким", "Ли", "", "второй")});
        m_book->start();
        QString phone;
        m_seams->modals.scripts.enqueue([&](QDialog* window) { phone = editorOf(window)->Edit4->text(); });
        m_book->ListBox2()->setCurrentRow(2);
        m_book->click("GroupBox2", "BitBtn7");
        QCOMPARE(phone, QStringLiteral("первый"));

        m_seams->boxes.answers.enqueue(MessageBoxes::Button::Yes);
        m_book->ListBox2()->setCurrentRow(2);
        m_book->click("GroupBox2", "BitBtn6");
        const QList<TableObject::Row> rows = m_book->rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].value("Телефон1").toString(), QStringLiteral("второй"));
        QCOMPARE(BookFixture::lines(m_book->ListBox2()),
                 (QStringList{line("Ким", "Ли", ""), line("Абрамов", "Ян", "")}));
        QCOMPARE(BookFixture::lines(m_book->ListBox5()), BookFixture::lines(m_book->ListBox2()));
    }

    void deletingAsksFirstAndEmptiesTheMailListToo()
    {
        m_book->seed(
            {BookFixture::contact("Сидоров", "Пётр", "Ильич"), BookFixture::contact("O'Brien", "Pat", "'")});
        m_book->start();
        m_book->ListBox2()->setCurrentRow(1);
        m_book->click("GroupBox2", "BitBtn6"); // unanswered: No
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        const MessageBoxes::Request question = m_seams->boxes.shown[0];
        QCOMPARE(question.title, QStringLiteral("Предупреждение"));
        QCOMPARE(question.text, QStringLiteral("Вы дйствительно хотите удалить запись?"));
        QCOMPARE(question.icon, MessageBoxes::Icon::Warning);
        QCOMPARE(question.buttons,
                 (QList<MessageBoxes::Button>{MessageBoxes::Button::Yes, MessageBoxes::Button::No}));
        QCOMPARE(m_book->rows().size(), 2);

        // Quotes in the names are ordinary characters.
        m_seams->boxes.answers.enqueue(MessageBoxes::Button::Yes);
        m_book->click("GroupBox2", "BitBtn6");
        QCOMPARE(m_book->rows().size(), 1);
        QCOMPARE(BookFixture::lines(m_book->ListBox2()), QStringList{line("Сидоров", "Пётр", "Ильич")});
        QCOMPARE(BookFixture::lines(m_book->ListBox5()), QStringList{line("Сидоров", "Пётр", "Ильич")});
        QCOMPARE(m_book->window->statusMessage(), QStringLiteral("Запись удалена!"));

        // With no line selected the question is asked and nothing happens.
        m_book->window->setStatusMessage({});
        m_book->ListBox2()->clearSelection();
        m_seams->boxes.answers.enqueue(MessageBoxes::Button::Yes);
        m_book->click("GroupBox2", "BitBtn6");
        QCOMPARE(m_seams->boxes.shown.size(), 3);
        QCOMPARE(m_book->rows().size(), 1);
        QCOMPARE(m_book->window->statusMessage(), QString());
    }

    void viewingAQuotedNameAndViewingWithoutSelection()
    {
        m_book->seed({BookFixture::contact("д'Артаньян", "Шарль", "", "ok")});
        m_book->start();
        QString phone;
        m_seams->modals.scripts.enqueue([&](QDialog* window) { phone = editorOf(window)->Edit4->text(); });
        m_book->ListBox2()->setCurrentRow(0);
        m_book->click("GroupBox2", "BitBtn7");
        QCOMPARE(phone, QStringLiteral("ok"));
        QVERIFY(m_seams->boxes.shown.isEmpty());

        m_book->ListBox2()->clearSelection();
        m_book->click("GroupBox2", "BitBtn7");
        QCOMPARE(m_seams->modals.opened, QStringList{"TForm4"});
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QVERIFY(m_seams->boxes.shown[0].text.startsWith(ErrorHandler::kMessage));
    }

    void aDateThatDoesNotReadKeepsTheEditorOpen()
    {
        m_book->start();
        bool stayedOpen = false;
        QString typedName;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            TForm4* editor = editorOf(window);
            typeNames(editor, "Белова", "Ирина", "");
            editor->Edit9->setText("31.02.1980");
            editor->BitBtn1->click();
            stayedOpen = editor->isVisible();
            typedName = editor->Edit2->text();
            editor->Edit9->setText("29.02.1980");
            editor->BitBtn1->click();
        });
        m_book->click("GroupBox2", "BitBtn5");
        QVERIFY(stayedOpen);
        QCOMPARE(typedName, QStringLiteral("Белова"));
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QCOMPARE(m_seams->boxes.shown[0].title, QStringLiteral("Ошибка!"));
        QCOMPARE(m_seams->boxes.shown[0].icon, MessageBoxes::Icon::Critical);
        QCOMPARE(
            m_seams->boxes.shown[0].text,
            QStringLiteral("Исправьте дату рождения!\r\n\r\nДата рождения прорисывается в формате, который "
                           "указан в настройках Windows."));
        QCOMPARE(m_book->rows().size(), 1);
        QCOMPARE(Contact::fromRow(m_book->rows()[0]).birthday, QDate(1980, 2, 29).startOfDay());
        // The blank patronymic became "---" at the first press of OK.
        QCOMPARE(BookFixture::lines(m_book->ListBox2()), QStringList{line("Белова", "Ирина", "---")});

        // Given up with Cancel, the entry is dropped.
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            typeNames(editorOf(window), "Зуев", "Ян", "");
            editorOf(window)->Edit9->setText("завтра");
            editorOf(window)->BitBtn1->click();
        });
        m_book->click("GroupBox2", "BitBtn5");
        QCOMPARE(m_book->rows().size(), 1);
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<BookFixture> m_book;
};

QUILL_TEST_MAIN(TestAddressBook)
#include "tst_address_book.moc"

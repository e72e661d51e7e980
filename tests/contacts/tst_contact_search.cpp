#include "book_fixture.h"
#include "error_handler.h"
#include "search_section.h"
#include "test_main.h"

#include <QComboBox>
#include <QSqlQuery>

namespace {
const QString kTab = QStringLiteral("\t");
QString result(const QString& surname, const QString& name, const QString& patronymic)
{
    return surname + kTab + name + kTab + patronymic;
}
} // namespace

class TestContactSearch : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_book = std::make_unique<BookFixture>();
        Contact ivanov = BookFixture::contact("Иванов", "Пётр", "Ильич", "111-11-11");
        ivanov.category = 2;
        ivanov.mail = "petr@example.com";
        ivanov.birthday = QDate(1980, 6, 22).startOfDay();
        Contact ivan = BookFixture::contact("Иван", "Иван", "Иванович", "222-22-22");
        ivan.category = 2;
        ivan.icq = "123-456-789";
        Contact obrien = BookFixture::contact("O'Brien", "Pat", "", "333");
        obrien.phone2 = "(0-00)00-00-00";
        obrien.category = 7;
        Contact unsorted = BookFixture::contact("Ким", "Ли", "", "444");
        unsorted.category = 0;
        Contact twin = BookFixture::contact("Иванов", "Пётр", "Ильич", "555");
        twin.category = 5;
        m_book->seed({ivanov, ivan, obrien, unsorted, twin});
        m_book->start();
        m_book->window->showSection(11);
    }
    void cleanup()
    {
        m_book.reset();
        m_seams.reset();
        m_home.reset();
    }

    void withoutCriteriaEveryContactIsFound()
    {
        QCOMPARE(combo("ComboBox1")->currentText(), QStringLiteral("Не учитывать"));
        QCOMPARE(combo("ComboBox1")->count(), 8);
        QCOMPARE(combo("ComboBox4")->currentText(), QStringLiteral("И"));
        search();
        QCOMPARE(found(), (QStringList{result("Иванов", "Пётр", "Ильич"), result("Иван", "Иван", "Иванович"),
                                       result("O'Brien", "Pat", ""), result("Ким", "Ли", ""),
                                       result("Иванов", "Пётр", "Ильич")}));
        QCOMPARE(ListBox3()->tabWidth(), 30);
        QCOMPARE(m_book->window->statusMessage(), QStringLiteral("Поиск... завершён"));
    }

    void oneCriterionFindsTheSameUnderAndAndOr()
    {
        // The whole field is compared: Иван is not Иванов.
        edit("Edit2")->setText("Иван");
        search();
        QCOMPARE(found(), QStringList{result("Иван", "Иван", "Иванович")});
        combo("ComboBox4")->setCurrentIndex(1);
        search();
        QCOMPARE(found(), QStringList{result("Иван", "Иван", "Иванович")});

        // Every kind of field, one at a time.
        const QList<std::pair<const char*, QString>> single = {
            {"Edit1", "Pat"},         {"Edit3", "Иванович"},
            {"Edit4", "444"},         {"Edit5", "petr@example.com"},
            {"Edit6", "123-456-789"}, {"Edit13", "(0-00)00-00-00"},
            {"Edit14", "22.06.1980"},
        };
        const QStringList expected = {result("O'Brien", "Pat", ""),
                                      result("Иван", "Иван", "Иванович"),
                                      result("Ким", "Ли", ""),
                                      result("Иванов", "Пётр", "Ильич"),
                                      result("Иван", "Иван", "Иванович"),
                                      result("O'Brien", "Pat", ""),
                                      result("Иванов", "Пётр", "Ильич")};
        for (int i = 0; i < single.size(); ++i) {
            clearCriteria();
            edit(single[i].first)->setText(single[i].second);
            search();
            QCOMPARE(found(), QStringList{expected[i]});
        }
    }

    void orFindsEitherValueAndAndNeedsBoth()
    {
        edit("Edit1")->setText("Ли");
        edit("Edit2")->setText("O'Brien");
        combo("ComboBox4")->setCurrentIndex(1);
        search();
        QCOMPARE(found(), (QStringList{result("O'Brien", "Pat", ""), result("Ким", "Ли", "")}));
        combo("ComboBox4")->setCurrentIndex(0);
        search();
        QCOMPARE(found(), QStringList{});

        clearCriteria();
        edit("Edit2")->setText("Иванов");
        combo("ComboBox1")->setCurrentIndex(1); // "Работа"
        search();
        QCOMPARE(found(), QStringList{result("Иванов", "Пётр", "Ильич")});
        QCOMPARE(m_book->rows()[0].value("Телефон1").toString(), QStringLiteral("111-11-11"));
    }

    void aTypedCategorySearchesForCategoryZero()
    {
        combo("ComboBox1")->setEditText("Соседи");
        search();
        QCOMPARE(found(), QStringList{result("Ким", "Ли", "")});
    }

    void aDateThatDoesNotReadStopsTheSearch()
    {
        edit("Edit14")->setText("32.13.1980");
        search();
        QCOMPARE(found(), QStringList{});
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QVERIFY(m_seams->boxes.shown[0].text.startsWith(ErrorHandler::kMessage));
        QCOMPARE(m_book->window->statusMessage(), QStringLiteral("Поиск...  из 5"));
    }

    // A search over a table that cannot be read finds nothing and says so,
    // rather than report a finished search that found no one.
    void anUnreadableBookIsNoEmptyResult()
    {
        QSqlQuery damage(m_book->window->database().BigBd());
        QVERIFY(damage.exec(R"(ALTER TABLE "Адресная книга" RENAME TO "gone")"));
        search();
        QCOMPARE(m_seams->boxes.titles(), QStringList{"Произошла ошибка!"});
        QVERIFY(m_seams->boxes.shown[0].text.contains("Адресная книга"));
        QVERIFY(!m_book->window->statusMessage().contains("завершён"));
        QVERIFY(damage.exec(R"(ALTER TABLE "gone" RENAME TO "Адресная книга")"));
    }

    void anEditedFoundContactMovesToTheEndOfEveryList()
    {
        edit("Edit2")->setText("Иванов");
        search();
        QCOMPARE(found().size(), 2);
        QString phone;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            auto* editor = qobject_cast<TForm4*>(window);
            QVERIFY(editor);
            QVERIFY(editor->skin);
            phone = editor->Edit4->text();
            editor->Edit1->setText("Павел");
            editor->BitBtn1->click();
        });
        doubleClick(1); // the twin opens the first of the two
        QCOMPARE(phone, QStringLiteral("111-11-11"));

        QCOMPARE(found(),
                 (QStringList{result("Иванов", "Пётр", "Ильич"), result("Иванов", "Павел", "Ильич")}));
        const QStringList lines = {" Иван\tИван\tИванович", " O'Brien\tPat\t", " Ким\tЛи\t",
                                   " Иванов\tПётр\tИльич", " Иванов\tПавел\tИльич"};
        QCOMPARE(BookFixture::lines(m_book->ListBox2()), lines);
        QCOMPARE(BookFixture::lines(m_book->ListBox5()), lines);
        const Contact stored = Contact::fromRow(m_book->rows()[0]);
        QCOMPARE(stored.name, QStringLiteral("Павел"));
        QCOMPARE(stored.category, 2);

        // Without a selected line nothing opens.
        ListBox3()->clearSelection();
        m_book->window->findChild<SearchSection*>()->ListBox3DblClick();
        QCOMPARE(m_seams->modals.opened.size(), 1);
        QVERIFY(m_seams->boxes.shown.last().text.startsWith(ErrorHandler::kMessage));
    }

private:
    QLineEdit* edit(const char* name) const { return m_book->box("GroupBox4")->findChild<QLineEdit*>(name); }
    QComboBox* combo(const char* name) const { return m_book->box("GroupBox4")->findChild<QComboBox*>(name); }
    TabbedListBox* ListBox3() const { return m_book->list("GroupBox4", "ListBox3"); }
    QStringList found() const { return BookFixture::lines(ListBox3()); }
    void search() const { m_book->click("GroupBox4", "BitBtn10"); }
    void clearCriteria() const
    {
        for (QLineEdit* field : m_book->box("GroupBox4")->findChildren<QLineEdit*>())
            if (field->parent() != combo("ComboBox1"))
                field->clear();
        combo("ComboBox1")->setCurrentIndex(7);
    }
    void doubleClick(int row) const
    {
        QListWidget* list = ListBox3();
        const QPoint centre = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<BookFixture> m_book;
};

QUILL_TEST_MAIN(TestContactSearch)
#include "tst_contact_search.moc"

#include "book_fixture.h"
#include "search_section.h"
#include "test_main.h"
#include "vcard.h"

#include <QAction>
#include <QFile>
#include <QMenu>

namespace {
const QString kTab = QStringLiteral("\t");
QString line(const QString& surname, const QString& name, const QString& patronymic)
{
    return QLatin1Char(' ') + surname + kTab + name + kTab + patronymic;
}
} // namespace

// The vCard commands of the address book and the search, driven through the
// real windows: the file dialogs and the message boxes answer through the seams.
class TestVCardCommands : public QObject
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

    void importAddsNewCardsToBothListsAndSaysWhatHappened()
    {
        m_book->seed({BookFixture::contact("Иванов", "Пётр", "Ильич")});
        m_book->start();
        m_book->window->showSection(10);
        auto* button = m_book->box("GroupBox2")->findChild<QPushButton*>("VCardButton");
        QVERIFY(button);
        QVERIFY(button->menu());
        QVERIFY(!button->toolTip().isEmpty());
        QVERIFY(button->focusPolicy() & Qt::TabFocus);

        const QString path =
            write("phone.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Иванов;Пётр;Ильич;;\r\nFN:x\r\nEND:VCARD\r\n"
                               "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Петрова;Анна;;;\r\nTEL:111\r\nTEL:222\r\n"
                               "END:VCARD\r\n"
                               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Оборванный\r\n");
        m_seams->files.answers.enqueue(path);
        action("ImportVCardAction")->trigger();

        QCOMPARE(m_seams->files.titles, QStringList({QStringLiteral("Импорт контактов из файла vCard")}));
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        const MessageBoxes::Request& box = m_seams->boxes.shown.first();
        QCOMPARE(box.title, QStringLiteral("Импорт контактов"));
        QCOMPARE(box.icon, MessageBoxes::Icon::Warning);
        QVERIFY(box.text.contains(QStringLiteral("Добавлено контактов: 1.")));
        QVERIFY(box.text.contains(QStringLiteral("такая запись уже существует: 1 (Иванов Пётр Ильич)")));
        QVERIFY(
            box.text.contains(QStringLiteral("Карточка 3 (строка 12), «Оборванный»: карточка не закончена")));

        const QStringList expected = {line("Иванов", "Пётр", "Ильич"), line("Петрова", "Анна", "---")};
        QCOMPARE(BookFixture::lines(m_book->ListBox2()), expected);
        QCOMPARE(BookFixture::lines(m_book->ListBox5()), expected);
        QCOMPARE(m_book->ListBox2()->tabWidth(), 30);
        const QList<TableObject::Row> rows = m_book->rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].value("Телефон2").toString(), QStringLiteral("222"));

        // The imported contact opens in the editor like any other.
        m_book->ListBox2()->setCurrentRow(1);
        QString shownPhone;
        m_seams->modals.scripts.enqueue([&shownPhone](QDialog* window) {
            shownPhone = static_cast<TForm4*>(window)->Edit4->text();
            window->reject();
        });
        m_book->click("GroupBox2", "BitBtn7");
        QCOMPARE(shownPhone, QStringLiteral("111"));
    }

    void badFilesAndCancelChangeNothing()
    {
        m_book->start();
        m_book->window->showSection(10);
        // Cancelled file dialog: nothing at all.
        action("ImportVCardAction")->trigger();
        QVERIFY(m_seams->boxes.shown.isEmpty());

        m_seams->files.answers.enqueue(write("calendar.vcf", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"));
        m_seams->files.answers.enqueue(write("empty.vcf", ""));
        m_seams->files.answers.enqueue(m_home->path() + "/missing.vcf");
        for (int i = 0; i < 3; ++i)
            action("ImportVCardAction")->trigger();
        QCOMPARE(m_seams->boxes.shown.size(), 3);
        for (const MessageBoxes::Request& box : m_seams->boxes.shown) {
            QCOMPARE(box.title, MessageBoxes::kErrorTitle);
            QVERIFY(box.text.startsWith(QStringLiteral("Контакты не добавлены.")));
        }
        QVERIFY(m_seams->boxes.shown[0].text.contains(QStringLiteral("не является файлом vCard")));
        QVERIFY(m_seams->boxes.shown[1].text.contains(QStringLiteral("Файл пуст.")));
        QVERIFY(m_seams->boxes.shown[2].text.contains(QStringLiteral("не найден")));
        QCOMPARE(m_book->rows().size(), 0);
        QCOMPARE(m_book->ListBox2()->count(), 0);
    }

    void exportWritesTheWholeBookInTheChosenVersion()
    {
        m_book->start();
        m_book->window->showSection(10);
        action("ExportVCardAction")->trigger();
        QCOMPARE(m_seams->boxes.texts(), QStringList({QStringLiteral("Нет контактов для сохранения.")}));
        QVERIFY(m_seams->files.titles.isEmpty());

        QVERIFY(m_book->window->database().BookTable.insert(
            BookFixture::contact("Иванов", "Пётр", "Ильич", "123").toValues()));
        QVERIFY(
            m_book->window->database().BookTable.insert(BookFixture::contact("Смит", "Джон", "").toValues()));
        // A name typed without its extension gets one.
        m_seams->files.answers.enqueue(m_home->path() + "/book");
        action("ExportVCardAction")->trigger();
        QCOMPARE(m_seams->files.titles.last(), QStringLiteral("Сохранить контакты в файл vCard"));
        QCOMPARE(m_seams->boxes.shown.last().text,
                 QStringLiteral("Сохранено контактов: 2.\r\n") + m_home->path() + "/book.vcf");
        const VCard::ReadResult read = VCard::read(readAll(m_home->path() + "/book.vcf"));
        QCOMPARE(read.cards.size(), 2);
        QCOMPARE(read.cards[0].contact.phone1, QStringLiteral("123"));

        m_seams->files.answers.enqueue(m_home->path() + "/old.vcf");
        action("ExportVCard3Action")->trigger();
        QVERIFY(readAll(m_home->path() + "/old.vcf").contains("VERSION:3.0\r\n"));

        // A folder that cannot be written: the error box, and no file.
        m_seams->files.answers.enqueue(m_home->path() + "/no/such/folder/x.vcf");
        action("ExportVCardAction")->trigger();
        QCOMPARE(m_seams->boxes.shown.last().title, MessageBoxes::kErrorTitle);
        QVERIFY(m_seams->boxes.shown.last().text.startsWith(QStringLiteral("Контакты не сохранены.")));
    }

    void searchSavesExactlyTheContactsFound()
    {
        m_book->seed({BookFixture::contact("Иванов", "Пётр", "", "1"),
                      BookFixture::contact("Петров", "Иван", "", "2"),
                      BookFixture::contact("Иванов", "Пётр", "", "3")});
        m_book->start();
        m_book->window->showSection(11);
        QGroupBox* box = m_book->box("GroupBox4");
        box->findChild<QLineEdit*>("Edit2")->setText(QStringLiteral("Иванов"));
        box->findChild<QPushButton*>("BitBtn10")->click();
        auto* button = box->findChild<QPushButton*>("ExportFoundButton");
        QVERIFY(button && button->isVisibleTo(box));
        m_seams->files.answers.enqueue(m_home->path() + "/found.vcf");
        box->findChild<QAction*>("ExportFoundVCardAction")->trigger();
        const VCard::ReadResult read = VCard::read(readAll(m_home->path() + "/found.vcf"));
        QCOMPARE(read.cards.size(), 2);
        QCOMPARE(read.cards[0].contact.phone1, QStringLiteral("1"));
        QCOMPARE(read.cards[1].contact.phone1, QStringLiteral("3"));
    }

private:
    QAction* action(const char* name) const
    {
        auto* found = m_book->box("GroupBox2")->findChild<QAction*>(QLatin1String(name));
        if (!found)
            qFatal("no action %s", name);
        return found;
    }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = m_home->path() + QLatin1Char('/') + name;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }
    static QByteArray readAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<BookFixture> m_book;
};

QUILL_TEST_MAIN(TestVCardCommands)
#include "tst_vcard_commands.moc"

#include "address_book_section.h"
#include "contact.h"
#include "history_file.h"
#include "mail_section.h"
#include "secret_store.h"
#include "smart_box.h"
#include "smtp_test_server.h"
#include "tabbed_list_box.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QApplication>
#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kBox = QStringLiteral("tester@example.com");
const QString kPassword = QStringLiteral("secret");

QString errorText(const QString& message)
{
    return message + QStringLiteral("\r\n\r\n") + MessageBoxes::kErrorHint;
}

} // namespace

class TestMailSection : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> m_fixture;

    // A window whose mail settings name the given box and server, with the
    // password stored enciphered in row 3 of the keys.
    void start(const QString& mailBox, const QString& server, const QString& password = kPassword)
    {
        m_fixture = std::make_unique<WindowFixture>([&](RegistryStore& registry) {
            registry.writeString(Settings::fullKey("Mail"), QStringLiteral("MyBoxes"), mailBox);
            registry.writeString(Settings::fullKey("Mail"), QStringLiteral("SmtpServer"), server);
            registry.writeBool(Settings::fullKey("Config"), QStringLiteral("HideInTray"), false);
        });
        window().Timer1Timer(); // the first tick enables the window
        storePassword(password);
        window().showSection(1);
    }
    // Where the settings page keeps it (here, without a Secret Service, under the key file).
    void storePassword(const QString& password)
    {
        QString error;
        QVERIFY2(SecretStore(window().registry(), SecretStore::kMail).store(password, &error), qPrintable(error));
    }
    TForm1& window() { return *m_fixture->window; }
    MailSection* mail() { return window().sectionBox("GroupBox1")->findChild<MailSection*>("MailSection"); }
    ScriptedMessageBoxes& boxes() { return m_fixture->seams.boxes; }

    // Fills the boxes, presses "Отправить" and waits for the message box that ends it.
    void send(const QString& to, const QString& subject, const QString& body)
    {
        mail()->Edit8->setText(to);
        mail()->Theme->setEditText(subject);
        mail()->Memo1->setPlainText(body);
        const qsizetype before = boxes().shown.size();
        QTest::mouseClick(mail()->BitBtn1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(boxes().shown.size() > before, 30000);
        QVERIFY(!mail()->isSending());
    }
    QStringList history() const
    {
        QStringList entries;
        HistoryFile::load(m_fixture->home.profileFolder() + "/Theme.dic", &entries);
        return entries;
    }

private slots:
    void cleanup() { m_fixture.reset(); }

    void sectionShowsItsControls()
    {
        start(kBox, QStringLiteral("127.0.0.1:25"));
        QCOMPARE(mail()->BitBtn1->text(), QStringLiteral("Отправить"));
        QVERIFY(mail()->BitBtn1->font().bold() && mail()->BitBtn1->font().italic());
        QCOMPARE(mail()->Button1->text(), QStringLiteral("?"));
        QVERIFY(mail()->ListBox5 && mail()->Theme);
        QVERIFY(mail()->Edit8->text().isEmpty());
        // "?" asks for the mail page.
        QTest::mouseClick(mail()->Button1, Qt::LeftButton);
        QCOMPARE(window().requestedHelpPage(), 5);
    }

    void twoRecipientsReceiveTheCyrillicLetterWhileTheWindowStaysAlive()
    {
        SmtpTestServer server({QStringLiteral("login"), kBox, kPassword, 1.0});
        QVERIFY(server.port() > 0);
        start(kBox, server.address());
        const QString subject = QStringLiteral("Встреча в пятницу — не забудьте");
        const QString body = QStringLiteral("Добрый день!\nВстречаемся в 10:00.\n\nС уважением, Пётр");
        mail()->Edit8->setText(QStringLiteral("Иван Петров <ivan@example.com>, anna@example.com"));
        mail()->Theme->setEditText(subject);
        mail()->Memo1->setPlainText(body);
        QTest::mouseClick(mail()->BitBtn1, Qt::LeftButton);

        // While the letter is under way the window repaints, the section takes no input and the pointer is
        // busy.
        QVERIFY(mail()->isSending());
        QVERIFY(!window().sectionBox("GroupBox1")->isEnabled());
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        bool ticked = false;
        QTimer::singleShot(50, [&ticked] { ticked = true; });
        QTRY_VERIFY(ticked);
        QVERIFY(mail()->isSending());

        QTRY_VERIFY_WITH_TIMEOUT(!boxes().shown.isEmpty(), 30000);
        QCOMPARE(boxes().titles(), QStringList{QStringLiteral("Успех")});
        QCOMPARE(boxes().texts(), QStringList{QStringLiteral("Сообщение отправлено!")});
        QVERIFY(window().sectionBox("GroupBox1")->isEnabled());
        QVERIFY(!QApplication::overrideCursor());

        const QJsonObject letter = server.letter(1);
        QCOMPARE(letter.value("rcpt_tos").toArray().toVariantList(),
                 QVariantList({QStringLiteral("ivan@example.com"), QStringLiteral("anna@example.com")}));
        QCOMPARE(letter.value("mail_from").toString(), kBox);
        QCOMPARE(letter.value("from").toString(), kBox);
        QCOMPARE(letter.value("to").toString(),
                 QStringLiteral("Иван Петров <ivan@example.com>, anna@example.com"));
        QCOMPARE(letter.value("subject").toString(), subject);
        // Lines joined with CR LF, as they went.
        QCOMPARE(letter.value("body").toString(), QString(body).replace("\n", "\r\n"));
        QVERIFY(server.events().contains(QStringLiteral("auth LOGIN tester@example.com ok")));
        // The boxes keep their texts, and the subject is the newest history entry.
        QCOMPARE(mail()->Memo1->toPlainText(), body);
        QCOMPARE(history().value(history().size() - 1), subject);
    }

    void wrongPasswordFailsAndTheNextSendingConnectsAfresh()
    {
        SmtpTestServer server({QStringLiteral("login"), kBox, kPassword, 0});
        start(kBox, server.address(), QStringLiteral("wrong"));
        send(QStringLiteral("anna@example.com"), QStringLiteral("Тема неудачи"), QStringLiteral("текст"));
        QCOMPARE(boxes().texts(), QStringList{errorText(MailSection::kSendMessage)});
        QCOMPARE(boxes().titles(), QStringList{MessageBoxes::kErrorTitle});
        QCOMPARE(server.letterCount(), 0);
        // Remembered although the letter did not go.
        QVERIFY(history().contains(QStringLiteral("Тема неудачи")));

        storePassword(kPassword);
        send(QStringLiteral("anna@example.com"), QStringLiteral("Вторая попытка"), QStringLiteral("текст"));
        QCOMPARE(boxes().texts().last(), QStringLiteral("Сообщение отправлено!"));
        QCOMPARE(server.letterCount(), 1);
        QCOMPARE(server.events().count(QStringLiteral("connect")), 2);
    }

    void serverWithoutAuthGetsTheLetterWithoutLogin()
    {
        SmtpTestServer server({QStringLiteral("noauth"), {}, {}, 0});
        start(kBox, server.address());
        send(QStringLiteral("anna@example.com"), QStringLiteral("Без входа"), QStringLiteral("текст"));
        QCOMPARE(boxes().texts(), QStringList{QStringLiteral("Сообщение отправлено!")});
        QVERIFY(!server.letter(1).value("authenticated").toBool());
        for (const QString& event : server.events())
            QVERIFY(!event.startsWith(QStringLiteral("auth")));
    }

    void noServerOrNoKeyGivesTheConnectionMessage()
    {
        start(kBox, QStringLiteral("127.0.0.1:%1").arg(closedPort()));
        send(QStringLiteral("anna@example.com"), QStringLiteral("Никуда"), QStringLiteral("текст"));
        QCOMPARE(boxes().texts(), QStringList{errorText(MailSection::kConnectMessage)});
        QVERIFY(history().contains(QStringLiteral("Никуда")));

        // An empty mail-box address is neither a sender nor a login: refused before connecting.
        boxes().shown.clear();
        window().settings().myBoxes.clear();
        mail()->BitBtn1Click();
        QCOMPARE(boxes().texts(), QStringList{errorText(MailSection::kConnectMessage)});
        QVERIFY(!mail()->isSending());
    }

    void placeholderMailBoxesAreRefusedBeforeConnecting()
    {
        SmtpTestServer server({QStringLiteral("login"), kBox, kPassword, 0});
        // The first-run address, as the settings hold it after the first start.
        m_fixture = std::make_unique<WindowFixture>([&](RegistryStore& registry) {
            registry.writeString(Settings::fullKey("Mail"), QStringLiteral("SmtpServer"), server.address());
            registry.writeBool(Settings::fullKey("Config"), QStringLiteral("HideInTray"), false);
        });
        window().Timer1Timer();
        window().showSection(1);
        const QString refusal = errorText(MailSection::kDefaultLoginMessage);
        mail()->Theme->setEditText(QStringLiteral("Первая"));
        mail()->BitBtn1Click();
        QCOMPARE(boxes().texts(), QStringList{refusal});
        QVERIFY(!mail()->isSending());
        // The subject was accepted first.
        QVERIFY(history().contains(QStringLiteral("Первая")));

        window().settings().myBoxes = QStringLiteral("Quillarbor");
        mail()->BitBtn1Click();
        QCOMPARE(boxes().texts().last(), refusal);
        QVERIFY(server.events().isEmpty());

        // Another letter case is another login: it goes to the server, which refuses it.
        window().settings().myBoxes = QStringLiteral("quillarbor");
        storePassword(QStringLiteral("x"));
        send(QStringLiteral("anna@example.com"), QStringLiteral("s"), QStringLiteral("b"));
        QCOMPARE(boxes().texts().last(), errorText(MailSection::kSendMessage));
        QVERIFY(server.events().contains(QStringLiteral("connect")));
    }

    void clickingAContactPutsItsAddressIntoTheRecipientBox()
    {
        start(kBox, QStringLiteral("127.0.0.1:25"));
        AddressBookSection* book = window().addressBook();
        Contact withMail;
        withMail.surname = QStringLiteral("Сидоров");
        withMail.name = QStringLiteral("Пётр");
        withMail.mail = QStringLiteral("petr@example.com");
        withMail.birthday = QDate(1980, 1, 1).startOfDay();
        Contact without = withMail;
        without.surname = QStringLiteral("Абрамов");
        without.mail.clear();
        QVERIFY(book->book().add(withMail));
        QVERIFY(book->book().add(without));
        book->replaceLine({}, withMail.names());
        book->replaceLine({}, without.names());
        TabbedListBox* list = mail()->ListBox5;
        QCOMPARE(list->count(), 2);

        mail()->Edit8->setText(QStringLiteral("someone@example.com"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(mail()->Edit8->text(), QStringLiteral("petr@example.com"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(mail()->Edit8->text(), QString());
        // From the keyboard: Enter on a line.
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(mail()->Edit8->text(), QStringLiteral("petr@example.com"));
    }
};

QUILL_TEST_MAIN(TestMailSection)
#include "tst_mail_section.moc"

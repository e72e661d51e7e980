#include "mail_section.h"

#include "address_book.h"
#include "clock.h"
#include "contact.h"
#include "error_handler.h"
#include "message_boxes.h"
#include "profile_database.h"
#include "secret_store.h"
#include "section_host.h"
#include "settings.h"
#include "smart_box.h"
#include "tabbed_list_box.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

const QString MailSection::kConnectMessage =
    QStringLiteral("Невозможно подключиться к mail-серверу! Проверьте настройки почтового ящика. Для этого в "
                   "правой панели выберите \"Конфигурация\" и заполните параметры E-mail.");
const QString MailSection::kSendMessage = QStringLiteral("Невозможно отправить почтовое сообщение!");
const QString MailSection::kDefaultLoginMessage =
    QStringLiteral("Проверьте параметры почтового ящика! Логин Quillarbor является логином по умолчанию и "
                   "является некоректным!");
const QString MailSection::kSentMessage = QStringLiteral("Сообщение отправлено!");

namespace {

const QString kDefaultLogin = QStringLiteral("Quillarbor");

QLabel* label(QGroupBox* box, const char* name, const QString& caption, const QRect& place, QWidget* buddy)
{
    auto* made = new QLabel(caption, box);
    made->setObjectName(QLatin1String(name));
    made->setGeometry(place);
    made->setBuddy(buddy);
    return made;
}

// "Отправить" is in bold italic type, whatever font a colour scheme gives the section.
class BoldItalicButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void changeEvent(QEvent* event) override
    {
        QPushButton::changeEvent(event);
        if (event->type() == QEvent::FontChange && !(font().bold() && font().italic()))
            emphasise();
    }

public:
    void emphasise()
    {
        QFont emphasised = font();
        emphasised.setBold(true);
        emphasised.setItalic(true);
        setFont(emphasised);
    }
};

// The address that the first run leaves in the settings: never a real mail-box.
bool isPlaceholderMailBox(const QString& address)
{
    if (address == kDefaultLogin)
        return true;
    const Settings::Definition* definition =
        Settings::find(QStringLiteral("Mail"), QStringLiteral("MyBoxes"));
    return definition && address == definition->firstRunDefault.toString();
}

} // namespace

const QString MailSection::kSupportSubject = QStringLiteral("Техническая поддержка");
// Five lines; like every letter, they go out joined with CR LF.
const QString MailSection::kSupportTemplate =
    QStringLiteral("Здравствуйте, Лирт!\n\n\n--------------------------\n%Имя:");

MailSection::MailSection(SectionHost& host, QGroupBox* box) : QObject(box), m_host(host), m_box(box)
{
    setObjectName(QStringLiteral("MailSection"));
    Theme = box->findChild<TSmartBox*>(QStringLiteral("Theme"));
    ListBox5 = box->findChild<TabbedListBox*>(QStringLiteral("ListBox5"));

    Edit8 = new QLineEdit(box);
    Edit8->setObjectName(QStringLiteral("Edit8"));
    Edit8->setGeometry(16, 48, 400, 26);
    label(box, "Label2", QStringLiteral("Получатель:"), QRect(16, 24, 400, 22), Edit8);
    if (Theme) {
        Theme->setGeometry(16, 104, 400, 26);
        label(box, "Label3", QStringLiteral("Тема:"), QRect(16, 80, 400, 22), Theme);
    }
    Memo1 = new QPlainTextEdit(box);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(16, 256, 657, 238);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    label(box, "Label4", QStringLiteral("Сообщение:"), QRect(16, 232, 400, 22), Memo1);

    auto* send = new BoldItalicButton(QStringLiteral("Отправить"), box);
    send->emphasise();
    BitBtn1 = send;
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(16, 508, 160, 34);
    BitBtn1->setIcon(box->style()->standardIcon(QStyle::SP_ArrowForward));
    Button1 = new QPushButton(QStringLiteral("?"), box);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(649, 0, 24, 24);
    Button1->setToolTip(QStringLiteral("Справка"));
    Button1->setAccessibleName(QStringLiteral("Справка о почте"));

    // Tab order: recipient, list, subject, text, send.
    if (ListBox5)
        QWidget::setTabOrder(Edit8, ListBox5);
    if (Theme)
        QWidget::setTabOrder(ListBox5 ? static_cast<QWidget*>(ListBox5) : Edit8, Theme);
    QWidget::setTabOrder(Theme ? static_cast<QWidget*>(Theme) : Edit8, Memo1);
    QWidget::setTabOrder(Memo1, BitBtn1);

    if (ListBox5) {
        const auto pick = [this](QListWidgetItem* item) {
            ErrorHandler::guard([this, item] { ListBox5Click(item); });
        };
        connect(ListBox5, &QListWidget::itemClicked, this, pick);
        // The keyboard's way to the same: Enter on a line.
        connect(ListBox5, &QListWidget::itemActivated, this, pick);
    }
    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { ErrorHandler::guard([this] { BitBtn1Click(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpPage); });
}

MailSection::~MailSection()
{
    // A letter under way is abandoned: the transfer notices within a second.
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
    if (m_sending)
        QApplication::restoreOverrideCursor();
}

void MailSection::ListBox5Click(QListWidgetItem* item)
{
    if (!item)
        return;
    const AddressBook book(m_host.database().BookTable);
    const auto row = book.find(ContactLine::parse(item->text()));
    Edit8->setText(row ? Contact::fromRow(*row).mail : QString());
}

void MailSection::BitBtn1Click()
{
    if (m_sending)
        return;
    // The subject is remembered first, even when the letter never goes.
    if (Theme && !Theme->Accept()) {
        MessageBoxes::errorBox(kConnectMessage);
        return;
    }
    const QString mailBox = m_host.settings().myBoxes;
    if (isPlaceholderMailBox(mailBox)) {
        MessageBoxes::errorBox(kDefaultLoginMessage);
        return;
    }

    MailMessage::Letter letter;
    letter.from = mailBox;
    letter.to = MailMessage::parseRecipients(Edit8->text());
    letter.subject = Theme ? Theme->currentText() : QString();
    letter.body = Memo1->toPlainText();

    // Without an address there is neither a sender nor a login.
    if (mailBox.isEmpty()) {
        MessageBoxes::errorBox(kConnectMessage);
        return;
    }
    // The password comes from the Secret Service, which may take a moment
    // (or ask to unlock the keyring): the section waits disabled meanwhile.
    m_sending = true;
    m_box->setEnabled(false);
    QString why;
    const auto password = SecretStore(m_host.registry(), SecretStore::kMail).read(&why);
    m_sending = false;
    m_box->setEnabled(true);
    if (!password) {
        MessageBoxes::errorBox(QStringLiteral("Не удалось прочитать пароль почтового ящика: ") + why);
        return;
    }

    SmtpClient::Request request;
    request.server = m_host.settings().smtpServer;
    request.userName = mailBox;
    request.password = *password;
    request.from = mailBox;
    for (const MailMessage::Recipient& recipient : std::as_const(letter.to))
        request.recipients.append(recipient.address);
    request.message = MailMessage::format(letter, Clock::now(), MailMessage::newMessageId(mailBox));
    request.caFile = m_caFile;
    request.cancelled = [this] { return m_cancel.load(); };

    if (m_worker.joinable())
        m_worker.join();
    m_sending = true;
    m_box->setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_worker = std::thread([this, request = std::move(request)] {
        const SmtpClient::Result result = SmtpClient::send(request);
        QMetaObject::invokeMethod(
            this, [this, result] { ErrorHandler::guard([this, result] { finish(result); }); },
            Qt::QueuedConnection);
    });
}

void MailSection::finish(const SmtpClient::Result& result)
{
    m_sending = false;
    QApplication::restoreOverrideCursor();
    m_box->setEnabled(true);
    switch (result.outcome) {
    case SmtpClient::Outcome::Sent:
        MessageBoxes::successBox(kSentMessage);
        break;
    case SmtpClient::Outcome::ConnectFailed:
        MessageBoxes::errorBox(kConnectMessage);
        break;
    case SmtpClient::Outcome::SendFailed:
        MessageBoxes::errorBox(kSendMessage);
        break;
    }
    emit sendingFinished();
}

void MailSection::prepareSupportLetter(const QString& supportAddress)
{
    Edit8->setText(supportAddress);
    if (Theme)
        Theme->setCurrentText(kSupportSubject);
    Memo1->setPlainText(kSupportTemplate);
}

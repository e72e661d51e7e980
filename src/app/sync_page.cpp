#include "sync_page.h"

#include "dav_discovery.h"
#include "registry_store.h"
#include "secret_store.h"
#include "section_host.h"
#include "settings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

const QString kHiddenPassword = QStringLiteral("#hidden#");

template <typename Widget> Widget* place(QWidget* page, const char* name, const QRect& geometry)
{
    auto* widget = new Widget(page);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

// What a box of collections names: the address of one found on the server, or what was typed.
QString chosenIn(const QComboBox* box)
{
    return box->currentData().toString().isEmpty() ? box->currentText() : box->currentData().toString();
}

void offer(QComboBox* box, const QList<Dav::CollectionInfo>& collections)
{
    box->clear();
    for (const Dav::CollectionInfo& collection : collections)
        box->addItem(collection.displayName.isEmpty() ? collection.url.path() : collection.displayName,
                     collection.url.toString());
}

QLabel* caption(QWidget* page, const QString& text, const QRect& geometry, QWidget* buddy)
{
    auto* label = new QLabel(text, page);
    label->setGeometry(geometry);
    label->setBuddy(buddy);
    return label;
}

} // namespace

SyncPage::SyncPage(QWidget* page, SectionHost& host) : QObject(page), m_host(host)
{
    auto* title = new QLabel(
        QStringLiteral("Контакты и напоминания в согласии с телефоном (сервер CardDAV и CalDAV):"), page);
    title->setGeometry(16, 16, 620, 24);

    SyncServerEdit = place<QLineEdit>(page, "SyncServerEdit", {150, 52, 490, 26});
    SyncServerEdit->setPlaceholderText(QStringLiteral("https://dav.example.ru/"));
    caption(page, QStringLiteral("&Сервер:"), {16, 52, 130, 26}, SyncServerEdit);
    SyncLoginEdit = place<QLineEdit>(page, "SyncLoginEdit", {150, 88, 300, 26});
    caption(page, QStringLiteral("&Логин:"), {16, 88, 130, 26}, SyncLoginEdit);
    SyncPasswordEdit = place<QLineEdit>(page, "SyncPasswordEdit", {150, 124, 300, 26});
    SyncPasswordEdit->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    caption(page, QStringLiteral("&Пароль:"), {16, 124, 130, 26}, SyncPasswordEdit);
    SyncPasswordPlaceLabel = place<QLabel>(page, "SyncPasswordPlaceLabel", {16, 154, 624, 22});
    SyncPasswordPlaceLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    SyncAddressBookBox = place<QComboBox>(page, "SyncAddressBookBox", {150, 184, 300, 26});
    SyncAddressBookBox->setEditable(true);
    SyncAddressBookBox->setAccessibleName(QStringLiteral("Адресная книга"));
    caption(page, QStringLiteral("&Адресная книга:"), {16, 184, 130, 26}, SyncAddressBookBox);
    SyncFindButton = place<QPushButton>(page, "SyncFindButton", {458, 182, 182, 30});
    SyncFindButton->setText(QStringLiteral("Найти на сервере"));

    SyncCalendarBox = place<QComboBox>(page, "SyncCalendarBox", {150, 220, 300, 26});
    SyncCalendarBox->setEditable(true);
    SyncCalendarBox->setAccessibleName(QStringLiteral("Календарь"));
    SyncCalendarBox->setToolTip(QStringLiteral("Пусто: первый календарь, в котором можно хранить события"));
    caption(page, QStringLiteral("Ка&лендарь:"), {16, 220, 130, 26}, SyncCalendarBox);

    SyncIntervalBox = place<QSpinBox>(page, "SyncIntervalBox", {150, 256, 100, 26});
    SyncIntervalBox->setRange(0, 24 * 60);
    SyncIntervalBox->setSuffix(QStringLiteral(" мин"));
    SyncIntervalBox->setSpecialValueText(QStringLiteral("вручную"));
    caption(page, QStringLiteral("&Каждые:"), {16, 256, 130, 26}, SyncIntervalBox);

    SyncNowButton = place<QPushButton>(page, "SyncNowButton", {150, 298, 300, 32});
    SyncNowButton->setText(QStringLiteral("Синхронизировать сейчас"));
    SyncStatusLabel = place<QLabel>(page, "SyncStatusLabel", {16, 342, 624, 60});
    SyncStatusLabel->setWordWrap(true);
    SyncStatusLabel->setTextFormat(Qt::PlainText);
    SyncWarningLabel = place<QLabel>(page, "SyncWarningLabel", {16, 408, 624, 44});
    SyncWarningLabel->setWordWrap(true);
    SyncWarningLabel->setStyleSheet(QStringLiteral("color: #a02000"));

    for (QLineEdit* edit : {SyncServerEdit, SyncLoginEdit, SyncPasswordEdit})
        connect(edit, &QLineEdit::textEdited, this, &SyncPage::changedByUser);
    connect(SyncServerEdit, &QLineEdit::textChanged, this, &SyncPage::showAddressWarning);
    for (QComboBox* box : {SyncAddressBookBox, SyncCalendarBox})
        connect(box, &QComboBox::currentTextChanged, this, [this, box] {
            if (box->hasFocus())
                emit changedByUser();
        });
    connect(SyncIntervalBox, &QSpinBox::valueChanged, this, [this] {
        if (SyncIntervalBox->hasFocus())
            emit changedByUser();
    });
    connect(SyncNowButton, &QPushButton::clicked, this, &SyncPage::syncRequested);
    connect(SyncFindButton, &QPushButton::clicked, this, &SyncPage::booksRequested);
}

void SyncPage::fill(const Settings::Record& record)
{
    SyncServerEdit->setText(record.syncServer);
    SyncLoginEdit->setText(record.syncLogin);
    const SecretStore store(m_host.registry(), SecretStore::kSync);
    SyncPasswordEdit->setText(store.place() == SecretStore::Place::Nowhere ? QString() : kHiddenPassword);
    SyncPasswordPlaceLabel->setText(store.placeLine());
    SyncAddressBookBox->setEditText(record.syncAddressBook);
    SyncCalendarBox->setEditText(record.syncCalendar);
    SyncIntervalBox->setValue(record.syncInterval);
}

void SyncPage::save(RegistryStore& registry, Settings::Record& record)
{
    const QString key = Settings::fullKey("Sync");
    record.syncServer = SyncServerEdit->text().trimmed();
    record.syncLogin = SyncLoginEdit->text();
    record.syncAddressBook = chosenIn(SyncAddressBookBox);
    record.syncCalendar = chosenIn(SyncCalendarBox);
    record.syncInterval = SyncIntervalBox->value();
    registry.writeString(key, QStringLiteral("Server"), record.syncServer);
    registry.writeString(key, QStringLiteral("Login"), record.syncLogin);
    registry.writeString(key, QStringLiteral("AddressBook"), record.syncAddressBook);
    registry.writeString(key, QStringLiteral("Calendar"), record.syncCalendar);
    registry.writeInteger(key, QStringLiteral("Interval"), record.syncInterval);
    if (SyncPasswordEdit->text() == kHiddenPassword)
        return;
    SecretStore store(registry, SecretStore::kSync);
    QString error;
    const bool done = SyncPasswordEdit->text().isEmpty() ? store.erase(&error)
                                                         : store.store(SyncPasswordEdit->text(), &error);
    if (!done)
        showStatus(QStringLiteral("Пароль сервера не сохранён: ") + error);
    SyncPasswordEdit->setText(store.place() == SecretStore::Place::Nowhere ? QString() : kHiddenPassword);
    SyncPasswordPlaceLabel->setText(store.placeLine());
}

void SyncPage::showCollections(const QList<Dav::CollectionInfo>& books,
                               const QList<Dav::CollectionInfo>& calendars, const QString& error)
{
    const QString book = SyncAddressBookBox->currentText();
    const QString calendar = SyncCalendarBox->currentText();
    offer(SyncAddressBookBox, books);
    offer(SyncCalendarBox, calendars);
    if (!error.isEmpty()) {
        SyncAddressBookBox->setEditText(book);
        SyncCalendarBox->setEditText(calendar);
        showStatus(error);
    } else if (books.isEmpty() && calendars.isEmpty()) {
        showStatus(QStringLiteral("На сервере нет ни адресных книг, ни календарей для этой учётной записи."));
    } else {
        showStatus(QStringLiteral("Найдено адресных книг: %1, календарей: %2.")
                       .arg(books.size())
                       .arg(calendars.size()));
    }
}

void SyncPage::showStatus(const QString& text)
{
    SyncStatusLabel->setText(text);
}

void SyncPage::setBusy(bool busy)
{
    SyncNowButton->setEnabled(!busy);
    SyncFindButton->setEnabled(!busy);
}

void SyncPage::showAddressWarning()
{
    const QUrl address = Dav::addressFromUserInput(SyncServerEdit->text().trimmed());
    SyncWarningLabel->setText(
        address.scheme() == QLatin1String("http") && !SyncServerEdit->text().trimmed().isEmpty()
            ? QStringLiteral(
                  "Внимание: без HTTPS логин, пароль, контакты и напоминания идут по сети открыто. "
                  "Так можно только со своим сервером в домашней сети.")
            : QString());
}

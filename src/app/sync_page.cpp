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
    auto* title = new QLabel(QStringLiteral("Контакты в согласии с телефоном (сервер CardDAV):"), page);
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

    SyncIntervalBox = place<QSpinBox>(page, "SyncIntervalBox", {150, 220, 100, 26});
    SyncIntervalBox->setRange(0, 24 * 60);
    SyncIntervalBox->setSuffix(QStringLiteral(" мин"));
    SyncIntervalBox->setSpecialValueText(QStringLiteral("вручную"));
    caption(page, QStringLiteral("&Каждые:"), {16, 220, 130, 26}, SyncIntervalBox);

    SyncNowButton = place<QPushButton>(page, "SyncNowButton", {150, 262, 300, 32});
    SyncNowButton->setText(QStringLiteral("Синхронизировать сейчас"));
    SyncStatusLabel = place<QLabel>(page, "SyncStatusLabel", {16, 306, 624, 60});
    SyncStatusLabel->setWordWrap(true);
    SyncStatusLabel->setTextFormat(Qt::PlainText);
    SyncWarningLabel = place<QLabel>(page, "SyncWarningLabel", {16, 372, 624, 44});
    SyncWarningLabel->setWordWrap(true);
    SyncWarningLabel->setStyleSheet(QStringLiteral("color: #a02000"));

    for (QLineEdit* edit : {SyncServerEdit, SyncLoginEdit, SyncPasswordEdit})
        connect(edit, &QLineEdit::textEdited, this, &SyncPage::changedByUser);
    connect(SyncServerEdit, &QLineEdit::textChanged, this, &SyncPage::showAddressWarning);
    connect(SyncAddressBookBox, &QComboBox::currentTextChanged, this, [this] {
        if (SyncAddressBookBox->hasFocus())
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
    SyncIntervalBox->setValue(record.syncInterval);
}

void SyncPage::save(RegistryStore& registry, Settings::Record& record)
{
    const QString key = Settings::fullKey("Sync");
    record.syncServer = SyncServerEdit->text().trimmed();
    record.syncLogin = SyncLoginEdit->text();
    record.syncAddressBook = SyncAddressBookBox->currentData().toString().isEmpty()
                                 ? SyncAddressBookBox->currentText()
                                 : SyncAddressBookBox->currentData().toString();
    record.syncInterval = SyncIntervalBox->value();
    registry.writeString(key, QStringLiteral("Server"), record.syncServer);
    registry.writeString(key, QStringLiteral("Login"), record.syncLogin);
    registry.writeString(key, QStringLiteral("AddressBook"), record.syncAddressBook);
    registry.writeInteger(key, QStringLiteral("Interval"), record.syncInterval);
    if (SyncPasswordEdit->text() == kHiddenPassword)
        return;
    SecretStore store(registry, SecretStore::kSync);
    QString error;
    const bool done =
        SyncPasswordEdit->text().isEmpty() ? store.erase(&error) : store.store(SyncPasswordEdit->text(), &error);
    if (!done)
        showStatus(QStringLiteral("Пароль сервера не сохранён: ") + error);
    SyncPasswordEdit->setText(store.place() == SecretStore::Place::Nowhere ? QString() : kHiddenPassword);
    SyncPasswordPlaceLabel->setText(store.placeLine());
}

void SyncPage::showBooks(const QList<Dav::CollectionInfo>& books, const QString& error)
{
    const QString current = SyncAddressBookBox->currentText();
    SyncAddressBookBox->clear();
    for (const Dav::CollectionInfo& book : books)
        SyncAddressBookBox->addItem(book.displayName.isEmpty() ? book.url.path() : book.displayName,
                                    book.url.toString());
    if (!error.isEmpty()) {
        SyncAddressBookBox->setEditText(current);
        showStatus(error);
    } else if (books.isEmpty()) {
        showStatus(QStringLiteral("На сервере нет адресных книг для этой учётной записи."));
    } else {
        showStatus(QStringLiteral("Найдено адресных книг: %1.").arg(books.size()));
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
            ? QStringLiteral("Внимание: без HTTPS логин, пароль и контакты идут по сети открыто. Так можно "
                             "только со своим сервером в домашней сети.")
            : QString());
}

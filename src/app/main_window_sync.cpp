// The contacts' and reminders' sync with the server in the main window: the settings page
// "Синхронизация", the first sync once the window is up and then every
// Interval minutes, and what the status bar and the page say of it. No sync
// ever raises a box by itself: a failure is said once and tried again at the
// next interval.
#include "main_window.h"

#include "address_book_section.h"
#include "clock.h"
#include "date_formats.h"
#include "error_handler.h"
#include "message_boxes.h"
#include "registry_store.h"
#include "schedule.h"
#include "secret_store.h"
#include "settings_section.h"
#include "sync_page.h"

#include <QDateTime>
#include <QTabWidget>
#include <QTimer>

namespace {
const QString kCertificateValue = QStringLiteral("Certificate");
}

void TForm1::buildSyncPage()
{
    m_syncPage = new SyncPage(PageControl1->widget(4), *this);
    m_syncPage->fill(m_settings);
    m_syncPage->setBusy(m_sync && m_sync->isRunning());
    if (!m_lastSyncFailure.isEmpty())
        m_syncPage->showStatus(m_lastSyncFailure);
    m_settingsSection->saveSyncPage = [this](RegistryStore& registry, Settings::Record& record) {
        m_syncPage->save(registry, record);
        scheduleSync();
    };
    connect(m_syncPage, &SyncPage::changedByUser, this, [this] { m_settingsSection->markChanged(); });
    const auto startByUser = [this](bool books) {
        ErrorHandler::guard([this, books] {
            // What the page shows is what the sync uses.
            m_settingsSection->save();
            QString why;
            const auto account = syncAccount(&why);
            if (!account) {
                m_syncPage->showStatus(why);
                return;
            }
            m_syncAskedByUser = true;
            const bool started = books ? m_sync->findCollections(*account) : m_sync->syncNow(*account);
            if (!started)
                m_syncPage->showStatus(QStringLiteral("Синхронизация уже идёт."));
            else
                m_syncPage->showStatus(books ? QStringLiteral("Поиск адресных книг и календарей на сервере…")
                                             : QStringLiteral("Синхронизация идёт…"));
            m_syncPage->setBusy(m_sync->isRunning());
        });
    };
    connect(m_syncPage, &SyncPage::syncRequested, this, [startByUser] { startByUser(false); });
    connect(m_syncPage, &SyncPage::booksRequested, this, [startByUser] { startByUser(true); });
}

std::optional<SyncService::Account> TForm1::syncAccount(QString* why)
{
    if (m_settings.syncServer.isEmpty()) {
        *why = QStringLiteral("Укажите адрес сервера синхронизации.");
        return std::nullopt;
    }
    const auto password = SecretStore(m_registry, SecretStore::kSync).read(why);
    if (!password)
        return std::nullopt;
    return SyncService::Account{
        m_settings.syncServer,
        m_settings.syncLogin,
        *password,
        m_settings.syncAddressBook,
        m_settings.syncCalendar,
        m_registry.readString(Settings::fullKey("Sync"), kCertificateValue).value_or(QString()),
        m_settings.documentsFolder,
        m_settings.programFolder};
}

void TForm1::scheduleSync()
{
    if (!m_sync) {
        m_sync = new SyncService(this);
        connect(m_sync, &SyncService::syncStarted, this,
                [this] { setStatusMessage(QStringLiteral("Синхронизация с сервером…")); });
        connect(m_sync, &SyncService::syncFinished, this, [this](const SyncService::Outcome& outcome) {
            ErrorHandler::guard(
                [this, outcome] { syncFinished(outcome, std::exchange(m_syncAskedByUser, false)); });
        });
        connect(m_sync, &SyncService::collectionsFound, this,
                [this](const SyncService::Collections& found, const QString& error, const QString&) {
                    m_syncAskedByUser = false;
                    if (m_syncPage) {
                        m_syncPage->setBusy(false);
                        m_syncPage->showCollections(found.addressBooks, found.calendars, error);
                    }
                });
        m_syncTimer = new QTimer(this);
        m_syncTimer->setObjectName(QStringLiteral("SyncTimer"));
        connect(m_syncTimer, &QTimer::timeout, this, [this] {
            ErrorHandler::guard([this] {
                QString why;
                if (const auto account = syncAccount(&why))
                    m_sync->syncNow(*account);
            });
        });
        // The first sync once the window is up.
        if (!m_settings.syncServer.isEmpty())
            QTimer::singleShot(0, m_syncTimer, [this] { m_syncTimer->timeout({}); });
    }
    m_syncTimer->stop();
    if (!m_settings.syncServer.isEmpty() && m_settings.syncInterval > 0)
        m_syncTimer->start(m_settings.syncInterval * 60 * 1000);
}

void TForm1::showSyncedChanges(const SyncService::Outcome& outcome)
{
    if (outcome.contactsChangedHere > 0 && m_addressBook)
        m_addressBook->fillLists();
    if (outcome.remindersChangedHere > 0 && m_schedule)
        m_schedule->remindersChangedElsewhere();
}

void TForm1::syncFinished(const SyncService::Outcome& outcome, bool askedByUser)
{
    if (m_syncPage)
        m_syncPage->setBusy(false);
    const QDateTime now = Clock::now();
    const QString moment =
        DateFormats::shortDate(now.date()) + QLatin1Char(' ') + now.time().toString(QStringLiteral("HH:mm"));
    if (outcome.ok) {
        m_lastSyncFailure.clear();
        const QString text = QStringLiteral("Последняя синхронизация: %1. %2").arg(moment, outcome.summary);
        setStatusMessage(QStringLiteral("Синхронизация завершена. ") + outcome.summary);
        if (m_syncPage)
            m_syncPage->showStatus(text);
        showSyncedChanges(outcome);
        return;
    }
    showSyncedChanges(outcome);
    // A certificate no authority vouches for: the user may trust it once, by its fingerprint.
    if (askedByUser && !outcome.certificateSha256.isEmpty() &&
        MessageBoxes::askYesNo(
            QStringLiteral("Сертификат сервера"),
            QStringLiteral("Сертификат сервера синхронизации не подтверждён ни одним центром "
                           "сертификации. Сравните его отпечаток с тем, что показывает ваш "
                           "сервер:\r\nSHA-256: %1\r\nДоверять этому сертификату?")
                .arg(outcome.certificateSha256))) {
        m_registry.writeString(Settings::fullKey("Sync"), kCertificateValue, outcome.certificateSha256);
        QString why;
        if (const auto account = syncAccount(&why)) {
            m_syncAskedByUser = true;
            m_sync->syncNow(*account);
            return;
        }
    }
    const QString text = QStringLiteral("Синхронизация не удалась (%1): %2").arg(moment, outcome.summary);
    if (m_syncPage)
        m_syncPage->showStatus(text);
    // Said once: the same failure at every interval does not come back to the status bar.
    if (askedByUser || outcome.summary != m_lastSyncFailure)
        setStatusMessage(QStringLiteral("Синхронизация не удалась: ") + outcome.summary);
    m_lastSyncFailure = outcome.summary;
}

#include "sync_service.h"

#include "read_failure.h"

#include "clock.h"
#include "contact_sync.h"
#include "dav_discovery.h"
#include "profile_database.h"
#include "read_failure.h"
#include "reminder_sync.h"

#include <QMetaObject>

namespace {

Dav::Account davAccount(const SyncService::Account& account)
{
    return {Dav::addressFromUserInput(account.server), account.login, account.password,
            account.acceptedCertificateSha256};
}

// The collection the settings name, or the first.
std::optional<Dav::CollectionInfo> chosen(const QList<Dav::CollectionInfo>& collections,
                                          const QString& wanted)
{
    for (const Dav::CollectionInfo& collection : collections)
        if (!wanted.isEmpty() && (collection.url.toString() == wanted || collection.displayName == wanted))
            return collection;
    if (wanted.isEmpty() && !collections.isEmpty())
        return collections.first();
    return std::nullopt;
}

SyncService::Outcome failed(const Dav::Failure& failure)
{
    SyncService::Outcome outcome;
    outcome.summary = failure.message;
    outcome.certificateSha256 = failure.certificateSha256;
    return outcome;
}

bool takesEvents(const Dav::CollectionInfo& calendar)
{
    return calendar.components.isEmpty() || calendar.components.contains(QStringLiteral("VEVENT"));
}

Dav::Result<SyncService::Collections> discoverBoth(Dav::Client& client, const QString& server)
{
    const QUrl address = Dav::addressFromUserInput(server);
    const auto books = Dav::discover(client, address, Dav::CollectionKind::AddressBook);
    if (!books)
        return books.failure();
    const auto calendars = Dav::discover(client, address, Dav::CollectionKind::Calendar);
    if (!calendars)
        return calendars.failure();
    SyncService::Collections found{books.value(), {}};
    for (const Dav::CollectionInfo& calendar : calendars.value())
        if (takesEvents(calendar))
            found.calendars.append(calendar);
    return found;
}

} // namespace

Dav::Result<SyncService::Collections> SyncService::collections(Dav::Client& client, const Account& account)
{
    const QString accountKey = account.server + QLatin1Char('\n') + account.login;
    if (m_knownFor != accountKey)
        m_known.reset();
    if (!m_known) {
        const auto found = discoverBoth(client, account.server);
        if (!found)
            return found.failure();
        m_known = found.value();
        m_knownFor = accountKey;
    }
    return *m_known;
}

SyncService::Outcome SyncService::syncOnce(const Account& account, const QDateTime& now)
{
    Dav::Client client(davAccount(account));
    client.setCancelCheck([this] { return m_cancel.load(); });
    const auto found = collections(client, account);
    if (!found)
        return failed(found.failure());
    const auto book = chosen(found->addressBooks, account.addressBook);
    const auto calendar = chosen(found->calendars, account.calendar);
    if (!account.addressBook.isEmpty() && !book)
        return {
            false, QStringLiteral("На сервере нет адресной книги «%1».").arg(account.addressBook), {}, 0, 0};
    if (!account.calendar.isEmpty() && !calendar)
        return {false, QStringLiteral("На сервере нет календаря «%1».").arg(account.calendar), {}, 0, 0};
    if (!book && !calendar)
        return {false,
                QStringLiteral("На сервере нет ни адресных книг, ни календарей для этой учётной записи."),
                {},
                0,
                0};

    ProfileDatabase database;
    QString why;
    if (!database.open(account.documentsFolder, account.programFolder, &why))
        return {false, QStringLiteral("Не удалось открыть профиль: %1").arg(why), {}, 0, 0};
    Outcome outcome;
    outcome.ok = true;
    QStringList said;
    if (book) {
        Dav::Collection collection(client, book->url, Dav::CollectionKind::AddressBook);
        const auto report = ContactSync(collection, *book, database).run();
        if (!report) {
            // The collections may have gone or moved: they are looked for again next time.
            m_known.reset();
            return failed(report.failure());
        }
        const ContactSync::Report& done = report.value();
        said.append(summaryOf(What::Contacts, done.down, done.up, done.deletedHere, done.deletedThere,
                              done.conflicts, done.refused));
        outcome.contactsChangedHere = done.down + done.deletedHere + done.conflicts;
    }
    if (calendar) {
        Dav::Collection collection(client, calendar->url, Dav::CollectionKind::Calendar);
        const auto report = ReminderSync(collection, *calendar, database, now).run();
        if (!report) {
            m_known.reset();
            Outcome failure = failed(report.failure());
            failure.contactsChangedHere = outcome.contactsChangedHere;
            failure.summary = QStringLiteral("Напоминания: ") + failure.summary;
            return failure;
        }
        const ReminderSync::Report& done = report.value();
        said.append(summaryOf(What::Reminders, done.down, done.up, done.deletedHere, done.deletedThere,
                              done.conflicts, done.refused));
        outcome.remindersChangedHere = done.down + done.deletedHere + done.conflicts;
    }
    outcome.summary = said.join(QLatin1Char(' '));
    return outcome;
}

SyncService::SyncService(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<SyncService::Outcome>();
    qRegisterMetaType<SyncService::Collections>();
}

SyncService::~SyncService()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

QString SyncService::summaryOf(What what, int down, int up, int deletedHere, int deletedThere, int conflicts,
                               int refused)
{
    const bool contacts = what == What::Contacts;
    if (down + up + deletedHere + deletedThere + conflicts + refused == 0)
        return contacts ? QStringLiteral("Контакты уже совпадают с сервером.")
                        : QStringLiteral("Напоминания уже совпадают с сервером.");
    QString text = (contacts ? QStringLiteral("Контакты: получено с сервера: %1, отправлено: %2")
                             : QStringLiteral("Напоминания: получено с сервера: %1, отправлено: %2"))
                       .arg(down)
                       .arg(up);
    if (deletedHere + deletedThere > 0)
        text += QStringLiteral(", удалено здесь: %1, на сервере: %2").arg(deletedHere).arg(deletedThere);
    if (conflicts > 0)
        text += QStringLiteral(", конфликтов: %1 (обе версии сохранены)").arg(conflicts);
    if (refused > 0)
        text += QStringLiteral(", сервер не принял изменений: %1 (они остались здесь)").arg(refused);
    return text + QLatin1Char('.');
}

bool SyncService::startWorker(std::function<void()> work)
{
    if (m_running.exchange(true))
        return false;
    if (m_worker.joinable())
        m_worker.join();
    m_cancel = false;
    m_worker = std::thread([work = std::move(work)] { work(); });
    return true;
}

bool SyncService::syncNow(const Account& account)
{
    // What is still to come is told by the program's clock, read here on the window's thread.
    const bool started = startWorker([this, account, now = Clock::now()] {
        Outcome outcome;
        try {
            outcome = syncOnce(account, now);
        } catch (const ReadFailure& failure) {
            // A profile that cannot be read (damaged, or locked for long by
            // another program) ends this sync, never the program; what the
            // sync had begun is rolled back as the stack unwinds.
            outcome = {
                false, QStringLiteral("Не удалось прочитать профиль: %1").arg(failure.message()), {}, 0, 0};
        }
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                m_running = false;
                emit syncFinished(outcome);
            },
            Qt::QueuedConnection);
    });
    if (started)
        emit syncStarted();
    return started;
}

bool SyncService::findCollections(const Account& account)
{
    return startWorker([this, account] {
        Dav::Client client(davAccount(account));
        client.setCancelCheck([this] { return m_cancel.load(); });
        const auto found = discoverBoth(client, account.server);
        Collections list;
        QString error;
        QString certificate;
        if (found)
            list = found.value();
        else {
            error = found.failure().message;
            certificate = found.failure().certificateSha256;
        }
        QMetaObject::invokeMethod(
            this,
            [this, list, error, certificate] {
                m_running = false;
                emit collectionsFound(list, error, certificate);
            },
            Qt::QueuedConnection);
    });
}

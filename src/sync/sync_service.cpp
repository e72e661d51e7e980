#include "sync_service.h"

#include "contact_sync.h"
#include "dav_discovery.h"
#include "profile_database.h"

#include <QMetaObject>

namespace {

Dav::Account davAccount(const SyncService::Account& account)
{
    return {Dav::addressFromUserInput(account.server), account.login, account.password,
            account.acceptedCertificateSha256};
}

// The address book the settings name, or the first.
std::optional<Dav::CollectionInfo> chosen(const QList<Dav::CollectionInfo>& books, const QString& wanted)
{
    for (const Dav::CollectionInfo& book : books)
        if (!wanted.isEmpty() && (book.url.toString() == wanted || book.displayName == wanted))
            return book;
    if (wanted.isEmpty() && !books.isEmpty())
        return books.first();
    return std::nullopt;
}

SyncService::Outcome failed(const Dav::Failure& failure)
{
    return {false, failure.message, failure.certificateSha256, 0};
}

} // namespace

SyncService::Outcome SyncService::syncOnce(const Account& account)
{
    Dav::Client client(davAccount(account));
    client.setCancelCheck([this] { return m_cancel.load(); });
    const QString accountKey = account.server + QLatin1Char('\n') + account.login + QLatin1Char('\n') + account.addressBook;
    if (m_knownFor != accountKey)
        m_knownBook.reset();
    if (!m_knownBook) {
        const auto books =
            Dav::discover(client, Dav::addressFromUserInput(account.server), Dav::CollectionKind::AddressBook);
        if (!books)
            return failed(books.failure());
        const auto book = chosen(books.value(), account.addressBook);
        if (!book)
            return {false,
                    account.addressBook.isEmpty()
                        ? QStringLiteral("На сервере нет адресных книг для этой учётной записи.")
                        : QStringLiteral("На сервере нет адресной книги «%1».").arg(account.addressBook),
                    {}, 0};
        m_knownBook = book;
        m_knownFor = accountKey;
    }
    ProfileDatabase database;
    QString why;
    if (!database.open(account.documentsFolder, account.programFolder, &why))
        return {false, QStringLiteral("Не удалось открыть профиль: %1").arg(why), {}, 0};
    Dav::Collection collection(client, m_knownBook->url, Dav::CollectionKind::AddressBook);
    const auto report = ContactSync(collection, *m_knownBook, database).run();
    if (!report) {
        // The book may have gone or moved: it is looked for again next time.
        m_knownBook.reset();
        return failed(report.failure());
    }
    const ContactSync::Report& done = report.value();
    return {true, summaryOf(done.down, done.up, done.deletedHere, done.deletedThere, done.conflicts), {},
            done.down + done.deletedHere + done.conflicts};
}

SyncService::SyncService(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<SyncService::Outcome>();
}

SyncService::~SyncService()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

QString SyncService::summaryOf(int down, int up, int deletedHere, int deletedThere, int conflicts)
{
    if (down + up + deletedHere + deletedThere + conflicts == 0)
        return QStringLiteral("Контакты уже совпадают с сервером.");
    QString text = QStringLiteral("Получено с сервера: %1, отправлено: %2").arg(down).arg(up);
    if (deletedHere + deletedThere > 0)
        text += QStringLiteral(", удалено здесь: %1, на сервере: %2").arg(deletedHere).arg(deletedThere);
    if (conflicts > 0)
        text += QStringLiteral(", конфликтов: %1 (обе версии сохранены)").arg(conflicts);
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
    const bool started = startWorker([this, account] {
        const Outcome outcome = syncOnce(account);
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

bool SyncService::findBooks(const Account& account)
{
    return startWorker([this, account] {
        Dav::Client client(davAccount(account));
        client.setCancelCheck([this] { return m_cancel.load(); });
        const auto books =
            Dav::discover(client, Dav::addressFromUserInput(account.server), Dav::CollectionKind::AddressBook);
        QList<Dav::CollectionInfo> list;
        QString error;
        QString certificate;
        if (books)
            list = books.value();
        else {
            error = books.failure().message;
            certificate = books.failure().certificateSha256;
        }
        QMetaObject::invokeMethod(
            this,
            [this, list, error, certificate] {
                m_running = false;
                emit booksFound(list, error, certificate);
            },
            Qt::QueuedConnection);
    });
}

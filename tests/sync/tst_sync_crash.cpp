// A child process runs one sync of the address book with a real Radicale and
// is killed with SIGKILL at a random moment. The server holds cards, the
// profile other contacts and some with the same names as cards (these pair
// up). After each kill the profile must be whole and its sync state sound;
// a second sync run to its end must then leave the server and the profile
// with the same contacts: every one of both sides, none twice.
#include "contact_sync.h"
#include "crash_child.h"
#include "profile_database.h"
#include "radicale_server.h"
#include "sync_crash_support.h"
#include "sync_state.h"
#include "test_home.h"
#include "vcard_merge.h"

#include <QCoreApplication>
#include <QSet>
#include <QSqlQuery>
#include <QTest>
#include <cstdio>

namespace {

using namespace SyncCrashSupport;

constexpr int kCards = 300;  // on the server
constexpr int kLocal = 300;  // in the profile
constexpr int kShared = 100; // of those, with the names of a card: cards 0..99
const QString kLogin = QStringLiteral("anna");
const QString kPassword = QStringLiteral("secret");

Dav::Account accountOf(const QUrl& root)
{
    return {root, kLogin, kPassword, {}};
}

// Server card n, and local contact n: the first kShared local contacts carry
// the names of the first cards and agree with them where both hold a field.
Contact cardContact(int n)
{
    Contact contact;
    contact.surname = QStringLiteral("Сервердова-%1").arg(n);
    contact.name = QStringLiteral("Анна");
    contact.patronymic = QStringLiteral("Павловна");
    contact.phone1 = QStringLiteral("+7 912 %1").arg(1000000 + n);
    contact.mail = QStringLiteral("anna%1@example.org").arg(n);
    return contact;
}

Contact localContact(int n)
{
    if (n < kShared) {
        Contact contact = cardContact(n);
        contact.mail.clear();
        contact.phone2 = QStringLiteral("+7 495 %1").arg(2000000 + n);
        return contact;
    }
    Contact contact;
    contact.surname = QStringLiteral("Местный-%1").arg(n);
    contact.name = QStringLiteral("Борис");
    contact.patronymic = QStringLiteral("Глебович");
    contact.phone1 = QStringLiteral("+7 903 %1").arg(3000000 + n);
    contact.birthday = QDate(1970, 1, 1).addDays(n * 11).startOfDay();
    return contact;
}

QString nameOf(const Contact& contact)
{
    return contact.surname + QLatin1Char('|') + contact.name + QLatin1Char('|') + contact.patronymic;
}

// Every name of both sides, each once: what both must hold after a whole sync.
QStringList expectedNames()
{
    QSet<QString> names;
    for (int n = 0; n < kCards; ++n)
        names.insert(nameOf(cardContact(n)));
    for (int n = 0; n < kLocal; ++n)
        names.insert(nameOf(localContact(n)));
    return sorted(QStringList(names.cbegin(), names.cend()));
}

QUrl bookOf(const QUrl& root)
{
    return root.resolved(QUrl(kLogin + QStringLiteral("/book/")));
}

// One whole sync with the address book at root.
Dav::Result<ContactSync::Report> syncOnce(const QUrl& root, ProfileDatabase& database)
{
    Dav::Client client(accountOf(root));
    Dav::Collection collection(client, bookOf(root), Dav::CollectionKind::AddressBook);
    const auto info = collection.describe();
    if (!info)
        return info.failure();
    return ContactSync(collection, info.value(), database).run();
}

// The sync the child runs, and the test after each kill.
QString syncedOrWhy(const QUrl& root, ProfileDatabase& database)
{
    const auto report = syncOnce(root, database);
    return report ? QString() : report.failure().message;
}

// The names of the cards on the server, one entry a card.
QStringList serverNames(const QUrl& root, QString* error)
{
    Dav::Client client(accountOf(root));
    Dav::Collection collection(client, bookOf(root), Dav::CollectionKind::AddressBook);
    const auto all = collection.listAll();
    if (!all) {
        *error = all.failure().message;
        return {};
    }
    const auto fetched = collection.fetch(all->keys());
    if (!fetched) {
        *error = fetched.failure().message;
        return {};
    }
    QStringList names;
    for (const Dav::Item& item : fetched->items) {
        const auto contact = VCard::readOne(item.data);
        names.append(contact ? nameOf(*contact) : QStringLiteral("unreadable ") + item.href);
    }
    return sorted(names);
}

QStringList localNames(ProfileDatabase& database)
{
    QStringList names;
    for (const TableObject::Row& row : database.BookTable.rows())
        names.append(nameOf(Contact::fromRow(row)));
    return sorted(names);
}

// What is wrong with the sync state after a kill, empty when nothing: each
// row stands for a contact that is there, or is a write not yet confirmed
// (no ETag). Nothing is deleted in this test, so no row may point nowhere
// for that reason.
QString stateFault(ProfileDatabase& database)
{
    QSqlQuery read(database.BigBd());
    if (!read.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE name = 'SyncItems'")))
        return QStringLiteral("cannot read the schema");
    if (!read.next())
        return {}; // killed before the sync made its tables
    if (!read.exec(QStringLiteral("SELECT \"Href\", \"Etag\", \"LocalKey\" FROM \"SyncItems\"")))
        return QStringLiteral("cannot read SyncItems");
    while (read.next()) {
        const QString etag = read.value(1).toString();
        const qint64 key = read.value(2).toLongLong();
        if (!etag.isEmpty() && !database.BookTable.byKey(key))
            return QStringLiteral("SyncItems row %1 (etag %2) points at no contact (%3)")
                .arg(read.value(0).toString(), etag)
                .arg(key);
    }
    return {};
}

} // namespace

class TestSyncCrash : public QObject
{
    Q_OBJECT

private slots:
    void killedSyncLosesAndDoublesNothing()
    {
        TestHome home;
        RadicaleServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        {
            Dav::Client client(accountOf(server.root()));
            QVERIFY(Dav::createCollection(client, bookOf(server.root()), Dav::CollectionKind::AddressBook,
                                          QStringLiteral("Контакты")));
            Dav::Collection book(client, bookOf(server.root()), Dav::CollectionKind::AddressBook);
            for (int n = 0; n < kCards; ++n) {
                const QString uid = QStringLiteral("card-%1").arg(n);
                const auto written = book.put(bookOf(server.root()).path() + uid + QStringLiteral(".vcf"),
                                              VCard::writeOne(cardContact(n), VCard::Version::V3, uid), {});
                QVERIFY2(written && written->status == Dav::WriteStatus::Done, qPrintable(uid));
            }
        }
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            QList<QVariantMap> rows;
            for (int n = 0; n < kLocal; ++n)
                rows.append(localContact(n).toValues());
            Transaction fill(database.BigBd());
            QVERIFY(database.BookTable.insertMany(rows));
            QVERIFY(fill.commit());
        }

        KilledSyncs scenario{server, home, expectedNames(), serverNames, localNames, stateFault, syncedOrWhy};
        // Eight kills by default, so that the suite stays short; QUILLARBOR_CRASH_KILLS asks for more.
        const KilledSyncs::Outcome outcome = scenario.run(8);
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.failure));
        qInfo("sync of %d cards with %d contacts: whole run %lld ms; %d kills, %d of them before the cards "
              "had come down",
              kCards, kLocal, outcome.wholeRun, outcome.kills, outcome.interrupted);
    }
};

int main(int argc, char** argv)
{
    if (CrashChild::isChild(argc, argv))
        return runChild(argc, argv, syncedOrWhy);
    // Twenty kills, each followed by a whole sync, take minutes: QtTest's
    // five minutes a function are too few on a busy machine (CTest allows ten).
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "590000");
    QCoreApplication application(argc, argv);
    TestSyncCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sync_crash.moc"

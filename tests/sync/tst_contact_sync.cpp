// Contacts kept in step with a real Radicale on loopback: the first sync into
// an empty and into a filled profile, edits and deletions both ways, a
// conflict, a token the server no longer knows, a write that meets a moved
// card (412), a wrong password, a server that is gone, one that goes away in
// the middle of a sync, and changes of both sides that wait out failed syncs.
#include "contact_sync.h"
#include "dav_discovery.h"
#include "profile_database.h"
#include "radicale_server.h"
#include "sync_service.h"
#include "sync_state.h"
#include "test_home.h"
#include "vcard_merge.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <functional>

using namespace Dav;

namespace {

const QString kPassword = QStringLiteral("secret");

Contact person(const QString& surname, const QString& phone = {}, const QString& mail = {})
{
    Contact contact;
    contact.surname = surname;
    contact.name = QStringLiteral("Анна");
    contact.patronymic = QStringLiteral("Сергеевна");
    contact.phone1 = phone;
    contact.mail = mail;
    return contact;
}

// A phone's card: with things we do not keep.
QByteArray phoneCard(const Contact& contact, const QString& uid)
{
    QByteArray card = VCard::writeOne(contact, VCard::Version::V3, uid);
    card.replace("END:VCARD",
                 "ADR;TYPE=HOME:;;ул. Ленина 1;Москва;;101000;Россия\r\nX-PHONE-ONLY:оставить\r\nEND:VCARD");
    return card;
}

// One account, one address book, one profile.
struct World
{
    TestHome home;
    RadicaleServer server;
    Client client{{server.root(), QStringLiteral("anna"), kPassword, {}}};
    QUrl book = server.principal(QStringLiteral("anna")).resolved(QUrl(QStringLiteral("contacts/")));
    Collection collection{client, book, CollectionKind::AddressBook};
    ProfileDatabase database;

    World()
    {
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        QVERIFY(createCollection(client, book, CollectionKind::AddressBook, QStringLiteral("Контакты")));
        QVERIFY(database.open(home.documents(), TestHome::programFolder()));
    }

    Result<ContactSync::Report> sync()
    {
        const auto books = discover(client, server.root(), CollectionKind::AddressBook);
        if (!books)
            return books.failure();
        return ContactSync(collection, books->first(), database).run();
    }
    // As the sync service does once it knows the address book: no discovery
    // first, so that a server gone fails the sync itself.
    Result<ContactSync::Report> sync(const CollectionInfo& found)
    {
        return ContactSync(collection, found, database).run();
    }
    CollectionInfo found()
    {
        const auto books = discover(client, server.root(), CollectionKind::AddressBook);
        return books && !books->isEmpty() ? books->first() : CollectionInfo();
    }

    // The server stopped just before the first request made once condition()
    // holds. The sync writes the profile only between its requests, so the
    // moment is the same on every run.
    void stopServerWhen(std::function<bool()> condition)
    {
        client.setCancelCheck([this, condition = std::move(condition)] {
            if (server.isRunning() && condition())
                server.stop();
            return false;
        });
    }
    // Back on the port it had: the address book keeps its address, and with
    // it the sync state that names it.
    bool comeBack()
    {
        const QUrl root = server.root();
        return server.restart() && server.root() == root;
    }
    // Cards the server has confirmed, as the sync state records them.
    int confirmedCards()
    {
        QSqlQuery count(database.BigBd());
        return count.exec(QStringLiteral("SELECT COUNT(*) FROM \"SyncItems\" WHERE \"Etag\" <> ''")) &&
                       count.next()
                   ? count.value(0).toInt()
                   : 0;
    }

    // Each contact as "surname: phone", one line a contact, sorted: one lost
    // or doubled shows.
    QStringList localLines()
    {
        QStringList lines;
        for (const auto& row : database.BookTable.rows()) {
            const Contact contact = Contact::fromRow(row);
            lines.append(contact.surname + QStringLiteral(": ") + contact.phone1);
        }
        lines.sort();
        return lines;
    }
    QStringList remoteLines()
    {
        QStringList lines;
        const auto all = collection.listAll();
        if (!all)
            return {QStringLiteral("no listing: ") + all.failure().message};
        const auto fetched = collection.fetch(all->keys());
        if (!fetched)
            return {QStringLiteral("no cards: ") + fetched.failure().message};
        for (const Item& item : fetched->items) {
            const auto contact = VCard::readOne(item.data);
            lines.append(contact ? contact->surname + QStringLiteral(": ") + contact->phone1
                                 : QStringLiteral("unreadable ") + item.href);
        }
        lines.sort();
        return lines;
    }

    bool editHere(const QString& surname, const QString& phone)
    {
        const qint64 key = keyOf(surname);
        return key && database.BookTable.update(key, person(surname, phone).toValues());
    }
    bool removeHere(const QString& surname)
    {
        const qint64 key = keyOf(surname);
        return key && database.BookTable.remove(key);
    }
    // As a phone would: the server's card with its first number changed from 100.
    bool editThere(const QString& surname, const QString& phone)
    {
        const Item item = remoteItem(surname);
        QByteArray edited = item.data;
        const QByteArray to = ":" + phone.toUtf8();
        edited.replace(":100\r\n", to + "\r\n").replace(":100\n", to + "\n");
        if (item.href.isEmpty() || edited == item.data)
            return false;
        const auto written = collection.put(item.href, edited, item.etag);
        return written && written->status == WriteStatus::Done;
    }
    bool removeThere(const QString& surname)
    {
        const Item item = remoteItem(surname);
        if (item.href.isEmpty())
            return false;
        const auto removed = collection.remove(item.href, item.etag);
        return removed && removed.value() == WriteStatus::Done;
    }
    QString put(const Contact& contact)
    {
        const QString href = collection.newHref();
        const auto written = collection.put(href, phoneCard(contact, QFileInfo(href).completeBaseName()), {});
        return written && written->status == WriteStatus::Done ? href : QString();
    }
    // The server's cards, read, by surname.
    QMap<QString, Contact> remote()
    {
        QMap<QString, Contact> cards;
        const auto all = collection.listAll();
        if (!all)
            return cards;
        const auto fetched = collection.fetch(all->keys());
        for (const Item& item : fetched->items)
            if (const auto contact = VCard::readOne(item.data))
                cards.insert(contact->surname, *contact);
        return cards;
    }
    QMap<QString, QByteArray> remoteData()
    {
        QMap<QString, QByteArray> cards;
        const auto all = collection.listAll();
        const auto fetched = collection.fetch(all->keys());
        for (const Item& item : fetched->items)
            cards.insert(VCard::readOne(item.data)->surname, item.data);
        return cards;
    }
    Item remoteItem(const QString& surname)
    {
        const auto all = collection.listAll();
        const auto fetched = collection.fetch(all->keys());
        for (const Item& item : fetched->items)
            if (VCard::readOne(item.data)->surname == surname)
                return item;
        return {};
    }
    QMap<QString, Contact> local()
    {
        QMap<QString, Contact> contacts;
        for (const auto& row : database.BookTable.rows()) {
            const Contact contact = Contact::fromRow(row);
            contacts.insert(contact.surname, contact);
        }
        return contacts;
    }
    qint64 keyOf(const QString& surname)
    {
        for (const auto& row : database.BookTable.rows())
            if (Contact::fromRow(row).surname == surname)
                return row.key;
        return 0;
    }
};

} // namespace

class TestContactSync : public QObject
{
    Q_OBJECT

private slots:
    void theFirstSyncFillsAnEmptyProfileAndPairsAFilledOne()
    {
        World world;
        QVERIFY(!world.put(person("Иванова", "+7 900 111-22-33")).isEmpty());
        QVERIFY(!world.put(person("Петрова", {}, "petrova@example.ru")).isEmpty());
        // Already here: one equal by names with a field only we have, one only here.
        Contact ivanova = person("Иванова");
        ivanova.comment = QStringLiteral("соседка");
        QVERIFY(world.database.BookTable.insert(ivanova.toValues()));
        QVERIFY(world.database.BookTable.insert(person("Сидорова", "+7 900 555").toValues()));

        const auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        // Paired, not doubled: three contacts on each side.
        QCOMPARE(world.local().keys(), (QStringList{"Иванова", "Петрова", "Сидорова"}));
        QCOMPARE(world.remote().keys(), (QStringList{"Иванова", "Петрова", "Сидорова"}));
        QCOMPARE(world.local()["Иванова"].phone1, QStringLiteral("+7 900 111-22-33"));
        QCOMPARE(world.remote()["Иванова"].comment, QStringLiteral("соседка"));
        QCOMPARE(world.local()["Петрова"].mail, QStringLiteral("petrova@example.ru"));
        // What the phone wrote that we do not keep stays on the server.
        QVERIFY(world.remoteData()["Иванова"].contains("X-PHONE-ONLY:оставить"));

        // A second sync finds nothing to do.
        const auto again = world.sync();
        QVERIFY(again);
        QCOMPARE(again->down + again->up + again->deletedHere + again->deletedThere + again->conflicts, 0);
    }

    void editsAndDeletionsGoBothWays()
    {
        World world;
        for (const char* surname : {"Алова", "Белова", "Вилова", "Гилова"})
            QVERIFY(!world.put(person(QString::fromUtf8(surname), "100")).isEmpty());
        QVERIFY(world.sync());

        // Here: Алова's phone changes, Гилова is deleted; there: Белова's
        // phone changes and Вилова is deleted.
        QVERIFY(world.database.BookTable.update(world.keyOf("Алова"), person("Алова", "200").toValues()));
        QVERIFY(world.database.BookTable.remove(world.keyOf("Гилова")));
        const Item belova = world.remoteItem("Белова");
        QByteArray edited = belova.data;
        // Radicale gives its cards back with bare line feeds.
        edited.replace(":100\r\n", ":300\r\n").replace(":100\n", ":300\n");
        QCOMPARE(world.collection.put(belova.href, edited, belova.etag)->status, WriteStatus::Done);
        const Item vilova = world.remoteItem("Вилова");
        QCOMPARE(world.collection.remove(vilova.href, vilova.etag).value(), WriteStatus::Done);

        const auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(world.local().keys(), (QStringList{"Алова", "Белова"}));
        QCOMPARE(world.remote().keys(), (QStringList{"Алова", "Белова"}));
        QCOMPARE(world.remote()["Алова"].phone1, QStringLiteral("200"));
        QCOMPARE(world.local()["Белова"].phone1, QStringLiteral("300"));
        QVERIFY(world.remoteData()["Алова"].contains("X-PHONE-ONLY:оставить"));
    }

    void anEditOnBothSidesKeepsBothVersions()
    {
        World world;
        QVERIFY(!world.put(person("Дулова", "100")).isEmpty());
        QVERIFY(world.sync());
        QVERIFY(world.database.BookTable.update(world.keyOf("Дулова"), person("Дулова", "здесь").toValues()));
        const Item there = world.remoteItem("Дулова");
        QByteArray edited = there.data;
        edited.replace(":100", ":там");
        QCOMPARE(world.collection.put(there.href, edited, there.etag)->status, WriteStatus::Done);

        const auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->conflicts, 1);
        const QString copy = QStringLiteral("Дулова (конфликт)");
        QCOMPARE(world.local().keys(), (QStringList{"Дулова", copy}));
        QCOMPARE(world.local()["Дулова"].phone1, QStringLiteral("там"));
        QCOMPARE(world.local()[copy].phone1, QStringLiteral("здесь"));
        QVERIFY(world.local()[copy].comment.startsWith(QStringLiteral("Конфликт синхронизации")));
        // The copy went up as a new card.
        QCOMPARE(world.remote().keys(), (QStringList{"Дулова", copy}));
    }

    void aStaleTokenOrETagIsNoErrorForTheUser()
    {
        World world;
        QVERIFY(!world.put(person("Елова", "100")).isEmpty());
        QVERIFY(world.sync());
        // As many cards new there as are known here: the server's answer names
        // only the new one, and the known one stays.
        QVERIFY(!world.put(person("Зуева")).isEmpty());
        QVERIFY(world.sync());
        QCOMPARE(world.local().keys(), (QStringList{"Елова", "Зуева"}));

        // A token the server does not know: everything is compared instead,
        // so a card deleted there meanwhile goes here too.
        SyncState state(world.database.BigBd());
        QVERIFY(state.setToken(world.book.toString(), QStringLiteral("http://radicale.org/ns/sync/bogus")));
        QVERIFY(world.removeThere("Зуева"));
        auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(world.local().keys(), QStringList{"Елова"});
        QVERIFY(!world.put(person("Жилова")).isEmpty());
        report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(world.local().keys(), (QStringList{"Елова", "Жилова"}));

        // A write with an ETag that is no longer the card's: 412, read again, written again.
        QSqlQuery stale(world.database.BigBd());
        QVERIFY(stale.exec("UPDATE \"SyncItems\" SET \"Etag\" = '\"stale\"'"));
        QVERIFY(world.database.BookTable.update(world.keyOf("Елова"), person("Елова", "200").toValues()));
        report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(world.remote()["Елова"].phone1, QStringLiteral("200"));
        QCOMPARE(report->conflicts, 0);
        QCOMPARE(world.local().size(), 2);
    }

    void writesTheServerRefusesStayHereAndHoldUpNothingElse()
    {
        World world;
        QVERIFY(!world.put(person("Зайцева", "100")).isEmpty());
        QVERIFY(!world.put(person("Иволгина", "100")).isEmpty());
        QVERIFY(world.sync());
        // The address book becomes read-only: an edit, a new contact and a
        // deletion made here are each refused, and the change from there still comes down.
        QVERIFY(world.server.setReadOnly(QStringLiteral("contacts")));
        QVERIFY(world.editHere("Зайцева", "200"));
        QVERIFY(world.database.BookTable.insert(person("Калинина", "300").toValues()));
        QVERIFY(world.removeHere("Иволгина"));
        const QStringList here = world.localLines();
        auto report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->refused, 3);
        QCOMPARE(world.localLines(), here);
        QCOMPARE(world.remoteLines(), (QStringList{"Зайцева: 100", "Иволгина: 100"}));
        QCOMPARE(
            SyncService::summaryOf(SyncService::What::Contacts, report->down, report->up, report->deletedHere,
                                   report->deletedThere, report->conflicts, report->refused),
            QStringLiteral("Контакты: получено с сервера: 0, отправлено: 0, сервер не принял изменений: 3 "
                           "(они остались здесь)."));
        // Each sync asks again; once the server takes writes, all three go up.
        report = world.sync();
        QVERIFY(report);
        QCOMPARE(report->refused, 3);
        QVERIFY(world.server.setReadOnly({}));
        report = world.sync();
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->refused, 0);
        QCOMPARE(report->up, 2);
        QCOMPARE(report->deletedThere, 1);
        QCOMPARE(world.remoteLines(), (QStringList{"Зайцева: 200", "Калинина: 300"}));
        QCOMPARE(world.localLines(), world.remoteLines());
    }

    void aDamagedProfileEndsTheSyncNotTheProgram()
    {
        World world;
        QVERIFY(!world.put(person("Лунева", "100")).isEmpty());
        for (int n = 0; n < 200; ++n)
            QVERIFY(
                world.database.BookTable.insert(person(QStringLiteral("Местная %1").arg(n), "1").toValues()));
        // The address book's table damaged on disk, its schema whole: the
        // profile opens, and reading the contacts fails.
        QSqlQuery where(world.database.BigBd());
        QVERIFY(where.exec("SELECT rootpage FROM sqlite_master WHERE name = 'Адресная книга'") &&
                where.next());
        const qint64 rootPage = where.value(0).toLongLong();
        QVERIFY(where.exec("PRAGMA page_size") && where.next());
        const qint64 pageSize = where.value(0).toLongLong();
        world.database.close();
        QFile file(world.home.profileFolder() + QStringLiteral("/profile.mdb"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek((rootPage - 1) * pageSize));
        file.write(QByteArray(int(pageSize), '\x5a'));
        file.close();

        SyncService service;
        QSignalSpy finished(&service, &SyncService::syncFinished);
        const SyncService::Account account{
            world.server.root().toString(), QStringLiteral("anna"),   kPassword, {}, {}, {},
            world.home.documents(),         TestHome::programFolder()};
        QVERIFY(service.syncNow(account));
        QVERIFY(finished.wait(20000));
        const auto outcome = finished.takeFirst().first().value<SyncService::Outcome>();
        QVERIFY(!outcome.ok);
        QVERIFY2(outcome.summary.startsWith(QStringLiteral("Не удалось прочитать профиль: ")),
                 qPrintable(outcome.summary));
        // The service is ready for the next sync.
        QVERIFY(!service.isRunning());
    }

    void failuresSayWhatWentWrongAndChangeNothing()
    {
        World world;
        QVERIFY(!world.put(person("Зотова")).isEmpty());
        QVERIFY(world.database.BookTable.insert(person("Местная").toValues()));

        // A wrong password: said in words, and the password is not in them.
        Client wrong({world.server.root(), QStringLiteral("anna"), QStringLiteral("неверный-пароль"), {}});
        Collection collection(wrong, world.book, CollectionKind::AddressBook);
        CollectionInfo info;
        info.url = world.book;
        auto report = ContactSync(collection, info, world.database).run();
        QVERIFY(!report);
        QCOMPARE(report.failure().kind, Failure::Authentication);
        QVERIFY(!report.failure().message.contains(QStringLiteral("неверный-пароль")));
        QCOMPARE(world.local().keys(), QStringList{"Местная"});

        // The server gone: a network failure, nothing lost; the contact made
        // meanwhile is still waiting to go up.
        world.server.stop();
        report = world.sync();
        QVERIFY(!report);
        QCOMPARE(report.failure().kind, Failure::Network);
        QCOMPARE(world.local().keys(), QStringList{"Местная"});
    }

    void aServerGoneInTheMiddleOfTheUploadLosesAndDoublesNothing()
    {
        World world;
        constexpr int kCards = 5;
        constexpr int kLocal = 40;
        constexpr int kUpBeforeStop = 15;
        QStringList expected;
        for (int n = 1; n <= kCards; ++n) {
            const QString surname = QStringLiteral("Карточкина-%1").arg(n, 2, 10, QLatin1Char('0'));
            QVERIFY(!world.put(person(surname, QStringLiteral("100"))).isEmpty());
            expected.append(surname + QStringLiteral(": 100"));
        }
        QList<QVariantMap> rows;
        for (int n = 1; n <= kLocal; ++n) {
            const QString surname = QStringLiteral("Местная-%1").arg(n, 2, 10, QLatin1Char('0'));
            const QString phone = QStringLiteral("+7 900 %1").arg(1000 + n);
            rows.append(person(surname, phone).toValues());
            expected.append(surname + QStringLiteral(": ") + phone);
        }
        expected.sort();
        {
            Transaction fill(world.database.BigBd());
            QVERIFY(world.database.BookTable.insertMany(rows));
            QVERIFY(fill.commit());
        }

        // The cards come down, then the contacts go up one request each; the
        // server goes away once some of them are on it.
        const CollectionInfo book = world.found();
        world.stopServerWhen([&] { return world.confirmedCards() >= kCards + kUpBeforeStop; });
        const auto broken = world.sync(book);
        QVERIFY(!broken);
        QCOMPARE(broken.failure().kind, Failure::Network);
        QVERIFY(!world.server.isRunning());
        QCOMPARE(world.localLines(), expected);

        world.client.setCancelCheck({});
        QVERIFY2(world.comeBack(), qPrintable(world.server.error()));
        QCOMPARE(world.remoteLines().size(), qsizetype(kCards + kUpBeforeStop));

        // The next sync sends only what had not gone up, the card it was
        // writing when the server went away among them.
        const auto report = world.sync(book);
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        QCOMPARE(report->up, kLocal - kUpBeforeStop);
        QCOMPARE(report->down + report->conflicts + report->deletedHere + report->deletedThere, 0);
        QCOMPARE(world.localLines(), expected);
        QCOMPARE(world.remoteLines(), expected);

        const auto again = world.sync(book);
        QVERIFY(again);
        QCOMPARE(again->down + again->up + again->deletedHere + again->deletedThere + again->conflicts, 0);
    }

    void changesOfBothSidesOutlastFailedSyncs()
    {
        World world;
        for (const char* surname :
             {"Алова", "Белова", "Вилова", "Гилова", "Дулова", "Елова", "Жилова", "Зотова", "Иволгина"})
            QVERIFY(!world.put(person(QString::fromUtf8(surname), "100")).isEmpty());
        const CollectionInfo book = world.found();
        QVERIFY(world.sync(book));

        // Apart: an edit, a new contact and a deletion on each side; Дулова
        // edited on both; Елова deleted here and edited there, Жилова the
        // other way round.
        QVERIFY(world.editHere("Алова", "200"));
        QVERIFY(world.database.BookTable.insert(person("Новикова-здесь", "500").toValues()));
        QVERIFY(world.removeHere("Белова"));
        QVERIFY(world.editHere("Дулова", "здесь"));
        QVERIFY(world.removeHere("Елова"));
        QVERIFY(world.editHere("Жилова", "700"));
        QVERIFY(world.editThere("Вилова", "300"));
        QVERIFY(!world.put(person("Новикова-там", "600")).isEmpty());
        QVERIFY(world.removeThere("Гилова"));
        QVERIFY(world.editThere("Дулова", "там"));
        QVERIFY(world.editThere("Елова", "400"));
        QVERIFY(world.removeThere("Жилова"));

        // The server gone: the sync fails and the profile stays as it was.
        world.server.stop();
        const QStringList before = world.localLines();
        auto report = world.sync(book);
        QVERIFY(!report);
        QCOMPARE(report.failure().kind, Failure::Network);
        QCOMPARE(world.localLines(), before);

        // Meanwhile: an edited contact edited again, an untouched one edited,
        // one added, and the one added before deleted without ever going up.
        QVERIFY(world.editHere("Алова", "201"));
        QVERIFY(world.editHere("Зотова", "800"));
        QVERIFY(world.database.BookTable.insert(person("Позднова", "900").toValues()));
        QVERIFY(world.removeHere("Новикова-здесь"));

        // Back, and gone again once the server's changes have come down,
        // before anything of ours went up.
        QVERIFY2(world.comeBack(), qPrintable(world.server.error()));
        const QString key = world.collection.url().toString();
        const QString inStep = SyncState(world.database.BigBd()).token(key);
        QVERIFY(!inStep.isEmpty());
        world.stopServerWhen([&] { return SyncState(world.database.BigBd()).token(key) != inStep; });
        report = world.sync(book);
        QVERIFY(!report);
        QCOMPARE(report.failure().kind, Failure::Network);
        QVERIFY(!world.server.isRunning());
        const QString copy = QStringLiteral("Дулова (конфликт)");
        QCOMPARE(world.localLines(), (QStringList{"Алова: 201", "Вилова: 300", copy + ": здесь",
                                                  "Дулова: там", "Елова: 400", "Жилова: 700", "Зотова: 800",
                                                  "Иволгина: 100", "Новикова-там: 600", "Позднова: 900"}));

        // Then a contact that came down is edited here, and so is the
        // conflict's copy that has not gone up yet.
        QVERIFY(world.editHere("Вилова", "301"));
        QVERIFY(world.database.BookTable.update(
            world.keyOf(copy), ContactSyncPlan::conflictCopy(person("Дулова", "здесь-2")).toValues()));

        world.client.setCancelCheck({});
        QVERIFY2(world.comeBack(), qPrintable(world.server.error()));
        report = world.sync(book);
        QVERIFY2(report, report ? "" : qPrintable(report.failure().message));
        // The conflict was settled when the cards came down: not a second time.
        QCOMPARE(report->conflicts, 0);
        const QStringList expected{"Алова: 201",        "Вилова: 301",  copy + ": здесь-2", "Дулова: там",
                                   "Елова: 400",        "Жилова: 700",  "Зотова: 800",      "Иволгина: 100",
                                   "Новикова-там: 600", "Позднова: 900"};
        QCOMPARE(world.localLines(), expected);
        QCOMPARE(world.remoteLines(), expected);
        QVERIFY(world.remote()[copy].comment.startsWith(ContactSyncPlan::kConflictComment));
        // What the phone wrote that we do not keep stays on the cards we changed.
        QVERIFY(world.remoteData()["Алова"].contains("X-PHONE-ONLY:оставить"));
        QVERIFY(world.remoteData()["Вилова"].contains("X-PHONE-ONLY:оставить"));

        const auto again = world.sync(book);
        QVERIFY(again);
        QCOMPARE(again->down + again->up + again->deletedHere + again->deletedThere + again->conflicts, 0);
    }
};

QTEST_GUILESS_MAIN(TestContactSync)
#include "tst_contact_sync.moc"

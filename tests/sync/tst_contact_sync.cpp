// Contacts kept in step with a real Radicale on loopback: the first sync into
// an empty and into a filled profile, edits and deletions both ways, a
// conflict, a token the server no longer knows, a write that meets a moved
// card (412), a wrong password and a server that is gone.
#include "contact_sync.h"
#include "dav_discovery.h"
#include "profile_database.h"
#include "radicale_server.h"
#include "sync_state.h"
#include "test_home.h"
#include "vcard_merge.h"

#include <QSqlQuery>
#include <QTest>

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
    card.replace("END:VCARD", "ADR;TYPE=HOME:;;ул. Ленина 1;Москва;;101000;Россия\r\nX-PHONE-ONLY:оставить\r\nEND:VCARD");
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
        // A token the server does not know: everything is compared instead.
        SyncState state(world.database.BigBd());
        QVERIFY(state.setToken(world.book.toString(), QStringLiteral("http://radicale.org/ns/sync/bogus")));
        QVERIFY(!world.put(person("Жилова")).isEmpty());
        auto report = world.sync();
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
};

QTEST_GUILESS_MAIN(TestContactSync)
#include "tst_contact_sync.moc"

// The WebDAV client of the sync against a real Radicale: finding address
// books and calendars, items guarded by ETags, collection sync, and the
// failures a person is told about.
#include "dav_address_rules.h"
#include "dav_certificate.h"
#include "dav_discovery.h"
#include "radicale_server.h"
#include "test_home.h"

#include <QProcess>
#include <QTest>

using namespace Dav;

namespace {

const QString kPassword = QStringLiteral("secret");

Account accountOf(const RadicaleServer& server, const QString& password = kPassword)
{
    return {server.root(), QStringLiteral("anna"), password, {}};
}

QByteArray card(const QString& uid, const QString& name)
{
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\nN:%2;;;;\r\nEND:VCARD\r\n")
        .arg(uid, name)
        .toUtf8();
}

QByteArray todo(const QString& uid, const QString& summary)
{
    return QStringLiteral(
               "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quillarbor//tests//RU\r\nBEGIN:VTODO\r\n"
               "UID:%1\r\nDTSTAMP:20260301T090000Z\r\nSUMMARY:%2\r\nEND:VTODO\r\nEND:VCALENDAR\r\n")
        .arg(uid, summary)
        .toUtf8();
}

QByteArray itemOf(CollectionKind kind, const QString& uid, const QString& text)
{
    return kind == CollectionKind::AddressBook ? card(uid, text) : todo(uid, text);
}

// What went wrong, for a failed check; QVERIFY2 reads it also when nothing did.
template <typename T> QByteArray why(const Result<T>& result)
{
    return result ? QByteArray() : result.failure().message.toUtf8();
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList hrefsOf(const QList<ItemVersion>& versions)
{
    QStringList hrefs;
    for (const ItemVersion& version : versions)
        hrefs.append(version.href);
    return sorted(hrefs);
}

// redirect_server.py for as long as the object lives.
class RedirectServer
{
public:
    explicit RedirectServer(const QString& location)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(QUILL_TEST_DATA "/redirect_server.py"), QStringLiteral("--location"), location});
        QByteArray line;
        while (m_process.waitForStarted(10000) && !line.endsWith('\n') && m_process.waitForReadyRead(20000))
            line += m_process.readLine();
        if (line.startsWith("port "))
            m_port = line.mid(5).trimmed().toInt();
    }
    ~RedirectServer()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    Q_DISABLE_COPY_MOVE(RedirectServer)

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/anna/").arg(m_port)); }

private:
    QProcess m_process;
    int m_port = 0;
};

} // namespace

class TestDav : public QObject
{
    Q_OBJECT

private slots:
    void addressRules()
    {
        for (const char* home : {"127.0.0.1", "127.8.9.10", "10.1.2.3", "172.16.0.1", "172.31.255.255",
                                 "192.168.0.10", "::1", "fd12:3456::1", "fc00::1", "::ffff:192.168.1.1"})
            QVERIFY2(AddressRules::isHomeNetworkLiteral(QString::fromLatin1(home)), home);
        for (const char* away : {"172.32.0.1", "172.15.255.255", "192.169.0.1", "11.0.0.1", "8.8.8.8",
                                 "203.0.113.1", "fe80::1", "2001:db8::1", "::ffff:8.8.8.8", "0.0.0.0"})
            QVERIFY2(!AddressRules::isHomeNetworkLiteral(QString::fromLatin1(away)), away);

        using AddressRules::Reach;
        QCOMPARE(AddressRules::reachOf(QUrl(QStringLiteral("https://dav.example.org/"))), Reach::Allowed);
        QCOMPARE(AddressRules::reachOf(QUrl(QStringLiteral("http://192.168.1.5:5232/"))), Reach::Allowed);
        QCOMPARE(AddressRules::reachOf(QUrl(QStringLiteral("http://[fd00::5]/"))), Reach::Allowed);
        QCOMPARE(AddressRules::reachOf(QUrl(QStringLiteral("http://203.0.113.1/"))), Reach::Refused);
        QCOMPARE(AddressRules::reachOf(QUrl(QStringLiteral("http://nas.lan/"))), Reach::AllowedIfHomeNetwork);
        QCOMPARE(AddressRules::reachOf(QUrl(QStringLiteral("ftp://192.168.1.5/"))), Reach::Refused);

        const QUrl nas(QStringLiteral("http://192.168.1.5/dav/"));
        QVERIFY(AddressRules::redirectAllowed(nas, QUrl(QStringLiteral("http://192.168.1.5:8080/other/"))));
        QVERIFY(AddressRules::redirectAllowed(nas, QUrl(QStringLiteral("https://dav.example.org/"))));
        QVERIFY(!AddressRules::redirectAllowed(nas, QUrl(QStringLiteral("http://192.168.1.6/dav/"))));
        QVERIFY(!AddressRules::redirectAllowed(QUrl(QStringLiteral("https://dav.example.org/")),
                                               QUrl(QStringLiteral("http://dav.example.org/"))));
    }

    void readingMultistatus()
    {
        // Servers write hrefs absolute or as paths, encoded as they like, in
        // any prefix: one key for each.
        const QUrl request(QStringLiteral("http://127.0.0.1:5232/anna/book/"));
        const QByteArray body =
            "<?xml version=\"1.0\"?>\n"
            "<multistatus xmlns=\"DAV:\" xmlns:A=\"urn:ietf:params:xml:ns:carddav\">"
            "<response><href>http://127.0.0.1:5232/anna/book/a%20b.vcf</href>"
            "<propstat><prop><getetag>\"1\"</getetag></prop><status>HTTP/1.1 200 OK</status></propstat>"
            "<propstat><prop><A:address-data/></prop><status>HTTP/1.1 404 Not Found</status></propstat>"
            "</response>"
            "<response><href>/anna/book/%D0%98%d0%b2.vcf</href><href>c.vcf</href>"
            "<status>HTTP/1.1 404 Not Found</status></response>"
            "<x:sync-token xmlns:x=\"DAV:\">tok-1</x:sync-token>"
            "</multistatus>";
        const Multistatus answer = parseMultistatus(body, request);
        QVERIFY2(answer.error.isEmpty(), qPrintable(answer.error));
        QCOMPARE(answer.resources.size(), 3);
        QCOMPARE(hrefKey(answer.resources[0].href), QStringLiteral("/anna/book/a b.vcf"));
        QCOMPARE(answer.resources[0].text(Ns::Dav, QStringLiteral("getetag")), QStringLiteral("\"1\""));
        QCOMPARE(answer.resources[0].missingProps.size(), 1);
        QCOMPARE(answer.resources[0].missingProps[0].name, QStringLiteral("address-data"));
        QCOMPARE(hrefKey(answer.resources[1].href), QStringLiteral("/anna/book/Ив.vcf"));
        QCOMPARE(answer.resources[1].status, 404);
        QCOMPARE(hrefKey(answer.resources[2].href), QStringLiteral("/anna/book/c.vcf"));
        QCOMPARE(answer.syncToken, QStringLiteral("tok-1"));
        QVERIFY(!parseMultistatus("<html><body>Login</body></html>", request).error.isEmpty());
        QVERIFY(!parseMultistatus("<multistatus xmlns=\"DAV:\"><response>", request).error.isEmpty());

        const QString odd = QStringLiteral("/anna/book/Иван Петров #2 & 100%.vcf");
        QCOMPARE(hrefKey(urlOfHrefKey(request, odd)), odd);
        QCOMPARE(hrefKey(QUrl::fromEncoded(urlOfHrefKey(request, odd).toEncoded())), odd);

        // What Radicale does not say: vCard 4.0 taken, no collection sync.
        const QByteArray described =
            "<d:multistatus xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:response>"
            "<d:href>/anna/work</d:href><d:propstat><d:prop>"
            "<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>"
            "<c:supported-address-data><c:address-data-type content-type=\"text/vcard\" version=\"3.0\"/>"
            "<c:address-data-type content-type=\"text/vcard\" version=\"4.0\"/></c:supported-address-data>"
            "<d:supported-report-set><d:supported-report><d:report><c:addressbook-multiget/></d:report>"
            "</d:supported-report></d:supported-report-set>"
            "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response></d:multistatus>";
        const Multistatus work = parseMultistatus(described, request);
        QCOMPARE(work.resources.size(), 1);
        const std::optional<CollectionInfo> info =
            collectionInfoOf(work.resources[0], CollectionKind::AddressBook);
        QVERIFY(info);
        QCOMPARE(info->url, QUrl(QStringLiteral("http://127.0.0.1:5232/anna/work/")));
        QCOMPARE(info->displayName, QStringLiteral("work"));
        QVERIFY(info->vcard4);
        QVERIFY(!info->syncCollection);
        QVERIFY(!collectionInfoOf(work.resources[0], CollectionKind::Calendar));
    }

    void discoversCollectionsFromAnyStartingAddress()
    {
        TestHome home;
        RadicaleServer server({{{QStringLiteral("anna"), kPassword}, {QStringLiteral("boris"), kPassword}}});
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        Client client(accountOf(server));
        const QUrl book = server.principal(QStringLiteral("anna")).resolved(QUrl(QStringLiteral("family/")));
        const QUrl reminders =
            server.principal(QStringLiteral("anna")).resolved(QUrl(QStringLiteral("reminders/")));
        QVERIFY(createCollection(client, book, CollectionKind::AddressBook, QStringLiteral("Семья")));
        QVERIFY(createCollection(client, reminders, CollectionKind::Calendar, QStringLiteral("Напоминания"),
                                 {QStringLiteral("VTODO")}));

        const QUrl wellKnown = server.root().resolved(QUrl(QStringLiteral("/.well-known/carddav")));
        for (const QUrl& start : {server.root(), wellKnown, server.principal(QStringLiteral("anna")), book}) {
            const Result<QList<CollectionInfo>> found = discover(client, start, CollectionKind::AddressBook);
            QVERIFY2(found, (start.toString().toUtf8() + " " + why(found)).constData());
            QCOMPARE(found->size(), 1);
            const CollectionInfo& info = found->first();
            QCOMPARE(info.url, book);
            QCOMPARE(info.displayName, QStringLiteral("Семья"));
            QVERIFY(info.syncCollection);
            // Radicale does not name the vCard versions it takes: 3.0 only, then.
            QVERIFY(!info.vcard4);
        }

        const Result<QList<CollectionInfo>> calendars =
            discover(client, server.root(), CollectionKind::Calendar);
        QVERIFY(calendars);
        QCOMPARE(calendars->size(), 1);
        QCOMPARE(calendars->first().url, reminders);
        QCOMPARE(calendars->first().displayName, QStringLiteral("Напоминания"));
        QCOMPARE(calendars->first().components, QStringList{QStringLiteral("VTODO")});

        Client boris({server.root(), QStringLiteral("boris"), kPassword, {}});
        const Result<QList<CollectionInfo>> none =
            discover(boris, server.root(), CollectionKind::AddressBook);
        QVERIFY(none);
        QVERIFY(none->isEmpty());
    }

    void itemsAreWrittenAndRemovedByTheirEtags()
    {
        TestHome home;
        RadicaleServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        Client client(accountOf(server));
        const QUrl url = server.principal(QStringLiteral("anna")).resolved(QUrl(QStringLiteral("family/")));
        QVERIFY(createCollection(client, url, CollectionKind::AddressBook, QStringLiteral("Семья")));
        Collection book(client, url, CollectionKind::AddressBook);

        const QString first = book.newHref();
        QVERIFY(first.startsWith(QStringLiteral("/anna/family/")) && first.endsWith(QStringLiteral(".vcf")));
        QVERIFY(book.newHref() != first);
        const Result<Written> created =
            book.put(first, card(QStringLiteral("u1"), QStringLiteral("Иван Петров")), {});
        QVERIFY(created);
        QCOMPARE(created->status, WriteStatus::Done);
        QVERIFY(!created->etag.isEmpty());
        // A new item does not overwrite one that is there.
        const Result<Written> again =
            book.put(first, card(QStringLiteral("u1"), QStringLiteral("Кто-то")), {});
        QVERIFY(again);
        QCOMPARE(again->status, WriteStatus::PreconditionFailed);

        const QString odd = QStringLiteral("/anna/family/Ольга Сидорова & Co 100%.vcf");
        const Result<Written> oddCreated =
            book.put(odd, card(QStringLiteral("u2"), QStringLiteral("Ольга")), {});
        QVERIFY(oddCreated && oddCreated->status == WriteStatus::Done);

        const Result<QMap<QString, QString>> all = book.listAll();
        QVERIFY(all);
        QCOMPARE(all->keys(), (QStringList{first, odd}));
        QCOMPARE(all->value(first), created->etag);
        QCOMPARE(all->value(odd), oddCreated->etag);

        const QString absent = QStringLiteral("/anna/family/absent.vcf");
        const Result<Fetched> fetched = book.fetch({first, odd, absent});
        QVERIFY(fetched);
        QCOMPARE(fetched->items.size(), 2);
        QCOMPARE(fetched->missing, QStringList{absent});
        for (const Item& item : fetched->items) {
            QCOMPARE(item.etag, all->value(item.href));
            QVERIFY(item.data.contains(item.href == first ? QByteArray("FN:Иван Петров")
                                                          : QByteArray("FN:Ольга")));
        }
        // One request per batch, the answers together all the same.
        book.setFetchBatchSize(1);
        const Result<Fetched> batched = book.fetch({odd, absent, first});
        QVERIFY(batched);
        QCOMPARE(batched->items.size(), 2);
        QCOMPARE(batched->missing, QStringList{absent});
        // Answers over the size limit are asked for again in halves, down to one card a request.
        client.setResponseLimit(600);
        book.setFetchBatchSize(200);
        const Result<Fetched> halved = book.fetch({odd, absent, first});
        client.setResponseLimit(Client::kResponseLimit);
        QVERIFY2(halved, why(halved).constData());
        QCOMPARE(halved->items.size(), 2);
        QCOMPARE(halved->missing, QStringList{absent});

        const Result<Written> changed = book.put(
            first, card(QStringLiteral("u1"), QStringLiteral("Иван Петрович Петров")), created->etag);
        QVERIFY(changed && changed->status == WriteStatus::Done);
        QVERIFY(!changed->etag.isEmpty() && changed->etag != created->etag);
        const Result<Written> stale =
            book.put(first, card(QStringLiteral("u1"), QStringLiteral("Старое")), created->etag);
        QVERIFY(stale);
        QCOMPARE(stale->status, WriteStatus::PreconditionFailed);

        const Result<WriteStatus> staleRemove = book.remove(first, created->etag);
        QVERIFY(staleRemove);
        QCOMPARE(staleRemove.value(), WriteStatus::PreconditionFailed);
        const Result<WriteStatus> removed = book.remove(first, changed->etag);
        QVERIFY(removed);
        QCOMPARE(removed.value(), WriteStatus::Done);
        const Result<WriteStatus> removedTwice = book.remove(first, changed->etag);
        QVERIFY(removedTwice);
        QCOMPARE(removedTwice.value(), WriteStatus::Done);
        const Result<Fetched> gone = book.fetch({first});
        QVERIFY(gone);
        QVERIFY(gone->items.isEmpty());
        QCOMPARE(gone->missing, QStringList{first});
    }

    void changesSinceAToken_data()
    {
        QTest::addColumn<CollectionKind>("kind");
        QTest::newRow("address book") << CollectionKind::AddressBook;
        QTest::newRow("calendar") << CollectionKind::Calendar;
    }

    void changesSinceAToken()
    {
        QFETCH(CollectionKind, kind);
        TestHome home;
        RadicaleServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        Client client(accountOf(server));
        const QUrl url = server.principal(QStringLiteral("anna")).resolved(QUrl(QStringLiteral("stuff/")));
        QVERIFY(createCollection(client, url, kind, QStringLiteral("Всякое")));
        Collection collection(client, url, kind);
        const Result<CollectionInfo> info = collection.describe();
        QVERIFY(info);
        QCOMPARE(info->displayName, QStringLiteral("Всякое"));
        QVERIFY(info->syncCollection);

        const QString a = collection.newHref();
        const QString b = collection.newHref();
        const Result<Written> aWritten =
            collection.put(a, itemOf(kind, QStringLiteral("a"), QStringLiteral("А")), {});
        QVERIFY(aWritten);
        QVERIFY(collection.put(b, itemOf(kind, QStringLiteral("b"), QStringLiteral("Б")), {}));

        const Result<Changes> everything = collection.changesSince({});
        QVERIFY(everything);
        QVERIFY(!everything->tokenRejected);
        QVERIFY(!everything->newToken.isEmpty());
        QCOMPARE(hrefsOf(everything->changed), sorted({a, b}));
        QVERIFY(everything->removed.isEmpty());

        const QString c = collection.newHref();
        QVERIFY(collection.put(c, itemOf(kind, QStringLiteral("c"), QStringLiteral("В")), {}));
        QVERIFY(collection.put(a, itemOf(kind, QStringLiteral("a"), QStringLiteral("А2")), aWritten->etag));
        const Result<QMap<QString, QString>> before = collection.listAll();
        QVERIFY(before);
        QVERIFY(collection.remove(b, before->value(b)));

        const Result<Changes> since = collection.changesSince(everything->newToken);
        QVERIFY(since);
        QVERIFY(!since->tokenRejected);
        QCOMPARE(hrefsOf(since->changed), sorted({a, c}));
        for (const ItemVersion& version : since->changed)
            QCOMPARE(version.etag, before->value(version.href));
        QCOMPARE(since->removed, QStringList{b});
        QVERIFY(since->newToken != everything->newToken);

        const Result<Changes> quiet = collection.changesSince(since->newToken);
        QVERIFY(quiet);
        QVERIFY(quiet->changed.isEmpty() && quiet->removed.isEmpty());

        // A token the server does not know is no failure: the caller starts over.
        const Result<Changes> bogus =
            collection.changesSince(QStringLiteral("http://radicale.org/ns/sync/0000"));
        QVERIFY(bogus);
        QVERIFY(bogus->tokenRejected);
    }

    void failuresAreToldToAPerson()
    {
        TestHome home;
        RadicaleServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.error()));

        const QString wrong = QStringLiteral("wrong-пароль-42");
        Client intruder(accountOf(server, wrong));
        const Result<QList<CollectionInfo>> denied =
            discover(intruder, server.root(), CollectionKind::AddressBook);
        QVERIFY(!denied);
        QCOMPARE(denied.failure().kind, Failure::Authentication);
        QCOMPARE(denied.failure().message, QStringLiteral("Неверный логин или пароль"));
        QVERIFY(!denied.failure().message.contains(wrong));
        Client stranger({server.root(), {}, {}, {}});
        const Result<Response> anonymous =
            stranger.request("PROPFIND", server.principal(QStringLiteral("anna")));
        QVERIFY(!anonymous);
        QCOMPARE(anonymous.failure().kind, Failure::Authentication);
        QCOMPARE(anonymous.failure().message, QStringLiteral("Сервер требует логин и пароль"));

        Client client(accountOf(server));
        const QUrl url = server.principal(QStringLiteral("anna")).resolved(QUrl(QStringLiteral("family/")));
        QVERIFY(createCollection(client, url, CollectionKind::AddressBook, QStringLiteral("Семья")));
        Collection book(client, url, CollectionKind::AddressBook);
        client.setResponseLimit(64);
        const Result<QMap<QString, QString>> tooLarge = book.listAll();
        QVERIFY(!tooLarge);
        QCOMPARE(tooLarge.failure().kind, Failure::TooLarge);
        client.setResponseLimit(Client::kResponseLimit);
        client.setCancelCheck([] { return true; });
        const Result<QMap<QString, QString>> cancelled = book.listAll();
        QVERIFY(!cancelled);
        QCOMPARE(cancelled.failure().kind, Failure::Cancelled);
        client.setCancelCheck({});
        QVERIFY(book.listAll());

        // Refused before any connection is tried: nobody listens there, and a
        // connection attempt would have been a different failure.
        for (const char* away :
             {"http://203.0.113.1/dav/", "http://[2001:db8::1]/dav/", "ftp://192.168.1.5/"}) {
            const Result<Response> refused = client.request("PROPFIND", QUrl(QString::fromLatin1(away)));
            QVERIFY(!refused);
            QCOMPARE(refused.failure().kind, Failure::Network);
            QVERIFY2(refused.failure().message.contains(QStringLiteral("https://")), away);
        }

        server.stop();
        const Result<QMap<QString, QString>> unreachable = book.listAll();
        QVERIFY(!unreachable);
        QCOMPARE(unreachable.failure().kind, Failure::Network);
        QVERIFY(
            unreachable.failure().message.startsWith(QStringLiteral("Сервер синхронизации недоступен: ")));
    }

    void redirectsStayWithinTheRules()
    {
        TestHome home;
        RadicaleServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        Client client(accountOf(server));
        const QUrl principal = server.principal(QStringLiteral("anna"));

        // The same host on another port is the same server.
        RedirectServer samehost(principal.toString());
        const Result<Response> followed = client.request("PROPFIND", samehost.url(), {}, {}, Depth::Zero);
        QVERIFY2(followed, why(followed).constData());
        QCOMPARE(followed->status, 207);
        QCOMPARE(followed->finalUrl, principal);

        // Another host by plain http is not followed, even at home.
        QUrl elsewhere = principal;
        elsewhere.setHost(QStringLiteral("localhost"));
        RedirectServer otherHost(elsewhere.toString());
        const Result<Response> refused = client.request("PROPFIND", otherHost.url(), {}, {}, Depth::Zero);
        QVERIFY(!refused);
        QCOMPARE(refused.failure().kind, Failure::Server);
        QVERIFY(refused.failure().message.contains(QStringLiteral("localhost")));

        // https is followed anywhere: here to a port where nobody listens.
        RedirectServer toHttps(QStringLiteral("https://127.0.0.1:%1/").arg(closedPort()));
        const Result<Response> tried = client.request("PROPFIND", toHttps.url(), {}, {}, Depth::Zero);
        QVERIFY(!tried);
        QCOMPARE(tried.failure().kind, Failure::Network);
        QVERIFY(tried.failure().message.startsWith(QStringLiteral("Сервер синхронизации недоступен: ")));
    }

    void thePasswordGoesOnlyToTheServerNamed()
    {
        TestHome home;
        RadicaleServer server({{{QStringLiteral("anna"), kPassword}}, true});
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        // The server named (127.0.0.1) sends the client on, by https, to
        // "localhost": the same machine under another name, which does not
        // get the password.
        QUrl elsewhere = server.principal(QStringLiteral("anna"));
        elsewhere.setHost(QStringLiteral("localhost"));
        RedirectServer away(elsewhere.toString());
        Client redirected({away.url(), QStringLiteral("anna"), kPassword, server.certificateSha256()});
        const Result<Response> refused = redirected.request("PROPFIND", away.url(), {}, {}, Depth::Zero);
        QVERIFY(!refused);
        QCOMPARE(refused.failure().kind, Failure::Authentication);
        QVERIFY2(refused.failure().message.contains(QStringLiteral("localhost")),
                 qPrintable(refused.failure().message));
        QVERIFY(!refused.failure().message.contains(kPassword));

        // Named so in the account, it gets it.
        Client named({elsewhere, QStringLiteral("anna"), kPassword, server.certificateSha256()});
        const Result<Response> answered = named.request("PROPFIND", elsewhere, {}, {}, Depth::Zero);
        QVERIFY2(answered, why(answered).constData());
        QCOMPARE(answered->status, 207);
    }

    void acceptedCertificateIsTrustedByItsFingerprint()
    {
        TestHome home;
        RadicaleServer server({{{QStringLiteral("anna"), kPassword}}, true});
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        const QString fingerprint = ServerCertificate::normalizedFingerprint(server.certificateSha256());
        QCOMPARE(fingerprint.size(), 64);

        Client unknown(accountOf(server));
        const Result<QList<CollectionInfo>> untrusted =
            discover(unknown, server.root(), CollectionKind::AddressBook);
        QVERIFY(!untrusted);
        QCOMPARE(untrusted.failure().kind, Failure::Certificate);
        QCOMPARE(untrusted.failure().certificateSha256, fingerprint);
        QVERIFY(untrusted.failure().message.contains(QStringLiteral("не подтверждён")));

        Account pinned = accountOf(server);
        pinned.acceptedCertificateSha256 = server.certificateSha256();
        Client trusted(pinned);
        const QUrl url = server.principal(QStringLiteral("anna")).resolved(QUrl(QStringLiteral("family/")));
        QVERIFY(createCollection(trusted, url, CollectionKind::AddressBook, QStringLiteral("Семья")));
        for (int round = 0; round < 2; ++round) {
            const Result<QList<CollectionInfo>> found =
                discover(trusted, server.root(), CollectionKind::AddressBook);
            QVERIFY2(found, why(found).constData());
            QCOMPARE(found->size(), 1);
        }

        Account other = accountOf(server);
        other.acceptedCertificateSha256 = QString(64, QLatin1Char('a'));
        Client mismatched(other);
        const Result<QList<CollectionInfo>> changed =
            discover(mismatched, server.root(), CollectionKind::AddressBook);
        QVERIFY(!changed);
        QCOMPARE(changed.failure().kind, Failure::Certificate);
        QCOMPARE(changed.failure().certificateSha256, fingerprint);
        QVERIFY(changed.failure().message.contains(QStringLiteral("не совпадает")));
    }
};

QTEST_GUILESS_MAIN(TestDav)
#include "tst_dav.moc"

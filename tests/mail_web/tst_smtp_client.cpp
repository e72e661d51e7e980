#include "mail_message.h"
#include "smtp_client.h"
#include "smtp_test_server.h"
#include "test_main.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

SmtpClient::Request requestTo(const SmtpTestServer& server, const QStringList& recipients,
                              const QByteArray& message)
{
    SmtpClient::Request request;
    request.server = server.address();
    request.userName = QStringLiteral("tester@example.com");
    request.password = QStringLiteral("secret");
    request.from = QStringLiteral("tester@example.com");
    request.recipients = recipients;
    request.message = message;
    request.caFile = SmtpTestServer::certificate();
    return request;
}

QByteArray letterText(const QString& subject, const QString& body)
{
    MailMessage::Letter letter;
    letter.from = QStringLiteral("tester@example.com");
    letter.to = MailMessage::parseRecipients(QStringLiteral("Ann <ann@example.com>"));
    letter.subject = subject;
    letter.body = body;
    return MailMessage::format(letter, QDateTime(QDate(2026, 3, 8), QTime(14, 20, 5)),
                               MailMessage::newMessageId(letter.from));
}

} // namespace

class TestSmtpClient : public QObject
{
    Q_OBJECT

private slots:
    void serverBoxNamesHostAndPort()
    {
        QCOMPARE(SmtpClient::parseServer(QStringLiteral("smtp.mail.ru")).url,
                 QStringLiteral("smtp://smtp.mail.ru:25/localhost"));
        QCOMPARE(SmtpClient::parseServer(QStringLiteral(" smtp.yandex.ru:587 ")).url,
                 QStringLiteral("smtp://smtp.yandex.ru:587/localhost"));
        // Port 465 is TLS from the first byte.
        QCOMPARE(SmtpClient::parseServer(QStringLiteral("smtp.yandex.ru:465")).url,
                 QStringLiteral("smtps://smtp.yandex.ru:465/localhost"));
        QCOMPARE(SmtpClient::parseServer(QStringLiteral("::1")).url,
                 QStringLiteral("smtp://[::1]:25/localhost"));
        for (const char* bad : {"", "  ", "host:", "host:0", "host:70000", "host:abc", "a b", "a/b", ":25"})
            QVERIFY2(!SmtpClient::parseServer(QString::fromLatin1(bad)).valid, bad);
    }

    void recipientsAndHeadersAreFormedForAnyReader()
    {
        const auto list = MailMessage::parseRecipients(
            QStringLiteral(" Иван Петров <ivan@example.com>, ann@example.com ,, \"Doe, J\" <j@example.com>"));
        // The comma inside quotes splits too, as the comma-separated list of the box is read.
        QCOMPARE(list.size(), 4);
        QCOMPARE(list[0].name, QStringLiteral("Иван Петров"));
        QCOMPARE(list[0].address, QStringLiteral("ivan@example.com"));
        QCOMPARE(list[1].name, QString());
        QCOMPARE(list[1].address, QStringLiteral("ann@example.com"));

        const QByteArray text = letterText(QStringLiteral("Hello"), QStringLiteral("one\ntwo\r\nthree"));
        QVERIFY(text.contains("Subject: Hello\r\n"));
        // A line break typed into a box cannot start a header line of its own.
        const auto injected =
            MailMessage::parseRecipients(QStringLiteral("a@example.com\r\nBcc: x@example.com"));
        QCOMPARE(injected.size(), 1);
        QVERIFY(!injected[0].address.contains(QLatin1Char('\n')));
        QVERIFY(text.contains("Date: Sun, 08 Mar 2026 14:20:05 "));
        QVERIFY(QRegularExpression(QStringLiteral("Message-ID: <[0-9a-z.]+@example\\.com>\r\n"))
                    .match(QString::fromLatin1(text))
                    .hasMatch());
        QVERIFY(text.contains("MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"));
        QVERIFY(text.endsWith("\r\n\r\none\r\ntwo\r\nthree\r\n"));
        // No bare line feed anywhere.
        QVERIFY(!QString::fromLatin1(text).contains(QRegularExpression(QStringLiteral("[^\r]\n"))));

        // Long non-ASCII subjects fold into encoded words no longer than the standard allows.
        const QByteArray subject = MailMessage::encodeHeaderText(QString(60, QChar(0x0416)));
        for (const QByteArray& word : subject.split('\n'))
            QVERIFY(word.trimmed().size() <= 75);
    }

    void letterGoesOutWithLoginAndDecodesWhole()
    {
        SmtpTestServer server(
            {QStringLiteral("login"), QStringLiteral("tester@example.com"), QStringLiteral("secret"), 0});
        QVERIFY(server.port() > 0);
        const QString subject = QStringLiteral("Очень длинная тема письма, чтобы её пришлось разбить на "
                                               "несколько закодированных слов — ёЁ 😀");
        const QString body = QStringLiteral("Здравствуйте!\n.\n.точка в начале строки\nПока.");
        const auto result = SmtpClient::send(
            requestTo(server, {QStringLiteral("ann@example.com")}, letterText(subject, body)));
        QCOMPARE(int(result.outcome), int(SmtpClient::Outcome::Sent));
        const QJsonObject letter = server.letter(1);
        QCOMPARE(letter.value("subject").toString(), subject);
        QCOMPARE(letter.value("body").toString(), QString(body).replace("\n", "\r\n"));
        QCOMPARE(letter.value("charset").toString(), QStringLiteral("utf-8"));
        QVERIFY(letter.value("authenticated").toBool());
        QVERIFY(server.events().contains(QStringLiteral("auth LOGIN tester@example.com ok")));
    }

    void starttlsIsUsedWhenOfferedAndLoginFollowsIt()
    {
        // This server offers AUTH only once TLS stands.
        SmtpTestServer server(
            {QStringLiteral("starttls"), QStringLiteral("tester@example.com"), QStringLiteral("secret"), 0});
        QVERIFY(server.port() > 0);
        const auto result = SmtpClient::send(
            requestTo(server, {QStringLiteral("ann@example.com")}, letterText(QStringLiteral("TLS"), {})));
        QCOMPARE(int(result.outcome), int(SmtpClient::Outcome::Sent));
        const QJsonObject letter = server.letter(1);
        QVERIFY(letter.value("tls").toBool());
        QVERIFY(letter.value("authenticated").toBool());
        QVERIFY(server.events().contains(QStringLiteral("ehlo tls=True")));
    }

    void failuresAreToldApart()
    {
        SmtpClient::Request nowhere;
        nowhere.server = QStringLiteral("127.0.0.1:%1").arg(closedPort());
        nowhere.from = QStringLiteral("a@example.com");
        nowhere.recipients = {QStringLiteral("b@example.com")};
        nowhere.message = letterText(QStringLiteral("x"), QStringLiteral("y"));
        QCOMPARE(int(SmtpClient::send(nowhere).outcome), int(SmtpClient::Outcome::ConnectFailed));
        nowhere.server = QStringLiteral("bad host");
        QCOMPARE(int(SmtpClient::send(nowhere).outcome), int(SmtpClient::Outcome::ConnectFailed));

        SmtpTestServer server(
            {QStringLiteral("login"), QStringLiteral("tester@example.com"), QStringLiteral("secret"), 0});
        // No recipient: the server is there, the letter cannot go.
        QCOMPARE(int(SmtpClient::send(requestTo(server, {}, letterText(QStringLiteral("x"), {}))).outcome),
                 int(SmtpClient::Outcome::SendFailed));
        SmtpClient::Request wrong = requestTo(server, {QStringLiteral("b@example.com")}, letterText("x", {}));
        wrong.password = QStringLiteral("guess");
        QCOMPARE(int(SmtpClient::send(wrong).outcome), int(SmtpClient::Outcome::SendFailed));
        QCOMPARE(server.letterCount(), 0);

        // A server that stops answering is given up after the transfer's limit.
        SmtpTestServer silent({QStringLiteral("noauth"), {}, {}, 30});
        SmtpClient::Request stalled =
            requestTo(silent, {QStringLiteral("b@example.com")}, letterText("x", {}));
        stalled.transferTimeoutSeconds = 2;
        QElapsedTimer limit;
        limit.start();
        QCOMPARE(int(SmtpClient::send(stalled).outcome), int(SmtpClient::Outcome::SendFailed));
        QVERIFY(limit.elapsed() < 10000);

        // A transfer given up by its owner ends at once.
        SmtpTestServer slow({QStringLiteral("noauth"), {}, {}, 30});
        SmtpClient::Request abandoned =
            requestTo(slow, {QStringLiteral("b@example.com")}, letterText("x", {}));
        QElapsedTimer clock;
        clock.start();
        abandoned.cancelled = [&clock] { return clock.elapsed() > 500; };
        QCOMPARE(int(SmtpClient::send(abandoned).outcome), int(SmtpClient::Outcome::SendFailed));
        QVERIFY(clock.elapsed() < 10000);
    }
};

QUILL_TEST_MAIN(TestSmtpClient)
#include "tst_smtp_client.moc"

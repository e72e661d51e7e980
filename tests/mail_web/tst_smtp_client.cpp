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

// A strict reader of quoted-printable: besides decoding, it finds fault with
// anything a careful encoder would not write.
QByteArray decodeQuotedPrintable(const QByteArray& encoded, QString* fault)
{
    const auto isHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    QByteArray decoded;
    if (!encoded.isEmpty() && !encoded.endsWith("\r\n"))
        *fault = QStringLiteral("no CR LF at the end");
    const QList<QByteArray> lines = encoded.split('\n');
    for (qsizetype n = 0; n + 1 < lines.size() && fault->isEmpty(); ++n) {
        const QByteArray& line = lines.at(n);
        const QString where = QStringLiteral(" in line %1: %2").arg(n).arg(QString::fromLatin1(line));
        if (!line.endsWith('\r'))
            *fault = QStringLiteral("bare LF") + where;
        else if (line.size() - 1 > 76)
            *fault = QStringLiteral("longer than 76") + where;
        else if (line.endsWith(" \r") || line.endsWith("\t\r"))
            *fault = QStringLiteral("blank at the end") + where;
        const qsizetype length = line.size() - 1;
        bool soft = false;
        for (qsizetype at = 0; at < length && fault->isEmpty(); ++at) {
            const char c = line.at(at);
            if (c == '=' && at + 1 == length) {
                soft = true;
            } else if (c == '=') {
                if (at + 2 >= length || !isHex(line.at(at + 1)) || !isHex(line.at(at + 2)))
                    *fault = QStringLiteral("broken escape") + where;
                else
                    decoded += char(line.mid(at + 1, 2).toInt(nullptr, 16));
                at += 2;
            } else if ((c < 33 || c > 126) && c != ' ' && c != '\t') {
                *fault = QStringLiteral("raw octet %1").arg(int(uchar(c))) + where;
            } else {
                decoded += c;
            }
        }
        if (!soft)
            decoded += "\r\n";
    }
    return decoded;
}

QStringList bodyLinesOf(const QByteArray& message)
{
    return QString::fromLatin1(message.mid(message.indexOf("\r\n\r\n") + 4)).split(QStringLiteral("\r\n"));
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

    void longLinesAreSentQuotedPrintable()
    {
        // The escapes, blanks and soft breaks at every column a line can reach.
        QList<QByteArray> texts = {
            "a=b \r\nЖ", QByteArray(5000, '='), QByteArray(200, ' ') + "x", "tab\t\r\nblank \r\n\r\n",
            "\r\n",      "no break at the end"};
        const QList<QByteArray> tails = {"=", "Ж", " ", "\t", "a", "😀", " \r\n", "==\r\nx", "\x01"};
        for (int length = 70; length <= 80; ++length)
            for (const QByteArray& tail : tails)
                texts.append(QByteArray(length, 'a') + tail + QByteArray(length % 3, 'b'));
        texts.append(QStringLiteral("Съешь же ещё этих мягких французских булок, да выпей чаю. ")
                         .repeated(100)
                         .toUtf8());
        for (const QByteArray& text : texts) {
            QString fault;
            const QByteArray encoded = MailMessage::encodeQuotedPrintable(text);
            QCOMPARE(decodeQuotedPrintable(encoded, &fault), text);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        }
        QCOMPARE(MailMessage::encodeQuotedPrintable("a=b \r\nЖ"), QByteArray("a=3Db=20\r\n=D0=96=\r\n"));
        QCOMPARE(MailMessage::encodeQuotedPrintable(QByteArray(80, 'a') + "\r\n"),
                 QByteArray(75, 'a') + "=\r\naaaaa\r\n");
        QCOMPARE(MailMessage::encodeQuotedPrintable(QByteArray()), QByteArray());

        // 998 characters is the longest line that goes as it is.
        const QString longest(998, QLatin1Char('x'));
        QByteArray text = letterText(QStringLiteral("x"), QStringLiteral("short\n") + longest);
        QVERIFY(text.contains("Content-Transfer-Encoding: 7bit\r\n"));
        QCOMPARE(bodyLinesOf(text).value(1), longest);
        text = letterText(QStringLiteral("x"), QStringLiteral("short\n") + longest + QLatin1Char('='));
        QVERIFY(text.contains("Content-Transfer-Encoding: quoted-printable\r\n"));
        QString fault;
        QCOMPARE(decodeQuotedPrintable(text.mid(text.indexOf("\r\n\r\n") + 4), &fault),
                 "short\r\n" + longest.toLatin1() + '=');
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        // Text beyond ASCII keeps Base64, whose lines are short whatever the text's.
        text = letterText(QStringLiteral("x"), QString(2000, QChar(0x0416)));
        QVERIFY(text.contains("Content-Transfer-Encoding: base64\r\n"));
    }

    void longLinesArriveWhole()
    {
        SmtpTestServer server(
            {QStringLiteral("login"), QStringLiteral("tester@example.com"), QStringLiteral("secret"), 0});
        QVERIFY(server.port() > 0);
        QString line;
        for (int n = 0; line.size() < 5000; ++n)
            line += QStringLiteral("word%1 = x\t").arg(n);
        line.truncate(5000);
        const QString ascii =
            QStringLiteral("Start\n") + line + QStringLiteral("\n.\nblanks at the end   \n\nend =");
        const QString cyrillic = QStringLiteral("Привет!\n") + line + QStringLiteral("\nЖ") +
                                 QString(4999, QChar(0x0416)) + QStringLiteral("\nПока.");
        for (const QString& body : {ascii, cyrillic}) {
            const auto result = SmtpClient::send(requestTo(server, {QStringLiteral("ann@example.com")},
                                                           letterText(QStringLiteral("Long"), body)));
            QCOMPARE(int(result.outcome), int(SmtpClient::Outcome::Sent));
        }
        QCOMPARE(server.letterCount(), 2);
        for (int n = 1; n <= 2; ++n) {
            const QJsonObject letter = server.letter(n);
            QCOMPARE(letter.value("body").toString(),
                     QString(n == 1 ? ascii : cyrillic).replace("\n", "\r\n"));
            for (const QString& raw : letter.value("raw").toString().split(QStringLiteral("\r\n")))
                QVERIFY2(raw.size() <= 76, qPrintable(raw.left(100)));
        }
        QVERIFY(server.letter(1).value("raw").toString().contains(
            QStringLiteral("Content-Transfer-Encoding: quoted-printable\r\n")));
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

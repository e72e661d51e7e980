#include "mail_message.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QUrl>

namespace MailMessage {

namespace {

constexpr int kEncodedChunk = 45; // bytes per encoded word: 60 Base64 characters, 72 in all
constexpr int kBodyLine = 76;
constexpr int kLongestLine = 998; // octets before CR LF that RFC 5322 allows

bool isPlainAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x7F || (c.unicode() < 0x20 && c != QLatin1Char('\t')))
            return false;
    return true;
}

// CR LF after every line, whatever line ends the text came with.
QString withCrLf(const QString& text)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    normal.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return normal;
}

QByteArray mailbox(const Recipient& recipient)
{
    const QByteArray address = recipient.address.toUtf8();
    if (recipient.name.isEmpty())
        return address;
    QByteArray name;
    if (isPlainAscii(recipient.name)) {
        QString quoted = recipient.name;
        quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        quoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        name = '"' + quoted.toLatin1() + '"';
    } else {
        name = encodeHeaderText(recipient.name);
    }
    return name + " <" + address + '>';
}

bool hasLongLine(const QByteArray& text)
{
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf("\r\n", start);
        if (end < 0)
            end = text.size();
        if (end - start > kLongestLine)
            return true;
        start = end + 2;
    }
    return false;
}

QByteArray rfc2822Date(const QDateTime& date)
{
    // English names whatever the user's language, as the standard wants.
    const QLocale c = QLocale::c();
    const int offset = date.offsetFromUtc() / 60;
    const QString zone = QStringLiteral("%1%2%3")
                             .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                             .arg(qAbs(offset) / 60, 2, 10, QLatin1Char('0'))
                             .arg(qAbs(offset) % 60, 2, 10, QLatin1Char('0'));
    return (c.toString(date, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) + zone).toLatin1();
}

} // namespace

QList<Recipient> parseRecipients(const QString& text)
{
    QList<Recipient> list;
    // Line breaks would start header lines of their own.
    QString flat = text;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    for (const QString& part : flat.split(QLatin1Char(','))) {
        const QString item = part.trimmed();
        if (item.isEmpty())
            continue;
        const qsizetype open = item.lastIndexOf(QLatin1Char('<'));
        const qsizetype close = item.lastIndexOf(QLatin1Char('>'));
        Recipient recipient;
        if (open >= 0 && close > open) {
            recipient.address = item.mid(open + 1, close - open - 1).trimmed();
            recipient.name = item.left(open).trimmed();
            if (recipient.name.size() >= 2 && recipient.name.startsWith(QLatin1Char('"')) &&
                recipient.name.endsWith(QLatin1Char('"')))
                recipient.name = recipient.name.mid(1, recipient.name.size() - 2);
        } else {
            recipient.address = item;
        }
        list.append(recipient);
    }
    return list;
}

QByteArray encodeHeaderText(const QString& text)
{
    if (isPlainAscii(text))
        return text.toLatin1();
    // Split between characters, never inside one, so each word decodes alone.
    QList<QByteArray> words;
    QByteArray chunk;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = text.at(at).isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = text.mid(at, length).toUtf8();
        if (chunk.size() + bytes.size() > kEncodedChunk) {
            words.append(chunk);
            chunk.clear();
        }
        chunk += bytes;
        at += length;
    }
    if (!chunk.isEmpty())
        words.append(chunk);
    QByteArray encoded;
    for (const QByteArray& word : words) {
        if (!encoded.isEmpty())
            encoded += "\r\n ";
        encoded += "=?UTF-8?B?" + word.toBase64() + "?=";
    }
    return encoded;
}

QByteArray encodeQuotedPrintable(const QByteArray& text)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray encoded;
    encoded.reserve(text.size() + text.size() / 2);
    for (qsizetype lineStart = 0;;) {
        qsizetype lineEnd = text.indexOf("\r\n", lineStart);
        const bool lastLine = lineEnd < 0;
        if (lastLine)
            lineEnd = text.size();
        int column = 0;
        for (qsizetype at = lineStart; at < lineEnd; ++at) {
            const auto c = static_cast<uchar>(text.at(at));
            const bool lineEndsHere = at + 1 == lineEnd;
            // A blank at the end of a line would be dropped on the way.
            const bool literal =
                (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !lineEndsHere);
            const int width = literal ? 1 : 3;
            // Room is kept for the "=" of a soft break, except after the last
            // character before a line break of the text.
            const int room = lineEndsHere && !lastLine ? kBodyLine : kBodyLine - 1;
            if (column + width > room) {
                encoded += "=\r\n";
                column = 0;
            }
            if (literal) {
                encoded += char(c);
            } else {
                encoded += '=';
                encoded += hex[c >> 4];
                encoded += hex[c & 0xF];
            }
            column += width;
        }
        if (lastLine) {
            if (lineEnd > lineStart)
                encoded += "=\r\n";
            return encoded;
        }
        encoded += "\r\n";
        lineStart = lineEnd + 2;
    }
}

QByteArray format(const Letter& letter, const QDateTime& date, const QByteArray& messageId)
{
    QByteArray to;
    for (const Recipient& recipient : letter.to) {
        if (!to.isEmpty())
            to += ",\r\n ";
        to += mailbox(recipient);
    }
    const QString body = withCrLf(letter.body);
    const bool plain = isPlainAscii(QString(body).remove(QLatin1Char('\r')).remove(QLatin1Char('\n')));
    // Servers refuse or cut lines beyond the limit; Base64 lines never come near it.
    const bool quoted = plain && hasLongLine(body.toLatin1());

    QByteArray message;
    const QString from = QString(letter.from).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    message += "From: " + from.toUtf8() + "\r\n";
    message += "To: " + to + "\r\n";
    message += "Subject: " + encodeHeaderText(letter.subject) + "\r\n";
    message += "Date: " + rfc2822Date(date) + "\r\n";
    message += "Message-ID: " + messageId + "\r\n";
    message += "MIME-Version: 1.0\r\n";
    message += "Content-Type: text/plain; charset=UTF-8\r\n";
    const QByteArray transferEncoding = quoted ? "quoted-printable" : (plain ? "7bit" : "base64");
    message += "Content-Transfer-Encoding: " + transferEncoding + "\r\n";
    message += "\r\n";
    if (quoted) {
        message += encodeQuotedPrintable(body.toLatin1());
    } else if (plain) {
        message += body.toLatin1();
    } else {
        const QByteArray encoded = body.toUtf8().toBase64();
        for (qsizetype at = 0; at < encoded.size(); at += kBodyLine)
            message += encoded.mid(at, kBodyLine) + "\r\n";
    }
    if (!message.endsWith("\r\n"))
        message += "\r\n";
    return message;
}

QByteArray newMessageId(const QString& from)
{
    const qsizetype at = from.lastIndexOf(QLatin1Char('@'));
    QString domain = at >= 0 ? from.mid(at + 1).trimmed() : QString();
    if (domain.isEmpty())
        domain = QStringLiteral("quillarbor.localdomain");
    const quint64 random = QRandomGenerator::system()->generate64();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return "<" + QByteArray::number(now, 36) + '.' + QByteArray::number(random, 36) + '@' +
           QUrl::toAce(domain) + ">";
}

} // namespace MailMessage

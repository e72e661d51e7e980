#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// One plain-text letter as it goes over SMTP: the envelope and the text of
// the message with its MIME header.
namespace MailMessage {

struct Recipient
{
    QString name; // may be empty
    QString address;
};

// "Name <addr>, addr, ...": blanks around each part are dropped, empty parts skipped.
QList<Recipient> parseRecipients(const QString& text);

struct Letter
{
    QString from;
    QList<Recipient> to;
    QString subject;
    QString body;
};

// An RFC 2047 encoded word (or several, folded) when the text is not plain
// ASCII; the text itself otherwise.
QByteArray encodeHeaderText(const QString& text);

// Quoted-printable lines of at most 76 characters. The text's CR LF pairs
// stay line breaks; the result always ends in CR LF, after a soft break when
// the text does not end in a line break, so it decodes to the text exactly.
QByteArray encodeQuotedPrintable(const QByteArray& text);

// The whole message: header lines and body joined with CR LF, the body in
// UTF-8, Base64-encoded when it holds anything beyond ASCII, quoted-printable
// when it is ASCII with a line longer than 998 characters.
QByteArray format(const Letter& letter, const QDateTime& date, const QByteArray& messageId);

// A unique identifier "<...@domain of the sender>".
QByteArray newMessageId(const QString& from);

} // namespace MailMessage

#pragma once

#include "contact.h"

#include <QByteArray>
#include <QList>
#include <QString>

// vCard files as phones, mail programs and web address books write them:
// versions 2.1, 3.0 and 4.0 are read, 4.0 and 3.0 are written. No widgets.
namespace VCard {

enum class Version { V3, V4 };

// The property that keeps the birthday reminder flag across a round trip.
inline const QByteArray kRemindProperty = QByteArrayLiteral("X-QUILLARBOR-REMIND");

// One file of cards, CRLF line ends, lines folded at 75 octets.
QByteArray write(const QList<Contact>& contacts, Version version);

// A card read into a contact, cut to what the editor admits.
struct Card
{
    Contact contact;
    int number = 0; // counted from 1 in the file
};

// A card that could not be read: where it starts and why.
struct Failure
{
    int number = 0;
    int line = 0;
    QString label; // its FN or N as far as it could be read, else empty
    QString reason;
};

struct ReadResult
{
    QList<Card> cards;
    QList<Failure> failures;
    // Set when the file as a whole is not a vCard file; then nothing else is.
    QString error;
};

ReadResult read(const QByteArray& bytes);

// The three names from a single formatted name ("Пётр Ильич Иванов",
// "Иванов Пётр Ильич", "John Smith").
ContactNames namesFromFormatted(const QString& formatted);

} // namespace VCard

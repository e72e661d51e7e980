#pragma once

#include "contact.h"
#include "vcard.h"

#include <QByteArray>
#include <QList>
#include <QMultiMap>
#include <QString>
#include <QStringList>
#include <optional>

// What the files of cards and the single cards of a contacts server share:
// the line syntax, the decoding of values and the reading of a card into a
// contact. Used inside the address book only; no widgets.
namespace VCardSyntax {

// ---------------------------------------------------------------- writing

QString escapeText(const QString& text);
// Folds a content line at 75 octets without cutting a UTF-8 sequence.
void appendFolded(QByteArray& out, const QByteArray& line, const QByteArray& lineEnd = "\r\n");
QString formattedName(const Contact& contact);
QString birthdayText(const QDateTime& birthday, VCard::Version version);

// ---------------------------------------------------------------- reading

struct Property
{
    QByteArray name;                          // upper case, without its group
    QMultiMap<QByteArray, QByteArray> params; // upper-case names; bare 2.1 types under TYPE
    QByteArray value;                         // raw octets
    QByteArray head;                          // group, name and parameters as written, unfolded
    int line = 0;
    // Where it stands in the input: from its first octet to the end of the
    // line end of its last folded line.
    qsizetype start = 0;
    qsizetype end = 0;
};

struct RawCard
{
    int number = 0;
    int line = 0;
    QList<Property> properties;
    QString broken;         // why it cannot be read
    qsizetype endLine = -1; // where its END:VCARD line starts
};

// The cards of a file in their order. Text between cards and cards embedded
// in a 2.1 AGENT are left out.
QList<RawCard> splitCards(const QByteArray& bytes);
bool isVersion21(const RawCard& card);

// The parameter segments of a property's head as written, the first being
// its group and name.
QList<QByteArray> splitParams(const QByteArray& text);
// The upper-case name of a parameter segment; a bare 2.1 value names its kind.
QByteArray paramName(const QByteArray& segment);
bool hasParam(const Property& property, const QByteArray& name, const QByteArray& value);

QString unescape(const QString& text);
// Splits at separators that are not escaped; the parts stay escaped.
QStringList splitEscaped(const QString& text, QChar separator);
// Line breaks and TABs become blanks, other control characters go, the ends are trimmed.
QString oneLine(const QString& text);

// The year that stands for a birthday whose year is not known: a leap year,
// so that 29 February without a year reads too.
inline constexpr int kUnknownYear = 1904;
// The date the editor starts a new contact with, and what a card without a
// birthday reads as.
inline QDateTime startingBirthday()
{
    return QDate(1980, 1, 1).startOfDay();
}

// Which properties each field of a contact came from, as indices into
// RawCard::properties.
struct Sources
{
    int n = -1;        // the N that gave the names (the last one)
    int fn = -1;       // the last FN
    QList<int> phones; // every TEL with a number, in the card's order
    QList<int> mails;  // every EMAIL with an address
    QList<int> icqs;   // every X-ICQ and every IMPP of ICQ
    QList<int> birthdays;
    int birthday = -1;     // the one the date was read from (the last that reads)
    int categories = -1;   // the CATEGORIES that gave the category
    int categoryItem = -1; // its item, counted from 0
    QList<int> notes;      // the comment comes from the last
    QList<int> reminds;
};

class CardReader
{
public:
    CardReader(const RawCard& raw, bool latin8Fallback) : m_raw(raw), m_fallback(latin8Fallback) {}

    // The contact, or the reason it cannot be read.
    std::optional<Contact> read(QString* label, QString* reason, bool* notText,
                                Sources* sources = nullptr) const;
    // A property's value as text: its transfer encoding and character set undone.
    std::optional<QString> text(const Property& property, bool* notText) const;

private:
    const RawCard& m_raw;
    bool m_fallback;
};

} // namespace VCardSyntax

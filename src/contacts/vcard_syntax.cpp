#include "vcard_syntax.h"

#include "text_decoding.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

using VCardSyntax::Property;

// Empty, or one of the editor's marks for a name left empty or unknown.
bool isPlaceholder(const QString& text)
{
    return text.isEmpty() || text == QLatin1String("---") || text == QLatin1String("???");
}

// Where the value starts: the first colon that is outside a quoted parameter.
int valueColon(const QByteArray& line)
{
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return -1;
}

std::optional<Property> parseLine(const QByteArray& line, int number)
{
    const int colon = valueColon(line);
    if (colon <= 0)
        return std::nullopt;
    const QList<QByteArray> head = VCardSyntax::splitParams(line.left(colon));
    Property parsed;
    parsed.line = number;
    parsed.head = line.left(colon);
    parsed.name = head.first().trimmed().toUpper();
    const int dot = parsed.name.lastIndexOf('.');
    if (dot >= 0)
        parsed.name = parsed.name.mid(dot + 1);
    if (parsed.name.isEmpty())
        return std::nullopt;
    for (const char c : std::as_const(parsed.name))
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
            return std::nullopt;
    for (int i = 1; i < head.size(); ++i) {
        const QByteArray& param = head[i];
        const int equals = param.indexOf('=');
        const QByteArray name = VCardSyntax::paramName(param);
        const QByteArray values = equals < 0 ? param : param.mid(equals + 1);
        for (QByteArray value : values.split(',')) {
            value = value.trimmed();
            if (value.startsWith('"') && value.endsWith('"') && value.size() >= 2)
                value = value.mid(1, value.size() - 2);
            parsed.params.insert(name, value);
        }
    }
    parsed.value = line.mid(colon + 1);
    return parsed;
}

QByteArray decodeQuotedPrintable(const QByteArray& text)
{
    QByteArray decoded;
    decoded.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '=') {
            decoded += c;
            continue;
        }
        if (i + 2 < text.size()) {
            bool ok = false;
            const int code = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                decoded += static_cast<char>(code);
                i += 2;
                continue;
            }
        }
        if (i == text.size() - 1)
            continue; // a soft break left at the very end
        decoded += c;
    }
    return decoded;
}

bool isUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString ignored = utf8.decode(bytes);
    return !utf8.hasError();
}

// Octets in the named character set; nullopt when the set is unknown or the
// octets are not text in it.
std::optional<QString> decodeCharset(const QByteArray& bytes, const QByteArray& charset)
{
    const QByteArray name = charset.toLower();
    if (name.isEmpty() || name == "utf-8" || name == "utf8") {
        if (std::all_of(bytes.begin(), bytes.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            return QString::fromLatin1(bytes);
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString text = utf8.decode(bytes);
        if (utf8.hasError())
            return std::nullopt;
        return text;
    }
    if (name == "windows-1251" || name == "cp1251" || name == "cp-1251")
        return TextDecoding::decodeWindows1251(bytes);
    if (name == "us-ascii" || name == "ascii" || name == "iso-8859-1" || name == "latin1")
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Digits only, as a number; -1 when there is anything else.
int digits(QStringView text)
{
    if (text.isEmpty())
        return -1;
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// A birthday without a year gets the year that stands for an unknown one:
// "--MMDD" of 4.0 and of many phones, or a made-up year that the card names
// in X-APPLE-OMIT-YEAR.
std::optional<QDateTime> readBirthday(QString text, const QByteArray& omittedYear)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1String("--")))
        text = QString::number(VCardSyntax::kUnknownYear) + text.mid(2);
    const int t = text.indexOf(QLatin1Char('T'));
    QString datePart = t < 0 ? text : text.left(t);
    QString timePart = t < 0 ? QString() : text.mid(t + 1);
    datePart.remove(QLatin1Char('-'));
    if (datePart.size() != 8)
        return std::nullopt;
    const QStringView all(datePart);
    int year = digits(all.mid(0, 4));
    if (!omittedYear.isEmpty() && digits(QString::fromLatin1(omittedYear)) == year)
        year = VCardSyntax::kUnknownYear;
    const QDate date(year, digits(all.mid(4, 2)), digits(all.mid(6, 2)));
    if (!date.isValid())
        return std::nullopt;
    QTime time(0, 0);
    if (!timePart.isEmpty()) {
        // Zones and fractions say nothing about a day of birth.
        static const QRegularExpression kZone(QStringLiteral("([Zz]|[+-]\\d\\d:?\\d\\d|\\.\\d+)+$"));
        timePart.remove(kZone);
        timePart.remove(QLatin1Char(':'));
        const QString clock = timePart.left(6).leftJustified(6, QLatin1Char('0'));
        const QStringView parts(clock);
        const QTime read(digits(parts.mid(0, 2)), digits(parts.mid(2, 2)), digits(parts.mid(4, 2)));
        if (read.isValid())
            time = read;
    }
    return QDateTime(date, time);
}

// Appends a part to the comment when it still fits the column.
void appendToComment(QString& comment, const QString& part)
{
    const QString joined = comment.isEmpty() ? part : comment + QStringLiteral("; ") + part;
    if (joined.size() <= Contacts::kCommentLength)
        comment = joined;
}

// An IMPP that carries an ICQ number: the icq: scheme, or another scheme
// with the service named in a parameter as some phones write it.
bool isIcqAddress(const Property& property, const QString& address)
{
    return address.startsWith(QLatin1String("icq:"), Qt::CaseInsensitive) ||
           VCardSyntax::hasParam(property, "X-SERVICE-TYPE", "ICQ");
}

struct ContentLine
{
    QByteArray text;
    int number = 0;
    qsizetype start = 0;
    qsizetype end = 0;
};

// The physical lines of the file, unfolded into content lines, each with
// the number of the line it starts on and the octets it spans.
QList<ContentLine> contentLines(const QByteArray& bytes)
{
    QList<ContentLine> lines;
    int number = 0;
    qsizetype start = 0;
    bool softBreak = false;
    while (start <= bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArray physical = bytes.mid(start, end - start);
        ++number;
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
            ++end;
        const qsizetype lineStart = start;
        const qsizetype next = std::min(end + 1, bytes.size());
        start = end + 1;
        const bool folded = !physical.isEmpty() && (physical[0] == ' ' || physical[0] == '\t');
        if (softBreak && !lines.isEmpty()) {
            // A quoted-printable soft break: the "=" ends the line, the value goes on.
            lines.last().text.chop(1);
            lines.last().text += physical;
            lines.last().end = next;
        } else if (folded && !lines.isEmpty()) {
            lines.last().text += physical.mid(1);
            lines.last().end = next;
        } else if (!physical.trimmed().isEmpty()) {
            lines.append({physical, number, lineStart, next});
        } else {
            softBreak = false;
            continue;
        }
        const QByteArray& current = lines.last().text;
        softBreak = current.endsWith('=') && current.toUpper().contains("QUOTED-PRINTABLE") &&
                    valueColon(current) >= 0 &&
                    current.left(valueColon(current)).toUpper().contains("QUOTED-PRINTABLE");
    }
    return lines;
}

} // namespace

namespace VCardSyntax {

// ---------------------------------------------------------------- writing

QString escapeText(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char(','))
            escaped += QLatin1String("\\,");
        else if (c == QLatin1Char(';'))
            escaped += QLatin1String("\\;");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            continue;
        else
            escaped += c;
    }
    return escaped;
}

void appendFolded(QByteArray& out, const QByteArray& line, const QByteArray& lineEnd)
{
    constexpr int kLimit = 75;
    int start = 0;
    int room = kLimit;
    while (line.size() - start > room) {
        int end = start + room;
        while (end > start && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
            --end;
        if (end == start) // no letter starts in the window: octets a server sent that are no UTF-8
            end = start + room;
        out += line.mid(start, end - start);
        out += lineEnd;
        out += ' ';
        start = end;
        room = kLimit - 1; // the leading blank counts
    }
    out += line.mid(start);
    out += lineEnd;
}

QString formattedName(const Contact& contact)
{
    QStringList parts;
    for (const QString& part : {contact.name, contact.patronymic, contact.surname})
        if (!isPlaceholder(part.trimmed()))
            parts.append(part.trimmed());
    if (parts.isEmpty())
        parts.append(contact.surname.isEmpty() ? QStringLiteral("---") : contact.surname);
    return parts.join(QLatin1Char(' '));
}

QString birthdayText(const QDateTime& birthday, VCard::Version version)
{
    const bool v4 = version == VCard::Version::V4;
    QString text = birthday.date().toString(v4 ? QStringLiteral("yyyyMMdd") : QStringLiteral("yyyy-MM-dd"));
    if (birthday.time() != QTime(0, 0))
        text += birthday.time().toString(v4 ? QStringLiteral("'T'HHmmss") : QStringLiteral("'T'HH:mm:ss"));
    return text;
}

// ---------------------------------------------------------------- reading

QList<QByteArray> splitParams(const QByteArray& text)
{
    QList<QByteArray> parts;
    QByteArray current;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted) {
            parts.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.append(current);
    return parts;
}

QByteArray paramName(const QByteArray& segment)
{
    const int equals = segment.indexOf('=');
    if (equals >= 0)
        return segment.left(equals).trimmed().toUpper();
    const QByteArray bare = segment.trimmed().toUpper();
    return bare == "QUOTED-PRINTABLE" || bare == "BASE64" ? QByteArray("ENCODING") : QByteArray("TYPE");
}

bool hasParam(const Property& property, const QByteArray& name, const QByteArray& value)
{
    const auto values = property.params.values(name);
    for (const QByteArray& candidate : values)
        if (candidate.compare(value, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString unescape(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text[++i];
            if (next == QLatin1Char('n') || next == QLatin1Char('N'))
                plain += QLatin1Char('\n');
            else
                plain += next;
        } else {
            plain += c;
        }
    }
    return plain;
}

QStringList splitEscaped(const QString& text, QChar separator)
{
    QStringList parts;
    QString current;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            current += c;
            current += text[++i];
        } else if (c == separator) {
            parts.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.append(current);
    return parts;
}

// Line breaks and TABs become blanks: the editor's boxes and the contact
// lines hold one line, and a TAB would split a name in the lists. Other
// control characters (a NUL written "=00" in quoted-printable) are dropped:
// no box can show them, and an export would carry them into a file that no
// reader takes.
QString oneLine(const QString& text)
{
    QString flat;
    flat.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            continue;
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            flat += QLatin1Char(' ');
        else if (c.category() != QChar::Other_Control)
            flat += c;
    }
    return flat.trimmed();
}

QList<RawCard> splitCards(const QByteArray& bytes)
{
    QList<RawCard> raws;
    RawCard* open = nullptr;
    int nested = 0;            // cards embedded in an AGENT property of 2.1
    bool agentPending = false; // the last property was an AGENT with no value of its own
    const auto is = [](const QByteArray& line, const char* marker) {
        const QByteArray trimmed = line.size() < 16 ? line.trimmed() : QByteArray();
        return trimmed.compare(marker, Qt::CaseInsensitive) == 0;
    };
    for (const ContentLine& line : contentLines(bytes)) {
        if (is(line.text, "BEGIN:VCARD")) {
            if (open && (agentPending || nested > 0)) {
                ++nested;
                agentPending = false;
                continue;
            }
            if (open && open->broken.isEmpty())
                open->broken = QStringLiteral("карточка не закончена (нет END:VCARD)");
            raws.append(RawCard());
            open = &raws.last();
            open->number = int(raws.size());
            open->line = line.number;
            nested = 0;
            continue;
        }
        agentPending = false;
        if (is(line.text, "END:VCARD")) {
            if (nested > 0) {
                --nested;
            } else if (open) {
                open->endLine = line.start;
                open = nullptr;
            }
            continue;
        }
        if (!open || nested > 0 || !open->broken.isEmpty())
            continue; // text between cards is none of ours
        std::optional<Property> parsed = parseLine(line.text, line.number);
        if (!parsed) {
            open->broken = QStringLiteral("строка %1 не читается").arg(line.number);
            continue;
        }
        parsed->start = line.start;
        parsed->end = line.end;
        agentPending = parsed->name == "AGENT" && parsed->value.trimmed().isEmpty();
        open->properties.append(*parsed);
    }
    if (open && open->broken.isEmpty())
        open->broken = QStringLiteral("карточка не закончена (нет END:VCARD)");
    return raws;
}

bool isVersion21(const RawCard& card)
{
    for (const Property& property : card.properties)
        if (property.name == "VERSION" && property.value.trimmed() == "2.1")
            return true;
    return false;
}

std::optional<QString> CardReader::text(const Property& property, bool* notText) const
{
    QByteArray octets = property.value;
    if (hasParam(property, "ENCODING", "QUOTED-PRINTABLE"))
        octets = decodeQuotedPrintable(octets);
    const QByteArray charset = property.params.value("CHARSET");
    std::optional<QString> decoded = decodeCharset(octets, charset);
    if (!decoded && charset.isEmpty()) {
        // 2.1 cards from the Windows era carry their own code page unnamed.
        if (m_fallback)
            return TextDecoding::decodeWindows1251(octets);
        *notText = true;
        return std::nullopt;
    }
    if (!decoded) {
        *notText = !isUtf8(octets) && charset.isEmpty();
        return std::nullopt;
    }
    return decoded;
}

std::optional<Contact> CardReader::read(QString* label, QString* reason, bool* notText,
                                        Sources* sources) const
{
    Sources found;
    Contact contact;
    QStringList phones;
    QStringList mails;
    QString formatted;
    QStringList structured;
    QString organisation;
    bool haveBirthday = false;
    bool remind = false;
    for (int index = 0; index < m_raw.properties.size(); ++index) {
        const Property& property = m_raw.properties[index];
        const QByteArray& name = property.name;
        static const QList<QByteArray> kUsed = {"N",    "FN",         "TEL",  "EMAIL", "IMPP",   "X-ICQ",
                                                "BDAY", "CATEGORIES", "NOTE", "ORG",   "VERSION"};
        if (!kUsed.contains(name) && name != VCard::kRemindProperty)
            continue;
        bool badText = false;
        const std::optional<QString> value = text(property, &badText);
        if (!value) {
            if (badText) {
                *notText = true;
                *reason = QStringLiteral("строка %1 не в кодировке UTF-8").arg(property.line);
            } else {
                *reason = QStringLiteral("строка %1: неизвестная кодировка «%2»")
                              .arg(property.line)
                              .arg(QString::fromLatin1(property.params.value("CHARSET")));
            }
            return std::nullopt;
        }
        if (name == "VERSION") {
            const QString version = value->trimmed();
            if (version != QLatin1String("2.1") && version != QLatin1String("3.0") &&
                version != QLatin1String("4.0")) {
                *reason = QStringLiteral("неизвестная версия vCard «%1»").arg(version);
                return std::nullopt;
            }
        } else if (name == "N") {
            structured = splitEscaped(*value, QLatin1Char(';'));
            found.n = index;
        } else if (name == "FN") {
            formatted = oneLine(unescape(*value));
            found.fn = index;
        } else if (name == "ORG") {
            organisation = oneLine(unescape(splitEscaped(*value, QLatin1Char(';')).value(0)));
        } else if (name == "TEL") {
            QString phone = oneLine(unescape(*value));
            if (phone.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
                phone = phone.mid(4);
            if (!phone.isEmpty()) {
                phones.append(phone);
                found.phones.append(index);
            }
        } else if (name == "EMAIL") {
            QString mail = oneLine(unescape(*value));
            if (mail.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
                mail = mail.mid(7);
            if (!mail.isEmpty()) {
                mails.append(mail);
                found.mails.append(index);
            }
        } else if (name == "X-ICQ") {
            found.icqs.append(index);
            if (contact.icq.isEmpty())
                contact.icq = oneLine(unescape(*value));
        } else if (name == "IMPP") {
            const QString address = oneLine(unescape(*value));
            if (isIcqAddress(property, address)) {
                found.icqs.append(index);
                if (contact.icq.isEmpty())
                    contact.icq = address.mid(address.indexOf(QLatin1Char(':')) + 1);
            }
        } else if (name == "BDAY") {
            found.birthdays.append(index);
            if (const std::optional<QDateTime> birthday =
                    readBirthday(unescape(*value), property.params.value("X-APPLE-OMIT-YEAR"))) {
                contact.birthday = *birthday;
                haveBirthday = true;
                found.birthday = index;
            }
        } else if (name == "CATEGORIES") {
            if (contact.category == 0) {
                const QStringList items = splitEscaped(*value, QLatin1Char(','));
                for (int item = 0; item < items.size(); ++item) {
                    const int known = Contacts::categories().indexOf(oneLine(unescape(items[item])));
                    if (known >= 0) {
                        contact.category = known + 1;
                        found.categories = index;
                        found.categoryItem = item;
                        break;
                    }
                }
            }
        } else if (name == "NOTE") {
            contact.comment = oneLine(unescape(*value));
            found.notes.append(index);
        } else if (name == VCard::kRemindProperty) {
            remind = value->trimmed() == QLatin1String("1");
            found.reminds.append(index);
        }
    }

    const auto component = [&structured](int index) {
        QStringList values;
        for (const QString& item : splitEscaped(structured.value(index), QLatin1Char(',')))
            if (!oneLine(unescape(item)).isEmpty())
                values.append(oneLine(unescape(item)));
        return values.join(QLatin1Char(' '));
    };
    contact.surname = component(0);
    contact.name = component(1);
    contact.patronymic = component(2);
    if (contact.surname.isEmpty() && contact.name.isEmpty() && contact.patronymic.isEmpty()) {
        const ContactNames names = VCard::namesFromFormatted(formatted);
        contact.surname = names.surname;
        contact.name = names.name;
        contact.patronymic = names.patronymic;
        if (contact.surname.isEmpty() && contact.name.isEmpty())
            contact.surname = organisation;
    }
    if (!formatted.isEmpty()) {
        *label = formatted;
    } else {
        QStringList parts;
        for (const QString& part : {contact.surname, contact.name, contact.patronymic})
            if (!part.isEmpty())
                parts.append(part);
        *label = parts.join(QLatin1Char(' '));
    }
    if (contact.surname.isEmpty() && contact.name.isEmpty() && contact.patronymic.isEmpty() &&
        phones.isEmpty() && mails.isEmpty()) {
        *reason = QStringLiteral("в карточке нет ни имени, ни телефона, ни адреса");
        return std::nullopt;
    }

    // What does not fit the two phones and the one address goes into the comment.
    contact.phone1 = phones.value(0);
    contact.phone2 = phones.value(1);
    contact.mail = mails.value(0);
    for (int i = 2; i < phones.size(); ++i)
        appendToComment(contact.comment, QStringLiteral("тел. ") + phones[i]);
    for (int i = 1; i < mails.size(); ++i)
        appendToComment(contact.comment, mails[i]);

    // The rules of the contact editor: what it admits, "---" for a name left empty,
    // and the date a new contact starts with.
    for (QString* field : {&contact.name, &contact.surname, &contact.patronymic, &contact.phone1,
                           &contact.phone2, &contact.mail, &contact.icq}) {
        *field = field->left(Contacts::kFieldLength);
    }
    contact.comment = contact.comment.left(Contacts::kCommentLength);
    for (QString* field : {&contact.name, &contact.surname, &contact.patronymic})
        if (field->isEmpty())
            *field = QStringLiteral("---");
    if (!haveBirthday)
        contact.birthday = startingBirthday();
    contact.remind = remind && haveBirthday;
    if (sources)
        *sources = found;
    return contact;
}

} // namespace VCardSyntax

#include "vcard.h"

#include "text_decoding.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

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

// Folds a content line at 75 octets without cutting a UTF-8 sequence.
void appendFolded(QByteArray& out, const QByteArray& line)
{
    constexpr int kLimit = 75;
    int start = 0;
    int room = kLimit;
    while (line.size() - start > room) {
        int end = start + room;
        while (end > start && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
            --end;
        out += line.mid(start, end - start);
        out += "\r\n ";
        start = end;
        room = kLimit - 1; // the leading blank counts
    }
    out += line.mid(start);
    out += "\r\n";
}

void property(QByteArray& out, const char* name, const QString& value)
{
    appendFolded(out, QByteArray(name) + ':' + value.toUtf8());
}

bool isPlaceholder(const QString& text)
{
    return text.isEmpty() || text == QLatin1String("---") || text == QLatin1String("???");
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

struct Property
{
    QByteArray name;                          // upper case, without its group
    QMultiMap<QByteArray, QByteArray> params; // upper-case names; bare 2.1 types under TYPE
    QByteArray value;                         // raw octets
    int line = 0;
};

struct RawCard
{
    int number = 0;
    int line = 0;
    QList<Property> properties;
    QString broken; // why it cannot be read
};

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
    const QList<QByteArray> head = splitParams(line.left(colon));
    Property parsed;
    parsed.line = number;
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
        QByteArray name = (equals < 0 ? QByteArray("TYPE") : param.left(equals)).trimmed().toUpper();
        QByteArray values = equals < 0 ? param : param.mid(equals + 1);
        if (equals < 0 && (values.toUpper() == "QUOTED-PRINTABLE" || values.toUpper() == "BASE64"))
            name = "ENCODING";
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

// Splits at separators that are not escaped; the parts stay escaped.
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

std::optional<QDateTime> readBirthday(QString text)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1String("--"))) // no year: 4.0 and some phones
        text = QStringLiteral("1900") + text.mid(2);
    const int t = text.indexOf(QLatin1Char('T'));
    QString datePart = t < 0 ? text : text.left(t);
    QString timePart = t < 0 ? QString() : text.mid(t + 1);
    datePart.remove(QLatin1Char('-'));
    if (datePart.size() != 8)
        return std::nullopt;
    const QStringView all(datePart);
    const QDate date(digits(all.mid(0, 4)), digits(all.mid(4, 2)), digits(all.mid(6, 2)));
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

bool hasParam(const Property& property, const QByteArray& name, const QByteArray& value)
{
    const auto values = property.params.values(name);
    for (const QByteArray& candidate : values)
        if (candidate.compare(value, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Appends a part to the comment when it still fits the column.
void appendToComment(QString& comment, const QString& part)
{
    const QString joined = comment.isEmpty() ? part : comment + QStringLiteral("; ") + part;
    if (joined.size() <= Contacts::kCommentLength)
        comment = joined;
}

class CardReader
{
public:
    CardReader(const RawCard& raw, bool latin8Fallback) : m_raw(raw), m_fallback(latin8Fallback) {}

    // The contact, or the reason it cannot be read.
    std::optional<Contact> read(QString* label, QString* reason, bool* notText);

private:
    std::optional<QString> text(const Property& property, bool* notText);

    const RawCard& m_raw;
    bool m_fallback;
};

std::optional<QString> CardReader::text(const Property& property, bool* notText)
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

std::optional<Contact> CardReader::read(QString* label, QString* reason, bool* notText)
{
    Contact contact;
    QStringList phones;
    QStringList mails;
    QString formatted;
    QStringList structured;
    QString organisation;
    bool haveBirthday = false;
    bool remind = false;
    for (const Property& property : m_raw.properties) {
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
        } else if (name == "FN") {
            formatted = oneLine(unescape(*value));
        } else if (name == "ORG") {
            organisation = oneLine(unescape(splitEscaped(*value, QLatin1Char(';')).value(0)));
        } else if (name == "TEL") {
            QString phone = oneLine(unescape(*value));
            if (phone.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
                phone = phone.mid(4);
            if (!phone.isEmpty())
                phones.append(phone);
        } else if (name == "EMAIL") {
            QString mail = oneLine(unescape(*value));
            if (mail.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
                mail = mail.mid(7);
            if (!mail.isEmpty())
                mails.append(mail);
        } else if (name == "IMPP" || name == "X-ICQ") {
            const QString address = oneLine(unescape(*value));
            if (name == "X-ICQ" && contact.icq.isEmpty())
                contact.icq = address;
            else if (address.startsWith(QLatin1String("icq:"), Qt::CaseInsensitive) && contact.icq.isEmpty())
                contact.icq = address.mid(4);
        } else if (name == "BDAY") {
            if (const std::optional<QDateTime> birthday = readBirthday(unescape(*value))) {
                contact.birthday = *birthday;
                haveBirthday = true;
            }
        } else if (name == "CATEGORIES") {
            if (contact.category == 0) {
                for (const QString& item : splitEscaped(*value, QLatin1Char(','))) {
                    const int found = Contacts::categories().indexOf(oneLine(unescape(item)));
                    if (found >= 0) {
                        contact.category = found + 1;
                        break;
                    }
                }
            }
        } else if (name == "NOTE") {
            contact.comment = oneLine(unescape(*value));
        } else if (name == VCard::kRemindProperty) {
            remind = value->trimmed() == QLatin1String("1");
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
        contact.birthday = QDate(1980, 1, 1).startOfDay();
    contact.remind = remind && haveBirthday;
    return contact;
}

// The physical lines of the file, unfolded into content lines, each with
// the number of the line it starts on.
QList<QPair<QByteArray, int>> contentLines(const QByteArray& bytes)
{
    QList<QPair<QByteArray, int>> lines;
    int number = 0;
    int start = 0;
    bool softBreak = false;
    while (start <= bytes.size()) {
        int end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArray physical = bytes.mid(start, end - start);
        ++number;
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
        const bool folded = !physical.isEmpty() && (physical[0] == ' ' || physical[0] == '\t');
        if (softBreak && !lines.isEmpty()) {
            // A quoted-printable soft break: the "=" ends the line, the value goes on.
            lines.last().first.chop(1);
            lines.last().first += physical;
        } else if (folded && !lines.isEmpty()) {
            lines.last().first += physical.mid(1);
        } else if (!physical.trimmed().isEmpty()) {
            lines.append({physical, number});
        } else {
            softBreak = false;
            continue;
        }
        const QByteArray& current = lines.last().first;
        softBreak = current.endsWith('=') && current.toUpper().contains("QUOTED-PRINTABLE") &&
                    valueColon(current) >= 0 &&
                    current.left(valueColon(current)).toUpper().contains("QUOTED-PRINTABLE");
    }
    return lines;
}

} // namespace

namespace VCard {

ContactNames namesFromFormatted(const QString& formatted)
{
    const QStringList words = formatted.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    static const QRegularExpression kPatronymic(QStringLiteral("(вич|вна|ична|ич|кызы|оглы)$"),
                                                QRegularExpression::CaseInsensitiveOption);
    const auto patronymic = [](const QString& word) { return kPatronymic.match(word).hasMatch(); };
    if (words.isEmpty())
        return {};
    if (words.size() == 1)
        return {QString(), words[0], QString()};
    if (words.size() == 3 && patronymic(words[1]))
        return {words[2], words[0], words[1]}; // Пётр Ильич Иванов
    if (words.size() == 3 && patronymic(words[2]))
        return {words[0], words[1], words[2]}; // Иванов Пётр Ильич
    // "John Smith", "Anna Maria Schmidt": the given names first, the family name last.
    return {words.last(), words.mid(0, words.size() - 1).join(QLatin1Char(' ')), QString()};
}

QByteArray write(const QList<Contact>& contacts, Version version)
{
    const bool v4 = version == Version::V4;
    QByteArray out;
    out.reserve(contacts.size() * 260);
    for (const Contact& contact : contacts) {
        out += "BEGIN:VCARD\r\n";
        out += v4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
        property(out, "N",
                 escapeText(contact.surname) + QLatin1Char(';') + escapeText(contact.name) +
                     QLatin1Char(';') + escapeText(contact.patronymic) + QLatin1String(";;"));
        property(out, "FN", escapeText(formattedName(contact)));
        const char* phoneType = v4 ? "TEL;VALUE=text;TYPE=voice" : "TEL;TYPE=VOICE";
        if (!contact.phone1.isEmpty())
            property(out, phoneType, escapeText(contact.phone1));
        if (!contact.phone2.isEmpty())
            property(out, phoneType, escapeText(contact.phone2));
        if (!contact.mail.isEmpty())
            property(out, v4 ? "EMAIL" : "EMAIL;TYPE=INTERNET", escapeText(contact.mail));
        if (!contact.icq.isEmpty()) {
            property(out, "IMPP", QStringLiteral("icq:") + contact.icq);
            if (!v4)
                property(out, "X-ICQ", escapeText(contact.icq));
        }
        if (contact.birthday.isValid())
            property(out, "BDAY", birthdayText(contact.birthday, version));
        if (contact.category >= 1 && contact.category <= Contacts::categories().size())
            property(out, "CATEGORIES", escapeText(Contacts::categories().at(contact.category - 1)));
        if (!contact.comment.isEmpty())
            property(out, "NOTE", escapeText(contact.comment));
        property(out, kRemindProperty.constData(),
                 contact.remind ? QStringLiteral("1") : QStringLiteral("0"));
        out += "END:VCARD\r\n";
    }
    return out;
}

ReadResult read(const QByteArray& input)
{
    ReadResult result;
    QByteArray bytes = input;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.mid(3);
    else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        bytes = TextDecoding::decode(bytes).toUtf8();
    if (bytes.trimmed().isEmpty()) {
        result.error = QStringLiteral("Файл пуст.");
        return result;
    }
    if (bytes.contains('\0')) {
        result.error = QStringLiteral("Файл не является файлом vCard: в нём есть двоичные данные.");
        return result;
    }

    const QList<QPair<QByteArray, int>> lines = contentLines(bytes);
    QList<RawCard> raws;
    RawCard* open = nullptr;
    int nested = 0;            // cards embedded in an AGENT property of 2.1
    bool agentPending = false; // the last property was an AGENT with no value of its own
    const auto is = [](const QByteArray& line, const char* marker) {
        const QByteArray trimmed = line.size() < 16 ? line.trimmed() : QByteArray();
        return trimmed.compare(marker, Qt::CaseInsensitive) == 0;
    };
    for (const auto& [line, number] : lines) {
        if (is(line, "BEGIN:VCARD")) {
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
            open->line = number;
            nested = 0;
            continue;
        }
        agentPending = false;
        if (is(line, "END:VCARD")) {
            if (nested > 0)
                --nested;
            else
                open = nullptr;
            continue;
        }
        if (!open || nested > 0 || !open->broken.isEmpty())
            continue; // text between cards is none of ours
        const std::optional<Property> parsed = parseLine(line, number);
        if (!parsed) {
            open->broken = QStringLiteral("строка %1 не читается").arg(number);
            continue;
        }
        agentPending = parsed->name == "AGENT" && parsed->value.trimmed().isEmpty();
        open->properties.append(*parsed);
    }
    if (open && open->broken.isEmpty())
        open->broken = QStringLiteral("карточка не закончена (нет END:VCARD)");
    if (raws.isEmpty()) {
        result.error =
            QStringLiteral("Файл не является файлом vCard: в нём нет ни одной карточки (BEGIN:VCARD).");
        return result;
    }

    for (const RawCard& raw : raws) {
        bool v21 = false;
        for (const Property& property : raw.properties)
            if (property.name == "VERSION" && property.value.trimmed() == "2.1")
                v21 = true;
        QString label;
        QString reason = raw.broken;
        bool notText = false;
        std::optional<Contact> contact;
        CardReader reader(raw, v21);
        if (reason.isEmpty())
            contact = reader.read(&label, &reason, &notText);
        else
            reader.read(&label, &reason, &notText);
        if (notText) {
            // Text that is not UTF-8 where the format requires it: the file is
            // not what it claims to be, and none of it is taken.
            result.cards.clear();
            result.failures.clear();
            result.error = QStringLiteral("Файл не является текстом в кодировке UTF-8 (карточка %1, %2).")
                               .arg(raw.number)
                               .arg(reason);
            return result;
        }
        if (contact && raw.broken.isEmpty())
            result.cards.append({*contact, raw.number});
        else
            result.failures.append({raw.number, raw.line, label, raw.broken.isEmpty() ? reason : raw.broken});
    }
    return result;
}

} // namespace VCard

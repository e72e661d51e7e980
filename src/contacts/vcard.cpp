#include "vcard.h"

#include "text_decoding.h"
#include "vcard_syntax.h"

#include <QRegularExpression>

using namespace VCardSyntax;

namespace {

void property(QByteArray& out, const char* name, const QString& value)
{
    appendFolded(out, QByteArray(name) + ':' + value.toUtf8());
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

    const QList<RawCard> raws = splitCards(bytes);
    if (raws.isEmpty()) {
        result.error =
            QStringLiteral("Файл не является файлом vCard: в нём нет ни одной карточки (BEGIN:VCARD).");
        return result;
    }

    for (const RawCard& raw : raws) {
        QString label;
        QString reason = raw.broken;
        bool notText = false;
        std::optional<Contact> contact;
        CardReader reader(raw, isVersion21(raw));
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

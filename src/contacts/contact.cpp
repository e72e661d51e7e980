#include "contact.h"

namespace {

const QChar kTab = QLatin1Char('\t');

ContactNames fromParts(const QString& text)
{
    const QStringList parts = text.split(kTab);
    return {parts.value(0), parts.value(1), parts.value(2)};
}

// Never hand a null text to the table: it would be stored as NULL and no
// longer equal the empty text of a search or a lookup.
QString stored(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

TableFilter ContactNames::filter() const
{
    TableFilter names;
    names.tests = {{BookFields::kSurname, stored(surname)},
                   {BookFields::kName, stored(name)},
                   {BookFields::kPatronymic, stored(patronymic)}};
    return names;
}

namespace ContactLine {

QString of(const ContactNames& names)
{
    return QLatin1Char(' ') + searchResultOf(names);
}

ContactNames parse(const QString& line)
{
    return fromParts(line.mid(1));
}

QString searchResultOf(const ContactNames& names)
{
    return names.surname + kTab + names.name + kTab + names.patronymic;
}

ContactNames parseSearchResult(const QString& line)
{
    return fromParts(line);
}

} // namespace ContactLine

QVariantMap Contact::toValues() const
{
    return {
        {BookFields::kName, stored(name)},
        {BookFields::kSurname, stored(surname)},
        {BookFields::kPatronymic, stored(patronymic)},
        {BookFields::kPhone1, stored(phone1)},
        {BookFields::kPhone2, stored(phone2)},
        {BookFields::kMail, stored(mail)},
        {BookFields::kIcq, stored(icq)},
        {BookFields::kCategory, category},
        {BookFields::kComment, stored(comment)},
        {BookFields::kRemind, remind},
        {BookFields::kBirthday, birthday},
    };
}

Contact Contact::fromRow(const TableObject::Row& row)
{
    Contact contact;
    contact.name = row.value(BookFields::kName).toString();
    contact.surname = row.value(BookFields::kSurname).toString();
    contact.patronymic = row.value(BookFields::kPatronymic).toString();
    contact.phone1 = row.value(BookFields::kPhone1).toString();
    contact.phone2 = row.value(BookFields::kPhone2).toString();
    contact.mail = row.value(BookFields::kMail).toString();
    contact.icq = row.value(BookFields::kIcq).toString();
    contact.category = row.value(BookFields::kCategory).toInt();
    contact.comment = row.value(BookFields::kComment).toString();
    contact.birthday = row.value(BookFields::kBirthday).toDateTime();
    contact.remind = row.value(BookFields::kRemind).toBool();
    return contact;
}

namespace Contacts {

const QStringList& categories()
{
    static const QStringList items = {
        QStringLiteral("Друзья"),       QStringLiteral("Работа"),   QStringLiteral("Семья"),
        QStringLiteral("Родственники"), QStringLiteral("Приятели"), QStringLiteral("Неизвестно"),
        QStringLiteral("Другое"),
    };
    return items;
}

std::optional<QDateTime> readMoment(const QString& text)
{
    const QString trimmed = text.simplified();
    const int blank = trimmed.indexOf(QLatin1Char(' '));
    // Day and month may come with or without their leading zero; the year has four digits.
    const QDate date =
        QDate::fromString(blank < 0 ? trimmed : trimmed.left(blank), QStringLiteral("d.M.yyyy"));
    if (!date.isValid())
        return std::nullopt;
    if (blank < 0)
        return date.startOfDay();
    const QString clock = trimmed.mid(blank + 1);
    QTime time = QTime::fromString(clock, QStringLiteral("H:m:s"));
    if (!time.isValid())
        time = QTime::fromString(clock, QStringLiteral("H:m"));
    if (!time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

} // namespace Contacts

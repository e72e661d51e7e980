#include "birthdays.h"

namespace Birthdays {

namespace {

QDate birthdayIn(int year, const QDate& birthDate)
{
    if (birthDate.month() == 2 && birthDate.day() == 29 && !QDate::isLeapYear(year))
        return QDate(year, 2, 28);
    return QDate(year, birthDate.month(), birthDate.day());
}

} // namespace

int daysUntil(const QDate& birthDate, const QDate& today)
{
    QDate next = birthdayIn(today.year(), birthDate);
    if (next < today)
        next = birthdayIn(today.year() + 1, birthDate);
    return int(today.daysTo(next));
}

bool isDue(const QDate& birthDate, const QDate& today)
{
    if (!birthDate.isValid() || !today.isValid())
        return false;
    return daysUntil(birthDate, today) <= kDaysAhead;
}

QList<Reminder> due(const TableObject& book, const QDate& today)
{
    const QList<TableObject::Row> rows =
        book.select({BookFields::kSurname, BookFields::kName, BookFields::kPatronymic, BookFields::kBirthday},
                    TableFilter(BookFields::kRemind, true));
    QList<Reminder> result;
    for (const TableObject::Row& row : rows) {
        const QDateTime birthday = row.value(BookFields::kBirthday).toDateTime();
        if (!isDue(birthday.date(), today))
            continue;
        result.append({{row.value(BookFields::kSurname).toString(), row.value(BookFields::kName).toString(),
                        row.value(BookFields::kPatronymic).toString()},
                       birthday});
    }
    return result;
}

} // namespace Birthdays

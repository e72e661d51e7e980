#pragma once

#include "contact.h"
#include "table_object.h"

#include <QDate>
#include <QList>

// Which contacts to remind of their birthday at start-up.
namespace Birthdays {

// Reminders look this many days ahead, today included as day 0.
inline constexpr int kDaysAhead = 7;

// Days from today to the next birthday: this year's, or next year's once this
// year's has passed. 29 February falls on 28 February in a year without it.
int daysUntil(const QDate& birthDate, const QDate& today);
bool isDue(const QDate& birthDate, const QDate& today);

struct Reminder
{
    ContactNames names;
    QDateTime birthday;
};

// The contacts that asked for a reminder and whose birthday is due, in the
// table's order. A row without a readable date of birth is passed over.
QList<Reminder> due(const TableObject& book, const QDate& today);

} // namespace Birthdays

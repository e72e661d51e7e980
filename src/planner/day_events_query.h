#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class ProfileDatabase;

// What falls on one day: the reminders in time order, then the tasks in time
// order. Only the day's rows are read, through the index on the date.
struct DayItem
{
    enum class Kind { Reminder, Task };
    Kind kind = Kind::Reminder;
    qint64 key = 0;
    QString name; // the reminder's text or the task's command
    QDateTime moment;
};

namespace DayEventsQuery {

inline const QString kReminder = QStringLiteral("Напоминание");
inline const QString kTask = QStringLiteral("Задача");

QString kindName(DayItem::Kind kind);
QList<DayItem> itemsOf(const ProfileDatabase& database, const QDate& day);

// The first row of the whole table, in its date order, with exactly that
// text (reminders) or name (tasks).
std::optional<qint64> firstReminder(const ProfileDatabase& database, const QString& text);
std::optional<qint64> firstTask(const ProfileDatabase& database, const QString& name);

} // namespace DayEventsQuery

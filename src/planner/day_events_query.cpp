#include "day_events_query.h"

#include "profile_database.h"
#include "read_failure.h"

#include <QSqlError>
#include <QSqlQuery>

namespace DayEventsQuery {

namespace {

const QString kDate = QStringLiteral("Дата");

// Dates are stored as ISO text, so the rows of a day are those whose text
// lies between the day's date and the next day's date.
void appendDay(const TableObject& table, const QString& nameField, DayItem::Kind kind, const QDate& day,
               QList<DayItem>& items)
{
    QSqlQuery statement(table.database());
    statement.setForwardOnly(true);
    const QString key = quoteIdentifier(table.keyField());
    const QString date = quoteIdentifier(kDate);
    statement.prepare(QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %3 >= ? AND %3 < ? ORDER BY %3, %1")
                          .arg(key, quoteIdentifier(nameField), date, quoteIdentifier(table.tableName())));
    statement.addBindValue(day.toString(Qt::ISODate));
    statement.addBindValue(day.addDays(1).toString(Qt::ISODate));
    if (!statement.exec())
        throw ReadFailure::ofTable(table.tableName(), statement.lastError().text());
    while (statement.next()) {
        DayItem item;
        item.kind = kind;
        item.key = statement.value(0).toLongLong();
        item.name = statement.value(1).toString();
        item.moment = TableObject::dateTimeFromText(statement.value(2).toString());
        items.append(item);
    }
}

std::optional<qint64> firstWith(const TableObject& table, const QString& field, const QString& value)
{
    const auto row = table.first(TableFilter(field, value));
    if (!row)
        return std::nullopt;
    return row->key;
}

} // namespace

QString kindName(DayItem::Kind kind)
{
    return kind == DayItem::Kind::Reminder ? kReminder : kTask;
}

QList<DayItem> itemsOf(const ProfileDatabase& database, const QDate& day)
{
    QList<DayItem> items;
    if (!day.isValid())
        return items;
    appendDay(database.EventsTable, QStringLiteral("Текст"), DayItem::Kind::Reminder, day, items);
    appendDay(database.TasksTable, QStringLiteral("Название"), DayItem::Kind::Task, day, items);
    return items;
}

std::optional<qint64> firstReminder(const ProfileDatabase& database, const QString& text)
{
    return firstWith(database.EventsTable, QStringLiteral("Текст"), text);
}

std::optional<qint64> firstTask(const ProfileDatabase& database, const QString& name)
{
    return firstWith(database.TasksTable, QStringLiteral("Название"), name);
}

} // namespace DayEventsQuery

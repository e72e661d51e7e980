#include "due_items.h"

#include "planner_rules.h"
#include "profile_database.h"
#include "read_failure.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString kText = QStringLiteral("Текст");
const QString kDate = QStringLiteral("Дата");
const QString kName = QStringLiteral("Название");
const QString kFile = QStringLiteral("Имя файла");

DueItems::Reminder reminderOf(const TableObject::Row& row)
{
    return {row.key, row.value(kText).toString(), row.value(kDate).toDateTime()};
}

DueItems::Task taskOf(const TableObject::Row& row)
{
    return {row.key, row.value(kName).toString(), row.value(kFile).toString(), row.value(kDate).toDateTime()};
}

template <typename Item, typename Make>
std::optional<Item> itemOf(const std::optional<TableObject::Row>& row, Make make)
{
    if (!row)
        return std::nullopt;
    return make(*row);
}

} // namespace

DueItems::DueItems(ProfileDatabase& database) : m_database(database) {}

std::optional<DueItems::Reminder> DueItems::earliestReminder() const
{
    return itemOf<Reminder>(m_database.EventsTable.first(), reminderOf);
}

std::optional<DueItems::Task> DueItems::earliestTask() const
{
    return itemOf<Task>(m_database.TasksTable.first(), taskOf);
}

std::optional<DueItems::Reminder> DueItems::reminder(qint64 key) const
{
    return itemOf<Reminder>(m_database.EventsTable.byKey(key), reminderOf);
}

std::optional<DueItems::Task> DueItems::task(qint64 key) const
{
    return itemOf<Task>(m_database.TasksTable.byKey(key), taskOf);
}

QList<qint64> DueItems::dueKeys(const TableObject& table, const QDateTime& now) const
{
    // Two reads along the index on the moment: the rows without a moment,
    // which count as due and sort first, then those up to now. Stored moments
    // are ISO text, so text order is time order.
    const QString key = quoteIdentifier(table.keyField());
    const QString date = quoteIdentifier(kDate);
    const QString from = quoteIdentifier(table.tableName());
    QList<qint64> keys;
    for (const bool undated : {true, false}) {
        QSqlQuery statement(table.database());
        statement.setForwardOnly(true);
        statement.prepare(
            undated ? QStringLiteral("SELECT %1 FROM %2 WHERE %3 IS NULL ORDER BY %1").arg(key, from, date)
                    : QStringLiteral("SELECT %1 FROM %2 WHERE %3 <= ? ORDER BY %3, %1").arg(key, from, date));
        if (!undated)
            statement.addBindValue(TableObject::dateTimeToText(now));
        if (!statement.exec())
            throw ReadFailure::ofTable(table.tableName(), statement.lastError().text());
        while (statement.next())
            keys.append(statement.value(0).toLongLong());
    }
    return keys;
}

QList<qint64> DueItems::dueReminders(const QDateTime& now) const
{
    return dueKeys(m_database.EventsTable, now);
}

QList<qint64> DueItems::dueTasks(const QDateTime& now) const
{
    return dueKeys(m_database.TasksTable, now);
}

DueItems::Written DueItems::write(TableObject& table, qint64 key, const QVariantMap& values, QString* error)
{
    if (table.update(key, values, error))
        return Written::Done;
    return table.byKey(key) ? Written::Failed : Written::Gone;
}

bool DueItems::addReminder(const QString& text, const QDateTime& moment, qint64* key, QString* error)
{
    return m_database.EventsTable.insert(
        {{kText, PlannerRules::cutToColumn(text, PlannerRules::kTextLength)}, {kDate, moment}}, key, error);
}

DueItems::Written DueItems::changeReminder(qint64 key, const QString& text, const QDateTime& moment,
                                           QString* error)
{
    return write(m_database.EventsTable, key,
                 {{kText, PlannerRules::cutToColumn(text, PlannerRules::kTextLength)}, {kDate, moment}},
                 error);
}

DueItems::Written DueItems::postponeReminder(qint64 key, const QDateTime& moment, QString* error)
{
    return write(m_database.EventsTable, key, {{kDate, moment}}, error);
}

bool DueItems::removeReminder(qint64 key, QString* error)
{
    return m_database.EventsTable.remove(key, error);
}

bool DueItems::addTask(const QString& command, const QDateTime& moment, qint64* key, QString* error)
{
    const PlannerRules::TaskFields fields = PlannerRules::taskFields(command);
    return m_database.TasksTable.insert({{kName, fields.name}, {kFile, fields.file}, {kDate, moment}}, key,
                                        error);
}

DueItems::Written DueItems::changeTask(qint64 key, const QString& command, const QDateTime& moment,
                                       QString* error)
{
    const PlannerRules::TaskFields fields = PlannerRules::taskFields(command);
    return write(m_database.TasksTable, key, {{kName, fields.name}, {kFile, fields.file}, {kDate, moment}},
                 error);
}

DueItems::Written DueItems::renameTask(qint64 key, const QString& name, QString* error)
{
    return write(m_database.TasksTable, key, {{kName, name.left(PlannerRules::kTaskNameLength)}}, error);
}

DueItems::Written DueItems::redateTask(qint64 key, const QDateTime& moment, QString* error)
{
    return write(m_database.TasksTable, key, {{kDate, moment}}, error);
}

bool DueItems::removeTask(qint64 key, QString* error)
{
    return m_database.TasksTable.remove(key, error);
}

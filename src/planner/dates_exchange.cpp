#include "dates_exchange.h"

#include "contact.h"
#include "due_items.h"
#include "exchange_file.h"
#include "planner_rules.h"
#include "profile_database.h"

namespace {

QString personOf(const Contact& contact)
{
    QStringList parts;
    for (const QString& part : {contact.surname, contact.name, contact.patronymic}) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty() && trimmed != QLatin1String("---") && trimmed != QLatin1String("???"))
            parts.append(trimmed);
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

namespace DatesExchange {

bool exportFile(ProfileDatabase& database, const QString& path, const QDateTime& now, QString* error,
                const QTimeZone& zone, Counts* counts)
{
    QList<ICalendarFile::Reminder> reminders;
    for (const TableObject::Row& row : database.EventsTable.rows())
        reminders.append({row.key,
                          row.value(QStringLiteral("Текст")).toString(),
                          row.value(QStringLiteral("Дата")).toDateTime(),
                          {}});
    QList<ICalendarFile::Task> tasks;
    for (const TableObject::Row& row : database.TasksTable.rows())
        tasks.append({row.key, row.value(QStringLiteral("Название")).toString(),
                      row.value(QStringLiteral("Имя файла")).toString(),
                      row.value(QStringLiteral("Дата")).toDateTime()});
    QList<ICalendarFile::Birthday> birthdays;
    for (const TableObject::Row& row : database.BookTable.rows(TableFilter(BookFields::kRemind, true))) {
        const Contact contact = Contact::fromRow(row);
        if (contact.birthday.isValid())
            birthdays.append({row.key, personOf(contact), contact.birthday.date()});
    }
    // Rows whose moment does not read cannot be dated in another calendar.
    reminders.removeIf([](const ICalendarFile::Reminder& item) { return !item.moment.isValid(); });
    tasks.removeIf([](const ICalendarFile::Task& item) { return !item.moment.isValid(); });
    if (counts)
        *counts = {int(reminders.size()), int(tasks.size()), int(birthdays.size())};
    QByteArray bytes;
    if (!ICalendarFile::write(reminders, tasks, birthdays, zone, now, &bytes, error))
        return false;
    return ExchangeFile::writeWhole(path, bytes, error);
}

ICalendarFile::ReadResult readFile(const QString& path, const QDateTime& now)
{
    QByteArray bytes;
    ICalendarFile::ReadResult result;
    if (!ExchangeFile::readWhole(path, &bytes, &result.error))
        return result;
    return ICalendarFile::read(bytes, now);
}

bool addReminders(ProfileDatabase& database, const QList<ICalendarFile::Found>& chosen, QString* error)
{
    Transaction transaction(database.BigBd());
    if (!transaction.isActive()) {
        *error = QStringLiteral("Не удалось начать запись напоминаний.");
        return false;
    }
    QList<QVariantMap> rows;
    rows.reserve(chosen.size());
    for (const ICalendarFile::Found& item : chosen)
        rows.append({{QStringLiteral("Текст"), item.text.left(PlannerRules::kTextLength)},
                     {QStringLiteral("Дата"), item.moment}});
    QString failure;
    if (!database.EventsTable.insertMany(rows, &failure)) {
        *error = QStringLiteral("Не удалось записать напоминания: %1").arg(failure);
        return false; // the transaction rolls back
    }
    if (!transaction.commit()) {
        *error = QStringLiteral("Не удалось сохранить напоминания.");
        return false;
    }
    return true;
}

QString skippedText(const QList<ICalendarFile::Skipped>& skipped)
{
    QStringList lines;
    for (const ICalendarFile::Skipped& item : skipped)
        lines.append(QStringLiteral("«%1»: %2").arg(item.label, item.reason));
    return lines.join(QLatin1Char('\n'));
}

} // namespace DatesExchange

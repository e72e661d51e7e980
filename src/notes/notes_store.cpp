#include "notes_store.h"

#include "date_formats.h"
#include "profile_database.h"
#include "read_failure.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString kName = QStringLiteral("Название");
const QString kText = QStringLiteral("Содержание");
const QString kDayNotePrefix = QStringLiteral("#!");

} // namespace

NotesStore::NotesStore(ProfileDatabase& database) : m_table(database.MarksTable) {}

bool NotesStore::isDayNoteName(const QString& name)
{
    return name.startsWith(kDayNotePrefix);
}

QString NotesStore::dayNoteName(const QDate& date)
{
    return kDayNotePrefix + DateFormats::shortDate(date);
}

QString NotesStore::toDisplayLines(const QString& text)
{
    // Notes written elsewhere may break lines with CR LF, LF or CR alone.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

QString NotesStore::toStoredLines(const QString& text)
{
    QString lines = toDisplayLines(text);
    lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return lines;
}

QList<NotesStore::Entry> NotesStore::listed() const
{
    QSqlQuery statement(m_table.database());
    statement.setForwardOnly(true);
    const QString key = quoteIdentifier(m_table.keyField());
    statement.prepare(QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1")
                          .arg(key, quoteIdentifier(kName), quoteIdentifier(m_table.tableName())));
    QList<Entry> entries;
    if (!statement.exec())
        throw ReadFailure::ofTable(m_table.tableName(), statement.lastError().text());
    while (statement.next()) {
        QString name = statement.value(1).toString();
        if (isDayNoteName(name))
            continue;
        entries.append({statement.value(0).toLongLong(), std::move(name)});
    }
    return entries;
}

std::optional<qint64> NotesStore::firstNamed(const QString& name) const
{
    const auto row = m_table.first(TableFilter(kName, name));
    if (!row)
        return std::nullopt;
    return row->key;
}

bool NotesStore::nameTaken(const QString& name, qint64 exceptKey) const
{
    for (const TableObject::Row& row : m_table.rows(TableFilter(kName, name)))
        if (row.key != exceptKey)
            return true;
    return false;
}

QString NotesStore::textOf(qint64 key) const
{
    const auto row = m_table.byKey(key);
    return row ? row->value(kText).toString() : QString();
}

bool NotesStore::add(const QString& name, const QString& text, qint64* newKey, QString* error)
{
    return m_table.insert({{kName, name}, {kText, text}}, newKey, error);
}

bool NotesStore::replace(qint64 key, const QString& name, const QString& text, qint64* newKey, QString* error)
{
    return rewrite(key, name, text, newKey, error);
}

bool NotesStore::remove(qint64 key, QString* error)
{
    return m_table.remove(key, error);
}

std::optional<QString> NotesStore::dayNote(const QDate& date) const
{
    const auto row = m_table.first(TableFilter(kName, dayNoteName(date)));
    if (!row)
        return std::nullopt;
    return row->value(kText).toString();
}

bool NotesStore::writeDayNote(const QDate& date, const QString& text, QString* error)
{
    const QString name = dayNoteName(date);
    return rewrite(firstNamed(name), name, text, nullptr, error);
}

QSet<QDate> NotesStore::dayNoteDates(const QDate& from, const QDate& to) const
{
    QSet<QDate> dates;
    if (!from.isValid() || !to.isValid() || from > to || from.daysTo(to) > 366)
        return dates;
    QStringList marks;
    QStringList names;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        marks.append(QStringLiteral("?"));
        names.append(dayNoteName(day));
    }
    QSqlQuery statement(m_table.database());
    statement.setForwardOnly(true);
    statement.prepare(QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IN (%3)")
                          .arg(quoteIdentifier(kName), quoteIdentifier(m_table.tableName()),
                               marks.join(QLatin1String(", "))));
    for (const QString& name : std::as_const(names))
        statement.addBindValue(name);
    if (!statement.exec())
        throw ReadFailure::ofTable(m_table.tableName(), statement.lastError().text());
    while (statement.next())
        dates.insert(DateFormats::parseShortDate(statement.value(0).toString().mid(kDayNotePrefix.size())));
    return dates;
}

bool NotesStore::rewrite(std::optional<qint64> oldKey, const QString& name, const QString& text,
                         qint64* newKey, QString* error)
{
    Transaction transaction(m_table.database());
    if (!transaction.isActive()) {
        if (error)
            *error = m_table.database().lastError().text();
        return false;
    }
    if (oldKey && !m_table.remove(*oldKey, error))
        return false;
    if (!m_table.insert({{kName, name}, {kText, text}}, newKey, error))
        return false;
    if (!transaction.commit()) {
        if (error)
            *error = m_table.database().lastError().text();
        // A commit that did not go through must not leave the removal pending.
        m_table.database().rollback();
        return false;
    }
    return true;
}

#include "table_object.h"

#include "read_failure.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

QString quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

TableObject::TableObject(QString objectName, QString tableName, QList<Field> fields, QString orderField)
    : m_objectName(std::move(objectName)), m_tableName(std::move(tableName)), m_fields(std::move(fields)),
      m_orderField(std::move(orderField))
{
}

const TableObject::Field* TableObject::field(const QString& name) const
{
    for (const Field& candidate : m_fields)
        if (candidate.name == name || candidate.object == name)
            return &candidate;
    return nullptr;
}

QString TableObject::keyField() const
{
    for (const Field& candidate : m_fields)
        if (candidate.type == FieldType::AutoInc)
            return candidate.name;
    return QStringLiteral("rowid");
}

bool TableObject::open(QString* error)
{
    QSqlQuery query(m_database);
    if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(m_tableName)))) {
        if (error)
            *error = query.lastError().text();
        return false;
    }
    QStringList present;
    while (query.next())
        present.append(query.value(1).toString());
    for (const Field& expected : m_fields) {
        if (!present.contains(expected.name)) {
            if (error)
                *error = QStringLiteral("table %1 has no field %2").arg(m_tableName, expected.name);
            return false;
        }
    }
    return true;
}

QString TableObject::selectList(const QList<const Field*>& fields) const
{
    QStringList names{quoteIdentifier(keyField())};
    for (const Field* item : fields)
        if (item->type != FieldType::AutoInc)
            names.append(quoteIdentifier(item->name));
    return names.join(QLatin1String(", "));
}

QString TableObject::orderClause() const
{
    // Ties keep insertion order, as the rows were added.
    const QString key = quoteIdentifier(keyField());
    if (m_orderField.isEmpty())
        return QStringLiteral(" ORDER BY %1").arg(key);
    return QStringLiteral(" ORDER BY %1, %2").arg(quoteIdentifier(m_orderField), key);
}

QString TableObject::whereClause(const Filter& filter) const
{
    if (filter.tests.isEmpty())
        return {};
    QStringList tests;
    for (const auto& test : filter.tests)
        tests.append(quoteIdentifier(test.first) + QLatin1String(" = ?"));
    return QLatin1String(" WHERE ") +
           tests.join(filter.join == Filter::Join::And ? QLatin1String(" AND ") : QLatin1String(" OR "));
}

QVariant TableObject::toStored(const Field& item, const QVariant& value) const
{
    if (value.isNull() && item.type != FieldType::Boolean)
        return QVariant();
    switch (item.type) {
    case FieldType::DateTime:
        if (value.typeId() == QMetaType::QDateTime)
            return dateTimeToText(value.toDateTime());
        if (value.typeId() == QMetaType::QDate)
            return dateTimeToText(value.toDate().startOfDay());
        return value.toString();
    case FieldType::Boolean:
        return value.toBool() ? 1 : 0;
    case FieldType::Integer:
    case FieldType::Word:
    case FieldType::AutoInc:
        return value.toLongLong();
    case FieldType::Text:
    case FieldType::Memo:
        return value.toString();
    }
    return value;
}

QVariant TableObject::fromStored(const Field& item, const QVariant& value) const
{
    switch (item.type) {
    case FieldType::DateTime:
        return value.isNull() ? QVariant(QDateTime()) : QVariant(dateTimeFromText(value.toString()));
    case FieldType::Boolean:
        return value.toLongLong() != 0;
    case FieldType::Integer:
    case FieldType::Word:
    case FieldType::AutoInc:
        return value.isNull() ? QVariant(0) : QVariant(value.toInt());
    case FieldType::Text:
    case FieldType::Memo:
        return value.isNull() ? QString() : value.toString();
    }
    return value;
}

QList<TableObject::Row> TableObject::query(const QString& where, const QVariantList& bound, int limit,
                                           int offset, QList<const Field*> fields) const
{
    if (fields.isEmpty())
        for (const Field& item : m_fields)
            fields.append(&item);
    QString text = QStringLiteral("SELECT %1 FROM %2%3%4")
                       .arg(selectList(fields), quoteIdentifier(m_tableName), where, orderClause());
    const bool limited = limit >= 0 || offset > 0;
    if (limited)
        text += QStringLiteral(" LIMIT ? OFFSET ?");
    QSqlQuery statement(m_database);
    statement.setForwardOnly(true);
    statement.prepare(text);
    for (const QVariant& value : bound)
        statement.addBindValue(value);
    // Rows reached by position bind their place as well.
    if (limited) {
        statement.addBindValue(limit);
        statement.addBindValue(offset);
    }
    QList<Row> result;
    if (!statement.exec())
        throw ReadFailure::ofTable(m_tableName, statement.lastError().text());
    while (statement.next()) {
        Row row;
        row.key = statement.value(0).toLongLong();
        int column = 1;
        for (const Field* item : fields) {
            if (item->type == FieldType::AutoInc)
                row.values.insert(item->name, row.key);
            else
                row.values.insert(item->name, fromStored(*item, statement.value(column++)));
        }
        result.append(row);
    }
    // A damaged page may end the rows early: that is no end of the table.
    if (statement.lastError().isValid())
        throw ReadFailure::ofTable(m_tableName, statement.lastError().text());
    return result;
}

int TableObject::count(const Filter& filter) const
{
    QSqlQuery statement(m_database);
    statement.prepare(
        QStringLiteral("SELECT COUNT(*) FROM %1%2").arg(quoteIdentifier(m_tableName), whereClause(filter)));
    for (const QVariant& value : boundValues(filter))
        statement.addBindValue(value);
    if (!statement.exec() || !statement.next())
        throw ReadFailure::ofTable(m_tableName, statement.lastError().text());
    return statement.value(0).toInt();
}

QVariantList TableObject::boundValues(const Filter& filter) const
{
    QVariantList bound;
    for (const auto& test : filter.tests) {
        const Field* item = field(test.first);
        bound.append(item ? toStored(*item, test.second) : test.second);
    }
    return bound;
}

QList<TableObject::Row> TableObject::rows(const Filter& filter, int limit) const
{
    return query(whereClause(filter), boundValues(filter), limit);
}

QList<TableObject::Row> TableObject::select(const QStringList& fieldNames, const Filter& filter) const
{
    QList<const Field*> fields;
    for (const QString& name : fieldNames)
        if (const Field* item = field(name))
            fields.append(item);
    if (fields.isEmpty())
        return {};
    return query(whereClause(filter), boundValues(filter), -1, 0, fields);
}

std::optional<TableObject::Row> TableObject::first(const Filter& filter) const
{
    const QList<Row> found = rows(filter, 1);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

std::optional<TableObject::Row> TableObject::byKey(qint64 key) const
{
    const QList<Row> found =
        query(QStringLiteral(" WHERE %1 = ?").arg(quoteIdentifier(keyField())), {key}, 1);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

std::optional<TableObject::Row> TableObject::at(int position) const
{
    if (position < 0)
        return std::nullopt;
    const QList<Row> found = query({}, {}, 1, position);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

bool TableObject::insert(const QVariantMap& values, qint64* newKey, QString* error)
{
    QStringList names;
    QStringList marks;
    QVariantList bound;
    for (const Field& item : m_fields) {
        if (item.type == FieldType::AutoInc || !values.contains(item.name))
            continue;
        names.append(quoteIdentifier(item.name));
        marks.append(QStringLiteral("?"));
        bound.append(toStored(item, values.value(item.name)));
    }
    QSqlQuery statement(m_database);
    const QString text =
        names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(m_tableName))
                        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(quoteIdentifier(m_tableName), names.join(QLatin1String(", ")),
                                   marks.join(QLatin1String(", ")));
    statement.prepare(text);
    for (const QVariant& value : bound)
        statement.addBindValue(value);
    if (!statement.exec()) {
        if (error)
            *error = statement.lastError().text();
        return false;
    }
    if (newKey)
        *newKey = statement.lastInsertId().toLongLong();
    return true;
}

bool TableObject::insertMany(const QList<QVariantMap>& rows, QString* error)
{
    if (rows.isEmpty())
        return true;
    QList<const Field*> fields;
    QStringList names;
    QStringList marks;
    for (const Field& item : m_fields) {
        if (item.type == FieldType::AutoInc || !rows.first().contains(item.name))
            continue;
        fields.append(&item);
        names.append(quoteIdentifier(item.name));
        marks.append(QStringLiteral("?"));
    }
    if (fields.isEmpty()) {
        for (const QVariantMap& row : rows)
            if (!insert(row, nullptr, error))
                return false;
        return true;
    }
    QSqlQuery statement(m_database);
    if (!statement.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(quoteIdentifier(m_tableName), names.join(QLatin1String(", ")),
                                    marks.join(QLatin1String(", "))))) {
        if (error)
            *error = statement.lastError().text();
        return false;
    }
    for (const QVariantMap& row : rows) {
        for (int i = 0; i < fields.size(); ++i)
            statement.bindValue(i, toStored(*fields[i], row.value(fields[i]->name)));
        if (!statement.exec()) {
            if (error)
                *error = statement.lastError().text();
            return false;
        }
    }
    return true;
}

bool TableObject::update(qint64 key, const QVariantMap& values, QString* error)
{
    QStringList sets;
    QVariantList bound;
    for (const Field& item : m_fields) {
        if (item.type == FieldType::AutoInc || !values.contains(item.name))
            continue;
        sets.append(quoteIdentifier(item.name) + QLatin1String(" = ?"));
        bound.append(toStored(item, values.value(item.name)));
    }
    if (sets.isEmpty())
        return true;
    QSqlQuery statement(m_database);
    statement.prepare(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
            .arg(quoteIdentifier(m_tableName), sets.join(QLatin1String(", ")), quoteIdentifier(keyField())));
    for (const QVariant& value : bound)
        statement.addBindValue(value);
    statement.addBindValue(key);
    if (!statement.exec()) {
        if (error)
            *error = statement.lastError().text();
        return false;
    }
    if (statement.numRowsAffected() != 1) {
        if (error)
            *error = QStringLiteral("row %1 of %2 is gone").arg(key).arg(m_tableName);
        return false;
    }
    return true;
}

bool TableObject::remove(qint64 key, QString* error)
{
    QSqlQuery statement(m_database);
    statement.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                          .arg(quoteIdentifier(m_tableName), quoteIdentifier(keyField())));
    statement.addBindValue(key);
    if (!statement.exec()) {
        if (error)
            *error = statement.lastError().text();
        return false;
    }
    return true;
}

QString TableObject::dateTimeToText(const QDateTime& moment)
{
    return moment.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QDateTime TableObject::dateTimeFromText(const QString& text)
{
    // The stored form is ISO 8601, which Qt reads ten times faster than
    // through a format string: it matters for long tables.
    QDateTime moment = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!moment.isValid())
        moment = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    return moment;
}

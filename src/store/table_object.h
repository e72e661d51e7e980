#pragma once

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>

// Equality tests of whole field values joined with "and" or "or".
struct TableFilter
{
    enum class Join { And, Or };
    QList<QPair<QString, QVariant>> tests;
    Join join = Join::And;
    TableFilter() = default;
    TableFilter(QString field, QVariant value) { tests.append({std::move(field), std::move(value)}); }
};

// One table of the profile database as the program sees it: a fixed list of
// fields under their stored names, an optional key and an optional order.
// Every statement binds its values; nothing typed by the user is ever part
// of the SQL text.
class TableObject
{
public:
    enum class FieldType { AutoInc, Text, Memo, DateTime, Boolean, Integer, Word };

    struct Field
    {
        QString object; // the program's name for the field, e.g. RecName
        QString name;   // the stored name, e.g. Имя
        FieldType type;
        int length = 0; // characters, for Text
    };

    // A row: the values by stored field name, dates as QDateTime, yes/no as bool.
    struct Row
    {
        qint64 key = 0; // the AutoInc field, or the row id of a table without one
        QVariantMap values;
        QVariant value(const QString& field) const { return values.value(field); }
    };

    using Filter = TableFilter;

    TableObject(QString objectName, QString tableName, QList<Field> fields, QString orderField = {});

    void attach(const QSqlDatabase& database) { m_database = database; }
    QSqlDatabase database() const { return m_database; }
    const QString& objectName() const { return m_objectName; }
    const QString& tableName() const { return m_tableName; }
    const QList<Field>& fields() const { return m_fields; }
    const Field* field(const QString& name) const;
    QString keyField() const;

    // Checks that the table is there with every field; the "open" of the table.
    bool open(QString* error);

    int count(const Filter& filter = {}) const;
    QList<Row> rows(const Filter& filter = {}, int limit = -1) const;
    std::optional<Row> first(const Filter& filter = {}) const;
    std::optional<Row> byKey(qint64 key) const;
    std::optional<Row> at(int position) const; // 0-based, in the table's order
    // Like rows(), reading only the named fields: for lists of many rows.
    QList<Row> select(const QStringList& fieldNames, const Filter& filter = {}) const;

    bool insert(const QVariantMap& values, qint64* newKey = nullptr, QString* error = nullptr);
    // Many rows with the fields of the first, through one prepared statement:
    // for imports, inside the caller's transaction.
    bool insertMany(const QList<QVariantMap>& rows, QString* error = nullptr);
    // False with an error when the row is gone.
    bool update(qint64 key, const QVariantMap& values, QString* error = nullptr);
    bool remove(qint64 key, QString* error = nullptr);

    // Date-times are stored as local ISO-8601 text with milliseconds, so that
    // text order is time order.
    static QString dateTimeToText(const QDateTime& moment);
    static QDateTime dateTimeFromText(const QString& text);

private:
    QString selectList(const QList<const Field*>& fields) const;
    QString orderClause() const;
    QString whereClause(const Filter& filter) const;
    QVariant toStored(const Field& field, const QVariant& value) const;
    QVariant fromStored(const Field& field, const QVariant& value) const;
    // Every field, or only the ones given.
    QList<Row> query(const QString& where, const QVariantList& bound, int limit, int offset = 0,
                     QList<const Field*> fields = {}) const;
    QVariantList boundValues(const Filter& filter) const;

    QString m_objectName;
    QString m_tableName;
    QList<Field> m_fields;
    QString m_orderField;
    QSqlDatabase m_database;
};

QString quoteIdentifier(const QString& name);

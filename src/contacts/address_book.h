#pragma once

#include "contact.h"
#include "table_object.h"

#include <QStringList>
#include <optional>

// The address book's rows as the contact operations use them; every test of
// a value is a bound parameter, so quotes in a name are ordinary characters.
class AddressBook
{
public:
    explicit AddressBook(TableObject& table) : m_table(table) {}

    // The contact line of every row, in the table's order.
    QStringList contactLines() const;
    // The first row, in the table's order, with exactly these names.
    std::optional<TableObject::Row> find(const ContactNames& names) const;
    // Exact comparison: names that differ only in letter case are different.
    bool contains(const ContactNames& names) const;
    int count() const { return m_table.count(); }
    QList<TableObject::Row> rows() const { return m_table.rows(); }
    TableObject& table() const { return m_table; }

    bool add(const Contact& contact, QString* error = nullptr);
    // Rows of Contact::toValues(), in one statement; inside the caller's transaction.
    bool addAll(const QList<QVariantMap>& rows, QString* error = nullptr)
    {
        return m_table.insertMany(rows, error);
    }
    bool save(qint64 key, const Contact& contact, QString* error = nullptr);
    bool remove(qint64 key, QString* error = nullptr);

    // The names of every row that passes the filter, in the table's order.
    QList<ContactNames> names(const TableFilter& filter = {}) const;

private:
    TableObject& m_table;
};

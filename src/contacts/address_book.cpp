#include "address_book.h"

namespace {
const QStringList kNameFields = {BookFields::kSurname, BookFields::kName, BookFields::kPatronymic};
}

QList<ContactNames> AddressBook::names(const TableFilter& filter) const
{
    const QList<TableObject::Row> rows = m_table.select(kNameFields, filter);
    QList<ContactNames> result;
    result.reserve(rows.size());
    for (const TableObject::Row& row : rows)
        result.append({row.value(BookFields::kSurname).toString(), row.value(BookFields::kName).toString(),
                       row.value(BookFields::kPatronymic).toString()});
    return result;
}

QStringList AddressBook::contactLines() const
{
    QStringList lines;
    const QList<ContactNames> all = names();
    lines.reserve(all.size());
    for (const ContactNames& contact : all)
        lines.append(ContactLine::of(contact));
    return lines;
}

std::optional<TableObject::Row> AddressBook::find(const ContactNames& names) const
{
    return m_table.first(names.filter());
}

bool AddressBook::contains(const ContactNames& names) const
{
    return m_table.count(names.filter()) > 0;
}

bool AddressBook::add(const Contact& contact, QString* error)
{
    return m_table.insert(contact.toValues(), nullptr, error);
}

bool AddressBook::save(qint64 key, const Contact& contact, QString* error)
{
    return m_table.update(key, contact.toValues(), error);
}

bool AddressBook::remove(qint64 key, QString* error)
{
    return m_table.remove(key, error);
}

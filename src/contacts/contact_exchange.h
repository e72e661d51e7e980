#pragma once

#include "address_book.h"
#include "vcard.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Contacts taken in from a vCard file and given out to one.
namespace ContactExchange {

struct ImportSummary
{
    int added = 0;
    QList<ContactNames> addedNames; // in the order they were stored
    QStringList duplicates;         // the names of the cards skipped as already there
    QList<VCard::Failure> failures;
    // Set when nothing was written: the file could not be read or stored.
    QString error;
};

// Reads the file whole and adds every card whose three names are not in the
// address book yet (nor earlier in the same file), in one transaction.
ImportSummary importFile(const QString& path, AddressBook& book, const QSqlDatabase& database);
ImportSummary importCards(const VCard::ReadResult& read, AddressBook& book, const QSqlDatabase& database);

// What the user is told after an import.
QString summaryText(const ImportSummary& summary);

bool exportFile(const QString& path, const QList<Contact>& contacts, VCard::Version version, QString* error);

} // namespace ContactExchange

#pragma once

#include "dav_collection.h"

// The address books or calendars of an account, found from whatever address
// the user gave (RFC 6764 and RFC 6352/4791): the server's root, a principal,
// a home set, or a collection itself.
namespace Dav {

// "dav.example.org" → "https://dav.example.org/".
QUrl addressFromUserInput(const QString& text);

// An empty list: the server answered, and it has none of that kind for this account.
Result<QList<CollectionInfo>> discover(Client& client, const QUrl& address, CollectionKind kind);

} // namespace Dav

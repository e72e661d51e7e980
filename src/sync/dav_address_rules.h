#pragma once

#include <QString>
#include <QUrl>

// Where the sync may go. Passwords and contacts cross the Internet only
// encrypted: plain http is for a server at home (loopback, RFC 1918 and
// unique local IPv6 addresses), https is for anywhere.
struct sockaddr;

namespace Dav::AddressRules {

enum class Reach {
    Allowed,
    // Plain http to a host name: allowed if it resolves into the home
    // network, which is checked for each address before connecting.
    AllowedIfHomeNetwork,
    Refused,
};

Reach reachOf(const QUrl& url);

// Loopback, 10/8, 172.16/12, 192.168/16, fc00::/7 and ::1, also as
// IPv4-mapped IPv6 addresses.
bool isHomeNetwork(const sockaddr* address);
// The same for an address written as text; false for anything that is not
// a literal IPv4 or IPv6 address (a host name).
bool isHomeNetworkLiteral(const QString& host);
bool isAddressLiteral(const QString& host);

// Redirects stay with the same scheme and host, or lead to https: a server
// cannot send the password on to some other plain-http address.
bool redirectAllowed(const QUrl& from, const QUrl& to);

// Why a request to this address is refused, for a person.
QString refusalMessage(const QUrl& url);

} // namespace Dav::AddressRules

#include "dav_address_rules.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

namespace Dav::AddressRules {

namespace {

bool isHttps(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

bool isHttp(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
}

bool isHomeNetworkV4(quint32 address)
{
    return (address >> 24) == 127 || (address >> 24) == 10 || (address >> 20) == ((172u << 4) | 1u) ||
           (address >> 16) == ((192u << 8) | 168u);
}

bool isHomeNetworkV6(const in6_addr& address)
{
    static const in6_addr loopback = IN6ADDR_LOOPBACK_INIT;
    if (std::memcmp(&address, &loopback, sizeof address) == 0)
        return true;
    // An IPv4 address in IPv6 clothing (::ffff:a.b.c.d) is judged as IPv4.
    static const unsigned char mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::memcmp(address.s6_addr, mapped, sizeof mapped) == 0) {
        quint32 v4 = 0;
        std::memcpy(&v4, address.s6_addr + 12, 4);
        return isHomeNetworkV4(ntohl(v4));
    }
    return (address.s6_addr[0] & 0xfe) == 0xfc;
}

} // namespace

bool isHomeNetwork(const sockaddr* address)
{
    if (!address)
        return false;
    if (address->sa_family == AF_INET) {
        sockaddr_in v4;
        std::memcpy(&v4, address, sizeof v4);
        return isHomeNetworkV4(ntohl(v4.sin_addr.s_addr));
    }
    if (address->sa_family == AF_INET6) {
        sockaddr_in6 v6;
        std::memcpy(&v6, address, sizeof v6);
        return isHomeNetworkV6(v6.sin6_addr);
    }
    return false;
}

bool isAddressLiteral(const QString& host)
{
    const QByteArray text = host.toLatin1();
    in_addr v4;
    in6_addr v6;
    return inet_pton(AF_INET, text.constData(), &v4) == 1 || inet_pton(AF_INET6, text.constData(), &v6) == 1;
}

bool isHomeNetworkLiteral(const QString& host)
{
    const QByteArray text = host.toLatin1();
    in_addr v4;
    in6_addr v6;
    if (inet_pton(AF_INET, text.constData(), &v4) == 1)
        return isHomeNetworkV4(ntohl(v4.s_addr));
    if (inet_pton(AF_INET6, text.constData(), &v6) == 1)
        return isHomeNetworkV6(v6);
    return false;
}

Reach reachOf(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return Reach::Refused;
    if (isHttps(url))
        return Reach::Allowed;
    if (!isHttp(url))
        return Reach::Refused;
    if (isAddressLiteral(url.host()))
        return isHomeNetworkLiteral(url.host()) ? Reach::Allowed : Reach::Refused;
    return Reach::AllowedIfHomeNetwork;
}

bool redirectAllowed(const QUrl& from, const QUrl& to)
{
    if (isHttps(to))
        return !to.host().isEmpty();
    return isHttp(to) && from.scheme().compare(to.scheme(), Qt::CaseInsensitive) == 0 &&
           from.host().compare(to.host(), Qt::CaseInsensitive) == 0;
}

QString refusalMessage(const QUrl& url)
{
    if (isHttp(url))
        return QStringLiteral(
                   "Адрес %1 без шифрования (http://) разрешён только для сервера в домашней сети. "
                   "Укажите адрес, начинающийся с https://")
            .arg(url.host());
    return QStringLiteral("Адрес сервера синхронизации должен начинаться с https://");
}

} // namespace Dav::AddressRules

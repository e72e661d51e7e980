#include "dav_address_rules.h"

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

} // namespace

bool isHomeNetwork(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4)
        return isHomeNetworkV4(v4);
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return false;
    return address.isLoopback() || (address.toIPv6Address()[0] & 0xfe) == 0xfc;
}

Reach reachOf(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return Reach::Refused;
    if (isHttps(url))
        return Reach::Allowed;
    if (!isHttp(url))
        return Reach::Refused;
    const QHostAddress literal(url.host());
    if (!literal.isNull())
        return isHomeNetwork(literal) ? Reach::Allowed : Reach::Refused;
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

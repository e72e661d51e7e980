#include "dav_discovery.h"

#include <QSet>

namespace Dav {

namespace {

QString homeSetName(CollectionKind kind)
{
    return kind == CollectionKind::AddressBook ? QStringLiteral("addressbook-home-set")
                                               : QStringLiteral("calendar-home-set");
}

QString homeSetNs(CollectionKind kind)
{
    return kind == CollectionKind::AddressBook ? Ns::CardDav : Ns::CalDav;
}

QUrl wellKnown(const QUrl& address, CollectionKind kind)
{
    QUrl url = address.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
    url.setPath(kind == CollectionKind::AddressBook ? QStringLiteral("/.well-known/carddav")
                                                    : QStringLiteral("/.well-known/caldav"));
    return url;
}

// A PROPFIND whose answer is read; nullopt (with no failure) when the
// address is no WebDAV resource at all.
struct Answer
{
    QUrl url; // where the request ended, after redirects
    Multistatus multistatus;
};

Result<std::optional<Answer>> propfind(Client& client, const QUrl& url, const QList<PropName>& props,
                                       Depth depth)
{
    const Result<Response> response = client.request("PROPFIND", url, propfindBody(props), {}, depth);
    if (!response)
        return response.failure();
    if (response->status != 207)
        return std::optional<Answer>();
    Answer answer{response->finalUrl, parseMultistatus(response->body, response->finalUrl)};
    if (!answer.multistatus.error.isEmpty())
        return std::optional<Answer>();
    return std::optional<Answer>(answer);
}

// The resource an answer gives for the address asked, else its first one.
const Resource* resourceAt(const Answer& answer)
{
    const QString key = hrefKey(answer.url);
    for (const Resource& resource : answer.multistatus.resources) {
        const QString found = hrefKey(resource.href);
        if (found == key || found + QLatin1Char('/') == key || found == key + QLatin1Char('/'))
            return &resource;
    }
    return answer.multistatus.resources.isEmpty() ? nullptr : &answer.multistatus.resources.first();
}

Result<QList<CollectionInfo>> collectionsIn(Client& client, const QList<QUrl>& homes, CollectionKind kind)
{
    QList<CollectionInfo> found;
    QSet<QString> seen;
    for (const QUrl& home : homes) {
        const Result<std::optional<Answer>> answer =
            propfind(client, home, collectionInfoProps(), Depth::One);
        if (!answer)
            return answer.failure();
        if (!answer.value())
            continue;
        for (const Resource& resource : answer.value()->multistatus.resources) {
            std::optional<CollectionInfo> info = collectionInfoOf(resource, kind);
            if (info && !seen.contains(hrefKey(info->url))) {
                seen.insert(hrefKey(info->url));
                found.append(*info);
            }
        }
    }
    return found;
}

// What one starting address leads to; empty when it leads nowhere.
Result<QList<CollectionInfo>> discoverFrom(Client& client, const QUrl& start, CollectionKind kind)
{
    QList<PropName> props = collectionInfoProps();
    props.append({Ns::Dav, QStringLiteral("current-user-principal")});
    props.append({homeSetNs(kind), homeSetName(kind)});
    const Result<std::optional<Answer>> answer = propfind(client, start, props, Depth::Zero);
    if (!answer)
        return answer.failure();
    const Resource* here = answer.value() ? resourceAt(*answer.value()) : nullptr;
    if (!here)
        return QList<CollectionInfo>();
    // An address that names a collection is taken as it is.
    if (std::optional<CollectionInfo> info = collectionInfoOf(*here, kind))
        return QList<CollectionInfo>{*info};

    QList<QUrl> homes = here->hrefs(homeSetNs(kind), homeSetName(kind));
    const QList<QUrl> principals = here->hrefs(Ns::Dav, QStringLiteral("current-user-principal"));
    if (homes.isEmpty() && !principals.isEmpty()) {
        const Result<std::optional<Answer>> principal =
            propfind(client, principals.first(), {{homeSetNs(kind), homeSetName(kind)}}, Depth::Zero);
        if (!principal)
            return principal.failure();
        if (const Resource* resource = principal.value() ? resourceAt(*principal.value()) : nullptr)
            homes = resource->hrefs(homeSetNs(kind), homeSetName(kind));
    }
    // Neither a principal nor a home set named: the address may be a home set itself.
    if (homes.isEmpty())
        homes.append(answer.value()->url);
    return collectionsIn(client, homes, kind);
}

} // namespace

QUrl addressFromUserInput(const QString& text)
{
    const QString trimmed = text.trimmed();
    QUrl url = QUrl::fromUserInput(
        trimmed.contains(QLatin1String("://")) ? trimmed : QStringLiteral("https://") + trimmed);
    if (url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    return url;
}

Result<QList<CollectionInfo>> discover(Client& client, const QUrl& address, CollectionKind kind)
{
    Result<QList<CollectionInfo>> found = discoverFrom(client, address, kind);
    if (!found || !found->isEmpty())
        return found;
    // RFC 6764: the service's well-known address leads to the context path.
    const QUrl known = wellKnown(address, kind);
    if (hrefKey(known) == hrefKey(address))
        return found;
    return discoverFrom(client, known, kind);
}

} // namespace Dav

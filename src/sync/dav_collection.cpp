#include "dav_collection.h"

#include <QSet>
#include <QUuid>

namespace Dav {

namespace {

// A server that keeps answering "there is more" is not followed for ever.
constexpr int kMaxSyncRounds = 100;

const PropName kEtag{Ns::Dav, QStringLiteral("getetag")};
const PropName kResourceType{Ns::Dav, QStringLiteral("resourcetype")};

// What a server answers about the one item written, not about the account
// or itself: a read-only calendar, an item too large or not to its liking.
bool isRefusal(int status)
{
    return status == 400 || status == 403 || status == 405 || status == 409 || status == 413 ||
           status == 415 || status == 422;
}

bool isSuccess(int status)
{
    return status >= 200 && status < 300;
}

// A resource of a multistatus that stands: its own status, if any, is a success.
bool stands(const Resource& resource)
{
    return resource.status == 0 || isSuccess(resource.status);
}

QUrl asCollectionUrl(QUrl url)
{
    if (!url.path().endsWith(QLatin1Char('/')))
        url.setPath(url.path() + QLatin1Char('/'));
    return url;
}

Failure unreadable(const Response& response, const QString& why)
{
    Failure failure = serverFailure(response);
    failure.message = QStringLiteral("Сервер синхронизации прислал непонятный ответ: %1").arg(why);
    return failure;
}

struct Answered
{
    Response response;
    Multistatus answer;
};

// A request whose answer must be a readable multistatus (207).
Result<Answered> multistatus(Client& client, const QByteArray& method, const QUrl& url,
                             const QByteArray& body, Depth depth)
{
    Result<Response> response = client.request(method, url, body, {}, depth);
    if (!response)
        return response.failure();
    if (response->status != 207)
        return serverFailure(response.value());
    Multistatus answer = parseMultistatus(response->body, response->finalUrl);
    if (!answer.error.isEmpty())
        return unreadable(response.value(), answer.error);
    return Answered{std::move(response.value()), std::move(answer)};
}

QString lastSegment(const QUrl& url)
{
    return url.path(QUrl::FullyDecoded).section(QLatin1Char('/'), -2, -2);
}

QByteArray contentType(CollectionKind kind)
{
    return kind == CollectionKind::AddressBook ? "text/vcard; charset=utf-8" : "text/calendar; charset=utf-8";
}

} // namespace

QList<PropName> collectionInfoProps()
{
    return {kResourceType,
            {Ns::Dav, QStringLiteral("displayname")},
            {Ns::Dav, QStringLiteral("supported-report-set")},
            {Ns::CalendarServer, QStringLiteral("getctag")},
            {Ns::CardDav, QStringLiteral("supported-address-data")},
            {Ns::CalDav, QStringLiteral("supported-calendar-component-set")}};
}

std::optional<CollectionInfo> collectionInfoOf(const Resource& resource, CollectionKind kind)
{
    const XmlElement* type = resource.prop(Ns::Dav, QStringLiteral("resourcetype"));
    const bool addressBook = kind == CollectionKind::AddressBook;
    if (!stands(resource) || !type ||
        !(addressBook ? type->contains(Ns::CardDav, QStringLiteral("addressbook"))
                      : type->contains(Ns::CalDav, QStringLiteral("calendar"))))
        return std::nullopt;
    CollectionInfo info;
    info.url = asCollectionUrl(resource.href);
    info.kind = kind;
    info.displayName = resource.text(Ns::Dav, QStringLiteral("displayname"));
    if (info.displayName.isEmpty())
        info.displayName = lastSegment(info.url);
    info.ctag = resource.text(Ns::CalendarServer, QStringLiteral("getctag"));
    if (const XmlElement* reports = resource.prop(Ns::Dav, QStringLiteral("supported-report-set")))
        info.syncCollection = reports->contains(Ns::Dav, QStringLiteral("sync-collection"));
    // Without the property a server takes vCard 3.0 only (RFC 6352, 6.2.2).
    if (const XmlElement* data = resource.prop(Ns::CardDav, QStringLiteral("supported-address-data"))) {
        for (const XmlElement* type : data->descendants(Ns::CardDav, QStringLiteral("address-data-type"))) {
            const QString mime =
                type->attributes.value(QStringLiteral("content-type"), QStringLiteral("text/vcard"));
            if (mime.compare(QLatin1String("text/vcard"), Qt::CaseInsensitive) == 0 &&
                type->attributes.value(QStringLiteral("version")) == QLatin1String("4.0"))
                info.vcard4 = true;
        }
    }
    if (const XmlElement* set =
            resource.prop(Ns::CalDav, QStringLiteral("supported-calendar-component-set"))) {
        for (const XmlElement* component : set->descendants(Ns::CalDav, QStringLiteral("comp")))
            info.components.append(component->attributes.value(QStringLiteral("name")).toUpper());
    }
    return info;
}

Result<bool> createCollection(Client& client, const QUrl& url, CollectionKind kind,
                              const QString& displayName, const QStringList& components)
{
    const Result<Response> response =
        client.request(kind == CollectionKind::AddressBook ? "MKCOL" : "MKCALENDAR", asCollectionUrl(url),
                       makeCollectionBody(kind, displayName, components));
    if (!response)
        return response.failure();
    if (response->status != 201)
        return serverFailure(response.value());
    return true;
}

Collection::Collection(Client& client, const QUrl& url, CollectionKind kind)
    : m_client(client), m_url(asCollectionUrl(url)), m_key(hrefKey(m_url)), m_kind(kind)
{
}

bool Collection::isMember(const QUrl& href) const
{
    const QString key = hrefKey(href);
    return key.size() > m_key.size() && key.startsWith(m_key) &&
           !key.mid(m_key.size()).contains(QLatin1Char('/'));
}

Result<CollectionInfo> Collection::describe()
{
    const Result<Answered> answered =
        multistatus(m_client, "PROPFIND", m_url, propfindBody(collectionInfoProps()), Depth::Zero);
    if (!answered)
        return answered.failure();
    for (const Resource& resource : answered->answer.resources) {
        if (hrefKey(resource.href) != m_key)
            continue;
        if (std::optional<CollectionInfo> info = collectionInfoOf(resource, m_kind))
            return *info;
    }
    Failure failure = serverFailure(answered->response);
    failure.message = m_kind == CollectionKind::AddressBook
                          ? QStringLiteral("По адресу %1 нет адресной книги").arg(m_url.toDisplayString())
                          : QStringLiteral("По адресу %1 нет календаря").arg(m_url.toDisplayString());
    return failure;
}

Result<Changes> Collection::changesSince(const QString& token)
{
    QMap<QString, QString> changed;
    QSet<QString> removed;
    QString from = token;
    Changes changes;
    for (int round = 0; round < kMaxSyncRounds; ++round) {
        const Result<Response> response =
            m_client.request("REPORT", m_url, syncCollectionBody(from, {kEtag}), {}, Depth::Zero);
        if (!response)
            return response.failure();
        if (response->status == 404)
            return serverFailure(response.value());
        // Servers turn a token down in many ways (403 with valid-sync-token,
        // 400, 409, 412, 500…), and one without the report answers much the
        // same: either way the caller starts over from the full listing.
        if (response->status != 207) {
            Changes rejected;
            rejected.tokenRejected = true;
            return rejected;
        }
        const Multistatus answer = parseMultistatus(response->body, response->finalUrl);
        if (!answer.error.isEmpty())
            return unreadable(response.value(), answer.error);
        bool truncated = false;
        for (const Resource& resource : answer.resources) {
            const QString key = hrefKey(resource.href);
            if (key == m_key) {
                truncated = truncated || resource.status == 507;
            } else if (isMember(resource.href) && resource.status == 404) {
                changed.remove(key);
                removed.insert(key);
            } else if (isMember(resource.href) && stands(resource)) {
                changed.insert(key, resource.text(Ns::Dav, QStringLiteral("getetag")));
                removed.remove(key);
            }
        }
        changes.newToken = answer.syncToken;
        // A truncated answer goes on from the token it brought (RFC 6578, 3.6).
        if (!truncated || answer.syncToken.isEmpty() || answer.syncToken == from)
            break;
        from = answer.syncToken;
    }
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        changes.changed.append({it.key(), it.value()});
    changes.removed = QStringList(removed.cbegin(), removed.cend());
    changes.removed.sort();
    return changes;
}

Result<QMap<QString, QString>> Collection::listAll()
{
    const Result<Answered> answered =
        multistatus(m_client, "PROPFIND", m_url, propfindBody({kEtag, kResourceType}), Depth::One);
    if (!answered)
        return answered.failure();
    QMap<QString, QString> items;
    for (const Resource& resource : answered->answer.resources) {
        const XmlElement* type = resource.prop(Ns::Dav, QStringLiteral("resourcetype"));
        if (!stands(resource) || !isMember(resource.href) ||
            (type && type->contains(Ns::Dav, QStringLiteral("collection"))))
            continue;
        items.insert(hrefKey(resource.href), resource.text(Ns::Dav, QStringLiteral("getetag")));
    }
    return items;
}

Result<Fetched> Collection::fetch(const QStringList& hrefs)
{
    const bool addressBook = m_kind == CollectionKind::AddressBook;
    const QString dataNs = addressBook ? Ns::CardDav : Ns::CalDav;
    const QString dataName = addressBook ? QStringLiteral("address-data") : QStringLiteral("calendar-data");
    Fetched fetched;
    QList<QStringList> batches;
    for (qsizetype start = 0; start < hrefs.size(); start += m_fetchBatch)
        batches.append(hrefs.mid(start, m_fetchBatch));
    while (!batches.isEmpty()) {
        const QStringList batch = batches.takeFirst();
        QList<QUrl> urls;
        for (const QString& href : batch)
            urls.append(urlOf(href));
        const Result<Answered> answered =
            multistatus(m_client, "REPORT", m_url, multigetBody(m_kind, urls), Depth::One);
        if (!answered && answered.failure().kind == Failure::TooLarge && batch.size() > 1) {
            // Items with large photos or attachments: the same in halves,
            // down to one a request, each answer within the limit.
            const qsizetype half = batch.size() / 2;
            batches.prepend(batch.mid(half));
            batches.prepend(batch.first(half));
            continue;
        }
        if (!answered)
            return answered.failure();
        QSet<QString> unanswered(batch.cbegin(), batch.cend());
        for (const Resource& resource : answered->answer.resources) {
            const QString key = hrefKey(resource.href);
            if (!unanswered.remove(key))
                continue;
            if (stands(resource) && resource.prop(dataNs, dataName))
                fetched.items.append({key, resource.text(Ns::Dav, QStringLiteral("getetag")),
                                      resource.prop(dataNs, dataName)->text.toUtf8()});
            else if (resource.status == 404)
                fetched.missing.append(key);
            else
                // Not given for another reason (an error of the server's, a
                // refusal): no sign that it is gone, so nothing is decided on it.
                return unreadable(
                    answered->response,
                    QStringLiteral("запись %1 не выдана (код %2)").arg(key).arg(resource.status));
        }
        for (const QString& href : batch) {
            if (unanswered.contains(href))
                fetched.missing.append(href);
        }
    }
    return fetched;
}

Result<Written> Collection::put(const QString& href, const QByteArray& data, const QString& ifMatchEtag)
{
    Headers headers{{"Content-Type", contentType(m_kind)}};
    if (ifMatchEtag.isEmpty())
        headers.append({QByteArray("If-None-Match"), QByteArray("*")});
    else
        headers.append({QByteArray("If-Match"), ifMatchEtag.toUtf8()});
    const Result<Response> response = m_client.request("PUT", urlOf(href), data, headers);
    if (!response)
        return response.failure();
    if (response->status == 412)
        return Written{WriteStatus::PreconditionFailed, {}};
    if (isRefusal(response->status))
        return Written{WriteStatus::Refused, {}};
    if (!isSuccess(response->status))
        return serverFailure(response.value());
    Written written;
    written.etag = QString::fromUtf8(response->header("etag"));
    // A weak ETag cannot guard the next write; without one, ask for it.
    if (written.etag.isEmpty() || written.etag.startsWith(QLatin1String("W/"))) {
        const Result<QString> etag = etagOf(href);
        // The item is written all the same: an unknown ETag is for the
        // caller to learn at the next sync.
        written.etag = etag ? etag.value() : QString();
    }
    return written;
}

Result<QString> Collection::etagOf(const QString& href)
{
    const Result<Answered> answered =
        multistatus(m_client, "PROPFIND", urlOf(href), propfindBody({kEtag}), Depth::Zero);
    if (!answered)
        return answered.failure();
    for (const Resource& resource : answered->answer.resources) {
        if (hrefKey(resource.href) == href && stands(resource))
            return resource.text(Ns::Dav, QStringLiteral("getetag"));
    }
    return unreadable(answered->response, QStringLiteral("no ETag"));
}

Result<WriteStatus> Collection::remove(const QString& href, const QString& etag)
{
    Headers headers;
    if (!etag.isEmpty())
        headers.append({QByteArray("If-Match"), etag.toUtf8()});
    const Result<Response> response = m_client.request("DELETE", urlOf(href), {}, headers);
    if (!response)
        return response.failure();
    if (response->status == 412)
        return WriteStatus::PreconditionFailed;
    if (isRefusal(response->status))
        return WriteStatus::Refused;
    if (isSuccess(response->status) || response->status == 404)
        return WriteStatus::Done;
    return serverFailure(response.value());
}

QString Collection::newHref() const
{
    return m_key + QUuid::createUuid().toString(QUuid::WithoutBraces) +
           (m_kind == CollectionKind::AddressBook ? QStringLiteral(".vcf") : QStringLiteral(".ics"));
}

} // namespace Dav

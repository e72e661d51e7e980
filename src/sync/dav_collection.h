#pragma once

#include "dav_client.h"
#include "dav_xml.h"

#include <QMap>
#include <QStringList>
#include <optional>

// One address book or calendar on the server: what changed since a sync
// token, every item with its ETag, fetching items, writing and removing them
// guarded by ETags. Hrefs are in the one form of hrefKey().
namespace Dav {

struct CollectionInfo
{
    QUrl url;
    CollectionKind kind = CollectionKind::AddressBook;
    QString displayName;
    QString ctag;                // a tag that changes with the content, where the server keeps one
    bool vcard4 = false;         // address books: takes vCard 4.0; else vCard 3.0 only
    bool syncCollection = false; // offers REPORT sync-collection
    QStringList components;      // calendars: VEVENT, VTODO, …; empty when the server does not say
};

struct ItemVersion
{
    QString href;
    QString etag;
};

struct Changes
{
    // The server would not go from that token (expired, unknown, or no
    // collection sync at all): the caller compares listAll() instead.
    bool tokenRejected = false;
    QString newToken;
    QList<ItemVersion> changed; // new or changed
    QStringList removed;
};

struct Item
{
    QString href;
    QString etag;
    QByteArray data;
};

struct Fetched
{
    QList<Item> items;
    QStringList missing; // asked for and not on the server (any more)
};

enum class WriteStatus {
    Done,
    PreconditionFailed, // the item is not as the ETag said: someone else changed it
    Refused, // the server will not take this write (forbidden, too large, not valid): the others may go on
};

struct Written
{
    WriteStatus status = WriteStatus::Done;
    QString etag; // Done: the item's new ETag, when the server tells it
};

class Collection
{
public:
    static constexpr int kFetchBatch = 200;

    Collection(Client& client, const QUrl& url, CollectionKind kind);

    const QUrl& url() const { return m_url; }
    CollectionKind kind() const { return m_kind; }

    Result<CollectionInfo> describe();
    // An empty token asks for everything: all items come as changed.
    Result<Changes> changesSince(const QString& token);
    // href → ETag of every item.
    Result<QMap<QString, QString>> listAll();
    Result<Fetched> fetch(const QStringList& hrefs);
    // An empty ifMatchEtag writes a new item and fails if the href is taken.
    Result<Written> put(const QString& href, const QByteArray& data, const QString& ifMatchEtag);
    // A missing item counts as removed; an empty etag removes whatever is there.
    Result<WriteStatus> remove(const QString& href, const QString& etag);

    // A free href for a new item: a random name in this collection.
    QString newHref() const;
    QUrl urlOf(const QString& href) const { return urlOfHrefKey(m_url, href); }

    // Hrefs per multiget request.
    void setFetchBatchSize(int size) { m_fetchBatch = qMax(1, size); }

private:
    bool isMember(const QUrl& href) const;
    Result<QString> etagOf(const QString& href);

    Client& m_client;
    QUrl m_url;
    QString m_key;
    CollectionKind m_kind;
    int m_fetchBatch = kFetchBatch;
};

// The properties that describe a collection, and what they say of one
// resource of a PROPFIND answer: nullopt when it is no collection of that kind.
QList<PropName> collectionInfoProps();
std::optional<CollectionInfo> collectionInfoOf(const Resource& resource, CollectionKind kind);

// Makes an address book or a calendar at url; components as for makeCollectionBody().
Result<bool> createCollection(Client& client, const QUrl& url, CollectionKind kind,
                              const QString& displayName, const QStringList& components = {});

} // namespace Dav

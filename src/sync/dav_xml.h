#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The XML of WebDAV (RFC 4918), CardDAV (RFC 6352), CalDAV (RFC 4791) and
// collection sync (RFC 6578): request bodies, and a namespace-aware reader
// of multistatus answers. No network.
namespace Dav {

namespace Ns {
inline const QString Dav = QStringLiteral("DAV:");
inline const QString CardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
inline const QString CalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");
inline const QString CalendarServer = QStringLiteral("http://calendarserver.org/ns/");
} // namespace Ns

enum class CollectionKind { AddressBook, Calendar };

struct PropName
{
    QString ns;
    QString name;
};

// A property as the server gave it: enough of a tree for the few values
// that are more than text (hrefs, resource types, supported reports).
struct XmlElement
{
    QString ns;
    QString name;
    QString text;                       // the element's own text, untrimmed
    QHash<QString, QString> attributes; // by local name
    QList<XmlElement> children;

    bool is(const QString& elementNs, const QString& elementName) const
    {
        return name == elementName && ns == elementNs;
    }
    // Whether it or any element below it is this one.
    bool contains(const QString& elementNs, const QString& elementName) const;
    // Every element below it with this name, depth first.
    QList<const XmlElement*> descendants(const QString& elementNs, const QString& elementName) const;
};

// One href of a multistatus answer with what was said of it.
struct Resource
{
    QUrl href;                    // resolved against the request's address
    QUrl base;                    // the request's address, for the hrefs within properties
    int status = 0;               // the response's own status; 0 when it went by propstat
    QList<XmlElement> props;      // the properties found (2xx propstat)
    QList<PropName> missingProps; // asked for and answered with 4xx/5xx

    const XmlElement* prop(const QString& ns, const QString& name) const;
    QString text(const QString& ns, const QString& name) const;      // trimmed
    QList<QUrl> hrefs(const QString& ns, const QString& name) const; // the DAV:href within, resolved
};

struct Multistatus
{
    QList<Resource> resources;
    QString syncToken; // RFC 6578, at the top level
    QString error;     // set when the body is not a multistatus; then nothing else is
};

Multistatus parseMultistatus(const QByteArray& body, const QUrl& requestUrl);

// Hrefs are compared and kept in one form: the absolute path, percent-decoded.
QString hrefKey(const QUrl& url);
// The address of such a path on the server of base.
QUrl urlOfHrefKey(const QUrl& base, const QString& key);

QByteArray propfindBody(const QList<PropName>& props);
QByteArray syncCollectionBody(const QString& token, const QList<PropName>& props);
// addressbook-multiget or calendar-multiget: getetag and the data of each href.
QByteArray multigetBody(CollectionKind kind, const QList<QUrl>& hrefs);
// Extended MKCOL (RFC 5689) for an address book, MKCALENDAR's body for a
// calendar; components ("VTODO", "VEVENT") limit what a calendar holds.
QByteArray makeCollectionBody(CollectionKind kind, const QString& displayName,
                              const QStringList& components = {});

} // namespace Dav

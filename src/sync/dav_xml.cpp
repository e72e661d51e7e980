#include "dav_xml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace Dav {

namespace {

// Deeper than any property we read; a deeper tree is skipped, not recursed into.
constexpr int kMaxDepth = 16;

bool isDav(const QXmlStreamReader& xml, QLatin1String name)
{
    return xml.name() == name && xml.namespaceUri() == Ns::Dav;
}

int statusOf(const QString& line)
{
    // "HTTP/1.1 404 Not Found"
    return line.simplified().section(QLatin1Char(' '), 1, 1).toInt();
}

QUrl resolveHref(const QUrl& base, const QString& href)
{
    return base.resolved(QUrl(href.trimmed(), QUrl::TolerantMode)).adjusted(QUrl::RemoveFragment);
}

XmlElement readElement(QXmlStreamReader& xml, int depth)
{
    XmlElement element;
    element.ns = xml.namespaceUri().toString();
    element.name = xml.name().toString();
    for (const QXmlStreamAttribute& attribute : xml.attributes())
        element.attributes.insert(attribute.name().toString(), attribute.value().toString());
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::Characters)
            element.text += xml.text();
        else if (token == QXmlStreamReader::EndElement)
            break;
        else if (token == QXmlStreamReader::StartElement && depth < kMaxDepth)
            element.children.append(readElement(xml, depth + 1));
        else if (token == QXmlStreamReader::StartElement)
            xml.skipCurrentElement();
    }
    return element;
}

void readPropstat(QXmlStreamReader& xml, Resource* resource)
{
    QList<XmlElement> props;
    int status = 0;
    while (xml.readNextStartElement()) {
        if (isDav(xml, QLatin1String("prop"))) {
            while (xml.readNextStartElement())
                props.append(readElement(xml, 1));
        } else if (isDav(xml, QLatin1String("status"))) {
            status = statusOf(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else {
            xml.skipCurrentElement();
        }
    }
    if (status >= 200 && status < 300) {
        resource->props.append(props);
        return;
    }
    for (const XmlElement& prop : std::as_const(props))
        resource->missingProps.append({prop.ns, prop.name});
}

void readResponse(QXmlStreamReader& xml, const QUrl& requestUrl, QList<Resource>* resources)
{
    QList<QUrl> hrefs;
    Resource said;
    said.base = requestUrl;
    while (xml.readNextStartElement()) {
        if (isDav(xml, QLatin1String("href")))
            hrefs.append(resolveHref(requestUrl, xml.readElementText(QXmlStreamReader::SkipChildElements)));
        else if (isDav(xml, QLatin1String("status")))
            said.status = statusOf(xml.readElementText(QXmlStreamReader::SkipChildElements));
        else if (isDav(xml, QLatin1String("propstat")))
            readPropstat(xml, &said);
        else
            xml.skipCurrentElement();
    }
    // One status may stand for several hrefs.
    for (const QUrl& href : std::as_const(hrefs)) {
        said.href = href;
        resources->append(said);
    }
}

void collectDescendants(const XmlElement& element, const QString& ns, const QString& name,
                        QList<const XmlElement*>* found)
{
    for (const XmlElement& child : element.children) {
        if (child.is(ns, name))
            found->append(&child);
        collectDescendants(child, ns, name, found);
    }
}

class Writer
{
public:
    Writer() : m_xml(&m_bytes)
    {
        m_xml.writeStartDocument();
        m_xml.writeNamespace(Ns::Dav, QStringLiteral("d"));
        m_xml.writeNamespace(Ns::CardDav, QStringLiteral("card"));
        m_xml.writeNamespace(Ns::CalDav, QStringLiteral("cal"));
    }
    QXmlStreamWriter& operator*() { return m_xml; }
    QXmlStreamWriter* operator->() { return &m_xml; }
    void writeProps(const QList<PropName>& props)
    {
        m_xml.writeStartElement(Ns::Dav, QStringLiteral("prop"));
        for (const PropName& prop : props)
            m_xml.writeEmptyElement(prop.ns, prop.name);
        m_xml.writeEndElement();
    }
    QByteArray finish()
    {
        m_xml.writeEndDocument();
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    QXmlStreamWriter m_xml;
};

} // namespace

bool XmlElement::contains(const QString& elementNs, const QString& elementName) const
{
    if (is(elementNs, elementName))
        return true;
    for (const XmlElement& child : children) {
        if (child.contains(elementNs, elementName))
            return true;
    }
    return false;
}

QList<const XmlElement*> XmlElement::descendants(const QString& elementNs, const QString& elementName) const
{
    QList<const XmlElement*> found;
    collectDescendants(*this, elementNs, elementName, &found);
    return found;
}

const XmlElement* Resource::prop(const QString& ns, const QString& name) const
{
    for (const XmlElement& element : props) {
        if (element.is(ns, name))
            return &element;
    }
    return nullptr;
}

QString Resource::text(const QString& ns, const QString& name) const
{
    const XmlElement* element = prop(ns, name);
    return element ? element->text.trimmed() : QString();
}

QList<QUrl> Resource::hrefs(const QString& ns, const QString& name) const
{
    QList<QUrl> result;
    if (const XmlElement* element = prop(ns, name)) {
        for (const XmlElement* href : element->descendants(Ns::Dav, QStringLiteral("href")))
            result.append(resolveHref(base, href->text));
    }
    return result;
}

Multistatus parseMultistatus(const QByteArray& body, const QUrl& requestUrl)
{
    Multistatus result;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !isDav(xml, QLatin1String("multistatus"))) {
        result.error = xml.hasError() ? xml.errorString() : QStringLiteral("not a multistatus answer");
        return result;
    }
    while (xml.readNextStartElement()) {
        if (isDav(xml, QLatin1String("response")))
            readResponse(xml, requestUrl, &result.resources);
        else if (isDav(xml, QLatin1String("sync-token")))
            result.syncToken = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else
            xml.skipCurrentElement();
    }
    if (xml.hasError()) {
        const QString error = xml.errorString();
        result = {};
        result.error = error;
    }
    return result;
}

QString hrefKey(const QUrl& url)
{
    const QString path = url.path(QUrl::FullyDecoded);
    return path.isEmpty() ? QStringLiteral("/") : path;
}

QUrl urlOfHrefKey(const QUrl& base, const QString& key)
{
    QUrl url = base.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
    url.setPath(key, QUrl::DecodedMode);
    return url;
}

QByteArray propfindBody(const QList<PropName>& props)
{
    Writer writer;
    writer->writeStartElement(Ns::Dav, QStringLiteral("propfind"));
    writer.writeProps(props);
    return writer.finish();
}

QByteArray syncCollectionBody(const QString& token, const QList<PropName>& props)
{
    Writer writer;
    writer->writeStartElement(Ns::Dav, QStringLiteral("sync-collection"));
    writer->writeTextElement(Ns::Dav, QStringLiteral("sync-token"), token);
    writer->writeTextElement(Ns::Dav, QStringLiteral("sync-level"), QStringLiteral("1"));
    writer.writeProps(props);
    return writer.finish();
}

QByteArray multigetBody(CollectionKind kind, const QList<QUrl>& hrefs)
{
    const bool addressBook = kind == CollectionKind::AddressBook;
    const QString ns = addressBook ? Ns::CardDav : Ns::CalDav;
    Writer writer;
    writer->writeStartElement(ns, addressBook ? QStringLiteral("addressbook-multiget")
                                              : QStringLiteral("calendar-multiget"));
    writer.writeProps({{Ns::Dav, QStringLiteral("getetag")},
                       {ns, addressBook ? QStringLiteral("address-data") : QStringLiteral("calendar-data")}});
    for (const QUrl& href : hrefs)
        writer->writeTextElement(Ns::Dav, QStringLiteral("href"), href.path(QUrl::FullyEncoded));
    return writer.finish();
}

QByteArray makeCollectionBody(CollectionKind kind, const QString& displayName, const QStringList& components)
{
    Writer writer;
    if (kind == CollectionKind::AddressBook)
        writer->writeStartElement(Ns::Dav, QStringLiteral("mkcol"));
    else
        writer->writeStartElement(Ns::CalDav, QStringLiteral("mkcalendar"));
    writer->writeStartElement(Ns::Dav, QStringLiteral("set"));
    writer->writeStartElement(Ns::Dav, QStringLiteral("prop"));
    if (kind == CollectionKind::AddressBook) {
        writer->writeStartElement(Ns::Dav, QStringLiteral("resourcetype"));
        writer->writeEmptyElement(Ns::Dav, QStringLiteral("collection"));
        writer->writeEmptyElement(Ns::CardDav, QStringLiteral("addressbook"));
        writer->writeEndElement();
    }
    writer->writeTextElement(Ns::Dav, QStringLiteral("displayname"), displayName);
    if (kind == CollectionKind::Calendar && !components.isEmpty()) {
        writer->writeStartElement(Ns::CalDav, QStringLiteral("supported-calendar-component-set"));
        for (const QString& component : components) {
            writer->writeEmptyElement(Ns::CalDav, QStringLiteral("comp"));
            writer->writeAttribute(QStringLiteral("name"), component);
        }
        writer->writeEndElement();
    }
    return writer.finish();
}

} // namespace Dav

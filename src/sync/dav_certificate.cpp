#include "dav_certificate.h"

#include "curl_library.h"

#include <QCryptographicHash>

namespace Dav::ServerCertificate {

namespace {

QByteArray derOfPem(const QByteArray& pem)
{
    const qsizetype begin = pem.indexOf("-----BEGIN CERTIFICATE-----");
    const qsizetype end = pem.indexOf("-----END CERTIFICATE-----");
    if (begin < 0 || end < begin)
        return {};
    const qsizetype bodyStart = pem.indexOf('\n', begin);
    if (bodyStart < 0 || bodyStart > end)
        return {};
    return QByteArray::fromBase64(pem.mid(bodyStart, end - bodyStart).simplified().replace(' ', ""));
}

// One DER element at an offset: where its content starts and how long it is.
struct DerElement
{
    qsizetype start = 0;
    qsizetype content = 0;
    qsizetype length = -1; // -1: no element there
    qsizetype end() const { return content + length; }
};

DerElement derElement(const QByteArray& der, qsizetype at, qsizetype limit)
{
    DerElement element;
    element.start = at;
    if (at + 2 > limit)
        return element;
    const auto first = uchar(der.at(at + 1));
    qsizetype length = first;
    qsizetype header = 2;
    if (first & 0x80) {
        const int count = first & 0x7f;
        if (count < 1 || count > 4 || at + 2 + count > limit)
            return element;
        length = 0;
        for (int n = 0; n < count; ++n)
            length = (length << 8) | uchar(der.at(at + 2 + n));
        header += count;
    }
    if (at + header + length > limit)
        return element;
    element.content = at + header;
    element.length = length;
    return element;
}

// The certificate's SubjectPublicKeyInfo (RFC 5280, 4.1): in tbsCertificate
// after serial number, signature, issuer, validity and subject, and the
// optional version before them.
QByteArray subjectPublicKeyInfo(const QByteArray& der)
{
    const DerElement certificate = derElement(der, 0, der.size());
    if (certificate.length < 0)
        return {};
    const DerElement tbs = derElement(der, certificate.content, certificate.end());
    if (tbs.length < 0)
        return {};
    qsizetype at = tbs.content;
    const bool versioned = at < tbs.end() && uchar(der.at(at)) == 0xa0;
    for (int skip = versioned ? 6 : 5; skip > 0; --skip) {
        const DerElement element = derElement(der, at, tbs.end());
        if (element.length < 0)
            return {};
        at = element.end();
    }
    const DerElement key = derElement(der, at, tbs.end());
    if (key.length < 0 || uchar(der.at(at)) != 0x30)
        return {};
    return der.mid(key.start, key.end() - key.start);
}

} // namespace

QString sha256OfPem(const QByteArray& pem)
{
    const QByteArray der = derOfPem(pem);
    if (der.isEmpty())
        return {};
    return QString::fromLatin1(QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex());
}

QByteArray publicKeyPin(const QByteArray& pem)
{
    const QByteArray key = subjectPublicKeyInfo(derOfPem(pem));
    if (key.isEmpty())
        return {};
    return "sha256//" + QCryptographicHash::hash(key, QCryptographicHash::Sha256).toBase64();
}

QString normalizedFingerprint(const QString& fingerprint)
{
    QString hex;
    for (const QChar c : fingerprint) {
        if (c.isLetterOrNumber())
            hex += c.toLower();
    }
    return hex;
}

Fetched fetch(const QUrl& url, bool withoutProxy)
{
    Fetched result;
    const CurlLibrary& lib = CurlLibrary::get();
    if (!lib.loaded()) {
        result.error = lib.error;
        return result;
    }
    CURL* curl = lib.easy_init();
    if (!curl) {
        result.error = QString::fromLatin1(lib.easy_strerror(CURLE_FAILED_INIT));
        return result;
    }
    char errors[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    lib.easy_setopt(curl, CURLOPT_URL, address.constData());
    lib.easy_setopt(curl, CURLOPT_ERRORBUFFER, errors);
    lib.easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib.easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    lib.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    if (withoutProxy)
        lib.easy_setopt(curl, CURLOPT_NOPROXY, "*");
    // The handshake only, on a connection of its own that is closed at once:
    // the certificate is read without verifying it, because verifying is what
    // failed; nothing is sent over this connection.
    lib.easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    lib.easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    lib.easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    lib.easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    lib.easy_setopt(curl, CURLOPT_CERTINFO, 1L);
    const CURLcode code = lib.easy_perform(curl);
    curl_certinfo* chain = nullptr;
    if (code == CURLE_OK && lib.easy_getinfo(curl, CURLINFO_CERTINFO, &chain) == CURLE_OK && chain &&
        chain->num_of_certs > 0) {
        for (const curl_slist* field = chain->certinfo[0]; field; field = field->next) {
            const QByteArray line(field->data);
            if (line.startsWith("Cert:"))
                result.pem = line.mid(5);
        }
    }
    if (result.pem.isEmpty())
        result.error = code != CURLE_OK ? (errors[0] ? QString::fromUtf8(errors)
                                                     : QString::fromLatin1(lib.easy_strerror(code)))
                                        : QStringLiteral("no certificate");
    lib.easy_cleanup(curl);
    return result;
}

} // namespace Dav::ServerCertificate

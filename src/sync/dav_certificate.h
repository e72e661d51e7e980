#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// A server certificate the system does not vouch for can still be trusted
// when the user has accepted that very certificate once: its SHA-256 is kept
// with the account.
namespace Dav::ServerCertificate {

// The SHA-256 of a PEM certificate's DER bytes, lower-case hex; empty if
// the text holds no certificate.
QString sha256OfPem(const QByteArray& pem);

// libcurl's pin of the certificate's public key ("sha256//…"); empty if
// the certificate cannot be read.
QByteArray publicKeyPin(const QByteArray& pem);

// "AB:CD:…" or "abcd…" alike: lower-case hex without separators.
QString normalizedFingerprint(const QString& fingerprint);

struct Fetched
{
    QByteArray pem; // the server's own certificate; empty on failure
    QString error;
};

// The certificate the server at url shows, read in a TLS handshake that
// sends nothing else: no request, no password.
Fetched fetch(const QUrl& url, bool withoutProxy);

} // namespace Dav::ServerCertificate

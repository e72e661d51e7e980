#pragma once

#include "dav_result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QUrl>
#include <functional>

typedef void CURL;

// HTTP for WebDAV, CardDAV and CalDAV over libcurl. Blocking: it runs on the
// sync's worker thread. One client talks to one account's server and keeps
// its connection open between requests.
namespace Dav {

struct Account
{
    QUrl url; // the address the user gave, with its scheme
    QString login;
    QString password;
    // A certificate the user accepted once (hex, with or without colons):
    // a server showing exactly this one is trusted although no authority
    // vouches for it.
    QString acceptedCertificateSha256;
};

enum class Depth { Unset, Zero, One };

struct Response
{
    int status = 0;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    QUrl finalUrl; // after the redirects followed

    QByteArray header(const QByteArray& lowerCaseName) const { return headers.value(lowerCaseName); }
};

using Headers = QList<QPair<QByteArray, QByteArray>>;

class Client
{
public:
    static constexpr qint64 kResponseLimit = 64 * 1024 * 1024;

    explicit Client(Account account);
    ~Client();
    Q_DISABLE_COPY_MOVE(Client)

    // One request, redirects followed as the address rules allow. Any HTTP
    // answer is a Response except 401 and 407, which are Authentication
    // failures; the caller judges the rest (serverFailure below).
    Result<Response> request(const QByteArray& method, const QUrl& url, const QByteArray& body = {},
                             const Headers& headers = {}, Depth depth = Depth::Unset);

    const Account& account() const { return m_account; }

    // Asked before each request and while data flows; true stops the transfer.
    void setCancelCheck(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }
    // Answers longer than this are refused as TooLarge.
    void setResponseLimit(qint64 bytes) { m_responseLimit = bytes; }

private:
    struct Attempt;
    Result<Response> transfer(const QByteArray& method, const QUrl& url, const QByteArray& body,
                              const Headers& headers, Depth depth);
    Attempt perform(const QByteArray& method, const QUrl& url, const QByteArray& body, const Headers& headers,
                    Depth depth, const QByteArray& trustedCertificate);
    Result<Response> verdict(const Attempt& attempt, const QUrl& url) const;
    bool sendsCredentials() const;
    // The login and password go only to the host the user named (on any
    // port, by either scheme): a server that sends us elsewhere, or names
    // collections on another host, does not get them handed on.
    bool sendsCredentialsTo(const QUrl& url) const;

    Account m_account;
    CURL* m_curl = nullptr;
    std::function<bool()> m_cancelled;
    qint64 m_responseLimit = kResponseLimit;
    // The accepted certificate, once a server has shown it: "scheme://host:port" → PEM.
    QHash<QString, QByteArray> m_trustedCertificates;
};

// The failure for an answer the caller cannot use.
Failure serverFailure(const Response& response);

} // namespace Dav

#include "dav_client.h"

#include "curl_library.h"
#include "dav_address_rules.h"
#include "dav_certificate.h"

#include <curl/curl.h>
#include <sys/socket.h>

namespace Dav {

namespace {

constexpr int kMaxRedirects = 5;
constexpr long kConnectTimeoutSeconds = 20;
// A server that sends nothing for a minute is given up.
constexpr long kStallSeconds = 60;

// What the callbacks of one transfer see.
struct Transfer
{
    Response* response = nullptr;
    qint64 limit = 0;
    const std::function<bool()>* cancelled = nullptr;
    bool tooLarge = false;
    bool wasCancelled = false;
    bool refusedAddress = false;
};

size_t receiveBody(char* data, size_t size, size_t count, void* userData)
{
    auto* transfer = static_cast<Transfer*>(userData);
    const qint64 bytes = qint64(size * count);
    if (transfer->response->body.size() + bytes > transfer->limit) {
        transfer->tooLarge = true;
        return 0;
    }
    transfer->response->body.append(data, bytes);
    return size * count;
}

size_t receiveHeader(char* data, size_t size, size_t count, void* userData)
{
    auto* transfer = static_cast<Transfer*>(userData);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    // Each response of the exchange (a 100 Continue, then the answer) starts
    // with its status line: only the last one's headers count.
    if (line.startsWith("HTTP/")) {
        transfer->response->headers.clear();
        return size * count;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0) {
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        QByteArray& kept = transfer->response->headers[name];
        kept = kept.isEmpty() ? value : kept + ", " + value;
    }
    return size * count;
}

int checkCancel(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* transfer = static_cast<Transfer*>(userData);
    if (*transfer->cancelled && (*transfer->cancelled)()) {
        transfer->wasCancelled = true;
        return 1;
    }
    return 0;
}

// Plain http: every address a host name resolves to is checked here, just
// before the connection is made, so a name cannot lead out of the home network.
curl_socket_t openHomeNetworkSocket(void* userData, curlsocktype purpose, curl_sockaddr* address)
{
    auto* transfer = static_cast<Transfer*>(userData);
    if (purpose != CURLSOCKTYPE_IPCXN || !AddressRules::isHomeNetwork(&address->addr)) {
        transfer->refusedAddress = true;
        return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

bool isHttps(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

// A proxy from the environment serves the way out to the Internet; a server
// at home is reached directly.
bool withoutProxy(const QUrl& url)
{
    if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    return !isHttps(url) || AddressRules::isHomeNetworkLiteral(url.host());
}

QString originOf(const QUrl& url)
{
    const int port = url.port(isHttps(url) ? 443 : 80);
    return url.scheme().toLower() + QStringLiteral("://") + url.host().toLower() + QLatin1Char(':') +
           QString::number(port);
}

// The server's certificate was turned down: by the system's authorities, or
// by the pin of the accepted one.
bool certificateRefused(CURLcode code)
{
    return code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_PINNEDPUBKEYNOTMATCH;
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

Failure failure(Failure::Kind kind, const QString& message)
{
    Failure result;
    result.kind = kind;
    result.message = message;
    return result;
}

} // namespace

struct Client::Attempt
{
    CURLcode code = CURLE_OK;
    QString error; // libcurl's own words
    Response response;
    bool tooLarge = false;
    bool cancelled = false;
    bool refusedAddress = false;
};

Client::Client(Account account) : m_account(std::move(account))
{
    m_account.url = m_account.url.adjusted(QUrl::RemoveUserInfo);
}

Client::~Client()
{
    if (m_curl)
        CurlLibrary::get().easy_cleanup(m_curl);
}

bool Client::sendsCredentials() const
{
    // An account without a password is an account without a login.
    return !m_account.login.isEmpty() && !m_account.password.isEmpty();
}

bool Client::sendsCredentialsTo(const QUrl& url) const
{
    return sendsCredentials() && !url.host().isEmpty() &&
           url.host().compare(m_account.url.host(), Qt::CaseInsensitive) == 0;
}

Result<Response> Client::request(const QByteArray& method, const QUrl& url, const QByteArray& body,
                                 const Headers& headers, Depth depth)
{
    if (m_cancelled && m_cancelled())
        return failure(Failure::Cancelled, QStringLiteral("Синхронизация прервана"));
    const CurlLibrary& lib = CurlLibrary::get();
    if (!lib.loaded())
        return failure(Failure::Network,
                       QStringLiteral("Не удалось загрузить библиотеку libcurl: %1").arg(lib.error));
    if (!m_curl && !(m_curl = lib.easy_init()))
        return failure(Failure::Network, QStringLiteral("Не удалось начать обмен с сервером"));

    QUrl current = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    QByteArray currentMethod = method;
    QByteArray currentBody = body;
    for (int hop = 0;; ++hop) {
        if (AddressRules::reachOf(current) == AddressRules::Reach::Refused)
            return failure(Failure::Network, AddressRules::refusalMessage(current));
        Result<Response> result = transfer(currentMethod, current, currentBody, headers, depth);
        if (!result)
            return result;
        Response& response = result.value();
        response.finalUrl = current;
        const QByteArray location = response.header("location");
        if (!isRedirect(response.status) || location.isEmpty())
            return result;
        const QUrl next = current.resolved(QUrl::fromEncoded(location))
                              .adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
        Failure refusal = serverFailure(response);
        if (hop == kMaxRedirects) {
            refusal.message = QStringLiteral("Сервер синхронизации перенаправляет запрос слишком много раз");
            return refusal;
        }
        if (!AddressRules::redirectAllowed(current, next)) {
            refusal.message = QStringLiteral("Сервер синхронизации перенаправил запрос на %1, а туда без "
                                             "шифрования переходить нельзя")
                                  .arg(next.toDisplayString());
            return refusal;
        }
        if (response.status == 303) {
            currentMethod = "GET";
            currentBody.clear();
        }
        current = next;
    }
}

Result<Response> Client::transfer(const QByteArray& method, const QUrl& url, const QByteArray& body,
                                  const Headers& headers, Depth depth)
{
    const QString origin = originOf(url);
    if (isHttps(url) && m_trustedCertificates.contains(origin)) {
        const Attempt attempt =
            perform(method, url, body, headers, depth, m_trustedCertificates.value(origin));
        if (!certificateRefused(attempt.code))
            return verdict(attempt, url);
        m_trustedCertificates.remove(origin);
    }
    const Attempt attempt = perform(method, url, body, headers, depth, {});
    if (!certificateRefused(attempt.code))
        return verdict(attempt, url);

    // No authority vouches for the certificate: it may still be the one the
    // user accepted. Its fingerprint goes into the failure otherwise.
    const ServerCertificate::Fetched shown = ServerCertificate::fetch(url, withoutProxy(url));
    const QString fingerprint = ServerCertificate::sha256OfPem(shown.pem);
    const QString accepted = ServerCertificate::normalizedFingerprint(m_account.acceptedCertificateSha256);
    QString message;
    if (accepted.isEmpty()) {
        message = QStringLiteral("Сертификат сервера %1 не подтверждён (%2). Если это ваш сервер, сверьте "
                                 "отпечаток SHA-256 и примите сертификат.")
                      .arg(url.host(), attempt.error);
    } else if (fingerprint != accepted) {
        message = QStringLiteral("Сертификат сервера %1 не совпадает с принятым ранее (%2).")
                      .arg(url.host(), fingerprint.isEmpty() ? shown.error : attempt.error);
    } else {
        const Attempt pinned = perform(method, url, body, headers, depth, shown.pem);
        if (!certificateRefused(pinned.code)) {
            m_trustedCertificates.insert(origin, shown.pem);
            return verdict(pinned, url);
        }
        // It is the accepted one, and still fails: out of date, say.
        message = QStringLiteral("Принятый ранее сертификат сервера %1 не прошёл проверку (%2).")
                      .arg(url.host(), pinned.error);
    }
    Failure result = failure(Failure::Certificate, message);
    result.certificateSha256 = fingerprint;
    return result;
}

Client::Attempt Client::perform(const QByteArray& method, const QUrl& url, const QByteArray& body,
                                const Headers& headers, Depth depth, const QByteArray& trustedCertificate)
{
    const CurlLibrary& lib = CurlLibrary::get();
    Attempt attempt;
    Transfer transfer{&attempt.response, m_responseLimit, &m_cancelled};
    char errors[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toEncoded();
    const QByteArray login = m_account.login.toUtf8();
    const QByteArray password = m_account.password.toUtf8();
    QByteArray pin;

    lib.easy_reset(m_curl);
    lib.easy_setopt(m_curl, CURLOPT_URL, address.constData());
    lib.easy_setopt(m_curl, CURLOPT_ERRORBUFFER, errors);
    lib.easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    lib.easy_setopt(m_curl, CURLOPT_PROTOCOLS_STR, "http,https");
    lib.easy_setopt(m_curl, CURLOPT_USERAGENT, "Quillarbor");
    lib.easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    lib.easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib.easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    lib.easy_setopt(m_curl, CURLOPT_ACCEPT_ENCODING, "");
    if (withoutProxy(url))
        lib.easy_setopt(m_curl, CURLOPT_NOPROXY, "*");
    if (!isHttps(url)) {
        lib.easy_setopt(m_curl, CURLOPT_OPENSOCKETFUNCTION, openHomeNetworkSocket);
        lib.easy_setopt(m_curl, CURLOPT_OPENSOCKETDATA, &transfer);
    }
    lib.easy_setopt(m_curl, CURLOPT_SSL_VERIFYPEER, 1L);
    if (trustedCertificate.isEmpty()) {
        lib.easy_setopt(m_curl, CURLOPT_SSL_VERIFYHOST, 2L);
    } else {
        // The accepted certificate is then the only trust anchor: the chain
        // is still verified, against it alone. Its name is not, since the
        // user accepted this certificate for this account as it is. The pin
        // of its key holds even should the system's authorities slip in.
        curl_blob blob{const_cast<char*>(trustedCertificate.constData()), size_t(trustedCertificate.size()),
                       CURL_BLOB_COPY};
        lib.easy_setopt(m_curl, CURLOPT_CAINFO, nullptr);
        lib.easy_setopt(m_curl, CURLOPT_CAPATH, nullptr);
        lib.easy_setopt(m_curl, CURLOPT_CAINFO_BLOB, &blob);
        lib.easy_setopt(m_curl, CURLOPT_SSL_VERIFYHOST, 0L);
        pin = ServerCertificate::publicKeyPin(trustedCertificate);
        // A certificate whose key cannot be read pins nothing that could match.
        lib.easy_setopt(m_curl, CURLOPT_PINNEDPUBLICKEY, pin.isEmpty() ? "sha256//-" : pin.constData());
    }
    if (sendsCredentialsTo(url)) {
        lib.easy_setopt(m_curl, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
        lib.easy_setopt(m_curl, CURLOPT_USERNAME, login.constData());
        lib.easy_setopt(m_curl, CURLOPT_PASSWORD, password.constData());
    }

    if (method == "HEAD") {
        lib.easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    } else if (method == "GET" && body.isEmpty()) {
        lib.easy_setopt(m_curl, CURLOPT_HTTPGET, 1L);
    } else {
        lib.easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, method.constData());
        if (!body.isEmpty() || method == "PUT" || method == "POST") {
            lib.easy_setopt(m_curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
            lib.easy_setopt(m_curl, CURLOPT_POSTFIELDS, body.constData());
        }
    }
    curl_slist* headerList = nullptr;
    bool hasContentType = false;
    for (const auto& [name, value] : headers) {
        hasContentType = hasContentType || name.compare("content-type", Qt::CaseInsensitive) == 0;
        headerList = lib.slist_append(headerList, (name + ": " + value).constData());
    }
    if (!body.isEmpty() && !hasContentType)
        headerList = lib.slist_append(headerList, "Content-Type: application/xml; charset=utf-8");
    if (depth != Depth::Unset)
        headerList = lib.slist_append(headerList, depth == Depth::Zero ? "Depth: 0" : "Depth: 1");
    // The body goes at once, without waiting for a 100 Continue.
    headerList = lib.slist_append(headerList, "Expect:");
    lib.easy_setopt(m_curl, CURLOPT_HTTPHEADER, headerList);

    lib.easy_setopt(m_curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(m_responseLimit));
    lib.easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, receiveBody);
    lib.easy_setopt(m_curl, CURLOPT_WRITEDATA, &transfer);
    lib.easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, receiveHeader);
    lib.easy_setopt(m_curl, CURLOPT_HEADERDATA, &transfer);
    lib.easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    lib.easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, checkCancel);
    lib.easy_setopt(m_curl, CURLOPT_XFERINFODATA, &transfer);

    attempt.code = lib.easy_perform(m_curl);
    long status = 0;
    lib.easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &status);
    attempt.response.status = int(status);
    attempt.error = errors[0] ? QString::fromUtf8(errors).trimmed()
                              : QString::fromLatin1(lib.easy_strerror(attempt.code));
    attempt.tooLarge = transfer.tooLarge || attempt.code == CURLE_FILESIZE_EXCEEDED;
    attempt.cancelled = transfer.wasCancelled;
    attempt.refusedAddress = transfer.refusedAddress;
    // Nothing may point into this frame's buffers once it returns.
    lib.easy_setopt(m_curl, CURLOPT_HTTPHEADER, nullptr);
    lib.easy_setopt(m_curl, CURLOPT_ERRORBUFFER, nullptr);
    lib.slist_free_all(headerList);
    return attempt;
}

Result<Response> Client::verdict(const Attempt& attempt, const QUrl& url) const
{
    if (attempt.cancelled)
        return failure(Failure::Cancelled, QStringLiteral("Синхронизация прервана"));
    if (attempt.tooLarge)
        return failure(Failure::TooLarge,
                       QStringLiteral("Ответ сервера синхронизации слишком велик (больше %1 КБ)")
                           .arg(m_responseLimit / 1024));
    if (attempt.refusedAddress)
        return failure(Failure::Network, AddressRules::refusalMessage(url));
    if (attempt.code != CURLE_OK)
        return failure(Failure::Network,
                       QStringLiteral("Сервер синхронизации недоступен: %1").arg(attempt.error));
    if (attempt.response.status == 401 || attempt.response.status == 407) {
        QString message = sendsCredentials() ? QStringLiteral("Неверный логин или пароль")
                                             : QStringLiteral("Сервер требует логин и пароль");
        if (sendsCredentials() && !sendsCredentialsTo(url))
            message = QStringLiteral("Сервер синхронизации отправил запрос на другой сервер (%1), а пароль "
                                     "передаётся только серверу %2. Если %1 и есть ваш сервер, укажите "
                                     "его адрес в настройках")
                          .arg(url.host(), m_account.url.host());
        Failure result = failure(Failure::Authentication, message);
        result.httpStatus = attempt.response.status;
        return result;
    }
    return attempt.response;
}

Failure serverFailure(const Response& response)
{
    Failure result;
    result.kind = Failure::Server;
    result.httpStatus = response.status;
    const QString where = response.finalUrl.toDisplayString(QUrl::RemoveUserInfo);
    switch (response.status) {
    case 403:
        result.message =
            QStringLiteral("Сервер синхронизации запретил это действие (%1, код 403)").arg(where);
        break;
    case 404:
        result.message = QStringLiteral("На сервере синхронизации нет %1 (код 404)").arg(where);
        break;
    case 507:
        result.message = QStringLiteral("На сервере синхронизации не осталось места (код 507)");
        break;
    default:
        result.message = QStringLiteral("Сервер синхронизации ответил ошибкой (%1, код %2)")
                             .arg(where)
                             .arg(response.status);
    }
    return result;
}

} // namespace Dav

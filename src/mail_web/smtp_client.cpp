#include "smtp_client.h"

#include "curl_library.h"

#include <QUrl>
#include <curl/curl.h>
#include <mutex>

namespace SmtpClient {

namespace {

constexpr int kPlainPort = 25;
constexpr int kTlsPort = 465;

// libcurl is loaded with the first letter, not with the program.
const CurlLibrary& curl()
{
    return CurlLibrary::get();
}

struct Upload
{
    QByteArray bytes;
    qsizetype sent = 0;
};

size_t readMessage(char* buffer, size_t size, size_t count, void* userData)
{
    auto* upload = static_cast<Upload*>(userData);
    const qsizetype room = static_cast<qsizetype>(size * count);
    const qsizetype left = upload->bytes.size() - upload->sent;
    const qsizetype chunk = qMin(room, left);
    memcpy(buffer, upload->bytes.constData() + upload->sent, static_cast<size_t>(chunk));
    upload->sent += chunk;
    return static_cast<size_t>(chunk);
}

int progress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* request = static_cast<const Request*>(userData);
    return request->cancelled && request->cancelled() ? 1 : 0;
}

// What the server offered to log in with, from its EHLO answer.
struct Offer
{
    bool auth = false;
    bool login = false;
};

int watchReplies(CURL*, curl_infotype type, char* data, size_t size, void* userData)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    auto* offer = static_cast<Offer*>(userData);
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(size)).trimmed().toUpper();
    // "250-AUTH LOGIN PLAIN" or the old "250-AUTH=LOGIN".
    if (line.size() > 8 && line.startsWith("250") && (line.mid(4, 4) == "AUTH")) {
        offer->auth = true;
        const QList<QByteArray> words = line.mid(8).replace('=', ' ').split(' ');
        if (words.contains("LOGIN"))
            offer->login = true;
    }
    return 0;
}

// Failures before the server has greeted us are connection failures; what
// follows is part of sending.
bool isConnectFailure(CURLcode code, CURL* curl)
{
    const CurlLibrary& lib = SmtpClient::curl();
    switch (code) {
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_WEIRD_SERVER_REPLY:
        return true;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_ABORTED_BY_CALLBACK: {
        // Timed out before a connection stood: the server cannot be reached.
        curl_off_t connected = 0;
        lib.easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
        return connected <= 0;
    }
    default:
        return false;
    }
}

struct Attempt
{
    CURLcode code = CURLE_OK;
    long response = 0;
    Offer offer;
    QString detail;
    bool connectFailure = false;
};

Attempt perform(const Request& request, const Server& server, bool withLogin, bool connectOnly)
{
    Attempt attempt;
    const CurlLibrary& lib = SmtpClient::curl();
    CURL* curl = lib.easy_init();
    if (!curl) {
        attempt.code = CURLE_FAILED_INIT;
        attempt.connectFailure = true;
        attempt.detail = QString::fromLatin1(lib.easy_strerror(attempt.code));
        return attempt;
    }
    char errors[CURL_ERROR_SIZE] = {};
    const QByteArray url = server.url.toUtf8();
    const QByteArray user = request.userName.toUtf8();
    const QByteArray password = request.password.toUtf8();
    const QByteArray from = "<" + request.from.toUtf8() + ">";
    const QByteArray caFile = request.caFile.toUtf8();
    Upload upload{request.message, 0};

    lib.easy_setopt(curl, CURLOPT_URL, url.constData());
    lib.easy_setopt(curl, CURLOPT_ERRORBUFFER, errors);
    lib.easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib.easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    lib.easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    lib.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(request.connectTimeoutSeconds));
    lib.easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(request.transferTimeoutSeconds));
    // The wait for the answer to the letter's end is not bound by the limit
    // above; without this it would be libcurl's own minute.
    lib.easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(request.transferTimeoutSeconds));
    // STARTTLS whenever the server offers it, so a password never goes in clear
    // where it need not; a server without it still gets the letter.
    lib.easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    if (!caFile.isEmpty())
        lib.easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    if (withLogin && !user.isEmpty()) {
        lib.easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        lib.easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
        lib.easy_setopt(curl, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
    }
    lib.easy_setopt(curl, CURLOPT_DEBUGFUNCTION, watchReplies);
    lib.easy_setopt(curl, CURLOPT_DEBUGDATA, &attempt.offer);
    lib.easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    lib.easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    lib.easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    lib.easy_setopt(curl, CURLOPT_XFERINFODATA, &request);

    curl_slist* recipients = nullptr;
    QList<QByteArray> recipientBytes;
    for (const QString& recipient : request.recipients) {
        recipientBytes.append("<" + recipient.toUtf8() + ">");
        recipients = lib.slist_append(recipients, recipientBytes.last().constData());
    }
    if (connectOnly) {
        lib.easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    } else {
        lib.easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
        lib.easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
        lib.easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        lib.easy_setopt(curl, CURLOPT_READFUNCTION, readMessage);
        lib.easy_setopt(curl, CURLOPT_READDATA, &upload);
        lib.easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(upload.bytes.size()));
    }

    attempt.code = lib.easy_perform(curl);
    lib.easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &attempt.response);
    attempt.connectFailure = attempt.code != CURLE_OK && isConnectFailure(attempt.code, curl);
    // A refused login leaves the error buffer empty.
    attempt.detail = QString::fromUtf8(errors[0] ? errors : lib.easy_strerror(attempt.code));
    if (attempt.response)
        attempt.detail += QStringLiteral(" (%1)").arg(attempt.response);
    lib.slist_free_all(recipients);
    lib.easy_cleanup(curl);
    return attempt;
}

} // namespace

Server parseServer(const QString& text)
{
    Server server;
    QString host = text.trimmed();
    int port = kPlainPort;
    // "host:port"; a bare IPv6 address keeps its colons.
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    if (colon > 0 && host.count(QLatin1Char(':')) == 1) {
        bool number = false;
        port = host.mid(colon + 1).toInt(&number);
        if (!number || port <= 0 || port > 65535)
            return server;
        host = host.left(colon);
    }
    if (host.isEmpty() || host.contains(QLatin1Char('/')) || host.contains(QLatin1Char(' ')))
        return server;
    if (host.count(QLatin1Char(':')) > 1 && !host.startsWith(QLatin1Char('[')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    QUrl url;
    url.setScheme(port == kTlsPort ? QStringLiteral("smtps") : QStringLiteral("smtp"));
    url.setHost(host);
    url.setPort(port);
    if (!url.isValid() || url.host().isEmpty())
        return server;
    // The name of our side in EHLO comes after the slash.
    server.url = url.toString(QUrl::FullyEncoded) + QStringLiteral("/localhost");
    server.valid = true;
    return server;
}

Result send(const Request& request)
{
    Result result;
    if (!curl().loaded()) {
        result.outcome = Outcome::ConnectFailed;
        result.detail = curl().error;
        return result;
    }
    const Server server = parseServer(request.server);
    if (!server.valid) {
        result.outcome = Outcome::ConnectFailed;
        result.detail = QStringLiteral("bad server name");
        return result;
    }
    // With no recipient the server refuses the letter; whether it is there at
    // all still decides which message the user reads.
    const bool connectOnly = request.recipients.isEmpty();
    Attempt attempt = perform(request, server, true, connectOnly);
    // A server that offers other ways of logging in but not LOGIN is sent to
    // without one, as to a server that offers none.
    if (attempt.code == CURLE_LOGIN_DENIED && attempt.offer.auth && !attempt.offer.login &&
        !(request.cancelled && request.cancelled()))
        attempt = perform(request, server, false, connectOnly);
    result.detail = attempt.detail;
    if (attempt.code == CURLE_OK)
        result.outcome = connectOnly ? Outcome::SendFailed : Outcome::Sent;
    else
        result.outcome = attempt.connectFailure ? Outcome::ConnectFailed : Outcome::SendFailed;
    return result;
}

} // namespace SmtpClient

#include "https_download.h"

#include "build_addresses.h"
#include "curl_library.h"

#include <QFileInfo>
#include <QSaveFile>
#include <mutex>

namespace HttpsDownload {

namespace {

std::mutex caMutex;
QString caFile;

QString testCaFile()
{
    const std::lock_guard lock(caMutex);
    return caFile;
}

struct Sink
{
    QSaveFile* file;
    qint64 limit;
    qint64 written = 0;
    bool tooLarge = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* userData)
{
    auto* sink = static_cast<Sink*>(userData);
    const qint64 bytes = qint64(size * count);
    if (sink->written + bytes > sink->limit) {
        sink->tooLarge = true;
        return 0;
    }
    if (sink->file->write(data, bytes) != bytes)
        return 0;
    sink->written += bytes;
    return size_t(bytes);
}

int onProgress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* options = static_cast<const Options*>(userData);
    return options->cancelled && options->cancelled() ? 1 : 0;
}

} // namespace

QString baseAddress()
{
    QString base = qEnvironmentVariable("QUILLARBOR_PLUGIN_SERVER");
    if (base.isEmpty())
        base = BuildAddresses::pluginServer();
    // A build without a plug-in server has none.
    if (base.isEmpty())
        return {};
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base;
}

void setCaFileForTests(const QString& path)
{
    const std::lock_guard lock(caMutex);
    caFile = path;
}

Result fetch(const QString& url, const QString& target, const Options& options)
{
    Result result;
    const CurlLibrary& lib = CurlLibrary::get();
    if (!lib.loaded()) {
        result.detail = lib.error;
        return result;
    }
    // Code fetched here runs at the next start: nothing but HTTPS, also
    // after a redirect.
    if (!url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        result.detail = QStringLiteral("not an HTTPS address");
        return result;
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        result.detail = file.errorString();
        return result;
    }
    CURL* curl = lib.easy_init();
    if (!curl) {
        result.detail = QString::fromLatin1(lib.easy_strerror(CURLE_FAILED_INIT));
        return result;
    }
    char errors[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toUtf8();
    const QByteArray ca = testCaFile().toUtf8();
    Sink sink{&file, options.sizeLimit};
    lib.easy_setopt(curl, CURLOPT_URL, address.constData());
    lib.easy_setopt(curl, CURLOPT_ERRORBUFFER, errors);
    lib.easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib.easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    lib.easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    lib.easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    lib.easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    lib.easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    lib.easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!ca.isEmpty())
        lib.easy_setopt(curl, CURLOPT_CAINFO, ca.constData());
    // An error page is no file.
    lib.easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    lib.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    // A server that stops sending is given up after half a minute.
    lib.easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib.easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 30L);
    lib.easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    lib.easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    lib.easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    lib.easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    lib.easy_setopt(curl, CURLOPT_XFERINFODATA, &options);
    const CURLcode code = lib.easy_perform(curl);
    lib.easy_cleanup(curl);
    if (code != CURLE_OK) {
        result.detail = errors[0] ? QString::fromUtf8(errors) : QString::fromLatin1(lib.easy_strerror(code));
        if (sink.tooLarge)
            result.detail = QStringLiteral("file too large");
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.detail = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace HttpsDownload

#pragma once

#include <QString>
#include <functional>

// One file fetched over HTTPS with the server's certificate checked. What
// arrives goes to a temporary file beside the target, which is renamed to
// the target only once the transfer is complete: a half-fetched library is
// never found under its name.
namespace HttpsDownload {

// The plug-in server: QUILLARBOR_PLUGIN_SERVER when set, otherwise the one
// this build was made with; ends in a slash. Empty when there is neither.
QString baseAddress();

struct Options
{
    // Polled during the transfer: true abandons it.
    std::function<bool()> cancelled;
    qint64 sizeLimit = 64 * 1024 * 1024;
};

struct Result
{
    bool ok = false;
    QString detail; // libcurl's reason, for the curious
};

Result fetch(const QString& url, const QString& target, const Options& options = {});

// Tests hand libcurl a certificate authority of their own.
void setCaFileForTests(const QString& path);

} // namespace HttpsDownload

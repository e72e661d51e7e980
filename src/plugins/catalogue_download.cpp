#include "catalogue_download.h"

#include "catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace CatalogueDownload {

namespace {

constexpr qint64 kCatalogueLimit = 1024 * 1024;

bool cancelled(const HttpsDownload::Options& options)
{
    return options.cancelled && options.cancelled();
}

} // namespace

bool makeFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    const QString parent = info.absolutePath();
    if (!QFileInfo(parent).isDir() && !QDir().mkpath(parent))
        return false;
    if (!QDir().mkdir(folder))
        return false;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return true;
}

Result run(const QString& folder, Progress& progress, const HttpsDownload::Options& options)
{
    const QString base = HttpsDownload::baseAddress();
    // A build without a plug-in server fetches nothing, and loads no network library for it.
    if (base.isEmpty())
        return {Outcome::NoServer, {}};
    progress.show();
    const QString index = folder + QLatin1Char('/') + Catalogue::kIndexFile;
    HttpsDownload::Options catalogueOptions = options;
    catalogueOptions.sizeLimit = kCatalogueLimit;
    if (!makeFolder(folder) || !HttpsDownload::fetch(base + Catalogue::kListFile, index, catalogueOptions).ok)
        return {cancelled(options) ? Outcome::Cancelled : Outcome::CatalogueFailed, {}};

    QFile file(index);
    if (!file.open(QIODevice::ReadOnly))
        return {Outcome::Failed, {}};
    const Catalogue::Reading reading = Catalogue::read(file.read(kCatalogueLimit));
    file.close();
    if (reading.kind == Catalogue::Reading::Kind::Bad)
        return {Outcome::BadCatalogue, {}};
    if (reading.kind == Catalogue::Reading::Kind::Unreadable)
        return {Outcome::Failed, {}};

    const int maximum = qMax(reading.count, 0);
    progress.setMaximum(maximum);
    int position = 0;
    QStringList failed;
    for (const QString& name : reading.names) {
        if (cancelled(options))
            return {Outcome::Cancelled, {}};
        if (Catalogue::isSafeName(name)) {
            const QString url = base + QString::fromLatin1(QUrl::toPercentEncoding(name));
            if (!HttpsDownload::fetch(url, folder + QLatin1Char('/') + name, options).ok &&
                !failed.contains(name))
                failed.append(name);
        }
        progress.setPosition(++position);
    }
    // The last library may have been cut short by the stop.
    if (cancelled(options))
        return {Outcome::Cancelled, {}};
    // A catalogue that names fewer libraries than it counts is read when its
    // names are.
    progress.setPosition(maximum);
    if (!failed.isEmpty())
        return {Outcome::LibrariesFailed, failed};
    return {Outcome::Done, {}};
}

} // namespace CatalogueDownload

#pragma once

#include "https_download.h"

#include <QString>
#include <QStringList>

// The download shared by the automatic and the manual path: the catalogue
// into index.dat, then every library it names, beside it in one folder.
namespace CatalogueDownload {

// What the progress bar is told; the thread's progress hands it over to the
// main thread.
class Progress
{
public:
    virtual ~Progress() = default;
    virtual void show() = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual void hide() = 0;
};

enum class Outcome {
    Done,            // the catalogue was read and every library it names arrived
    LibrariesFailed, // the catalogue was read, but some libraries did not arrive
    NoServer,        // this build names no plug-in server: nothing was touched
    CatalogueFailed, // the catalogue could not be fetched
    BadCatalogue,    // no header line, or a count of 0
    Failed,          // index.dat unreadable or its count no number
    Cancelled        // the program is ending
};

struct Result
{
    Outcome outcome = Outcome::Failed;
    // The libraries that did not arrive, in the catalogue's order.
    QStringList failedFiles;
};

// A library that fails to arrive leaves no file under its name and is listed
// in failedFiles; names that are not plain file names are not fetched.
Result run(const QString& folder, Progress& progress, const HttpsDownload::Options& options = {});

// The folder made for downloads, private to the user; false when it cannot be.
bool makeFolder(const QString& folder);

} // namespace CatalogueDownload

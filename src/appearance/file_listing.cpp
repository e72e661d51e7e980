#include "file_listing.h"

#include <QDir>
#include <QFileInfo>

namespace FileListing {

QStringList ListFiles(const QString& folder, const QString& extension, bool withPaths)
{
    QStringList found;
    if (folder.isEmpty())
        return found;
    const QDir directory(folder);
    const QFileInfoList entries = directory.entryInfoList(
        {QStringLiteral("*.") + extension}, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        if (withPaths) {
            found.append(folder + entry.fileName());
        } else {
            const QString name = entry.fileName();
            found.append(name.left(name.size() - extension.size() - 1));
        }
    }
    return found;
}

} // namespace FileListing

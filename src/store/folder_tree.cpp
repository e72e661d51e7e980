#include "folder_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace FolderTree {

namespace {

void removeEntries(const QString& folder, const std::function<void(const QString&)>& couldNotDelete)
{
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString path = entry.absoluteFilePath();
        // A link to a folder elsewhere must not take that folder's files with it.
        if (entry.isDir() && !entry.isSymLink()) {
            removeEntries(path, couldNotDelete);
            QDir().rmdir(path);
            continue;
        }
        // Read-only files go like any other.
        if (!entry.isSymLink() && !(entry.permissions() & QFile::WriteOwner))
            QFile::setPermissions(path, entry.permissions() | QFile::WriteOwner);
        if (!QFile::remove(path) && couldNotDelete)
            couldNotDelete(path);
    }
}

bool exists(const QString& path)
{
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

} // namespace

bool remove(const QString& folder, const std::function<void(const QString& path)>& couldNotDelete)
{
    if (!exists(folder))
        return true;
    removeEntries(folder, couldNotDelete);
    QDir().rmdir(folder);
    return !exists(folder);
}

} // namespace FolderTree

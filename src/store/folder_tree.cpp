#include "folder_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FolderTree {

namespace {

// A folder of the user's own whose mode keeps the owner from listing or
// emptying it gets rwx back: it is going anyway. Neither the look nor the
// change follows a link, so a link in the tree never opens up its target,
// not even one put there in between; where the change cannot be made without
// following (no /proc), the folder stays as it is. True when the owner's
// rwx is there now.
bool openUp(const QString& folder)
{
    const QByteArray name = QFile::encodeName(folder);
    struct stat info;
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    if ((info.st_mode & S_IRWXU) == S_IRWXU)
        return true;
    return info.st_uid == ::geteuid() &&
           ::fchmodat(AT_FDCWD, name.constData(), (info.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW) == 0;
}

void removeEntries(const QString& folder, const std::function<void(const QString&)>& couldNotDelete)
{
    openUp(folder);
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

bool makePrivate(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    if (!QDir().mkpath(path))
        return false;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return true;
}

} // namespace FolderTree

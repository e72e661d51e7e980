#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Removing a folder with everything in it, as the profile deletion does.
namespace FolderTree {

// Deletes every entry of the folder, hidden ones too, and then the folder.
// A file that cannot go is handed to couldNotDelete and the deletion goes on
// with the rest. A folder of the user's own that has lost the owner's read,
// write or search permission gets it back first. A symbolic link is removed
// itself, never followed. True when the folder no longer exists.
bool remove(const QString& folder, const std::function<void(const QString& path)>& couldNotDelete = {});

} // namespace FolderTree

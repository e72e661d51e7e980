#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Making the program's own folders, and removing a folder with everything in
// it, as the profile deletion does.
namespace FolderTree {

// Makes the folder with its parents when it is not there, the folder itself
// open to its owner alone (0700). True when it exists afterwards.
bool makePrivate(const QString& path);

// Deletes every entry of the folder, hidden ones too, and then the folder.
// A file that cannot go is handed to couldNotDelete and the deletion goes on
// with the rest. A folder of the user's own that has lost the owner's read,
// write or search permission gets it back first. A symbolic link is removed
// itself, never followed. True when the folder no longer exists.
bool remove(const QString& folder, const std::function<void(const QString& path)>& couldNotDelete = {});

} // namespace FolderTree

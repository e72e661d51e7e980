#pragma once

#include <QString>

class RegistryStore;

// Facts about the machine and the user that the program reads once.
namespace SystemInfo {

// The folder of the executable, with a trailing slash; side files live there.
QString programFolder();
void setProgramFolder(const QString& folder); // for tests and tools

// The login name of the current user.
QString userName();
void setUserName(const QString& name); // for tests; empty restores the real one

// The documents folder: the store's Shell Folders value when set, otherwise
// the desktop's documents folder (never the root of the file system).
QString documentsFolder(const RegistryStore& store);

// $XDG_DATA_HOME/Quillarbor (default ~/.local/share/Quillarbor): what the
// user adds to the program's side files, whatever the application's name.
QString userDataFolder();

// The full path of the running executable.
QString executablePath();

} // namespace SystemInfo

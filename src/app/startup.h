#pragma once

#include <QString>
#include <memory>

class QApplication;
class RegistryStore;
class TForm1;

namespace Startup {

// What must be settled before the application object exists: the embedded
// browser shares OpenGL contexts, and runs without its sandbox under root.
void prepareProcess();

// Title, style, Russian texts of Qt's own dialogs.
void prepareApplication(QApplication& application);

// The entry's steps before the main window: a damaged settings file is put
// aside, the first-run window runs when the install key is missing, and
// settings of an older version are brought up to date.
void prepareSettings(RegistryStore& registry);

// For the start-up benchmark: once the window is on screen, print "shown"
// with the resident memory, and end.
void reportShownAndQuit(QApplication& application);

// The whole entry; returns the process's exit code.
int run(QApplication& application);

} // namespace Startup

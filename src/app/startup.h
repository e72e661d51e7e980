#pragma once

#include <QString>
#include <memory>

class QApplication;
class QWidget;
class RegistryStore;
class TForm1;

namespace Startup {

// What must be settled before the application object exists: the embedded
// browser runs without its sandbox under root.
void prepareProcess();

// Title, style, Russian texts of Qt's own dialogs.
void prepareApplication(QApplication& application);

// The entry's steps before the main window: a damaged settings file is put
// aside, the first-run window runs when the install key is missing, and
// settings of an older version are brought up to date.
void prepareSettings(RegistryStore& registry);

// For the start-up benchmark: once the window is first mapped and exposed,
// print "shown" with the resident memory, then "helpers" with the number of
// processes started by this one, and end. Called before the window is shown.
void reportShownAndQuit(QWidget& window);

// The whole entry; returns the process's exit code.
int run(QApplication& application);

} // namespace Startup

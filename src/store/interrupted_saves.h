#pragma once

#include <QString>
#include <QStringList>

// What a save killed half way leaves behind. Every file of ours is written
// to a temporary file beside it and renamed over it when complete, so a kill
// never leaves a half-written file under its own name, but it can leave the
// temporary one: "<name>.<six letters or digits>" (our safe saves) or
// ".<name>.part" (the daily copies). Those are removed at start, so they
// neither pile up nor travel into backups.
namespace InterruptedSaves {

// Removes from folder the temporary files of saves of the files that match
// one of the name patterns (wildcards, as "*.dat"); returns how many went.
// Only regular files: folders and links are left alone.
int sweep(const QString& folder, const QStringList& namePatterns);

// The leftovers of every writer in the program's own folders: the profile
// folder with its ideas and daily copies, the user's data folder (link
// categories, plug-ins, the plug-in guard's list) and the autostart entry.
int sweepAll(const QString& profileFolder, const QString& userDataFolder, const QString& autostartFolder);

} // namespace InterruptedSaves

#pragma once

#include <QString>
#include <QStringList>

namespace FileListing {

// The files of a folder whose names end in "." + extension (letter case
// ignored, as the Windows version matched them), sorted by name. The folder
// is given with its trailing separator. With paths: folder + name; without:
// the name without its extension. Folders are never listed.
QStringList ListFiles(const QString& folder, const QString& extension, bool withPaths);

} // namespace FileListing

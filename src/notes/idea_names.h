#pragma once

#include <QString>

// Names of ideas, which are file names in the ideas folder.
namespace IdeaNames {

inline const QString kDefaultStem = QStringLiteral("Набросок");

// Why the name cannot be a file of the ideas folder, or an empty text when
// it can: no separators, no "..", no leading dot, no control characters, no
// characters or endings the Windows version's folders refuse, not empty.
QString problemWith(const QString& name);

// "Набросок1", or the first "НабросокN" without a file in the folder.
QString freeDefaultName(const QString& folder);

// folder (with its trailing separator) + name + ".dat"
QString pathOf(const QString& folder, const QString& name);

} // namespace IdeaNames

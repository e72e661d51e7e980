#pragma once

#include <QList>
#include <QString>

// The help pages are numbered HTML files in the program folder's Manual/.
namespace HelpPages {

// A node of the help section's contents tree; page -1 opens nothing.
struct Node
{
    QString caption;
    int page = -1;
    QList<Node> children;
};

// The contents in their order, with the two standard plug-ins under "Стандартные".
const QList<Node>& contents();

// The file of page n, whether it exists or not.
QString pathOf(const QString& programFolder, int page);

inline const QString kMissingPage = QStringLiteral("Документ не обнаружен!");
inline const QString kViewerCaption = QStringLiteral("Справка - Quillarbor");

} // namespace HelpPages

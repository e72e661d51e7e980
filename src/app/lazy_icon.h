#pragma once

#include <QIcon>
#include <QString>

// An icon of one picture file that reads the file only when the icon is first
// drawn. QIcon reads and decodes its file as soon as it is made, and start-up
// makes some fifty icons, most of them for menus that are not open yet.
QIcon lazyIcon(const QString& file);

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The maker's plug-in catalogue: a header line, a count, then one file name
// per line.
namespace Catalogue {

inline const QByteArray kHeader = QByteArrayLiteral("[QuillarborPluginsList]");
inline const QString kListFile = QStringLiteral("list.txt");
inline const QString kIndexFile = QStringLiteral("index.dat");

struct Reading
{
    enum class Kind {
        Listed,    // header and count read; names holds what the file lists, up to the count
        Bad,       // no header line, or a count of 0
        Unreadable // the count is no number
    };
    Kind kind = Kind::Unreadable;
    int count = 0;
    QStringList names;
};

// Lines end in CR LF (a bare LF is taken too); the header is compared whole,
// letter case counting. Nothing after the counted names is read.
Reading read(const QByteArray& bytes);

// A name is fetched only when it is a plain file name: no path separator,
// no "..", no leading dot, no control character, not empty.
bool isSafeName(const QString& name);

} // namespace Catalogue

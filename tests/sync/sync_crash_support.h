#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>

// What the crash tests of the sync share: putting a server's storage back
// as it was, and saying how two lists of items differ.
namespace SyncCrashSupport {

inline QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

inline bool copyFolder(const QString& from, const QString& to)
{
    QDir(to).removeRecursively();
    if (!QDir().mkpath(to))
        return false;
    const QDir source(from);
    for (const QFileInfo& entry : source.entryInfoList(QDir::Dirs | QDir::Files | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir() ? !copyFolder(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

// What differs between the items found and those expected, for a failure.
inline QString difference(const QStringList& found, const QStringList& expected)
{
    QStringList extra = found;
    QStringList missing;
    for (const QString& name : expected)
        if (!extra.removeOne(name))
            missing.append(name);
    return QStringLiteral("%1 found, %2 expected; missing: %3; extra or twice: %4")
        .arg(found.size())
        .arg(expected.size())
        .arg(missing.mid(0, 5).join(QStringLiteral(", ")), extra.mid(0, 5).join(QStringLiteral(", ")));
}

} // namespace SyncCrashSupport

#include "interrupted_saves.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace InterruptedSaves {

namespace {

// A safe save's temporary file: the final name, a dot and six characters.
const QRegularExpression kSaveSuffix(QStringLiteral("^(.+)\\.[A-Za-z0-9]{6}$"));
// A daily copy under way: a hidden ".<name>.part".
const QRegularExpression kPartName(QStringLiteral("^\\.(.+)\\.part$"));

bool matchesAny(const QString& name, const QStringList& patterns)
{
    for (const QString& pattern : patterns)
        if (QDir::match(pattern, name))
            return true;
    return false;
}

// The name of the file that a leftover was to become, or an empty text.
QString finalNameOf(const QString& leftover)
{
    if (const QRegularExpressionMatch part = kPartName.match(leftover); part.hasMatch())
        return part.captured(1);
    if (const QRegularExpressionMatch save = kSaveSuffix.match(leftover); save.hasMatch())
        return save.captured(1);
    return {};
}

} // namespace

int sweep(const QString& folder, const QStringList& namePatterns)
{
    int removed = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink() || !entry.isFile())
            continue;
        const QString finalName = finalNameOf(entry.fileName());
        // Matching the final name keeps a user's own file with a similar
        // name: only what one of our writers would have made goes.
        if (finalName.isEmpty() || !matchesAny(finalName, namePatterns))
            continue;
        // The pattern "*.dat" matches "a.dat"; its leftover "a.dat.Xy12Ab" is no .dat itself.
        if (matchesAny(entry.fileName(), namePatterns))
            continue;
        if (QFile::remove(entry.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

int sweepAll(const QString& profileFolder, const QString& userDataFolder, const QString& autostartFolder)
{
    int removed = sweep(profileFolder, {QStringLiteral("*.dic")});
    removed += sweep(profileFolder + QStringLiteral("/Ideas"), {QStringLiteral("*.dat")});
    removed += sweep(profileFolder + QStringLiteral("/Backups"), {QStringLiteral("profile-*.mdb")});
    removed += sweep(userDataFolder, {QStringLiteral("plugins-off")});
    removed += sweep(userDataFolder + QStringLiteral("/Resources"), {QStringLiteral("*.dat")});
    removed += sweep(userDataFolder + QStringLiteral("/Plugins"),
                     {QStringLiteral("*.dll"), QStringLiteral("*.so"), QStringLiteral("*.dat")});
    removed += sweep(autostartFolder, {QStringLiteral("quillarbor.desktop")});
    return removed;
}

} // namespace InterruptedSaves

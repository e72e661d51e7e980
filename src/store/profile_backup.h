#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Backups of everything the organiser keeps for a user: the profile database
// (copied consistently while it is open), the ideas, the history files, the
// settings file, the user's link categories and downloaded plug-ins, in one
// ZIP archive with a manifest; restoring one; and the daily copies of the
// database in the profile folder.
namespace ProfileBackup {

// Where a user's data lives.
struct Locations
{
    QString profileFolder;  // profile.mdb, Ideas/, the history files, Backups/
    QString settingsFile;   // the settings store's file
    QString userDataFolder; // Resources/ and Plugins/ of the user's own

    // The profile folder of the documents folder, the given settings file,
    // and $XDG_DATA_HOME/Quillarbor.
    static Locations standard(const QString& documentsFolder, const QString& settingsFile);
};

// Percent done, 0..100.
using Progress = std::function<void(int percent)>;

struct Outcome
{
    bool ok = false;
    QString error; // in Russian, for the user, when !ok
};

inline const QString kManifestName = QStringLiteral("manifest.json");
inline const QString kDatabaseEntry = QStringLiteral("profile/profile.mdb");
constexpr int kDailyCopiesKept = 7;

// Writes the archive to a temporary name beside archivePath and renames it
// when it is complete; an archive already there is replaced only then.
Outcome write(const Locations& from, const QString& archivePath, const QString& version, const QDateTime& now,
              const Progress& progress = {});

// What an archive or a daily copy holds.
struct Contents
{
    bool dailyCopy = false; // a lone database file from Backups/
    QString version;
    QDateTime created;
    QStringList files; // archive entries, the manifest's list
    int ideas = 0;
    int historyFiles = 0;
    bool settings = false;
    int linkCategories = 0;
    int plugins = 0;
};

// Checks an archive (the manifest, every listed file present and whole, a
// database that opens and has the eight tables) or a daily copy (*.mdb).
std::optional<Contents> inspect(const QString& path, QString* error);

// The lines of the restore question that say what will be replaced.
QString describeReplaced(const Contents& contents);

struct RestoreOutcome
{
    bool ok = false;
    QString error;
    QStringList keptAside; // where the data that was replaced now lies
};

// Puts the content of a checked archive or daily copy in place. What it
// replaces is first moved aside under names carrying the moment; on any
// failure everything is put back as it was. The database must be closed.
RestoreOutcome restore(const Locations& to, const QString& path, const QDateTime& now,
                       const Progress& progress = {});

// Everything that restores put aside under the locations: the profile
// folders, settings files and user folders with ".before-restore-" names.
QStringList keptAside(const Locations& at);

// The dated name under which restore() keeps the current profile folder.
QString keptProfileFolder(const Locations& to, const QDateTime& now);

// --- the daily copies of the database ---
QString dailyFolder(const QString& profileFolder);
// Newest first.
QStringList dailyCopies(const QString& profileFolder);
QDate dateOfDailyCopy(const QString& path);
// Makes today's copy unless there is one, then keeps only the newest seven.
// made tells whether a copy was written.
Outcome makeDailyCopy(const QString& profileFolder, const QDate& today, bool* made = nullptr);
// After secrets were sealed anew: the copies made before (which may hold a
// diary page in the clear or values under an old password) give way to one
// copy of the current state, today's. Nothing is done while there are none.
Outcome replaceDailyCopies(const QString& profileFolder, const QDate& today);

// --- helpers, public for the tests and the benchmark ---
// An online copy of an SQLite database: what is committed at that moment,
// also while another connection holds a transaction open.
Outcome copyDatabase(const QString& sourceFile, const QString& targetFile);
// True when the file opens as an SQLite database, passes its quick check and
// has the eight tables of the profile.
bool isProfileDatabase(const QString& file, QString* error);

// The archive's manifest: which program wrote it, when, and every file with its size.
struct Manifest
{
    QString version;
    QDateTime created;
    QList<QPair<QString, qint64>> files;
};
// The manifest's bytes read; nullopt with the reason when they are not one of
// ours or name a file that may not be in a backup.
std::optional<Manifest> parseManifest(const QByteArray& bytes, QString* error);

} // namespace ProfileBackup

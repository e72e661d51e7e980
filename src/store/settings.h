#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class RegistryStore;

namespace Settings {

inline const QString kVersion = QStringLiteral("3.2");
inline const QString kPreviousVersion = QStringLiteral("2.9");
inline const QString kRoot = QStringLiteral("Software\\Quillarbor");
inline const QString kRunKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
inline const QString kShellFoldersKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
inline const QString kDefaultBackupPath = QStringLiteral("C:\\Quillarbor-backup.zip");
// Minutes between two syncs with the server, until the user chooses.
inline constexpr qint32 kDefaultSyncInterval = 15;

enum class Kind { String, ExpandString, Integer, YesNo };

// One row per stored value: the key under Software\Quillarbor, the value name,
// its type and the default the first run writes.
struct Definition
{
    const char* key;
    const char* name;
    Kind kind;
    QVariant firstRunDefault;
};

// Every value in the order the first run writes them.
const QList<Definition>& definitions();
// Every value in the order start-up reads them.
const QList<Definition>& loadOrder();
const Definition* find(const QString& key, const QString& name);

QString fullKey(const char* key);
QString autorunValueName();

// What start-up reads into memory; other code reads this record, not the store.
struct Record
{
    bool autorun = true;
    bool hideInTray = true;
    bool useSkins = true;
    QString backupPath;
    QString skin;
    qint32 numStartUpPlg = 0;
    QString startUpPlg;
    QString plgStory;
    qint32 sortBy = 1;
    bool sorting = false;
    QString popServer;
    QString smtpServer;
    qint32 numOfMyBoxes = 1;
    QString myBoxes;
    QString myPasswords;
    QString signalSound;
    qint32 view = 0;
    qint32 slideType = 1;
    QString slideDirectory;
    qint32 slideInterval = 1;
    qint32 slideIntervalType = 0;
    bool slideRandom = false;
    bool autoLoadNewVersions = true;
    bool autoLoadNewPatches = true;
    bool autoLoadNewSkins = true;
    bool autoLoadNewPlugins = true;
    // The sync server: on while syncServer is not empty; syncInterval in
    // minutes, 0 for by hand only.
    QString syncServer;
    QString syncLogin;
    QString syncAddressBook;
    QString syncCalendar;
    qint32 syncInterval = kDefaultSyncInterval;

    // Beside the stored values.
    QString version = kVersion;
    QString userName;
    QString programFolder;
    QString documentsFolder;

    void set(const Definition& definition, const QVariant& value);
};

// Writes every default, key by key, in the first run's order.
bool writeFirstRunDefaults(RegistryStore& store);

// Brings settings of an older version up to date; returns true when the
// first-run window must run (any version but "2.9").
bool upgradeNeedsFirstRun(RegistryStore& store, const QString& storedVersion);

struct LoadResult
{
    // Yes/no and integer values that were missing or mistyped and were put
    // back to their first-run default so that loading could go on.
    QStringList restored;
};
LoadResult load(RegistryStore& store, Record& record);

// The autorun entry: the store value under the Run key and its desktop mirror.
bool writeAutorun(RegistryStore& store, const QString& executablePath);
bool removeAutorun(RegistryStore& store);
// At every start: with autorun on, the value and its entry are written (the
// program may have moved); with it off, an entry whose value is not there is
// removed, so that the desktop never starts a program that is set not to.
bool syncAutorunAtStart(RegistryStore& store, bool autorun, const QString& executablePath);
QString autostartEntryPath();

} // namespace Settings

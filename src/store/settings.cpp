#include "settings.h"

#include "registry_store.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace Settings {

namespace {

const QString kDefaultPopServer = QStringLiteral("pop.example.com");
const QString kDefaultSmtpServer = QStringLiteral("smtp.example.com");
const QString kDefaultMailBox = QStringLiteral("Quillarbor@example.com");

QList<Definition> makeDefinitions()
{
    return {
        {"install", "version", Kind::String, kVersion},
        {"Mail", "PopServer", Kind::String, kDefaultPopServer},
        {"Mail", "SmtpServer", Kind::String, kDefaultSmtpServer},
        {"Mail", "NumOfMyBoxes", Kind::Integer, 1},
        {"Mail", "MyBoxes", Kind::ExpandString, kDefaultMailBox},
        {"Mail", "MyPasswords", Kind::ExpandString, QStringLiteral("Unsetpass")},
        {"Tasks", "SignalSound", Kind::String, QStringLiteral("#Std#")},
        {"Marks", "View", Kind::Integer, 0},
        {"Slides", "Type", Kind::Integer, 1},
        {"Slides", "Directory", Kind::String, QStringLiteral("None")},
        {"Slides", "Interval", Kind::Integer, 1},
        {"Slides", "IntervalType", Kind::Integer, 0},
        {"Slides", "Random", Kind::YesNo, false},
        {"Events", "Sorting", Kind::YesNo, false},
        {"Events", "SortBy", Kind::Integer, 1},
        {"Updates", "AutoLoadNewVersions", Kind::YesNo, true},
        {"Updates", "AutoLoadNewPatches", Kind::YesNo, true},
        {"Updates", "AutoLoadNewSkins", Kind::YesNo, true},
        {"Updates", "AutoLoadNewPlug-ins", Kind::YesNo, true},
        {"Config", "Autorun", Kind::YesNo, true},
        {"Config", "HideInTray", Kind::YesNo, true},
        {"Config", "UseSkins", Kind::YesNo, true},
        {"Config", "Skin", Kind::String, QStringLiteral("Metal")},
        {"Config", "NumStartUpPlg", Kind::Integer, 0},
        {"Config", "BackupPath", Kind::String, kDefaultBackupPath},
        {"Config", "StartUpPlg", Kind::ExpandString, QString()},
        {"Config", "PlgStory", Kind::String, QString()},
        {"Sync", "Server", Kind::String, QString()},
        {"Sync", "Login", Kind::String, QString()},
        {"Sync", "AddressBook", Kind::String, QString()},
        {"Sync", "Calendar", Kind::String, QString()},
        {"Sync", "Interval", Kind::Integer, kDefaultSyncInterval},
    };
}

QList<Definition> makeLoadOrder()
{
    static const char* const order[][2] = {
        {"Config", "Autorun"},
        {"Config", "HideInTray"},
        {"Config", "UseSkins"},
        {"Config", "BackupPath"},
        {"Config", "Skin"},
        {"Config", "NumStartUpPlg"},
        {"Config", "StartUpPlg"},
        {"Config", "PlgStory"},
        {"Events", "SortBy"},
        {"Events", "Sorting"},
        {"Mail", "PopServer"},
        {"Mail", "SmtpServer"},
        {"Mail", "NumOfMyBoxes"},
        {"Mail", "MyBoxes"},
        {"Mail", "MyPasswords"},
        {"Tasks", "SignalSound"},
        {"Marks", "View"},
        {"Slides", "Type"},
        {"Slides", "Directory"},
        {"Slides", "Interval"},
        {"Slides", "IntervalType"},
        {"Slides", "Random"},
        {"Updates", "AutoLoadNewVersions"},
        {"Updates", "AutoLoadNewPatches"},
        {"Updates", "AutoLoadNewSkins"},
        {"Updates", "AutoLoadNewPlug-ins"},
        {"Sync", "Server"},
        {"Sync", "Login"},
        {"Sync", "AddressBook"},
        {"Sync", "Calendar"},
        {"Sync", "Interval"},
    };
    QList<Definition> list;
    for (const auto& entry : order)
        list.append(*find(QLatin1String(entry[0]), QLatin1String(entry[1])));
    return list;
}

bool writeValue(RegistryStore& store, const Definition& definition, const QVariant& value)
{
    const QString key = fullKey(definition.key);
    const QString name = QLatin1String(definition.name);
    switch (definition.kind) {
    case Kind::String:
        return store.writeString(key, name, value.toString());
    case Kind::ExpandString:
        return store.writeExpandString(key, name, value.toString());
    case Kind::Integer:
        return store.writeInteger(key, name, value.toInt());
    case Kind::YesNo:
        return store.writeBool(key, name, value.toBool());
    }
    return false;
}

} // namespace

const QList<Definition>& definitions()
{
    static const QList<Definition> list = makeDefinitions();
    return list;
}

const QList<Definition>& loadOrder()
{
    static const QList<Definition> list = makeLoadOrder();
    return list;
}

const Definition* find(const QString& key, const QString& name)
{
    for (const Definition& definition : definitions())
        if (key.compare(QLatin1String(definition.key), Qt::CaseInsensitive) == 0 &&
            name.compare(QLatin1String(definition.name), Qt::CaseInsensitive) == 0)
            return &definition;
    return nullptr;
}

QString fullKey(const char* key)
{
    return kRoot + QLatin1Char('\\') + QLatin1String(key);
}

QString autorunValueName()
{
    return QStringLiteral("Quillarbor ") + kVersion;
}

void Record::set(const Definition& definition, const QVariant& value)
{
    const QString name = QLatin1String(definition.name);
    const auto is = [&](const char* key, const char* valueName) {
        return qstrcmp(definition.key, key) == 0 && name == QLatin1String(valueName);
    };
    if (is("Config", "Autorun"))
        autorun = value.toBool();
    else if (is("Config", "HideInTray"))
        hideInTray = value.toBool();
    else if (is("Config", "UseSkins"))
        useSkins = value.toBool();
    else if (is("Config", "BackupPath"))
        backupPath = value.toString();
    else if (is("Config", "Skin"))
        skin = value.toString();
    else if (is("Config", "NumStartUpPlg"))
        numStartUpPlg = value.toInt();
    else if (is("Config", "StartUpPlg"))
        startUpPlg = value.toString();
    else if (is("Config", "PlgStory"))
        plgStory = value.toString();
    else if (is("Events", "SortBy"))
        sortBy = value.toInt();
    else if (is("Events", "Sorting"))
        sorting = value.toBool();
    else if (is("Sync", "Server"))
        syncServer = value.toString();
    else if (is("Sync", "Login"))
        syncLogin = value.toString();
    else if (is("Sync", "AddressBook"))
        syncAddressBook = value.toString();
    else if (is("Sync", "Calendar"))
        syncCalendar = value.toString();
    else if (is("Sync", "Interval"))
        syncInterval = value.toInt();
    else if (is("Mail", "PopServer"))
        popServer = value.toString();
    else if (is("Mail", "SmtpServer"))
        smtpServer = value.toString();
    else if (is("Mail", "NumOfMyBoxes"))
        numOfMyBoxes = value.toInt();
    else if (is("Mail", "MyBoxes"))
        myBoxes = value.toString();
    else if (is("Mail", "MyPasswords"))
        myPasswords = value.toString();
    else if (is("Tasks", "SignalSound"))
        signalSound = value.toString();
    else if (is("Marks", "View"))
        view = value.toInt();
    else if (is("Slides", "Type"))
        slideType = value.toInt();
    else if (is("Slides", "Directory"))
        slideDirectory = value.toString();
    else if (is("Slides", "Interval"))
        slideInterval = value.toInt();
    else if (is("Slides", "IntervalType"))
        slideIntervalType = value.toInt();
    else if (is("Slides", "Random"))
        slideRandom = value.toBool();
    else if (is("Updates", "AutoLoadNewVersions"))
        autoLoadNewVersions = value.toBool();
    else if (is("Updates", "AutoLoadNewPatches"))
        autoLoadNewPatches = value.toBool();
    else if (is("Updates", "AutoLoadNewSkins"))
        autoLoadNewSkins = value.toBool();
    else if (is("Updates", "AutoLoadNewPlug-ins"))
        autoLoadNewPlugins = value.toBool();
}

bool writeFirstRunDefaults(RegistryStore& store)
{
    // One save for all: the first value makes the key "install", and a first
    // run cut short must not leave it without the rest.
    RegistryStore::Batch batch(store);
    bool ok = true;
    for (const Definition& definition : definitions())
        ok = writeValue(store, definition, definition.firstRunDefault) && ok;
    return batch.commit() && ok;
}

bool upgradeNeedsFirstRun(RegistryStore& store, const QString& storedVersion)
{
    if (storedVersion != kPreviousVersion)
        return true;
    // The new version number only together with the new default.
    RegistryStore::Batch batch(store);
    store.writeString(fullKey("install"), QStringLiteral("version"), kVersion);
    store.writeString(fullKey("Config"), QStringLiteral("BackupPath"), kDefaultBackupPath);
    // Settings that came after: their defaults, where they are not set yet.
    for (const Definition& definition : definitions())
        if (qstrcmp(definition.key, "Sync") == 0 &&
            !store.valueExists(fullKey(definition.key), QLatin1String(definition.name)))
            writeValue(store, definition, definition.firstRunDefault);
    return false;
}

LoadResult load(RegistryStore& store, Record& record)
{
    LoadResult result;
    // Defaults put back are saved in one piece.
    RegistryStore::Batch batch(store);
    for (const Definition& definition : loadOrder()) {
        const QString key = fullKey(definition.key);
        const QString name = QLatin1String(definition.name);
        switch (definition.kind) {
        case Kind::String:
        case Kind::ExpandString: {
            const std::optional<QString> text = store.readString(key, name);
            if (text || !store.valueType(key, name)) {
                // A missing string reads as empty.
                record.set(definition, text.value_or(QString()));
            } else {
                // Stored as a number: unreadable, and saving the empty text
                // would lose it for good (a Skin would lose its scheme).
                writeValue(store, definition, definition.firstRunDefault);
                record.set(definition, definition.firstRunDefault);
                result.restored.append(key + QLatin1Char('\\') + name);
            }
            break;
        }
        case Kind::Integer:
        case Kind::YesNo: {
            const auto number = store.readInteger(key, name);
            if (number) {
                record.set(definition,
                           definition.kind == Kind::YesNo ? QVariant(*number != 0) : QVariant(*number));
            } else {
                // The first run always writes these; when one is gone, put the
                // default back rather than leave the rest of start-up without it.
                writeValue(store, definition, definition.firstRunDefault);
                record.set(definition, definition.firstRunDefault);
                result.restored.append(key + QLatin1Char('\\') + name);
            }
            break;
        }
        }
    }
    return result;
}

QString autostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/quillarbor.desktop");
}

bool writeAutorun(RegistryStore& store, const QString& executablePath)
{
    store.createKey(kRunKey);
    if (!store.writeString(kRunKey, autorunValueName(), executablePath))
        return false;
    const QString entryPath = autostartEntryPath();
    QDir().mkpath(QFileInfo(entryPath).absolutePath());
    // Exec= quoting: inside double quotes \ " ` $ are escaped with a backslash, and
    // the desktop file's own string escaping doubles every backslash once more;
    // a line break or tab in the path is written as that escaping's \n or \t so
    // the entry stays one line per key.
    QString quoted;
    for (const QChar c : executablePath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$'))
            quoted += QLatin1String("\\\\") + c;
        else if (c == QLatin1Char('\\'))
            quoted += QLatin1String("\\\\\\\\");
        else if (c == QLatin1Char('%'))
            quoted += QLatin1String("%%");
        else if (c == QLatin1Char('\n'))
            quoted += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            quoted += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            quoted += QLatin1String("\\r");
        else
            quoted += c;
    }
    const QString text =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=\"%2\"\nIcon=quillarbor\n"
                       "Terminal=false\nX-GNOME-Autostart-enabled=true\n")
            .arg(autorunValueName(), quoted);
    const QByteArray bytes = text.toUtf8();
    // Written at every start: an entry that is already right stays untouched.
    QFile present(entryPath);
    if (present.open(QIODevice::ReadOnly) && present.readAll() == bytes)
        return true;
    QSaveFile entry(entryPath);
    if (!entry.open(QIODevice::WriteOnly))
        return false;
    entry.write(bytes);
    return entry.commit();
}

bool syncAutorunAtStart(RegistryStore& store, bool autorun, const QString& executablePath)
{
    if (autorun)
        return writeAutorun(store, executablePath);
    // The entry and the store value are two files: a save cut short between
    // them may have left the entry without its value.
    if (!store.valueExists(kRunKey, autorunValueName()) && QFile::exists(autostartEntryPath()))
        return QFile::remove(autostartEntryPath());
    return true;
}

bool removeAutorun(RegistryStore& store)
{
    store.createKey(kRunKey);
    const bool ok = store.deleteValue(kRunKey, autorunValueName());
    QFile::remove(autostartEntryPath());
    return ok;
}

} // namespace Settings

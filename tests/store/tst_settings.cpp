#include "registry_store.h"
#include "settings.h"
#include "test_home.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <memory>
#include <sys/stat.h>

using RT = RegistryStore::Type;

namespace {
const QString kRoot = QStringLiteral("Software\\Quillarbor\\");

struct Expected
{
    QString key;
    QString name;
    RT type;
    QVariant value;
};

// The first run's values in the order they must be written, written out here
// by hand rather than taken from the program's own table.
QList<Expected> expectedDefaults()
{
    return {
        {"install", "version", RT::String, "3.2"},
        {"Mail", "PopServer", RT::String, "pop.example.com"},
        {"Mail", "SmtpServer", RT::String, "smtp.example.com"},
        {"Mail", "NumOfMyBoxes", RT::Integer, 1},
        {"Mail", "MyBoxes", RT::ExpandString, "Quillarbor@example.com"},
        {"Mail", "MyPasswords", RT::ExpandString, "Unsetpass"},
        {"Tasks", "SignalSound", RT::String, "#Std#"},
        {"Marks", "View", RT::Integer, 0},
        {"Slides", "Type", RT::Integer, 1},
        {"Slides", "Directory", RT::String, "None"},
        {"Slides", "Interval", RT::Integer, 1},
        {"Slides", "IntervalType", RT::Integer, 0},
        {"Slides", "Random", RT::Integer, 0},
        {"Events", "Sorting", RT::Integer, 0},
        {"Events", "SortBy", RT::Integer, 1},
        {"Updates", "AutoLoadNewVersions", RT::Integer, 1},
        {"Updates", "AutoLoadNewPatches", RT::Integer, 1},
        {"Updates", "AutoLoadNewSkins", RT::Integer, 1},
        {"Updates", "AutoLoadNewPlug-ins", RT::Integer, 1},
        {"Config", "Autorun", RT::Integer, 1},
        {"Config", "HideInTray", RT::Integer, 1},
        {"Config", "UseSkins", RT::Integer, 1},
        {"Config", "Skin", RT::String, "Metal"},
        {"Config", "NumStartUpPlg", RT::Integer, 0},
        {"Config", "BackupPath", RT::String, "C:\\Quillarbor-backup.zip"},
        {"Config", "StartUpPlg", RT::ExpandString, ""},
        {"Config", "PlgStory", RT::String, ""},
        {"Sync", "Server", RT::String, ""},
        {"Sync", "Login", RT::String, ""},
        {"Sync", "AddressBook", RT::String, ""},
        {"Sync", "Calendar", RT::String, ""},
        {"Sync", "Interval", RT::Integer, 15},
    };
}
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void firstRunWritesEveryDefaultInOrderWithItsType()
    {
        RegistryStore store(RegistryStore::defaultPath());
        store.load();
        QVERIFY(Settings::writeFirstRunDefaults(store));

        RegistryStore reread(RegistryStore::defaultPath());
        reread.load();
        for (const Expected& value : expectedDefaults()) {
            const QString key = kRoot + value.key;
            QVERIFY2(reread.valueExists(key, value.name), qPrintable(value.name));
            QCOMPARE(reread.valueType(key, value.name), value.type);
            if (value.type == RT::Integer)
                QCOMPARE(reread.readInteger(key, value.name), value.value.toInt());
            else
                QCOMPARE(reread.readString(key, value.name), value.value.toString());
        }
        QVERIFY(!reread.valueExists(kRoot + "update", "PlgStory"));

        // Keys in the order install, Mail, Tasks, Marks, Slides, Events, Updates, Config, Sync,
        // and values within a key in the listed order.
        QStringList keys;
        for (const QString& key : reread.keyNames())
            keys.append(key.mid(kRoot.size()));
        QCOMPARE(keys, (QStringList{"install", "Mail", "Tasks", "Marks", "Slides", "Events", "Updates",
                                    "Config", "Sync"}));
        QCOMPARE(reread.valueNames(kRoot + "Config"),
                 (QStringList{"Autorun", "HideInTray", "UseSkins", "Skin", "NumStartUpPlg", "BackupPath",
                              "StartUpPlg", "PlgStory"}));
    }

    void loadFillsTheRecordAndRestoresMissingNumbers()
    {
        RegistryStore store(RegistryStore::defaultPath());
        store.load();
        Settings::writeFirstRunDefaults(store);
        store.writeString(kRoot + "Config", "Skin", "Modern");
        store.writeInteger(kRoot + "Slides", "Interval", 15);
        store.deleteValue(kRoot + "Config", "HideInTray");
        store.writeString(kRoot + "Marks", "View", "2"); // mistyped

        Settings::Record record;
        const Settings::LoadResult result = Settings::load(store, record);
        QCOMPARE(record.skin, QStringLiteral("Modern"));
        QCOMPARE(record.slideInterval, 15);
        QCOMPARE(record.myBoxes, QStringLiteral("Quillarbor@example.com"));
        QCOMPARE(record.hideInTray, true);
        QCOMPARE(record.view, 0);
        QCOMPARE(result.restored, (QStringList{kRoot + "Config\\HideInTray", kRoot + "Marks\\View"}));
        QCOMPARE(store.readBool(kRoot + "Config", "HideInTray"), true);
        QCOMPARE(store.readInteger(kRoot + "Marks", "View"), 0);

        // Strings that are missing read as empty and are not written back.
        store.deleteValue(kRoot + "Config", "Skin");
        Settings::load(store, record);
        QCOMPARE(record.skin, QString());
        QVERIFY(!store.valueExists(kRoot + "Config", "Skin"));

        // A string stored as a number cannot be read: its default comes back
        // as a string, so the next save does not write the empty text.
        store.writeInteger(kRoot + "Config", "Skin", 7);
        store.writeInteger(kRoot + "Mail", "MyBoxes", 1);
        const Settings::LoadResult mistyped = Settings::load(store, record);
        QCOMPARE(record.skin, QStringLiteral("Metal"));
        QCOMPARE(record.myBoxes, QStringLiteral("Quillarbor@example.com"));
        QCOMPARE(mistyped.restored, (QStringList{kRoot + "Config\\Skin", kRoot + "Mail\\MyBoxes"}));
        QCOMPARE(store.readString(kRoot + "Config", "Skin"), QStringLiteral("Metal"));
        QCOMPARE(store.valueType(kRoot + "Mail", "MyBoxes"), RegistryStore::Type::ExpandString);
    }

    void upgradeFromTwoNineKeepsEverythingElse()
    {
        RegistryStore store(RegistryStore::defaultPath());
        store.load();
        Settings::writeFirstRunDefaults(store);
        store.writeString(kRoot + "install", "version", "2.9");
        store.writeString(kRoot + "Config", "BackupPath", "D:\\old.zip");
        store.writeString(kRoot + "Config", "Skin", "Modern");
        QVERIFY(!Settings::upgradeNeedsFirstRun(store, "2.9"));
        QCOMPARE(store.readString(kRoot + "install", "version"), QStringLiteral("3.2"));
        QCOMPARE(store.readString(kRoot + "Config", "BackupPath"),
                 QStringLiteral("C:\\Quillarbor-backup.zip"));
        QCOMPARE(store.readString(kRoot + "Config", "Skin"), QStringLiteral("Modern"));

        QVERIFY(Settings::upgradeNeedsFirstRun(store, "3.1"));
        QVERIFY(Settings::upgradeNeedsFirstRun(store, QString()));
    }

    void autorunValueAndItsDesktopEntry()
    {
        RegistryStore store(RegistryStore::defaultPath());
        store.load();
        const QString program = QStringLiteral("/opt/My Apps/quillarbor");
        QVERIFY(Settings::writeAutorun(store, program));
        QCOMPARE(store.readString(Settings::kRunKey, "Quillarbor 3.2"), program);
        QFile entry(Settings::autostartEntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(entry.readAll());
        QVERIFY(text.contains(QStringLiteral("Exec=\"/opt/My Apps/quillarbor\"")));
        QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]")));
        entry.close();
        // Written again at the next start: an entry that is already right is left as it is,
        // one that was changed by hand is put right.
        // (a rewrite puts a new file in place, under a new inode)
        const auto fileIdentity = [] {
            struct stat status
            {
            };
            return ::stat(QFile::encodeName(Settings::autostartEntryPath()).constData(), &status) == 0
                       ? status.st_ino
                       : ino_t(0);
        };
        const ino_t written = fileIdentity();
        QVERIFY(Settings::writeAutorun(store, program));
        QCOMPARE(fileIdentity(), written);
        QVERIFY(entry.open(QIODevice::WriteOnly | QIODevice::Truncate));
        entry.write("[Desktop Entry]\nExec=/elsewhere\n");
        entry.close();
        QVERIFY(Settings::writeAutorun(store, program));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(entry.readAll()), text);
        entry.close();

        // A folder name may hold anything but a slash: quotes, a dollar, a
        // backslash, a percent sign, even a line break. The Exec line escapes them
        // as the desktop-entry rules ask and the entry stays one line per key.
        const QString odd = QStringLiteral("/opt/a\"b$c\\d%e\nf\tg/quillarbor");
        QVERIFY(Settings::writeAutorun(store, odd));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(entry.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        entry.close();
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^Exec="))),
                 QStringList{QStringLiteral("Exec=\"/opt/a\\\\\"b\\\\$c\\\\\\\\d%%e\\nf\\tg/quillarbor\"")});
        QCOMPARE(lines.size(), text.count(QLatin1Char('\n')));

        QVERIFY(Settings::removeAutorun(store));
        QVERIFY(!store.valueExists(Settings::kRunKey, "Quillarbor 3.2"));
        QVERIFY(!QFile::exists(Settings::autostartEntryPath()));
        // Removing again is no failure.
        QVERIFY(Settings::removeAutorun(store));
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

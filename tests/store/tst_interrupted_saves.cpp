// What saves killed half way leave behind goes at start, and nothing else:
// the files themselves, a settings file kept aside as damaged, the user's
// own files with look-alike names, links and folders all stay.
#include "interrupted_saves.h"
#include "registry_store.h"
#include "test_home.h"
#include "test_main.h"

#include <QDir>
#include <QFile>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

QStringList namesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

class TestInterruptedSaves : public QObject
{
    Q_OBJECT

private slots:
    void leftoversOfOurWritersGoAndNothingElse()
    {
        TestHome home;
        const QString profile = home.profileFolder();
        const QString data = home.path() + QStringLiteral("/.local/share/Quillarbor");
        const QString autostart = home.path() + QStringLiteral("/.config/autostart");
        for (const QString& path :
             {profile + "/Theme.dic", profile + "/Theme.dic.aB3dE9", profile + "/profile.mdb",
              profile + "/заметки.txt.abcdef", profile + "/Ideas/Дом.dat", profile + "/Ideas/Дом.dat.XyZ123",
              profile + "/Ideas/фото.jpg.Qw12Er", profile + "/Backups/profile-2026-12-08.mdb",
              profile + "/Backups/.profile-2026-12-09.mdb.part", profile + "/Backups/.чужой.part",
              data + "/plugins-off", data + "/plugins-off.k2L9mN", data + "/Resources/Новости.dat.Zz00Aa",
              data + "/Resources/Новости.dat", data + "/Plugins/libx.so.Qw12Er",
              data + "/Plugins/index.dat.aaaaaa", data + "/Plugins/readme.txt.aaaaaa",
              autostart + "/quillarbor.desktop.Ab12Cd", autostart + "/other.desktop.Ab12Cd"})
            touch(path);
        // A link and a folder with a leftover's name are not ours to remove.
        QVERIFY(QFile::link(profile + "/Theme.dic", profile + "/EvName.dic.Lk12Lk"));
        QVERIFY(QDir().mkpath(profile + "/Ideas/Сад.dat.Dd11Dd"));

        QCOMPARE(InterruptedSaves::sweepAll(profile, data, autostart), 8);
        QCOMPARE(namesIn(profile), (QStringList{"Backups", "EvName.dic.Lk12Lk", "Ideas", "Theme.dic",
                                                "profile.mdb", "заметки.txt.abcdef"}));
        QCOMPARE(namesIn(profile + "/Ideas"), (QStringList{"Дом.dat", "Сад.dat.Dd11Dd", "фото.jpg.Qw12Er"}));
        QCOMPARE(namesIn(profile + "/Backups"), (QStringList{".чужой.part", "profile-2026-12-08.mdb"}));
        QCOMPARE(namesIn(data), (QStringList{"Plugins", "Resources", "plugins-off"}));
        QCOMPARE(namesIn(data + "/Resources"), QStringList{"Новости.dat"});
        QCOMPARE(namesIn(data + "/Plugins"), QStringList{"readme.txt.aaaaaa"});
        QCOMPARE(namesIn(autostart), QStringList{"other.desktop.Ab12Cd"});
        // Folders that are not there are no failure.
        QCOMPARE(
            InterruptedSaves::sweepAll(home.path() + "/none", home.path() + "/none", home.path() + "/none"),
            0);
    }

    void theSettingsStoreSweepsItsFolderAsItLoads()
    {
        TestHome home;
        {
            RegistryStore registry(RegistryStore::defaultPath());
            registry.load();
            QVERIFY(registry.writeString(QStringLiteral("Software\\Quillarbor\\Config"),
                                         QStringLiteral("Skin"), QStringLiteral("Осень")));
        }
        const QString folder = QFileInfo(RegistryStore::defaultPath()).absolutePath();
        touch(folder + "/registry.json.Ab12Cd");
        touch(folder + "/registry.json.damaged-20261209-101010");
        RegistryStore registry(RegistryStore::defaultPath());
        QVERIFY(!registry.load().damaged);
        QCOMPARE(registry.readString(QStringLiteral("Software\\Quillarbor\\Config"), QStringLiteral("Skin")),
                 QStringLiteral("Осень"));
        QCOMPARE(namesIn(folder), (QStringList{"registry.json", "registry.json.damaged-20261209-101010"}));
    }
};

QUILL_TEST_MAIN(TestInterruptedSaves)

#include "tst_interrupted_saves.moc"

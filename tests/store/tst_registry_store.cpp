#include "registry_store.h"
#include "test_home.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <memory>
#include <sys/stat.h>
#include <thread>

class TestRegistryStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void typedValuesAndReadFailures()
    {
        RegistryStore store(RegistryStore::defaultPath());
        store.load();
        const QString key = QStringLiteral("Software\\Quillarbor\\Config");
        QVERIFY(store.writeString(key, QStringLiteral("Skin"), QStringLiteral("Metal")));
        QVERIFY(store.writeExpandString(key, QStringLiteral("StartUpPlg"), QStringLiteral("%HOME%")));
        QVERIFY(store.writeInteger(key, QStringLiteral("NumStartUpPlg"), -7));
        QVERIFY(store.writeBool(key, QStringLiteral("Autorun"), true));

        QCOMPARE(store.readString(key, QStringLiteral("Skin")), QStringLiteral("Metal"));
        QCOMPARE(store.readString(key, QStringLiteral("StartUpPlg")), QStringLiteral("%HOME%"));
        QCOMPARE(store.readInteger(key, QStringLiteral("NumStartUpPlg")), -7);
        QCOMPARE(store.readBool(key, QStringLiteral("Autorun")), true);
        QCOMPARE(store.readInteger(key, QStringLiteral("Autorun")), 1);

        // Missing values and values of another type do not read.
        QVERIFY(!store.readString(key, QStringLiteral("Nothing")));
        QVERIFY(!store.readInteger(key, QStringLiteral("Nothing")));
        QVERIFY(!store.readInteger(key, QStringLiteral("Skin")));
        QVERIFY(!store.readBool(key, QStringLiteral("Skin")));
        QVERIFY(!store.readString(key, QStringLiteral("NumStartUpPlg")));

        // Any number but 0 reads as true.
        store.writeInteger(key, QStringLiteral("HideInTray"), 5);
        QCOMPARE(store.readBool(key, QStringLiteral("HideInTray")), true);
        store.writeInteger(key, QStringLiteral("HideInTray"), 0);
        QCOMPARE(store.readBool(key, QStringLiteral("HideInTray")), false);
    }

    void namesIgnoreLetterCase()
    {
        RegistryStore store(RegistryStore::defaultPath());
        store.load();
        store.writeString(QStringLiteral("Software\\Quillarbor\\install"), QStringLiteral("version"),
                          QStringLiteral("3.2"));
        QVERIFY(store.keyExists(QStringLiteral("SOFTWARE\\quillarbor\\INSTALL")));
        QCOMPARE(store.readString(QStringLiteral("software\\QUILLARBOR\\Install"), QStringLiteral("VERSION")),
                 QStringLiteral("3.2"));
        // Writing under another case replaces, never duplicates.
        store.writeString(QStringLiteral("SOFTWARE\\QUILLARBOR\\INSTALL"), QStringLiteral("Version"),
                          QStringLiteral("2.9"));
        QCOMPARE(store.valueNames(QStringLiteral("Software\\Quillarbor\\install")).size(), 1);
        QCOMPARE(store.keyNames().size(), 1);
    }

    void survivesReloadInWriteOrderWithPrivateModes()
    {
        {
            RegistryStore store(RegistryStore::defaultPath());
            store.load();
            store.writeInteger(QStringLiteral("A"), QStringLiteral("z"), 1);
            store.writeString(QStringLiteral("A"), QStringLiteral("b"),
                              QStringLiteral("текст \"с\" кавычками"));
            store.writeBool(QStringLiteral("A"), QStringLiteral("m"), false);
        }
        RegistryStore again(RegistryStore::defaultPath());
        QVERIFY(!again.load().damaged);
        QCOMPARE(again.valueNames(QStringLiteral("a")), (QStringList{"z", "b", "m"}));
        QCOMPARE(again.readString(QStringLiteral("A"), QStringLiteral("b")),
                 QStringLiteral("текст \"с\" кавычками"));
        QCOMPARE(again.valueType(QStringLiteral("A"), QStringLiteral("m")), RegistryStore::Type::Integer);

        const QFile::Permissions fileMode = QFile::permissions(m_home->registryFile());
        QCOMPARE(fileMode & ~(QFile::ReadUser | QFile::WriteUser), QFile::ReadOwner | QFile::WriteOwner);
        const QString folder = QFileInfo(m_home->registryFile()).absolutePath();
        QVERIFY(!(QFile::permissions(folder) & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther)));
    }

    void theSameValueAgainLeavesTheFileAlone()
    {
        // Each save puts a new file in place: its inode tells whether it was rewritten.
        const auto fileIdentity = [this] {
            struct stat status
            {
            };
            return ::stat(QFile::encodeName(m_home->registryFile()).constData(), &status) == 0 ? status.st_ino
                                                                                               : ino_t(0);
        };
        RegistryStore store(RegistryStore::defaultPath());
        store.load();
        QVERIFY(store.writeString(QStringLiteral("A"), QStringLiteral("path"), QStringLiteral("/opt/q")));
        const ino_t written = fileIdentity();
        QVERIFY(written != 0);
        QVERIFY(store.writeString(QStringLiteral("a"), QStringLiteral("PATH"), QStringLiteral("/opt/q")));
        QCOMPARE(fileIdentity(), written);
        // Another value, or the same text under another type, is written.
        QVERIFY(
            store.writeExpandString(QStringLiteral("A"), QStringLiteral("path"), QStringLiteral("/opt/q")));
        QVERIFY(fileIdentity() != written);
        QCOMPARE(store.valueType(QStringLiteral("A"), QStringLiteral("path")),
                 RegistryStore::Type::ExpandString);

        // A store whose file cannot be written never reports the same value as saved.
        RegistryStore unwritable(QStringLiteral("/proc/quillarbor-test/registry.json"));
        QVERIFY(!unwritable.writeString(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")));
        QVERIFY(!unwritable.writeString(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")));
    }

    void aBatchReachesTheFileInOnePiece()
    {
        const auto fileValues = [this] {
            RegistryStore reader(m_home->registryFile());
            reader.load();
            return reader.valueNames(QStringLiteral("K"));
        };
        RegistryStore store(RegistryStore::defaultPath());
        store.load();
        QVERIFY(store.writeInteger(QStringLiteral("K"), QStringLiteral("a"), 1));
        {
            RegistryStore::Batch outer(store);
            QVERIFY(store.writeInteger(QStringLiteral("K"), QStringLiteral("b"), 2));
            {
                RegistryStore::Batch inner(store);
                QVERIFY(store.writeInteger(QStringLiteral("K"), QStringLiteral("c"), 3));
                QVERIFY(inner.commit());
            }
            // Read at once from memory, on disk only when the outermost batch ends.
            QCOMPARE(store.readInteger(QStringLiteral("K"), QStringLiteral("c")), 3);
            QCOMPARE(fileValues(), QStringList{QStringLiteral("a")});
        }
        QCOMPARE(fileValues(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));

        // A batch that changed nothing leaves the file alone; one whose save fails says so.
        const auto inode = [this] {
            struct stat status
            {
            };
            return ::stat(QFile::encodeName(m_home->registryFile()).constData(), &status) == 0 ? status.st_ino
                                                                                               : ino_t(0);
        };
        const ino_t written = inode();
        {
            RegistryStore::Batch idle(store);
            QVERIFY(store.writeInteger(QStringLiteral("K"), QStringLiteral("a"), 1));
            QVERIFY(idle.commit());
        }
        QCOMPARE(inode(), written);
        RegistryStore unwritable(QStringLiteral("/proc/quillarbor-test/registry.json"));
        RegistryStore::Batch failing(unwritable);
        QVERIFY(unwritable.writeString(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1")));
        QVERIFY(!failing.commit());
        QVERIFY(!unwritable.lastError().isEmpty());
    }

    void deletingKeysAndValues()
    {
        RegistryStore store(RegistryStore::defaultPath());
        store.load();
        store.writeString(QStringLiteral("Software\\Quillarbor\\Config"), QStringLiteral("Skin"),
                          QStringLiteral("x"));
        store.writeString(QStringLiteral("Software\\Quillarbor\\Mail"), QStringLiteral("MyBoxes"),
                          QStringLiteral("y"));
        store.writeString(QStringLiteral("Software\\QuillarborOther"), QStringLiteral("Keep"),
                          QStringLiteral("z"));
        QVERIFY(store.deleteValue(QStringLiteral("Software\\Quillarbor\\Config"), QStringLiteral("absent")));
        QVERIFY(store.deleteValue(QStringLiteral("Software\\Quillarbor\\Config"), QStringLiteral("SKIN")));
        QVERIFY(!store.valueExists(QStringLiteral("Software\\Quillarbor\\Config"), QStringLiteral("Skin")));
        QVERIFY(store.deleteKey(QStringLiteral("software\\quillarbor")));
        QVERIFY(!store.keyExists(QStringLiteral("Software\\Quillarbor\\Mail")));
        QVERIFY(store.keyExists(QStringLiteral("Software\\QuillarborOther")));
    }

    void damagedFileIsKeptAside()
    {
        const QString path = m_home->registryFile();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{ \"keys\": [ this is not json");
        file.close();

        RegistryStore store(path);
        const RegistryStore::LoadReport report = store.load();
        QVERIFY(report.damaged);
        QVERIFY(!report.keptAs.isEmpty());
        QFile kept(report.keptAs);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("{ \"keys\": [ this is not json"));
        QVERIFY(store.keyNames().isEmpty());
        // The store works from scratch afterwards.
        QVERIFY(store.writeString(QStringLiteral("K"), QStringLiteral("v"), QStringLiteral("1")));
        RegistryStore again(path);
        QVERIFY(!again.load().damaged);
    }

    void writesFromTwoThreads()
    {
        RegistryStore store(RegistryStore::defaultPath());
        store.load();
        auto writer = [&store](const QString& key) {
            for (int i = 0; i < 50; ++i)
                store.writeInteger(key, QStringLiteral("n%1").arg(i), i);
        };
        std::thread other(writer, QStringLiteral("Other"));
        writer(QStringLiteral("Main"));
        other.join();
        RegistryStore again(RegistryStore::defaultPath());
        QVERIFY(!again.load().damaged);
        QCOMPARE(again.valueNames(QStringLiteral("Other")).size(), 50);
        QCOMPARE(again.valueNames(QStringLiteral("Main")).size(), 50);
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestRegistryStore)
#include "tst_registry_store.moc"

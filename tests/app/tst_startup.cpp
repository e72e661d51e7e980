#include "build_addresses.h"
#include "first_run_window.h"
#include "help_viewer.h"
#include "main_window.h"
#include "profile_database.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "settings.h"
#include "startup.h"
#include "system_info.h"
#include "test_home.h"
#include "test_main.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {
const QString kInstall = QStringLiteral("Software\\Quillarbor\\install");
const QString kConfig = QStringLiteral("Software\\Quillarbor\\Config");
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TForm2::setFadeStepPause(0); }
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
    }
    void cleanup()
    {
        m_seams.reset();
        m_home.reset();
    }

    // The visit at the end goes to the program's site, or, in a build made
    // without one, to its own page about the program.
    void firstStartFadesInWritesDefaultsAndOpensTheSite_data()
    {
        QTest::addColumn<QString>("site");
        QTest::newRow("a build with a site") << "https://quillarbor.test/";
        QTest::newRow("a build without one") << "";
    }
    void firstStartFadesInWritesDefaultsAndOpensTheSite()
    {
        QFETCH(QString, site);
        const BuildAddresses::Set addresses{site, {}, {}, {}};
        BuildAddresses::setForTests(&addresses);
        const auto restore = qScopeGuard([] { BuildAddresses::setForTests(nullptr); });
        QString aboutPage;

        // The window is shown modally and does its work on its timer's first tick.
        bool transparentAtFirst = false;
        bool splashBehindTheBox = false;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            auto* splash = qobject_cast<TForm2*>(window);
            QVERIFY(splash);
            // The splash stays on screen, fully opaque, behind the information box.
            m_seams->boxes.onShow = [&, splash](const MessageBoxes::Request&) {
                splashBehindTheBox = splash->isVisible() && splash->windowOpacity() == 1.0;
            };
            splash->show();
            transparentAtFirst = splash->windowOpacity() == 0.0;
            QCOMPARE(splash->windowTitle(), QStringLiteral("Logo"));
            QCOMPARE(splash->size(), QSize(464, 286));
            QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
            QCOMPARE(splash->Timer1->interval(), 1000);
            QTRY_VERIFY_WITH_TIMEOUT(!splash->isVisible(), 3000);
        });
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            if (auto* viewer = qobject_cast<TForm10*>(window))
                aboutPage = viewer->WebBrowser1->source().toLocalFile();
        });
        RegistryStore registry(RegistryStore::defaultPath());
        Startup::prepareSettings(registry);

        QVERIFY(transparentAtFirst);
        QVERIFY(splashBehindTheBox);
        QCOMPARE(registry.readString(kInstall, "version"), QStringLiteral("3.2"));
        QCOMPARE(registry.readBool(kConfig, "HideInTray"), true);
        QCOMPARE(registry.readString(kConfig, "Skin"), QStringLiteral("Metal"));
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QCOMPARE(m_seams->boxes.shown[0].title, QStringLiteral("Информация"));
        QCOMPARE(m_seams->boxes.shown[0].text,
                 QStringLiteral("Посетите наш сайт с целю проверки обновления программы"));
        QCOMPARE(m_seams->boxes.shown[0].icon, MessageBoxes::Icon::Information);
        if (site.isEmpty()) {
            QCOMPARE(m_seams->modals.opened, (QStringList{"TForm2", "TForm10"}));
            QCOMPARE(QFileInfo(aboutPage).canonicalFilePath(),
                     QFileInfo(TestHome::programFolder() + "Manual/1.htm").canonicalFilePath());
            QVERIFY(m_seams->shell.opened.isEmpty());
        } else {
            QCOMPARE(m_seams->modals.opened, QStringList{"TForm2"});
            QCOMPARE(m_seams->shell.opened, QStringList{site});
        }
    }

    void storedVersionDecidesFirstRunOrUpgrade_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("hasVersion");
        QTest::addColumn<bool>("firstRun");
        QTest::newRow("2.9 upgrades quietly") << "2.9" << true << false;
        QTest::newRow("3.1 runs the first run") << "3.1" << true << true;
        QTest::newRow("no version runs the first run") << "" << false << true;
        QTest::newRow("3.2 runs neither") << "3.2" << true << false;
    }
    void storedVersionDecidesFirstRunOrUpgrade()
    {
        QFETCH(QString, version);
        QFETCH(bool, hasVersion);
        QFETCH(bool, firstRun);
        {
            RegistryStore registry(RegistryStore::defaultPath());
            registry.load();
            Settings::writeFirstRunDefaults(registry);
            registry.writeString(kConfig, "Skin", "Modern");
            registry.writeString(kConfig, "BackupPath", "D:\\mine.zip");
            if (hasVersion)
                registry.writeString(kInstall, "version", version);
            else
                registry.deleteValue(kInstall, "version");
        }
        m_seams->modals.scripts.enqueue(
            [](QDialog* window) { QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 3000); });
        RegistryStore registry(RegistryStore::defaultPath());
        Startup::prepareSettings(registry);

        QCOMPARE(m_seams->modals.opened.count(QStringLiteral("TForm2")), firstRun ? 1 : 0);
        QCOMPARE(registry.readString(kInstall, "version"), QStringLiteral("3.2"));
        const bool upgraded = version == "2.9";
        QCOMPARE(registry.readString(kConfig, "Skin"),
                 firstRun ? QStringLiteral("Metal") : QStringLiteral("Modern"));
        QCOMPARE(registry.readString(kConfig, "BackupPath"), (firstRun || upgraded)
                                                                 ? QStringLiteral("C:\\Quillarbor-backup.zip")
                                                                 : QStringLiteral("D:\\mine.zip"));
        QCOMPARE(m_seams->boxes.shown.size(), firstRun ? 1 : 0);
    }

    void damagedSettingsFileIsKeptAndTheFirstRunFollows()
    {
        QDir().mkpath(QFileInfo(m_home->registryFile()).absolutePath());
        QFile file(m_home->registryFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x00\x01garbage");
        file.close();
        m_seams->modals.scripts.enqueue(
            [](QDialog* window) { QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 3000); });

        RegistryStore registry(RegistryStore::defaultPath());
        Startup::prepareSettings(registry);

        QCOMPARE(m_seams->boxes.shown.size(), 2);
        QCOMPARE(m_seams->boxes.shown[0].title, QStringLiteral("Предупреждение"));
        QVERIFY(m_seams->boxes.shown[0].text.contains("registry.json.damaged-"));
        QCOMPARE(m_seams->modals.opened.value(0), QStringLiteral("TForm2"));
        QCOMPARE(registry.readString(kInstall, "version"), QStringLiteral("3.2"));
        const QStringList kept = QDir(QFileInfo(m_home->registryFile()).absolutePath())
                                     .entryList({"registry.json.damaged-*"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
    }

    void mainWindowCaptionAndProfile()
    {
        SystemInfo::setUserName("anna");
        RegistryStore registry(RegistryStore::defaultPath());
        registry.load();
        Settings::writeFirstRunDefaults(registry);
        TForm1 window(registry);
        QVERIFY(window.startedUp());
        QCOMPARE(window.windowTitle(), QStringLiteral("Quillarbor 3.2 - anna"));
        QVERIFY(QFile::exists(m_home->profileFolder() + "/profile.mdb"));
        QVERIFY(window.database().isOpen());
        QVERIFY(!window.acceptsInput());
        QVERIFY(window.startupFinished());
        QCOMPARE(window.currentSection(), 778);
        QCOMPARE(window.statusMessage(), QStringLiteral("Загрузка настроек завершена!"));
        QCOMPARE(window.Timer1->interval(), 3000);
        QVERIFY(window.Timer1->isActive());
        QVERIFY(m_seams->boxes.shown.isEmpty());
    }

    void missingDocumentsValueNeverMeansTheRoot()
    {
        RegistryStore registry(RegistryStore::defaultPath());
        registry.load();
        Settings::writeFirstRunDefaults(registry);
        registry.writeString(Settings::kShellFoldersKey, "personal", "");
        TForm1 window(registry);
        QVERIFY(window.startedUp());
        QCOMPARE(window.settings().documentsFolder, m_home->documents());
    }

    // The driver's address is on the program's site: a build without one names none.
    void missingTemplateEndsWithTheFourLineMessage_data()
    {
        QTest::addColumn<QString>("site");
        QTest::newRow("a build with a site") << "https://quillarbor.test/";
        QTest::newRow("a build without one") << "";
    }
    void missingTemplateEndsWithTheFourLineMessage()
    {
        QFETCH(QString, site);
        const BuildAddresses::Set addresses{site, {}, {}, {}};
        BuildAddresses::setForTests(&addresses);
        const auto restore = qScopeGuard([] { BuildAddresses::setForTests(nullptr); });
        QTemporaryDir emptyProgramFolder;
        SystemInfo::setProgramFolder(emptyProgramFolder.path());
        RegistryStore registry(RegistryStore::defaultPath());
        registry.load();
        Settings::writeFirstRunDefaults(registry);
        TForm1 window(registry);
        QVERIFY(!window.startedUp());
        QVERIFY(!window.isVisible());
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        const MessageBoxes::Request& box = m_seams->boxes.shown[0];
        QCOMPARE(box.title, QStringLiteral("Произошла ошибка!"));
        QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
        QStringList lines = box.text.split("\r\n");
        const QString advice = QStringLiteral("Попробуйте переустановить программу или закачать драйвер для "
                                              "поддержки работы с базами данных");
        if (site.isEmpty()) {
            QCOMPARE(lines.size(), 5); // three lines, an empty line, the help hint
            QCOMPARE(lines[1], advice + ".");
            lines.insert(2, QString());
        } else {
            QCOMPARE(lines.size(), 6); // four lines, an empty line, the help hint
            QCOMPARE(lines[1], advice + ":");
            QCOMPARE(lines[2], site + "download/mdac_typ.zip");
        }
        QCOMPARE(lines[0], QStringLiteral("Критическая ошибка подключения базы данных!"));
        QCOMPARE(lines[3],
                 QStringLiteral("Если Вам не удаётся устранить неисправность, то обратитесь в службу "
                                "поддержки."));
        QCOMPARE(lines[4], QString());
        QVERIFY(!QFile::exists(m_home->profileFolder() + "/profile.mdb"));
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
};

QUILL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"

// The plug-in catalogue download, automatic and by the button, against a
// local HTTPS server with a certificate made for the test.
#include "build_addresses.h"
#include "https_download.h"
#include "https_test_server.h"
#include "plugin_downloads.h"
#include "plugin_world.h"
#include "sections.h"
#include "settings_section.h"
#include "test_main.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTimer>

namespace {

const QString kConfig = QStringLiteral("Software\\Quillarbor\\Config");
const QString kUpdate = QStringLiteral("Software\\Quillarbor\\update");
const QString kUpdates = QStringLiteral("Software\\Quillarbor\\Updates");
const QByteArray kFourLines = "[QuillarborPluginsList]\r\n2\r\na.dll\r\nb.dll\r\n";

// The clock of the test seams stands at 08.03.2026.
const QString kToday = QStringLiteral("08.03.2026");

void noAutomaticDownload(RegistryStore& registry)
{
    registry.writeBool(kUpdates, QStringLiteral("AutoLoadNewPlug-ins"), false);
}

std::function<void(RegistryStore&)> lastDownloadOn(const QString& date)
{
    return
        [date](RegistryStore& registry) { registry.writeString(kConfig, QStringLiteral("PlgStory"), date); };
}

// The thread has ended and its effects on the main thread are carried out.
bool threadDone(TForm1& window)
{
    MyThread* thread = window.pluginDownloads()->thread();
    if (!thread || !thread->workFinished())
        return false;
    QCoreApplication::processEvents();
    return true;
}

// The button's download has ended and what it shows at its end is shown.
bool manualDone(TForm1& window)
{
    return !window.pluginDownloads()->manualRunning();
}

// Presses "Закачать плагины" and waits for its download to end.
bool downloadByTheButton(TForm1& window)
{
    window.settingsSection()->Button10->click();
    return QTest::qWaitFor([&window] { return manualDone(window); }, 30000);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A world whose plug-in server is the test's own.
struct DownloadWorld
{
    explicit DownloadWorld(double delaySeconds = 0) : server(delaySeconds)
    {
        qputenv("QUILLARBOR_PLUGIN_SERVER", server.base().toUtf8());
        HttpsDownload::setCaFileForTests(server.certificate());
    }
    ~DownloadWorld() { HttpsDownload::setCaFileForTests(QString()); }
    Q_DISABLE_COPY_MOVE(DownloadWorld)

    PluginWorld world;
    HttpsTestServer server;
};

} // namespace

class TestCatalogueDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        HttpsTestServer probe;
        QVERIFY2(probe.port() > 0, "the local HTTPS server did not start");
    }

    void theStartUpDecision()
    {
        Settings::Record record;
        const QDate today(2026, 3, 8);
        QVERIFY(PluginDownloads::isDue(record, today)); // never downloaded
        record.plgStory = QStringLiteral("22.02.2026");
        QVERIFY(!PluginDownloads::isDue(record, today)); // 14 days
        record.plgStory = QStringLiteral("21.02.2026");
        QVERIFY(PluginDownloads::isDue(record, today)); // 15 days
        record.plgStory = QStringLiteral("вчера");
        QVERIFY(PluginDownloads::isDue(record, today)); // no date: as never
        record.autoLoadNewPlugins = false;
        QVERIFY(!PluginDownloads::isDue(record, today));

        {
            PluginWorld world;
            TForm1& window = world.start(lastDownloadOn(QStringLiteral("22.02.2026")));
            QVERIFY(!window.pluginDownloads()->thread());
        }
        {
            PluginWorld world;
            TForm1& window = world.start(noAutomaticDownload);
            QVERIFY(!window.pluginDownloads()->thread());
            window.showSection(Sections::kSettings);
            QVERIFY(window.settingsSection()->Button10->isEnabled());
            QCOMPARE(window.settingsSection()->Button10->text(), QStringLiteral("Закачать плагины"));
        }
    }

    void theFourLineCatalogueAutomaticallyAndByTheButton()
    {
        {
            DownloadWorld download;
            download.server.serve("list.txt", kFourLines);
            download.server.serve("a.dll", "library a");
            download.server.serve("b.dll", "library b");
            PluginWorld& world = download.world;
            TForm1& window = world.start(lastDownloadOn(QStringLiteral("21.02.2026")));
            QVERIFY(window.pluginDownloads()->thread());
            QTRY_VERIFY_WITH_TIMEOUT(threadDone(window), 30000);
            QCOMPARE(filesIn(world.userPlugins()), QStringList({"a.dll", "b.dll", "index.dat"}));
            QCOMPARE(QFile(world.userPlugins() + "/index.dat").size(), kFourLines.size());
            QVERIFY(world.seams.boxes.shown.isEmpty());
            QCOMPARE(world.registry->readString(kConfig, "PlgStory"), kToday);
            QCOMPARE(window.settings().plgStory, kToday);
            // The page, built after the thread ended, shows the bar it left: full.
            window.showSection(Sections::kSettings);
            QProgressBar* bar = window.settingsSection()->ProgressBar1;
            QVERIFY(bar->isVisible());
            QCOMPARE(bar->maximum(), 2);
            QCOMPARE(bar->value(), 2);
            QVERIFY(window.settingsSection()->Button10->isEnabled());
        }
        {
            DownloadWorld download;
            download.server.serve("list.txt", kFourLines);
            download.server.serve("a.dll", "library a");
            download.server.serve("b.dll", "library b");
            PluginWorld& world = download.world;
            TForm1& window = world.start(noAutomaticDownload);
            window.showSection(Sections::kSettings);
            SettingsSection& page = *window.settingsSection();
            page.Button10->click();
            QCOMPARE(window.statusMessage(), QStringLiteral("Пожалуйста подождите..."));
            QVERIFY(!page.Button10->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(manualDone(window), 30000);
            QVERIFY(page.Button10->isEnabled());
            QCOMPARE(filesIn(world.userPlugins()), QStringList({"a.dll", "b.dll", "index.dat"}));
            QVERIFY(world.seams.boxes.shown.isEmpty());
            QVERIFY(page.ProgressBar1->isVisible());
            QCOMPARE(page.ProgressBar1->maximum(), 2);
            QCOMPARE(page.ProgressBar1->value(), 2);
            // The button's date is kept apart: the automatic download is not put off.
            QCOMPARE(world.registry->readString(kUpdate, "PlgStory"), kToday);
            QCOMPARE(world.registry->readString(kConfig, "PlgStory"), QString());
            QCOMPARE(download.server.requests(),
                     QStringList({"/plugins/list.txt", "/plugins/a.dll", "/plugins/b.dll"}));
        }
    }

    void aBadHeaderOrCountIsABadCatalogue()
    {
        for (const QByteArray& catalogue : {QByteArray("[QuillarborPluginsList] \r\n1\r\na.dll\r\n"),
                                            QByteArray("[quillarborpluginslist]\r\n1\r\na.dll\r\n"),
                                            QByteArray("[QuillarborPluginsList]\r\n0\r\n")}) {
            DownloadWorld download;
            download.server.serve("list.txt", catalogue);
            download.server.serve("a.dll", "library a");
            PluginWorld& world = download.world;
            TForm1& window = world.start();
            QTRY_VERIFY_WITH_TIMEOUT(threadDone(window), 30000);
            QCOMPARE(world.seams.boxes.texts().size(), 1);
            QVERIFY(world.seams.boxes.texts().first().startsWith(PluginDownloads::kConnectFailed + "\r\n"));
            QVERIFY(!QFile::exists(world.userPlugins() + "/a.dll"));
            // The automatic path leaves the bar shown; no date is recorded.
            QVERIFY(window.pluginDownloads()->barVisible());
            QCOMPARE(world.registry->readString(kConfig, "PlgStory"), QString());

            // The button hides it again.
            window.showSection(Sections::kSettings);
            SettingsSection& page = *window.settingsSection();
            QVERIFY(downloadByTheButton(window));
            QCOMPARE(world.seams.boxes.texts().size(), 2);
            QCOMPARE(world.seams.boxes.shown.last().text, world.seams.boxes.shown.first().text);
            QVERIFY(page.ProgressBar1->isHidden());
            QCOMPARE(page.ProgressBar1->value(), 0);
        }
        // A count that is no number: the error of the download, bar hidden, both ways.
        DownloadWorld download;
        download.server.serve("list.txt", "[QuillarborPluginsList]\r\nzwei\r\na.dll\r\n");
        PluginWorld& world = download.world;
        TForm1& window = world.start();
        QTRY_VERIFY_WITH_TIMEOUT(threadDone(window), 30000);
        QCOMPARE(world.seams.boxes.texts().size(), 1);
        QVERIFY(!window.pluginDownloads()->barVisible());
        QCOMPARE(window.pluginDownloads()->barPosition(), 0);
    }

    void offlineAtStartUpIsSilentAndTriesAgainNextTime()
    {
        // Nothing listens where the server should be.
        PluginWorld world;
        TForm1& window = world.start(lastDownloadOn(QStringLiteral("01.01.2026")));
        QVERIFY(window.pluginDownloads()->thread());
        QTRY_VERIFY_WITH_TIMEOUT(threadDone(window), 30000);
        QVERIFY(world.seams.boxes.shown.isEmpty());
        QCOMPARE(world.registry->readString(kConfig, "PlgStory"), QStringLiteral("01.01.2026"));
        window.showSection(Sections::kSettings);
        QVERIFY(window.settingsSection()->ProgressBar1->isHidden());
        QVERIFY(window.settingsSection()->Button10->isEnabled());
        // By the button the same failure is said.
        QVERIFY(downloadByTheButton(window));
        QCOMPARE(world.seams.boxes.texts().size(), 1);
        QCOMPARE(world.seams.boxes.titles().first(), QStringLiteral("Произошла ошибка!"));
        QVERIFY(world.seams.boxes.texts().first().startsWith(QStringLiteral(
            "Невозможно подключиться к серверу!\r\nПроверьте настройки подключения к Интернету!")));
        QVERIFY(window.settingsSection()->ProgressBar1->isHidden());
    }

    void theButtonIsDisabledWhileTheThreadRuns()
    {
        DownloadWorld download(3.0);
        download.server.serve("list.txt", kFourLines);
        PluginWorld& world = download.world;
        TForm1& window = world.start();
        QVERIFY(window.pluginDownloads()->thread());
        window.showSection(Sections::kSettings);
        QVERIFY(!window.settingsSection()->Button10->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(threadDone(window), 30000);
        window.showSection(Sections::kNotes);
        window.showSection(Sections::kSettings);
        QVERIFY(!window.settingsSection()->Button10->isEnabled());
        // Libraries that the server does not have are named in one box; no
        // date is recorded, so the next start tries again.
        QCOMPARE(filesIn(world.userPlugins()), QStringList({"index.dat"}));
        QCOMPARE(world.seams.boxes.texts().size(), 1);
        QVERIFY(world.seams.boxes.texts().first().startsWith(
            QStringLiteral("Не удалось закачать файлы плагинов:\r\na.dll\r\nb.dll\r\n")));
        QCOMPARE(world.registry->readString(kConfig, "PlgStory"), QString());
        QCOMPARE(window.settings().plgStory, QString());
        QVERIFY(window.settingsSection()->ProgressBar1->isHidden());
    }

    void namesThatAreNoPlainFileNamesAreNotFetched()
    {
        DownloadWorld download;
        download.server.serve("list.txt",
                              "[QuillarborPluginsList]\r\n7\r\n../evil.dll\r\nsub/x.dll\r\n"
                              ".hidden.dll\r\nctl\x01.dll\r\nback\\slash.dll\r\n\r\ngood.dll\r\n");
        download.server.serve("evil.dll", "evil");
        download.server.serve(".hidden.dll", "hidden");
        download.server.serve("good.dll", "good");
        PluginWorld& world = download.world;
        TForm1& window = world.start(noAutomaticDownload);
        window.showSection(Sections::kSettings);
        QVERIFY(downloadByTheButton(window));
        QVERIFY(world.seams.boxes.shown.isEmpty());
        QCOMPARE(download.server.requests(), QStringList({"/plugins/list.txt", "/plugins/good.dll"}));
        QCOMPARE(filesIn(world.userPlugins()), QStringList({"good.dll", "index.dat"}));
        QVERIFY(!QFile::exists(world.userPlugins() + "/../evil.dll"));
        QCOMPARE(window.settingsSection()->ProgressBar1->value(), 7);
    }

    void aCutTransferIsReportedAndShortCataloguesCountAsRead()
    {
        {
            DownloadWorld download;
            download.server.serve("list.txt", "[QuillarborPluginsList]\r\n5\r\ncut.dll\r\nb.dll\r\n");
            download.server.serve("b.dll", "library b");
            PluginWorld& world = download.world;
            TForm1& window = world.start(noAutomaticDownload);
            window.showSection(Sections::kSettings);
            QVERIFY(downloadByTheButton(window));
            // The cut library leaves no file, is named, and the download is no success.
            QCOMPARE(filesIn(world.userPlugins()), QStringList({"b.dll", "index.dat"}));
            QCOMPARE(world.seams.boxes.texts().size(), 1);
            QCOMPARE(world.seams.boxes.titles().first(), QStringLiteral("Произошла ошибка!"));
            QVERIFY(world.seams.boxes.texts().first().startsWith(
                QStringLiteral("Не удалось закачать файлы плагинов:\r\ncut.dll\r\n")));
            QVERIFY(!world.seams.boxes.texts().first().contains(QStringLiteral("b.dll")));
            QVERIFY(!world.registry->readString(kUpdate, "PlgStory"));
            QCOMPARE(world.registry->readString(kConfig, "PlgStory"), QString());
            QVERIFY(window.settingsSection()->ProgressBar1->isHidden());
            QVERIFY(window.settingsSection()->Button10->isEnabled());
        }
        DownloadWorld download;
        download.server.serve("list.txt", "[QuillarborPluginsList]\r\n5\r\na.dll\r\nb.dll\r\n");
        download.server.serve("a.dll", "library a");
        download.server.serve("b.dll", "library b");
        PluginWorld& world = download.world;
        TForm1& window = world.start(noAutomaticDownload);
        window.showSection(Sections::kSettings);
        QVERIFY(downloadByTheButton(window));
        QVERIFY(world.seams.boxes.shown.isEmpty());
        QCOMPARE(filesIn(world.userPlugins()), QStringList({"a.dll", "b.dll", "index.dat"}));
        QCOMPARE(window.settingsSection()->ProgressBar1->maximum(), 5);
        QCOMPARE(window.settingsSection()->ProgressBar1->value(), 5);
        QCOMPARE(world.registry->readString(kUpdate, "PlgStory"), kToday);
    }

    void manyFailedLibrariesAreCountedBeyondTheListed()
    {
        QByteArray catalogue = "[QuillarborPluginsList]\r\n25\r\n";
        for (int i = 1; i <= 25; ++i)
            catalogue += "lost" + QByteArray::number(i) + ".dll\r\n";
        DownloadWorld download;
        download.server.serve("list.txt", catalogue);
        PluginWorld& world = download.world;
        TForm1& window = world.start(lastDownloadOn(QStringLiteral("01.01.2026")));
        QTRY_VERIFY_WITH_TIMEOUT(threadDone(window), 30000);
        QCOMPARE(world.seams.boxes.texts().size(), 1);
        const QString text = world.seams.boxes.texts().first();
        QVERIFY(text.contains(QStringLiteral("\r\nlost20.dll\r\nи ещё 5\r\n")));
        QVERIFY(!text.contains(QStringLiteral("lost21.dll")));
        QCOMPARE(world.registry->readString(kConfig, "PlgStory"), QStringLiteral("01.01.2026"));
    }

    void aWrongCertificateIsAFailedDownload()
    {
        DownloadWorld download;
        download.server.serve("list.txt", kFourLines);
        download.server.serve("a.dll", "library a");
        HttpsDownload::setCaFileForTests(download.server.otherCertificate());
        PluginWorld& world = download.world;
        TForm1& window = world.start(noAutomaticDownload);
        window.showSection(Sections::kSettings);
        QVERIFY(downloadByTheButton(window));
        QCOMPARE(world.seams.boxes.texts().size(), 1);
        QVERIFY(world.seams.boxes.texts().first().startsWith(PluginDownloads::kConnectFailed));
        QVERIFY(filesIn(world.userPlugins()).isEmpty());
        QVERIFY(download.server.requests().isEmpty());
        // Nor is plain HTTP taken.
        qputenv("QUILLARBOR_PLUGIN_SERVER",
                QStringLiteral("http://127.0.0.1:%1/plugins/").arg(download.server.port()).toUtf8());
        QVERIFY(downloadByTheButton(window));
        QCOMPARE(world.seams.boxes.texts().size(), 2);
        QVERIFY(filesIn(world.userPlugins()).isEmpty());
    }

    void withoutAPluginServerNothingHappens()
    {
        PluginWorld world;
        qunsetenv("QUILLARBOR_PLUGIN_SERVER");
        const BuildAddresses::Set noServer{BuildAddresses::site(), BuildAddresses::supportMailbox(),
                                           QString(), BuildAddresses::pluginPage()};
        BuildAddresses::setForTests(&noServer);
        const auto restore = qScopeGuard([] { BuildAddresses::setForTests(nullptr); });

        // Due at start-up, yet no thread, no box, no folder.
        TForm1& window = world.start(lastDownloadOn(QStringLiteral("01.01.2026")));
        QVERIFY(!window.pluginDownloads()->thread());
        QTest::qWait(100);
        QVERIFY(world.seams.boxes.shown.isEmpty());
        window.showSection(Sections::kSettings);
        SettingsSection& page = *window.settingsSection();
        QVERIFY(page.Button10->isEnabled());

        // The button says why there is nothing to fetch.
        const QString status = window.statusMessage();
        page.Button10->click();
        QVERIFY(manualDone(window));
        QCOMPARE(world.seams.boxes.texts(), QStringList({PluginDownloads::kNoServer}));
        QCOMPARE(world.seams.boxes.shown.first().icon, MessageBoxes::Icon::Warning);
        QCOMPARE(window.statusMessage(), status);
        QVERIFY(page.ProgressBar1->isHidden());
        QVERIFY(!window.pluginDownloads()->barVisible());
        QVERIFY(page.Button10->isEnabled());
        QVERIFY(!QFileInfo::exists(world.userPlugins()));
        QCOMPARE(world.registry->readString(kConfig, "PlgStory"), QStringLiteral("01.01.2026"));
        QVERIFY(!world.registry->readString(kUpdate, "PlgStory"));
    }

    void aReminderOpenDuringTheTransferNeitherStallsNorCutsIt()
    {
        DownloadWorld download(1.0);
        QList<QByteArray> libraries;
        for (int i = 0; i < 3; ++i) {
            QByteArray bytes(300 * 1024, Qt::Uninitialized);
            for (char& byte : bytes)
                byte = char(QRandomGenerator::global()->bounded(256));
            libraries.append(bytes);
        }
        download.server.serve("list.txt",
                              "[QuillarborPluginsList]\r\n3\r\nslow1.dll\r\nslow2.dll\r\nslow3.dll\r\n");
        for (int i = 0; i < 3; ++i)
            download.server.serve(QStringLiteral("slow%1.dll").arg(i + 1), libraries[i]);
        PluginWorld& world = download.world;
        TForm1& window = world.start(noAutomaticDownload);
        window.showSection(Sections::kSettings);
        SettingsSection& page = *window.settingsSection();

        // A reminder comes up while the transfer runs and stays up until it
        // has ended; the bar moves behind it.
        bool openedDuringTransfer = false;
        bool endedBehindIt = false;
        int positionsSeen = 0;
        QTimer::singleShot(300, &window, [&] {
            openedDuringTransfer = window.pluginDownloads()->manualRunning();
            QDialog reminder(&window);
            reminder.setObjectName(QStringLiteral("Reminder"));
            QTimer watch;
            int lastPosition = -1;
            QObject::connect(&watch, &QTimer::timeout, &reminder, [&] {
                const int position = window.pluginDownloads()->barPosition();
                if (position != lastPosition) {
                    lastPosition = position;
                    ++positionsSeen;
                }
                if (manualDone(window))
                    reminder.accept();
            });
            watch.start(10);
            QTimer::singleShot(30000, &reminder, &QDialog::reject);
            endedBehindIt = reminder.exec() == QDialog::Accepted;
        });
        page.Button10->click();
        // The catalogue alone takes a second, and each library as long: the
        // click has not waited for them.
        QVERIFY(window.pluginDownloads()->manualRunning());
        QCOMPARE(window.statusMessage(), QStringLiteral("Пожалуйста подождите..."));
        QVERIFY(!page.Button10->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(manualDone(window), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 5000);
        QVERIFY(openedDuringTransfer);
        QVERIFY(endedBehindIt);
        QVERIFY(positionsSeen >= 3);
        QVERIFY(world.seams.boxes.shown.isEmpty());
        for (int i = 0; i < 3; ++i) {
            QFile file(world.userPlugins() + QStringLiteral("/slow%1.dll").arg(i + 1));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll() == libraries[i]);
        }
        QCOMPARE(filesIn(world.userPlugins()),
                 QStringList({"index.dat", "slow1.dll", "slow2.dll", "slow3.dll"}));
        QCOMPARE(page.ProgressBar1->value(), 3);
        QVERIFY(page.Button10->isEnabled());
        QCOMPARE(world.registry->readString(kUpdate, "PlgStory"), kToday);
    }

    void closingDuringTheTransferStopsIt()
    {
        // The catalogue would take a minute.
        DownloadWorld download(60.0);
        download.server.serve("list.txt", kFourLines);
        PluginWorld& world = download.world;
        TForm1& window = world.start(noAutomaticDownload);
        window.showSection(Sections::kSettings);
        window.settingsSection()->Button10->click();
        QVERIFY(window.pluginDownloads()->manualRunning());
        QTRY_VERIFY_WITH_TIMEOUT(download.server.requests().contains("/plugins/list.txt"), 10000);
        window.close();
        QElapsedTimer clock;
        clock.start();
        world.window.reset();
        QVERIFY(clock.elapsed() < 10000);
        QCoreApplication::processEvents();
        QVERIFY(world.seams.boxes.shown.isEmpty());
        QVERIFY(filesIn(world.userPlugins()).isEmpty());
        QVERIFY(!world.registry->readString(kUpdate, "PlgStory"));
    }
};

QUILL_TEST_MAIN(TestCatalogueDownload)
#include "tst_catalogue_download.moc"

// A child process writes the settings, as the first run does or as leaving
// the settings section does, and is killed with SIGKILL at a random moment;
// the settings file and the autostart entry must then hold the whole old
// settings or the whole new ones, and start-up must read them as they are.
#include "crash_child.h"
#include "main_window.h"
#include "profile_database.h"
#include "quiet_section_host.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "settings.h"
#include "settings_section.h"
#include "system_info.h"
#include "test_home.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

namespace {

const QString kConfig = Settings::fullKey("Config");

// Mode "first-run": the defaults into an empty store. Mode "save-on" or
// "save-off": the user changed every control of the section, autorun to on
// or off, and leaves it.
int runChild(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QString mode = CrashChild::arguments(argc, argv).at(0);
    RegistryStore registry(RegistryStore::defaultPath());
    if (registry.load().damaged)
        return 2;
    if (mode == QLatin1String("first-run")) {
        CrashChild::sayReady();
        return Settings::writeFirstRunDefaults(registry) ? 0 : 3;
    }
    QuietSectionHost host(registry);
    Settings::load(registry, host.settings());
    QTabWidget pages;
    pages.addTab(new QWidget, QStringLiteral("Основные"));
    pages.addTab(new QWidget, QStringLiteral("Почта"));
    SettingsSection section(&pages, host);
    section.fill();
    section.CheckBox1->setChecked(mode == QLatin1String("save-on"));
    section.CheckBox2->setChecked(!section.CheckBox2->isChecked());
    section.CheckBox3->setChecked(!section.CheckBox3->isChecked());
    section.Edit20->setText(QStringLiteral("/home/tester/копии/профиль.zip"));
    section.Edit10->setText(QStringLiteral("anna@example.org"));
    section.Edit9->setText(QStringLiteral("smtp.example.org:587"));
    CrashChild::sayReady();
    return section.save() ? 0 : 3;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<none>");
}

struct State
{
    QByteArray registry;
    QByteArray entry;
    bool operator==(const State&) const = default;
};

State stateNow()
{
    return {bytesOf(RegistryStore::defaultPath()), bytesOf(Settings::autostartEntryPath())};
}

void putBack(const State& state)
{
    for (const auto& [path, bytes] : {std::pair{RegistryStore::defaultPath(), state.registry},
                                      std::pair{Settings::autostartEntryPath(), state.entry}}) {
        QFile::remove(path);
        if (bytes == "<none>")
            continue;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(bytes) == bytes.size());
    }
}

// What start-up does with the settings before the profile opens; an empty
// text when it found them whole.
QString startUp()
{
    RegistryStore registry(RegistryStore::defaultPath());
    if (registry.load().damaged)
        return QStringLiteral("the settings file is damaged");
    // Without the key "install" the first-run window comes again and writes everything.
    if (!registry.keyExists(Settings::fullKey("install")))
        return registry.keyNames().isEmpty() ? QString() : QStringLiteral("settings without the key install");
    Settings::Record record;
    const Settings::LoadResult loaded = Settings::load(registry, record);
    if (!loaded.restored.isEmpty())
        return QStringLiteral("values missing: ") + loaded.restored.join(QStringLiteral(", "));
    for (const char* name : {"Skin", "BackupPath"})
        if (!registry.readString(kConfig, QLatin1String(name)))
            return QStringLiteral("no %1").arg(QLatin1String(name));
    if (!Settings::syncAutorunAtStart(registry, record.autorun, SystemInfo::executablePath()))
        return QStringLiteral("the autorun entry cannot be put right");
    if (QFile::exists(Settings::autostartEntryPath()) != record.autorun)
        return QStringLiteral("the autostart entry disagrees with the setting");
    return {};
}

// The settings as they are now are the old; one whole run gives the new.
void killWrites(const QString& mode)
{
    QCOMPARE(startUp(), QString());
    const State before = stateNow();
    const CrashChild::Run whole = CrashChild::runToEnd({mode});
    QVERIFY2(whole.ready && whole.exitCode == 0, whole.errors.constData());
    QCOMPARE(startUp(), QString());
    const State after = stateNow();
    QVERIFY(!(after == before));

    const int kills = CrashChild::kills(15);
    int olds = 0, news = 0;
    const QString folder = QFileInfo(RegistryStore::defaultPath()).absolutePath();
    for (int kill = 0; kill < kills; ++kill) {
        putBack(before);
        QVERIFY(CrashChild::killAfter({mode}, CrashChild::randomDelay(whole.milliseconds)));
        const QString failure = startUp();
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(failure)));
        const State now = stateNow();
        QVERIFY2(now == before || now == after,
                 qPrintable(QStringLiteral("kill %1: a mix of old and new").arg(kill)));
        (now == before ? olds : news) += 1;
        // Only the settings file: nothing half written that a start could take for it.
        const QStringList stray = CrashChild::strayFiles(folder, {QStringLiteral("registry.json")});
        QVERIFY2(stray.isEmpty(), qPrintable(stray.join(QStringLiteral(", "))));
    }
    qInfo("%s: whole run %lld ms; after %d kills: %d old, %d new", qPrintable(mode), whole.milliseconds,
          kills, olds, news);
    if (mode != QLatin1String("first-run")) {
        // And the program itself starts on what the last kill left.
        TestSeams seams;
        RegistryStore registry(RegistryStore::defaultPath());
        QVERIFY(!registry.load().damaged);
        TForm1 window(registry);
        QVERIFY(window.startedUp());
        QCOMPARE(seams.boxes.texts(), QStringList());
    }
    putBack(after);
}

// First-run settings with a long plug-in history, and autorun as given.
void prepareSettings(bool autorun)
{
    RegistryStore registry(RegistryStore::defaultPath());
    registry.load();
    QVERIFY(Settings::writeFirstRunDefaults(registry));
    QString story;
    for (int n = 0; n < 8000; ++n)
        story += QStringLiteral("Плагин номер %1;").arg(n);
    QVERIFY(registry.writeString(kConfig, QStringLiteral("PlgStory"), story));
    QVERIFY(registry.writeBool(kConfig, QStringLiteral("Autorun"), autorun));
    QVERIFY(autorun ? Settings::writeAutorun(registry, SystemInfo::executablePath())
                    : Settings::removeAutorun(registry));
}

} // namespace

class TestSettingsCrash : public QObject
{
    Q_OBJECT

private slots:
    void aFirstRunIsWholeOrComesAgain()
    {
        TestHome home;
        killWrites(QStringLiteral("first-run"));
        if (QTest::currentTestFailed())
            return;
        RegistryStore registry(RegistryStore::defaultPath());
        registry.load();
        for (const Settings::Definition& definition : Settings::definitions())
            QVERIFY2(registry.valueExists(Settings::fullKey(definition.key), QLatin1String(definition.name)),
                     definition.name);
    }

    void aSettingsSaveIsWholeOrNotAtAll()
    {
        {
            TestHome home;
            prepareSettings(false);
            killWrites(QStringLiteral("save-on"));
            if (QTest::currentTestFailed())
                return;
            QVERIFY(QFile::exists(Settings::autostartEntryPath()));
        }
        {
            TestHome home;
            prepareSettings(true);
            killWrites(QStringLiteral("save-off"));
            if (QTest::currentTestFailed())
                return;
            QVERIFY(!QFile::exists(Settings::autostartEntryPath()));
            RegistryStore registry(RegistryStore::defaultPath());
            registry.load();
            QCOMPARE(registry.readString(Settings::fullKey("Mail"), QStringLiteral("MyBoxes")),
                     QStringLiteral("anna@example.org"));
            QCOMPARE(registry.readString(kConfig, QStringLiteral("BackupPath")),
                     QStringLiteral("/home/tester/копии/профиль.zip"));
        }
    }

    void anEntryLeftWithoutItsValueGoesAtStart()
    {
        // A save that turned autorun on, cut short after the entry and before the settings file.
        TestHome home;
        prepareSettings(false);
        {
            RegistryStore registry(RegistryStore::defaultPath());
            registry.load();
            QVERIFY(Settings::writeAutorun(registry, SystemInfo::executablePath()));
            QVERIFY(registry.deleteValue(Settings::kRunKey, Settings::autorunValueName()));
        }
        QVERIFY(QFile::exists(Settings::autostartEntryPath()));
        QCOMPARE(startUp(), QString());
        QVERIFY(!QFile::exists(Settings::autostartEntryPath()));
    }
};

int main(int argc, char** argv)
{
    if (CrashChild::isChild(argc, argv))
        return runChild(argc, argv);
    QApplication application(argc, argv);
    TestSettingsCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings_crash.moc"

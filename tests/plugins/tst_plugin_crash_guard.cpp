// A plug-in library that ends the program while it is being called costs
// one start at most: the next start names it, leaves it unloaded and lists
// it as switched off, and the user can switch it on again or delete it. The
// crashing runs are real processes: this program again, as a child that
// starts the real main window on the same home.
#include "plugin_crash_guard.h"
#include "plugin_host.h"
#include "plugin_world.h"
#include "plugins_section.h"
#include "sections.h"
#include "test_main.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>

namespace {

const char* kChildMode = "--plugins-child";

// The child: the main window on the inherited home and the given program
// folder; with "run N" it then presses "Запуск" on entry N. It prints every
// message box and every entry of the plug-in list.
int runChild(int argc, char** argv)
{
    prepareTestProcess();
    GuardedApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Quillarbor"));
    SystemInfo::setProgramFolder(QString::fromLocal8Bit(argv[2]));
    TestSeams seams;
    RegistryStore registry(RegistryStore::defaultPath());
    registry.load();
    TForm1 window(registry);
    if (argc > 4 && qstrcmp(argv[3], "run") == 0) {
        window.pluginsSection()->ListBox6->setCurrentRow(QByteArray(argv[4]).toInt());
        window.pluginsSection()->BitBtn24Click();
    }
    QTextStream out(stdout);
    for (const QString& text : seams.boxes.texts())
        out << "box: " << QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" | ")) << '\n';
    for (int row = 0; row < window.pluginsSection()->ListBox6->count(); ++row)
        out << "entry: " << window.pluginsSection()->ListBox6->item(row)->text() << '\n';
    out << "up\n";
    return 0;
}

struct ChildRun
{
    bool crashed = false;
    QString errors; // what the child wrote to its standard error, for a failure's message
    QStringList boxes;
    QStringList entries;
};

ChildRun startChild(const PluginWorld& world, const QStringList& extra = {})
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QString::fromLatin1(kChildMode), world.programFolder()} + extra);
    ChildRun run;
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
    }
    // A crash under the sanitizers is their report and exit code 1.
    run.crashed = child.exitStatus() == QProcess::CrashExit || child.exitCode() != 0;
    run.errors = QString::fromUtf8(child.readAllStandardError()).right(4000);
    for (const QString& line : QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("box: ")))
            run.boxes.append(line.mid(5));
        else if (line.startsWith(QLatin1String("entry: ")))
            run.entries.append(line.mid(7));
    }
    return run;
}

int rowOf(const PluginsSection& section, const QString& text)
{
    for (int row = 0; row < section.ListBox6->count(); ++row)
        if (section.ListBox6->item(row)->text() == text)
            return row;
    return -1;
}

} // namespace

class TestPluginCrashGuard : public QObject
{
    Q_OBJECT

private slots:
    void aPluginThatCrashesAtStartCostsOneStart()
    {
        PluginWorld world;
        world.putUser("tp_first", QStringLiteral("good.so"));
        world.putUser("tp_crashes_at_start", QStringLiteral("bad.so"));
        const QString bad = world.userPlugins() + QStringLiteral("/bad.so");
        {
            RegistryStore registry(RegistryStore::defaultPath());
            registry.load();
            Settings::writeFirstRunDefaults(registry);
        }

        // The start that the library ends.
        QVERIFY(startChild(world).crashed);
        QVERIFY(world.calls().contains(QStringLiteral("X:autorun")));

        // The next one runs, says which file was switched off, and never loads it.
        world.clearCalls();
        ChildRun next = startChild(world);
        QVERIFY2(!next.crashed, qPrintable(next.errors));
        QCOMPARE(next.boxes.size(), 1);
        QVERIFY2(next.boxes[0].contains(bad) && next.boxes[0].contains(QStringLiteral("отключён")),
                 qPrintable(next.boxes[0]));
        QCOMPARE(next.entries, (QStringList{"bad.so (отключён)", "Первый"}));
        QVERIFY(world.calls().contains(QStringLiteral("A:autorun")));
        QVERIFY(!world.calls().join(' ').contains(QStringLiteral("X:")));
        QVERIFY(QFile::exists(bad));

        // Later starts say nothing more.
        ChildRun third = startChild(world);
        QVERIFY2(!third.crashed, qPrintable(third.errors));
        QVERIFY(third.boxes.isEmpty());
        QCOMPARE(third.entries, next.entries);

        // The section tells why and lets the user switch it on again.
        {
            TForm1& window = world.start();
            window.showSection(Sections::kPlugins);
            PluginsSection& section = *window.pluginsSection();
            section.ListBox6->setCurrentRow(rowOf(section, QStringLiteral("Первый")));
            QVERIFY(!section.SwitchOnButton->isEnabled());
            section.ListBox6->setCurrentRow(rowOf(section, QStringLiteral("bad.so (отключён)")));
            QVERIFY(section.Memo2->toPlainText().contains(QStringLiteral("Плагин отключён")));
            QVERIFY(section.SwitchOnButton->isEnabled());
            world.clearCalls();
            // "Запуск" leaves it unloaded.
            section.BitBtn24Click();
            QVERIFY(world.calls().isEmpty());
            section.SwitchOnButton->click();
            QVERIFY(!section.SwitchOnButton->isEnabled());
            QCOMPARE(world.seams.boxes.shown.size(), 1);
            QVERIFY(world.seams.boxes.shown[0].text.contains(QStringLiteral("следующем запуске")));
            QVERIFY(!PluginCrashGuard(SystemInfo::userDataFolder()).isSwitchedOff(bad));
            world.window.reset();
        }

        // Switched on, it crashes once more and is switched off once more.
        QVERIFY(startChild(world).crashed);
        QCOMPARE(startChild(world).entries, (QStringList{"bad.so (отключён)", "Первый"}));

        // "Удалить" takes its file, and its place in the list of switched-off ones.
        TForm1& window = world.start();
        window.showSection(Sections::kPlugins);
        PluginsSection& section = *window.pluginsSection();
        section.ListBox6->setCurrentRow(rowOf(section, QStringLiteral("bad.so (отключён)")));
        section.BitBtn26Click();
        QVERIFY(!QFile::exists(bad));
        QCOMPARE(section.ListBox6->count(), 1);
        QVERIFY(PluginCrashGuard(SystemInfo::userDataFolder()).switchedOff().isEmpty());
    }

    void aPluginThatCrashesWhenRunIsSwitchedOff()
    {
        PluginWorld world;
        world.putUser("tp_crashes_when_run", QStringLiteral("later.so"));
        {
            RegistryStore registry(RegistryStore::defaultPath());
            registry.load();
            Settings::writeFirstRunDefaults(registry);
        }
        const ChildRun quiet = startChild(world);
        QVERIFY2(!quiet.crashed, qPrintable(quiet.errors));
        QCOMPARE(quiet.entries, QStringList{"Crashes later"});
        QVERIFY(quiet.boxes.isEmpty());

        QVERIFY(startChild(world, {QStringLiteral("run"), QStringLiteral("0")}).crashed);
        QVERIFY(world.calls().contains(QStringLiteral("Y:init")));
        const ChildRun next = startChild(world);
        QVERIFY2(!next.crashed, qPrintable(next.errors));
        QCOMPARE(next.boxes.size(), 1);
        QVERIFY(next.boxes[0].contains(world.userPlugins() + QStringLiteral("/later.so")));
        QCOMPARE(next.entries, QStringList{"later.so (отключён)"});
    }

    void recordsNestAndAPartialRecordIsNoCrash()
    {
        TestHome home;
        const QString folder = home.path() + QStringLiteral("/state");
        {
            PluginCrashGuard guard(folder);
            {
                const PluginCrashGuard::Call outer(guard, QStringLiteral("/p/outer.so"));
                {
                    // A plug-in's window lets the user describe another one.
                    const PluginCrashGuard::Call inner(guard, QStringLiteral("/p/inner.so"));
                    QFile record(guard.recordFile());
                    QVERIFY(record.open(QIODevice::ReadOnly));
                    QCOMPARE(record.readAll(), QByteArray("/p/inner.so"));
                }
                QFile record(guard.recordFile());
                QVERIFY(record.open(QIODevice::ReadOnly));
                QCOMPARE(record.readAll(), QByteArray("/p/outer.so"));
            }
            QVERIFY(!QFile::exists(guard.recordFile()));
            QCOMPARE(guard.takeCrashRecord(), QString());
        }
        {
            // What a kill in the middle of writing the record could leave.
            PluginCrashGuard guard(folder);
            QFile record(guard.recordFile());
            QVERIFY(record.open(QIODevice::WriteOnly));
            record.write("p/inn");
            record.close();
            QCOMPARE(guard.takeCrashRecord(), QString());
            QVERIFY(guard.switchedOff().isEmpty());
            QVERIFY(!QFile::exists(guard.recordFile()));
        }
    }
};

int main(int argc, char** argv)
{
    if (argc > 2 && qstrcmp(argv[1], kChildMode) == 0)
        return runChild(argc, argv);
    prepareTestProcess();
    GuardedApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Quillarbor"));
    application.setQuitOnLastWindowClosed(false);
    TestPluginCrashGuard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_plugin_crash_guard.moc"

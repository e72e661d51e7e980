// The scan at start-up and the section "Плагины", with plug-ins that the
// tests build from the public header and the real main window.
#include "plugin_host.h"
#include "plugin_world.h"
#include "plugins_section.h"
#include "sections.h"
#include "test_main.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

QStringList entries(const PluginsSection& section)
{
    QStringList texts;
    for (int i = 0; i < section.ListBox6->count(); ++i)
        texts.append(section.ListBox6->item(i)->text());
    return texts;
}

void select(PluginsSection& section, int row)
{
    section.ListBox6->setCurrentRow(row);
}

const QString kDefaultDescription =
    QStringLiteral("Плагин требует более старую версию программы, загрузите более новую версию плагина с "
                   "сайта его автора.");

} // namespace

class TestPlugins : public QObject
{
    Q_OBJECT

private slots:
    void noFolderOrAnEmptyOneListsNothing()
    {
        {
            PluginWorld world;
            QDir(world.programPlugins()).removeRecursively();
            TForm1& window = world.start();
            window.showSection(Sections::kPlugins);
            QVERIFY(window.sectionBox(QStringLiteral("GroupBox7"))->isVisible());
            QCOMPARE(window.pluginsSection()->ListBox6->count(), 0);
            QVERIFY(world.seams.boxes.shown.isEmpty());
        }
        {
            PluginWorld world;
            QDir().mkpath(world.userPlugins());
            TForm1& window = world.start();
            QCOMPARE(window.pluginsSection()->ListBox6->count(), 0);
            QVERIFY(world.seams.boxes.shown.isEmpty());
            // Nothing selected: "Запуск" does nothing, "Удалить" says it cannot.
            window.showSection(Sections::kPlugins);
            window.pluginsSection()->BitBtn24->click();
            QVERIFY(world.seams.boxes.shown.isEmpty());
            window.pluginsSection()->BitBtn26->click();
            QCOMPARE(world.seams.boxes.texts().size(), 1);
            QVERIFY(
                world.seams.boxes.texts().first().startsWith(QStringLiteral("Невозможно удалить плагин!")));
        }
    }

    void autoRunsGoInListingOrderAndUpdateRerunsTheLast()
    {
        PluginWorld world;
        world.putProgram("tp_first", QStringLiteral("10-first.so"));
        world.putProgram("tp_second", QStringLiteral("20-second.dll"));
        TForm1& window = world.start();
        QCOMPARE(world.calls(),
                 QStringList({"A:info", "A:can", "A:autorun", "B:info", "B:can", "B:autorun"}));
        PluginHost& host = *window.pluginHost();
        QCOMPARE(host.hostObjectCount(), 4); // one per description, one per auto-run
        QVERIFY(host.AutoRunEntry());

        PluginsSection& section = *window.pluginsSection();
        window.showSection(Sections::kPlugins);
        // Windows-1251 and UTF-8 names both read right.
        QCOMPARE(entries(section), QStringList({QStringLiteral("Первый"), QStringLiteral("Второй")}));
        world.clearCalls();
        select(section, 0);
        QCOMPARE(section.Memo2->toPlainText(),
                 QStringLiteral("Первый 1.2 для Quillarbor 3.2\nTest plug-in A"));
        // The first plug-in asks for "update" (nothing) and "UPDATE": only the
        // last auto-run entry, the second plug-in's, runs again.
        section.BitBtn24->click();
        QCOMPARE(world.calls(), QStringList({"A:info", "A:init", "B:autorun", "A:application"}));
        // The host object of InitPlugin is gone; the current one is still a live one.
        QVERIFY(host.PInterface());
        QCOMPARE(host.SetAction(QStringLiteral("UPDATE")), 0);
        QCOMPARE(world.calls().last(), QStringLiteral("B:autorun"));
    }

    void autoRunAnswersAndMissingEntries()
    {
        PluginWorld world;
        world.putProgram("tp_first", QStringLiteral("1-first.so"));
        world.putProgram("tp_no_autorun", QStringLiteral("2-no-autorun.so"));
        world.putProgram("tp_answers_two", QStringLiteral("3-two.so"));
        world.putProgram("tp_answers_255", QStringLiteral("4-255.so"));
        TForm1& window = world.start();
        // 2 and 255 are no request to run; the one without AutoRun clears the entry.
        QCOMPARE(world.calls(), QStringList({"A:info", "A:can", "A:autorun", "C:info", "C:can", "D:info",
                                             "D:can", "E:info", "E:can"}));
        QVERIFY(!window.pluginHost()->AutoRunEntry());
        QCOMPARE(entries(*window.pluginsSection()),
                 QStringList({QStringLiteral("Первый"), "NoAutoRun", "Two", "All ones"}));
        world.clearCalls();
        window.showSection(Sections::kPlugins);
        select(*window.pluginsSection(), 0);
        window.pluginsSection()->BitBtn24->click();
        // UPDATE with no recorded entry: nothing.
        QCOMPARE(world.calls(), QStringList({"A:info", "A:init", "A:application"}));
    }

    void failuresOfAPlugInAreReportedAndTheScanGoesOn()
    {
        PluginWorld world;
        world.putProgram("tp_broken_info", QStringLiteral("a-broken-info.so"));
        world.putProgram("tp_broken_autorun", QStringLiteral("b-broken-start.so"));
        world.putProgram("tp_named", QStringLiteral("c-after.so"));
        TForm1& window = world.start();
        // A failing description still has its auto-run asked, and run.
        QCOMPARE(world.calls(),
                 QStringList({"F:info", "F:can", "F:autorun", "G:info", "G:can", "G:autorun", "N:info"}));
        QCOMPARE(world.seams.boxes.texts().size(), 2);
        QVERIFY(world.seams.boxes.texts().at(0).startsWith(QStringLiteral(
            "Произошла ошибка! Плагин a-broken-info.so не является плагином Quillarbor!\r\n")));
        QVERIFY(world.seams.boxes.texts().at(1).startsWith(
            QStringLiteral("Произошла ошибка при загрузке плагина b-broken-start.so!\r\n")));
        QCOMPARE(world.seams.boxes.titles().first(), QStringLiteral("Произошла ошибка!"));
        // The broken description is not listed.
        QCOMPARE(entries(*window.pluginsSection()), QStringList({"Broken start", "c-after"}));
        QCOMPARE(window.pluginHost()->PluginPaths().size(), 2);
    }

    void aFileThatIsNoLibraryIsListedByItsPathWithTheDefaults()
    {
        PluginWorld world;
        const QString junk = world.programPlugins() + QStringLiteral("/junk.dll");
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("MZ this was a Windows library once");
        file.close();
        world.putProgram("tp_no_info", QStringLiteral("no-info.so"));
        world.putProgram("tp_c", QStringLiteral("written-in-c.so"));
        TForm1& window = world.start();
        PluginsSection& section = *window.pluginsSection();
        window.showSection(Sections::kPlugins);
        QCOMPARE(entries(section), QStringList({junk, world.programPlugins() + "/no-info.so", "C-плагин"}));
        QVERIFY(world.seams.boxes.shown.isEmpty());
        select(section, 0);
        QCOMPARE(section.Memo2->toPlainText(),
                 QStringLiteral("Неопредел. 0.0 для Quillarbor 1.6\n") + kDefaultDescription);
        QVERIFY(section.Memo2->isReadOnly());
        select(section, 2);
        QCOMPARE(section.Memo2->toPlainText(),
                 QStringLiteral("C-плагин 1.0 для Quillarbor 3.2\nНаписан на C."));
        // "Запуск" on a file that is no library, then on one without InitPlugin: nothing.
        select(section, 0);
        section.BitBtn24->click();
        QVERIFY(world.seams.boxes.shown.isEmpty());
        // The C plug-in reports its failure through the host.
        select(section, 2);
        section.BitBtn24->click();
        QCOMPARE(world.seams.boxes.shown.size(), 1);
        QCOMPARE(world.seams.boxes.shown.first().title, QStringLiteral("Plugin Error"));
        QCOMPARE(world.seams.boxes.shown.first().text, QStringLiteral("Ошибка из C"));
        QCOMPARE(world.seams.boxes.shown.first().icon, MessageBoxes::Icon::Critical);
    }

    void deletingEntryTwoOfFourLeavesTheThirdInItsPlace()
    {
        PluginWorld world;
        for (const char* name : {"alpha", "beta", "gamma", "delta"})
            world.putProgram("tp_named", QString::fromLatin1(name) + ".so");
        TForm1& window = world.start();
        PluginsSection& section = *window.pluginsSection();
        window.showSection(Sections::kPlugins);
        QCOMPARE(entries(section), QStringList({"alpha", "beta", "delta", "gamma"}));
        select(section, 1);
        section.BitBtn26->click();
        QVERIFY(world.seams.boxes.shown.isEmpty());
        QCOMPARE(window.statusMessage(), QStringLiteral("Плагин удалён!"));
        QVERIFY(!QFile::exists(world.programPlugins() + "/beta.so"));
        QCOMPARE(entries(section), QStringList({"alpha", "delta", "gamma"}));
        QCOMPARE(window.pluginHost()->PluginPaths().size(), 3);
        select(section, 1);
        QCOMPARE(section.Memo2->toPlainText().section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("delta 1.2 для Quillarbor 3.2"));

        // A file that went away behind the program's back cannot be deleted:
        // the lists stay as they were.
        QFile::remove(world.programPlugins() + "/gamma.so");
        select(section, 2);
        section.BitBtn26->click();
        QCOMPARE(world.seams.boxes.shown.size(), 1);
        QVERIFY(world.seams.boxes.texts().first().startsWith(QStringLiteral("Невозможно удалить плагин!")));
        QCOMPARE(entries(section), QStringList({"alpha", "delta", "gamma"}));
    }

    void theProgramFolderIsScannedBeforeTheUsersFolder()
    {
        PluginWorld world;
        world.putUser("tp_named", QStringLiteral("aaa.so"));
        world.putProgram("tp_named", QStringLiteral("zzz.so"));
        TForm1& window = world.start();
        QCOMPARE(entries(*window.pluginsSection()), QStringList({"zzz", "aaa"}));
        QCOMPARE(window.pluginHost()->PluginPaths(),
                 QStringList({world.programPlugins() + "/zzz.so", world.userPlugins() + "/aaa.so"}));
    }

    void refreshRestartsTheProgramAndHelpOpensTopic13()
    {
        PluginWorld world;
        TForm1& window = world.start();
        window.showSection(Sections::kPlugins);
        PluginsSection& section = *window.pluginsSection();
        QCOMPARE(section.Button6->toolTip(), QStringLiteral("Справка"));
        QVERIFY(!section.Button6->accessibleName().isEmpty());
        section.Button6->click();
        QCOMPARE(window.requestedHelpPage(), 13);
        // This program folder of the test has no help pages.
        QCOMPARE(world.seams.boxes.shown.size(), 1);
        QVERIFY(
            world.seams.boxes.shown.takeFirst().text.startsWith(QStringLiteral("Документ не обнаружен!")));

        window.showSection(Sections::kPlugins);
        QSignalSpy ended(&window, &TForm1::programEnded);
        section.BitBtn36->click();
        QCOMPARE(world.seams.boxes.shown.size(), 1);
        QCOMPARE(world.seams.boxes.shown.first().title, QStringLiteral("Внимание"));
        QCOMPARE(world.seams.boxes.shown.first().text,
                 QStringLiteral("Сейчас произойдет перезапуск программы"));
        QCOMPARE(world.seams.boxes.shown.first().icon, MessageBoxes::Icon::Warning);
        QCOMPARE(world.seams.shell.opened, QStringList({SystemInfo::executablePath()}));
        QTRY_COMPARE(ended.count(), 1);
        QVERIFY(!window.isVisible());
    }
};

QUILL_TEST_MAIN(TestPlugins)
#include "tst_plugins.moc"

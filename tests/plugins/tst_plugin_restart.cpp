// "Обновить" in the section "Плагины" starts the program anew and ends this
// copy; the new copy must be the one left running. The copies are the real
// organiser, and the button is pressed by a plug-in inside it.
#include "registry_store.h"
#include "settings.h"
#include "single_instance.h"
#include "test_home.h"
#include "test_main.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <csignal>

namespace {

QList<qint64> autoRunProcesses(const QString& log)
{
    QFile file(log);
    QList<qint64> processes;
    if (!file.open(QIODevice::ReadOnly))
        return processes;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("autorun "))
            processes.append(line.mid(8).toLongLong());
    return processes;
}

bool isRunning(qint64 process)
{
    return ::kill(pid_t(process), 0) == 0;
}

} // namespace

class TestPluginRestart : public QObject
{
    Q_OBJECT

private slots:
    void restartLeavesTheNewCopyRunning()
    {
        TestHome home;
        {
            RegistryStore registry(RegistryStore::defaultPath());
            registry.load();
            Settings::writeFirstRunDefaults(registry);
        }
        const QString plugins = home.path() + QStringLiteral("/.local/share/Quillarbor/Plugins");
        QVERIFY(QDir().mkpath(plugins));
        QVERIFY(QFile::copy(QStringLiteral(QUILL_TEST_PLUGIN_DIR "/tp_restarts.so"),
                            plugins + QStringLiteral("/restarts.so")));
        const QString log = home.path() + QStringLiteral("/calls.log");
        qputenv("QUILL_TEST_PLUGIN_LOG", log.toUtf8());
        qputenv("QUILL_TEST_RESTART_MARKER", (home.path() + QStringLiteral("/restarted")).toUtf8());
        const QString program = TestHome::programFolder() + QStringLiteral("quillarbor");

        QProcess first;
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        // The first copy presses the button and ends.
        QVERIFY2(first.waitForFinished(90000), "the first copy did not end");
        QTRY_VERIFY_WITH_TIMEOUT(autoRunProcesses(log).size() >= 2, 60000);
        const QList<qint64> processes = autoRunProcesses(log);
        const qint64 second = processes.at(1);
        QVERIFY(second != processes.at(0));
        const auto stop = qScopeGuard([second] { ::kill(pid_t(second), SIGKILL); });
        QFile calls(log);
        QVERIFY(calls.open(QIODevice::ReadOnly));
        QVERIFY2(!calls.readAll().contains("no BitBtn36"), "the plug-in found no button");

        // The new copy stays, and holds the name: a further start hands over to it.
        QTest::qWait(2000);
        QVERIFY(isRunning(second));
        QProcess further;
        further.start(program, {});
        QVERIFY(further.waitForFinished(60000));
        QCOMPARE(further.exitStatus(), QProcess::NormalExit);
        QCOMPARE(further.exitCode(), 0);
        QVERIFY(isRunning(second));
        QCOMPARE(autoRunProcesses(log).size(), 2);
    }
};

QUILL_TEST_MAIN(TestPluginRestart)

#include "tst_plugin_restart.moc"

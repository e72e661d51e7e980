// One organiser per user: a later start hands over to the running copy, a
// name left by a killed copy does not block the next start, and the restart
// after a restore is let through. The other copies are real processes: this
// program run again as a child, and the organiser itself.
#include "registry_store.h"
#include "settings.h"
#include "single_instance.h"
#include "test_home.h"
#include "test_main.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <cstdio>

namespace {

const char* kChildMode = "--claim-as-child";

// The child: claim the name in the given folder and print what came of it;
// "die" then ends it as a crash would, "hold" keeps it running.
int runChild(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    const SingleInstance::Claim claim = instance.claim();
    std::fputs(claim == SingleInstance::Claim::First        ? "first\n"
               : claim == SingleInstance::Claim::HandedOver ? "handed-over\n"
                                                            : "unguarded\n",
               stdout);
    std::fflush(stdout);
    const QByteArray then = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    if (then == "die")
        std::raise(SIGKILL);
    if (then == "hold" && claim == SingleInstance::Claim::First)
        return application.exec();
    return 0;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void laterStartsHandOverAndOnlyTheRequestRaises()
    {
        SingleInstance running(folder());
        QSignalSpy raised(&running, &SingleInstance::activationRequested);
        QCOMPARE(running.claim(), SingleInstance::Claim::First);
        QVERIFY(QFile::exists(running.socketPath()));
        QCOMPARE(QFile::permissions(running.socketPath()) &
                     (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
                 QFile::Permissions());

        QCOMPARE(claimInChild(), QByteArray("handed-over"));
        QCOMPARE(raised.size(), 1);
        QCOMPARE(claimInChild(), QByteArray("handed-over"));
        QCOMPARE(raised.size(), 2);

        // Anything but the one request raises nothing, and the copy goes on answering.
        for (const QByteArray& stranger :
             {QByteArray("lower\n"), QByteArray(4096, 'x'), QByteArray("raise")}) {
            QLocalSocket socket;
            socket.connectToServer(running.socketPath());
            QVERIFY(socket.waitForConnected(1000));
            socket.write(stranger);
            QVERIFY(socket.waitForBytesWritten(1000));
            QTest::qWait(100);
            socket.disconnectFromServer();
        }
        QTest::qWait(100);
        QCOMPARE(raised.size(), 2);
        QCOMPARE(claimInChild(), QByteArray("handed-over"));
        QCOMPARE(raised.size(), 3);
    }

    void aNameLeftByAKilledCopyIsTaken()
    {
        QProcess killed;
        killed.start(QCoreApplication::applicationFilePath(), {kChildMode, folder(), QStringLiteral("die")});
        QVERIFY(killed.waitForFinished(10000));
        QCOMPARE(killed.exitStatus(), QProcess::CrashExit);
        QCOMPARE(killed.readAllStandardOutput().trimmed(), QByteArray("first"));
        SingleInstance next(folder());
        QVERIFY(QFile::exists(next.socketPath()));

        QCOMPARE(next.claim(), SingleInstance::Claim::First);
        QCOMPARE(claimInChild(), QByteArray("handed-over"));
    }

    void aReleasedNameLetsTheRestartRun()
    {
        SingleInstance ending(folder());
        QCOMPARE(ending.claim(), SingleInstance::Claim::First);
        ending.release();
        QVERIFY(!ending.isHeld());
        QCOMPARE(claimInChild(), QByteArray("first"));
        // The first child ended and took the name with it.
        QCOMPARE(ending.claim(), SingleInstance::Claim::First);
    }

    void noRuntimeFolderStillStarts()
    {
        QFile blocker(m_home->path() + QStringLiteral("/not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        SingleInstance instance(blocker.fileName() + QStringLiteral("/run"));
        QTest::ignoreMessage(QtWarningMsg,
                             "No runtime folder: a second copy of the program will not be noticed");
        QCOMPARE(instance.claim(), SingleInstance::Claim::Unguarded);
    }

    void theOrganiserRunsOnceAndAgainAfterAKill()
    {
        // Settings as after the first run, so that the organiser comes
        // straight to its main window and opens nothing on the desktop.
        {
            RegistryStore registry(RegistryStore::defaultPath());
            registry.load();
            Settings::writeFirstRunDefaults(registry);
        }
        const QString program = TestHome::programFolder() + QStringLiteral("quillarbor");
        const QString socket = SingleInstance(SingleInstance::defaultFolder()).socketPath();

        QProcess first;
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 30000);

        QProcess second;
        second.start(program, {});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(QFile::exists(socket));

        QProcess third;
        third.start(program, {});
        QVERIFY(third.waitForStarted());
        // The third takes the name: a fourth hands over to it.
        QTest::qWait(2000);
        QCOMPARE(third.state(), QProcess::Running);
        QProcess fourth;
        fourth.start(program, {});
        QVERIFY(fourth.waitForFinished(30000));
        QCOMPARE(fourth.exitCode(), 0);
        QCOMPARE(third.state(), QProcess::Running);
        third.kill();
        QVERIFY(third.waitForFinished(10000));
    }

private:
    QString folder() const { return m_home->path() + QStringLiteral("/run"); }

    // Runs a second claimant while this one keeps answering.
    QByteArray claimInChild() const
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {kChildMode, folder()});
        if (!child.waitForStarted())
            return "not started";
        QElapsedTimer clock;
        clock.start();
        while (child.state() != QProcess::NotRunning && clock.elapsed() < 15000)
            QTest::qWait(10);
        QCoreApplication::processEvents();
        if (child.state() != QProcess::NotRunning || child.exitCode() != 0)
            return "failed";
        return child.readAllStandardOutput().trimmed();
    }

    std::unique_ptr<TestHome> m_home;
};

int main(int argc, char** argv)
{
    if (argc > 2 && qstrcmp(argv[1], kChildMode) == 0)
        return runChild(argc, argv);
    prepareTestProcess();
    GuardedApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Quillarbor"));
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_single_instance.moc"

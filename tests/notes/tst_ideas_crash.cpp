// A child process saves a sketch over an older one and is killed with SIGKILL
// at a random moment; the idea file must then hold the whole old drawing or
// the whole new one.
#include "crash_child.h"
#include "idea_file.h"
#include "test_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <cstdio>

namespace {

// QUILLARBOR_CRASH_KILLS may set another count.
const int kKills = CrashChild::kills(20);

QImage drawing(int shade)
{
    QImage picture(1920, 1080, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            row[x] = qRgb(shade, (x + y) & 255, (x * shade) & 255);
    }
    return picture;
}

// The child: say so, save the new drawing, end.
int runChild(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QImage picture = drawing(200);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return IdeaFile::save(QString::fromLocal8Bit(argv[2]), picture) ? 0 : 3;
}

} // namespace

class TestIdeasCrash : public QObject
{
    Q_OBJECT

private slots:
    void aSaveIsWholeOrNotAtAll()
    {
        TestHome home;
        const QString folder = home.profileFolder() + QStringLiteral("/Ideas");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/Набросок1.dat");
        const QImage older = drawing(10);
        const QImage newer = drawing(200);
        const auto start = [&](QProcess& child) {
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), path});
            QVERIFY(child.waitForStarted());
            QVERIFY(child.waitForReadyRead(20000));
            QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
        };

        QVERIFY(IdeaFile::save(path, older));
        QElapsedTimer clock;
        {
            QProcess child;
            start(child);
            clock.start();
            QVERIFY(child.waitForFinished(60000));
            QCOMPARE(child.exitCode(), 0);
        }
        const qint64 duration = qMax<qint64>(2, clock.elapsed());
        QCOMPARE(IdeaFile::load(path).picture, newer);

        int olds = 0, news = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            QVERIFY(IdeaFile::save(path, older));
            QProcess child;
            start(child);
            QThread::msleep(QRandomGenerator::global()->bounded(quint32(duration)));
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            const IdeaFile::Loaded loaded = IdeaFile::load(path);
            QCOMPARE(loaded.status, IdeaFile::Status::Loaded);
            QVERIFY(loaded.picture == older || loaded.picture == newer);
            (loaded.picture == older ? olds : news) += 1;
            // What a killed save leaves behind is never listed as an idea.
            const QStringList ideas =
                QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files | QDir::Hidden);
            QCOMPARE(ideas, QStringList{QStringLiteral("Набросок1.dat")});
        }
        qInfo("whole save %lld ms; after %d kills: %d old, %d new", duration, kKills, olds, news);
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv);
    QCoreApplication application(argc, argv);
    TestIdeasCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ideas_crash.moc"

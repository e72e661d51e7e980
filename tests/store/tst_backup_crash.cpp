// A child process writes a backup, or restores one, and is killed with
// SIGKILL at a random moment; what the parent then finds must be whole: the
// old archive or the new one, the old profile or the restored one.
#include "crash_child.h"
#include "folder_tree.h"
#include "profile_backup.h"
#include "profile_database.h"
#include "test_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <QThread>
#include <cstdio>

namespace {

using namespace ProfileBackup;

// QUILLARBOR_CRASH_KILLS may set another count.
const int kKills = CrashChild::kills(15);
const QDateTime kOld(QDate(2026, 3, 8), QTime(14, 20, 5));

Locations here(const QString& documents)
{
    return Locations::standard(documents, documents + QStringLiteral("/../.config/Quillarbor/registry.json"));
}

// The child: say so, do the work, end.
int runChild(char** argv)
{
    const QString mode = QString::fromLocal8Bit(argv[2]);
    const Locations where = here(QString::fromLocal8Bit(argv[3]));
    const QString archive = QString::fromLocal8Bit(argv[4]);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    const QDateTime now = QDateTime::currentDateTime();
    if (mode == QLatin1String("write"))
        return write(where, archive, QStringLiteral("3.2"), now).ok ? 0 : 3;
    return restore(where, archive, now).ok ? 0 : 3;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            QFile::copy(path, target);
    }
}

QMap<QString, QByteArray> ideasOf(const QString& profile)
{
    QMap<QString, QByteArray> ideas;
    for (const QString& name : QDir(profile + QStringLiteral("/Ideas")).entryList(QDir::Files))
        ideas.insert(name, bytesOf(profile + QStringLiteral("/Ideas/") + name));
    return ideas;
}

int contactsIn(const QString& file)
{
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT count(*) FROM \"Адресная книга\"")) && query.next())
                count = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return count;
}

// A profile of `contacts` contacts and `ideas` ideas, each idea tagged.
void makeProfile(const TestHome& home, int contacts, int ideas, const QByteArray& tag)
{
    FolderTree::remove(home.profileFolder());
    ProfileDatabase database;
    QVERIFY(database.open(home.documents(), TestHome::programFolder()));
    Transaction fill(database.BigBd());
    QSqlQuery insert(database.BigBd());
    insert.prepare(QStringLiteral("INSERT INTO \"Адресная книга\" (\"Имя\", \"Комментарий\") VALUES (?, ?)"));
    for (int n = 0; n < contacts; ++n) {
        insert.bindValue(0, QStringLiteral("Контакт %1").arg(n));
        insert.bindValue(1, QString::fromLatin1(tag));
        QVERIFY(insert.exec());
    }
    QVERIFY(fill.commit());
    QDir().mkpath(home.profileFolder() + QStringLiteral("/Ideas"));
    for (int n = 0; n < ideas; ++n) {
        QFile file(home.profileFolder() + QStringLiteral("/Ideas/%1.dat").arg(n));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray data(40000, Qt::Uninitialized);
        for (char& byte : data)
            byte = char(QRandomGenerator::global()->bounded(256));
        file.write(tag + data);
    }
}

} // namespace

class TestBackupCrash : public QObject
{
    Q_OBJECT

private slots:
    void aKilledWriterLeavesTheOldArchiveOrTheNewOne()
    {
        TestHome home;
        makeProfile(home, 4000, 60, "A");
        const QString archive = home.path() + QStringLiteral("/copies/backup.zip");
        QDir().mkpath(home.path() + QStringLiteral("/copies"));
        QVERIFY(write(here(home.documents()), archive, QStringLiteral("3.2"), kOld).ok);
        const QByteArray old = bytesOf(archive);
        const qint64 duration = timedRun(home, "write", archive);

        int sawOld = 0, sawNew = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            QFile::remove(archive);
            QFile restoreOld(archive);
            QVERIFY(restoreOld.open(QIODevice::WriteOnly));
            restoreOld.write(old);
            restoreOld.close();
            killAt(home, "write", archive, QRandomGenerator::global()->bounded(duration + 1));
            const QByteArray now = bytesOf(archive);
            if (now == old) {
                ++sawOld;
                continue;
            }
            QString why;
            const auto contents = inspect(archive, &why);
            QVERIFY2(contents, qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(why)));
            QVERIFY(contents->created != kOld);
            ++sawNew;
            // Only the archive carries the archive's name.
            const QStringList names = QDir(home.path() + "/copies").entryList(QDir::Files);
            QCOMPARE(names, QStringList{"backup.zip"});
        }
        qInfo("write killed %d times: old archive %d, new archive %d (run %lld ms)", kKills, sawOld, sawNew,
              duration);
    }

    void aKilledRestoreLeavesTheOldProfileOrTheRestoredOne()
    {
        TestHome home;
        makeProfile(home, 4000, 60, "B");
        const QString archive = home.path() + QStringLiteral("/backup.zip");
        QVERIFY(write(here(home.documents()), archive, QStringLiteral("3.2"), kOld).ok);
        const auto ideasB = ideasOf(home.profileFolder());
        makeProfile(home, 2500, 40, "A");
        const auto ideasA = ideasOf(home.profileFolder());
        const QString pristine = home.path() + QStringLiteral("/pristine");
        copyTree(home.profileFolder(), pristine);
        const auto reset = [&] {
            for (const QString& name : QDir(home.documents()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                FolderTree::remove(home.documents() + QLatin1Char('/') + name);
            copyTree(pristine, home.profileFolder());
        };
        const qint64 duration = timedRun(home, "restore", archive);

        int sawOld = 0, sawNew = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            reset();
            killAt(home, "restore", archive, QRandomGenerator::global()->bounded(duration + 1));
            const QString folder = home.profileFolder();
            const int contacts = contactsIn(folder + QStringLiteral("/profile.mdb"));
            const auto ideas = ideasOf(folder);
            if (contacts == 2500) {
                QVERIFY2(ideas == ideasA,
                         qPrintable(QStringLiteral("kill %1: old rows, other ideas").arg(kill)));
                ++sawOld;
            } else {
                QVERIFY2(contacts == 4000,
                         qPrintable(QStringLiteral("kill %1: %2 contacts").arg(kill).arg(contacts)));
                QVERIFY2(ideas == ideasB,
                         qPrintable(QStringLiteral("kill %1: new rows, other ideas").arg(kill)));
                ++sawNew;
            }
        }
        qInfo("restore killed %d times: old profile %d, restored profile %d (run %lld ms)", kKills, sawOld,
              sawNew, duration);
    }

private:
    static QStringList childArguments(const TestHome& home, const QString& mode, const QString& archive)
    {
        return {QStringLiteral("child"), mode, home.documents(), archive};
    }

    // One run to the end: how long the work takes.
    static qint64 timedRun(const TestHome& home, const QString& mode, const QString& archive)
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), childArguments(home, mode, archive));
        if (!child.waitForStarted() || !child.waitForReadyRead(10000))
            return 0;
        QElapsedTimer clock;
        clock.start();
        child.waitForFinished(60000);
        return clock.elapsed();
    }

    static void killAt(const TestHome& home, const QString& mode, const QString& archive, qint64 delayMs)
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), childArguments(home, mode, archive));
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(10000));
        QThread::msleep(quint64(delayMs));
        child.kill();
        child.waitForFinished(10000);
    }
};

int main(int argc, char** argv)
{
    if (argc > 4 && QByteArray(argv[1]) == "child") {
        QCoreApplication application(argc, argv);
        return runChild(argv);
    }
    QCoreApplication application(argc, argv);
    TestBackupCrash test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_backup_crash.moc"

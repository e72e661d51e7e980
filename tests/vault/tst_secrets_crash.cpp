// A child process locks the diary or changes the bank's master password and
// is killed with SIGKILL at a random moment; the profile must then hold the
// whole old state or the whole new one, never a mix.
#include "crash_child.h"
#include "diary_store.h"
#include "password_bank.h"
#include "profile_database.h"
#include "record_cipher.h"
#include "test_home.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <QThread>
#include <cstdio>

namespace {

constexpr int kPages = 10000;
constexpr int kAccounts = 1000;
// QUILLARBOR_CRASH_KILLS may set another count.
const int kKills = CrashChild::kills(20);
const QString kOld = QStringLiteral("старый пароль");
const QString kNew = QStringLiteral("новый пароль");

QString pageText(int n)
{
    return QStringLiteral("Страница %1: сегодня шёл снег, потом дождь. Quick brown fox. ").arg(n).repeated(4);
}

QString accountPassword(int n)
{
    return QStringLiteral("pw-%1-Ж").arg(n);
}

// The child: open the profile, say so, do the change, end.
int runChild(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QString mode = QString::fromLocal8Bit(argv[2]);
    const QString documents = QString::fromLocal8Bit(argv[3]);
    const QString programFolder = QString::fromLocal8Bit(argv[4]);
    ProfileDatabase database;
    if (!database.open(documents, programFolder))
        return 2;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    bool ok = false;
    if (mode == QLatin1String("diary"))
        ok = DiaryStore(database).lock(kNew);
    else
        ok = PasswordBank(database).changeMasterPassword(kOld, kNew, nullptr);
    return ok ? 0 : 3;
}

} // namespace

class TestSecretsCrash : public QObject
{
    Q_OBJECT

private slots:
    void lockingTheDiaryIsWholeOrNotAtAll()
    {
        TestHome home;
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            QSqlDatabase connection = database.BigBd();
            Transaction fill(connection);
            QSqlQuery insert(connection);
            insert.prepare("INSERT INTO \"Дневник\" VALUES (?, ?)");
            for (int n = 0; n < kPages; ++n) {
                insert.bindValue(0, TableObject::dateTimeToText(QDate(2000, 1, 1).addDays(n).startOfDay()));
                insert.bindValue(1, pageText(n));
                QVERIFY(insert.exec());
            }
            QVERIFY(fill.commit());
        }
        run(home, "diary", [](ProfileDatabase& database) { return diaryState(database); });
    }

    void changingTheMasterPasswordIsWholeOrNotAtAll()
    {
        TestHome home;
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            PasswordBank bank(database);
            QVERIFY(bank.setMasterPassword(kOld, nullptr));
            Transaction fill(database.BigBd());
            for (int n = 0; n < kAccounts; ++n)
                QVERIFY(bank.add(QStringLiteral("сайт %1").arg(n), "login", accountPassword(n), kOld, nullptr,
                                 nullptr));
            QVERIFY(fill.commit());
        }
        run(home, "bank", [](ProfileDatabase& database) { return bankState(database); });
    }

private:
    // "old", "new", or what is wrong.
    static QString diaryState(ProfileDatabase& database)
    {
        const DiaryStore::LockRecord lock = DiaryStore(database).lockRecord();
        const bool isNew = lock.locked;
        if (isNew && lock.verifier != *RecordCipher::makeVerifier(kNew))
            return QStringLiteral("locked under another verifier");
        if (!isNew && !lock.verifier.isEmpty())
            return QStringLiteral("unlocked with a verifier");
        QSqlQuery read(database.BigBd());
        read.exec("SELECT \"Содержание\" FROM \"Дневник\" ORDER BY rowid");
        int n = 0;
        for (; read.next(); ++n) {
            const QString expected = isNew ? *RecordCipher::CipherText(pageText(n), kNew) : pageText(n);
            if (read.value(0).toString() != expected)
                return QStringLiteral("page %1 does not match the lock record").arg(n);
        }
        if (n != kPages)
            return QStringLiteral("%1 pages").arg(n);
        return isNew ? QStringLiteral("new") : QStringLiteral("old");
    }

    static QString bankState(ProfileDatabase& database)
    {
        PasswordBank bank(database);
        const bool isNew = bank.accepts(kNew);
        if (!isNew && !bank.accepts(kOld))
            return QStringLiteral("neither password opens the bank");
        const QList<PasswordBank::Account> accounts = bank.accounts();
        if (accounts.size() != kAccounts)
            return QStringLiteral("%1 accounts").arg(accounts.size());
        for (int n = 0; n < accounts.size(); ++n)
            if (*RecordCipher::CipherText(accounts[n].password, isNew ? kNew : kOld) != accountPassword(n))
                return QStringLiteral("account %1 does not match the verifier").arg(n);
        return isNew ? QStringLiteral("new") : QStringLiteral("old");
    }

    template <typename Check> void run(const TestHome& home, const QString& mode, Check check)
    {
        const QString profile = home.profileFolder() + "/profile.mdb";
        const QString pristine = home.path() + "/pristine.mdb";
        QVERIFY(QFile::copy(profile, pristine));
        const auto restore = [&] {
            QFile::remove(profile);
            QFile::remove(profile + "-journal");
            QVERIFY(QFile::copy(pristine, profile));
        };
        const auto start = [&](QProcess& child) {
            child.start(QCoreApplication::applicationFilePath(),
                        {"--child", mode, home.documents(), TestHome::programFolder()});
            QVERIFY(child.waitForStarted());
            QVERIFY(child.waitForReadyRead(20000));
            QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
        };

        // One whole run: how long the change takes, and that it ends as "new".
        QElapsedTimer clock;
        {
            QProcess child;
            start(child);
            clock.start();
            QVERIFY(child.waitForFinished(60000));
            QCOMPARE(child.exitCode(), 0);
        }
        const qint64 duration = qMax<qint64>(2, clock.elapsed());
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            QCOMPARE(check(database), QStringLiteral("new"));
        }

        QStringList outcomes;
        for (int kill = 0; kill < kKills; ++kill) {
            restore();
            QProcess child;
            start(child);
            QThread::msleep(QRandomGenerator::global()->bounded(quint32(duration)));
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            QSqlQuery integrity(database.BigBd());
            QVERIFY(integrity.exec("PRAGMA integrity_check") && integrity.next());
            QCOMPARE(integrity.value(0).toString(), QStringLiteral("ok"));
            const QString state = check(database);
            QVERIFY2(state == "old" || state == "new", qPrintable(state));
            outcomes.append(state);
        }
        qInfo("%s: whole run %lld ms; after %d kills: %lld old, %lld new", qPrintable(mode), duration, kKills,
              outcomes.count("old"), outcomes.count("new"));
    }
};

int main(int argc, char** argv)
{
    if (argc == 5 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv);
    QCoreApplication application(argc, argv);
    TestSecretsCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_secrets_crash.moc"

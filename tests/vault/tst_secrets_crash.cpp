// A child process locks the diary, changes the bank's master password, or
// carries an old diary or bank over to sealed values, and is killed with
// SIGKILL at a random moment; the profile must then hold the whole old state
// or the whole new one, never a mix.
#include "crash_child.h"
#include "diary_store.h"
#include "key_record.h"
#include "master_key.h"
#include "password_bank.h"
#include "profile_database.h"
#include "record_cipher.h"
#include "sealed_value.h"
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

QString cipher(const QString& text, const QString& key)
{
    return *RecordCipher::CipherText(text, key);
}

// The child: open the profile, say so, do the change, end.
int runChild(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    KeyRecord::setPassesForTests(2);
    const QString mode = QString::fromLocal8Bit(argv[2]);
    const QString documents = QString::fromLocal8Bit(argv[3]);
    const QString programFolder = QString::fromLocal8Bit(argv[4]);
    ProfileDatabase database;
    if (!database.open(documents, programFolder))
        return 2;
    // The keys are derived before "ready", so that the kills fall on the writing.
    const auto diaryKey = mode == QLatin1String("diary") ? DiaryStore::newKey(kNew, nullptr) : std::nullopt;
    const MasterKey::Checked bankKey =
        mode == QLatin1String("bank") ? PasswordBank(database).check(kOld) : MasterKey::Checked{};
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    bool ok = false;
    if (mode == QLatin1String("diary"))
        ok = diaryKey && DiaryStore(database).lock(*diaryKey);
    else if (mode == QLatin1String("bank"))
        ok = PasswordBank(database).changeMasterPassword(bankKey, kOld, kNew, nullptr);
    else if (mode == QLatin1String("old-diary"))
        ok = DiaryStore(database).unlock(kOld).verdict == MasterKey::Verdict::Opened;
    else if (mode == QLatin1String("old-bank"))
        ok = PasswordBank(database).unlock(kOld).verdict == MasterKey::Verdict::Opened;
    return ok ? 0 : 3;
}

// The row of the keys table that holds a record: 0 the diary, 1 the bank.
bool setKeyRow(ProfileDatabase& database, int row, const QString& value, bool locked)
{
    QSqlQuery write(database.BigBd());
    write.prepare(QStringLiteral("UPDATE \"Ключи\" SET \"Ключ\" = ?, \"Заблокировано\" = ? WHERE \"Count\" = "
                                 "(SELECT \"Count\" FROM \"Ключи\" ORDER BY \"Count\" LIMIT 1 OFFSET %1)")
                      .arg(row));
    write.addBindValue(value);
    write.addBindValue(locked ? 1 : 0);
    return write.exec();
}

bool fillDiary(ProfileDatabase& database, const QString& oldPassword)
{
    QSqlDatabase connection = database.BigBd();
    Transaction fill(connection);
    QSqlQuery insert(connection);
    insert.prepare("INSERT INTO \"Дневник\" VALUES (?, ?)");
    for (int n = 0; n < kPages; ++n) {
        insert.bindValue(0, TableObject::dateTimeToText(QDate(2000, 1, 1).addDays(n).startOfDay()));
        insert.bindValue(1, oldPassword.isEmpty() ? pageText(n) : cipher(pageText(n), oldPassword));
        if (!insert.exec())
            return false;
    }
    if (!oldPassword.isEmpty() && !setKeyRow(database, 0, cipher("#VAULT#", oldPassword), true))
        return false;
    return fill.commit();
}

QStringList rawColumn(ProfileDatabase& database, const QString& select)
{
    QSqlQuery read(database.BigBd());
    read.exec(select);
    QStringList values;
    while (read.next())
        values.append(read.value(0).toString());
    return values;
}

} // namespace

class TestSecretsCrash : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KeyRecord::setPassesForTests(2); }

    void lockingTheDiaryIsWholeOrNotAtAll()
    {
        TestHome home;
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            QVERIFY(fillDiary(database, {}));
        }
        run(home, "diary", [](ProfileDatabase& database) { return sealedDiaryState(database, kNew, "new"); },
            [](ProfileDatabase& database) { return plainDiaryState(database, "old"); });
    }

    void carryingAnOldDiaryOverIsWholeOrNotAtAll()
    {
        TestHome home;
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            QVERIFY(fillDiary(database, kOld));
        }
        run(
            home, "old-diary",
            [](ProfileDatabase& database) {
                // Open now, with a record of the current form for the same password.
                const QString state = plainDiaryState(database, "new");
                const DiaryStore::LockRecord lock = DiaryStore(database).lockRecord();
                if (state == "new" && MasterKey::check(lock.keyRecord, kOld).verdict != MasterKey::Verdict::Opened)
                    return QStringLiteral("open without a record of the password");
                return state;
            },
            [](ProfileDatabase& database) { return oldDiaryState(database); });
    }

    void changingTheMasterPasswordIsWholeOrNotAtAll()
    {
        TestHome home;
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            PasswordBank bank(database);
            QVERIFY(bank.setMasterPassword(kOld, nullptr));
            const MasterKey::Checked checked = bank.check(kOld);
            QCOMPARE(checked.verdict, MasterKey::Verdict::Opened);
            Transaction fill(database.BigBd());
            for (int n = 0; n < kAccounts; ++n)
                QVERIFY(bank.add(QStringLiteral("сайт %1").arg(n), "login", accountPassword(n), checked.key, nullptr,
                                 nullptr));
            QVERIFY(fill.commit());
        }
        run(home, "bank", [](ProfileDatabase& database) { return sealedBankState(database, kNew, "new"); },
            [](ProfileDatabase& database) { return sealedBankState(database, kOld, "old"); });
    }

    void carryingAnOldBankOverIsWholeOrNotAtAll()
    {
        TestHome home;
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            Transaction fill(database.BigBd());
            QVERIFY(setKeyRow(database, 1, cipher("#VAULT#", kOld), false));
            QSqlQuery insert(database.BigBd());
            insert.prepare("INSERT INTO \"Пароли\" (\"Принадлежность\", \"Логин\", \"Пароль\") VALUES (?, ?, ?)");
            for (int n = 0; n < kAccounts; ++n) {
                insert.addBindValue(QStringLiteral("сайт %1").arg(n));
                insert.addBindValue(QStringLiteral("login"));
                insert.addBindValue(cipher(accountPassword(n), kOld));
                QVERIFY(insert.exec());
            }
            QVERIFY(fill.commit());
        }
        run(home, "old-bank", [](ProfileDatabase& database) { return sealedBankState(database, kOld, "new"); },
            [](ProfileDatabase& database) { return oldBankState(database); });
    }

private:
    // Each check gives its name when the profile is whole in that state,
    // or what is wrong.
    static QString plainDiaryState(ProfileDatabase& database, const QString& name)
    {
        const DiaryStore::LockRecord lock = DiaryStore(database).lockRecord();
        if (lock.locked)
            return QStringLiteral("locked");
        const QStringList pages = rawColumn(database, "SELECT \"Содержание\" FROM \"Дневник\" ORDER BY rowid");
        if (pages.size() != kPages)
            return QStringLiteral("%1 pages").arg(pages.size());
        for (int n = 0; n < pages.size(); ++n)
            if (pages[n] != pageText(n))
                return QStringLiteral("page %1 is not plain").arg(n);
        return name;
    }

    static QString sealedDiaryState(ProfileDatabase& database, const QString& password, const QString& name)
    {
        const DiaryStore::LockRecord lock = DiaryStore(database).lockRecord();
        if (!lock.locked)
            return QStringLiteral("unlocked");
        const MasterKey::Checked checked = MasterKey::check(lock.keyRecord, password);
        if (checked.verdict != MasterKey::Verdict::Opened)
            return QStringLiteral("locked under another record");
        const QStringList pages = rawColumn(database, "SELECT \"Содержание\" FROM \"Дневник\" ORDER BY rowid");
        if (pages.size() != kPages)
            return QStringLiteral("%1 pages").arg(pages.size());
        for (int n = 0; n < pages.size(); ++n)
            if (SealedValue::open(checked.key, pages[n], SealedValue::kDiaryPage) != pageText(n))
                return QStringLiteral("page %1 does not open under the record").arg(n);
        return name;
    }

    static QString oldDiaryState(ProfileDatabase& database)
    {
        const DiaryStore::LockRecord lock = DiaryStore(database).lockRecord();
        if (!lock.locked || lock.keyRecord != cipher("#VAULT#", kOld))
            return QStringLiteral("not locked the old way");
        const QStringList pages = rawColumn(database, "SELECT \"Содержание\" FROM \"Дневник\" ORDER BY rowid");
        for (int n = 0; n < pages.size(); ++n)
            if (pages[n] != cipher(pageText(n), kOld))
                return QStringLiteral("page %1 changed").arg(n);
        return pages.size() == kPages ? QStringLiteral("old") : QStringLiteral("%1 pages").arg(pages.size());
    }

    static QString sealedBankState(ProfileDatabase& database, const QString& password, const QString& name)
    {
        PasswordBank bank(database);
        const MasterKey::Checked checked = bank.check(password);
        if (checked.verdict != MasterKey::Verdict::Opened)
            return QStringLiteral("the password does not open the bank");
        const QList<PasswordBank::Account> accounts = bank.accounts(checked.key);
        if (accounts.size() != kAccounts)
            return QStringLiteral("%1 accounts").arg(accounts.size());
        for (int n = 0; n < accounts.size(); ++n)
            if (accounts[n].damaged || accounts[n].container != QStringLiteral("сайт %1").arg(n) ||
                bank.passwordOf(accounts[n].key, checked.key) != accountPassword(n))
                return QStringLiteral("account %1 does not open under the record").arg(n);
        return name;
    }

    static QString oldBankState(ProfileDatabase& database)
    {
        if (PasswordBank(database).keyRecord() != cipher("#VAULT#", kOld))
            return QStringLiteral("not the old verifier");
        const QStringList passwords = rawColumn(database, "SELECT \"Пароль\" FROM \"Пароли\" ORDER BY \"Key\"");
        const QStringList containers = rawColumn(database, "SELECT \"Принадлежность\" FROM \"Пароли\" ORDER BY \"Key\"");
        if (passwords.size() != kAccounts)
            return QStringLiteral("%1 accounts").arg(passwords.size());
        for (int n = 0; n < passwords.size(); ++n)
            if (passwords[n] != cipher(accountPassword(n), kOld) || containers[n] != QStringLiteral("сайт %1").arg(n))
                return QStringLiteral("account %1 changed").arg(n);
        return QStringLiteral("old");
    }

    // isNew names "new" when the profile is whole in the new state; isOld
    // names "old" when it is whole in the old one.
    template <typename NewCheck, typename OldCheck>
    void run(const TestHome& home, const QString& mode, NewCheck isNew, OldCheck isOld)
    {
        const auto check = [&](ProfileDatabase& database) {
            const QString asNew = isNew(database);
            return asNew == "new" ? asNew : isOld(database);
        };
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

// The cost of the secrets' key derivation and of what is done around it:
// deriving a key at the calibrated passes, opening the password bank,
// locking and unlocking a long diary, and carrying an old-form bank over.
// Everything happens in a scratch profile under a temporary HOME.
//
//   bench_vault [runs] [accounts] [pages]   (default: 5 runs, 1000 accounts, 10000 pages)
#include "bench_support.h"
#include "diary_store.h"
#include "key_record.h"
#include "password_bank.h"
#include "profile_database.h"
#include "record_cipher.h"
#include "sealed_value.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const QString kBankPassword = QStringLiteral("главный пароль банка");
const QString kDiaryPassword = QStringLiteral("пароль дневника");
const QString kOldBankPassword = QStringLiteral("старый пароль банка");

// The bank's key record sits in the second row of the keys table.
constexpr int kBankRow = 1;

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "bench_vault: %s\n", qPrintable(what));
    std::exit(1);
}

double milliseconds(const QElapsedTimer& clock)
{
    return clock.nsecsElapsed() / 1e6;
}

QString containerOf(int n)
{
    return QStringLiteral("Сайт номер %1").arg(n);
}

QString loginOf(int n)
{
    return QStringLiteral("пользователь%1").arg(n);
}

QString passwordOf(int n)
{
    return QStringLiteral("пароль-%1-Ж").arg(n);
}

// A diary page of 350 characters of Russian text.
QString pageText(int n)
{
    const QString text =
        QStringLiteral("День %1. Утром шёл снег, к обеду потеплело, и во дворе появились лужи. Днём "
                       "работал над отчётом, вечером читал книгу у окна и пил чай с лимоном. Завтра "
                       "обещают мороз и ясное небо; надо не забыть позвонить маме и купить хлеба. ")
            .arg(n);
    return text.repeated(2).left(350);
}

// One derivation of a password's key under a record's parameters and salt.
double timeDerivation(const KeyRecord& record, const QString& password)
{
    QString error;
    QElapsedTimer clock;
    clock.start();
    const auto key = record.derive(password, &error);
    const double spent = milliseconds(clock);
    if (!key)
        fail(QStringLiteral("derivation failed: ") + error);
    return spent;
}

// The same under a stored record, as the unlocking code derives it.
double timeDerivation(const QString& storedRecord, const QString& password)
{
    const auto record = KeyRecord::parse(storedRecord);
    if (!record)
        fail(QStringLiteral("the stored key record does not parse"));
    return timeDerivation(*record, password);
}

struct Series
{
    QList<double> values;
    void add(double value) { values.append(value); }
    double median() const { return BenchSupport::median(values); }
    double least() const { return *std::min_element(values.begin(), values.end()); }
    double most() const { return *std::max_element(values.begin(), values.end()); }
};

void printRow(const char* label, const Series& series)
{
    std::printf("  %-52s %9.1f %9.1f %9.1f\n", label, series.median(), series.least(), series.most());
}

void printHeader(const char* title)
{
    std::printf("\n%s\n  %-52s %9s %9s %9s\n", title, "", "median", "min", "max");
}

// Per-run differences between two paired series.
Series minus(const Series& total, const Series& part)
{
    Series difference;
    for (int i = 0; i < total.values.size(); ++i)
        difference.add(total.values[i] - part.values[i]);
    return difference;
}

const char* verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// The accounts of an old-form bank: the old verifier in the bank's row of the
// keys table, the passwords enciphered with the old cipher, the other fields
// plain. Whatever the table held before is replaced.
void writeOldFormBank(ProfileDatabase& database, int accounts)
{
    QSqlDatabase connection = database.BigBd();
    Transaction change(connection);
    QSqlQuery query(connection);
    if (!query.exec(QStringLiteral("DELETE FROM \"Пароли\"")))
        fail(query.lastError().text());
    query.prepare(QStringLiteral(
        "INSERT INTO \"Пароли\" (\"Принадлежность\", \"Логин\", \"Пароль\") VALUES (?, ?, ?)"));
    for (int n = 0; n < accounts; ++n) {
        query.bindValue(0, containerOf(n));
        query.bindValue(1, loginOf(n));
        query.bindValue(2, *RecordCipher::CipherText(passwordOf(n), kOldBankPassword));
        if (!query.exec())
            fail(query.lastError().text());
    }
    const auto row = database.KeysTable.at(kBankRow);
    QString error;
    if (!row ||
        !database.KeysTable.update(
            row->key, {{QStringLiteral("Ключ"), *RecordCipher::makeVerifier(kOldBankPassword)}}, &error))
        fail(QStringLiteral("cannot store the old verifier: ") + error);
    if (!change.commit())
        fail(connection.lastError().text());
}

// The unlocked bank holds every account, whole, with its own password.
void checkBank(PasswordBank& bank, const VaultKey& key, int accounts)
{
    const QList<PasswordBank::Account> list = bank.accounts(key);
    if (list.size() != accounts)
        fail(QStringLiteral("the bank holds %1 accounts").arg(list.size()));
    for (int n = 0; n < list.size(); ++n) {
        if (list[n].damaged || list[n].container != containerOf(n) || list[n].login != loginOf(n))
            fail(QStringLiteral("account %1 does not read back").arg(n));
    }
    const auto last = bank.passwordOf(list.last().key, key);
    if (!last || *last != passwordOf(accounts - 1))
        fail(QStringLiteral("the last account's password does not read back"));
}

QString storedPage(ProfileDatabase& database, int n)
{
    QSqlQuery read(database.BigBd());
    read.prepare(QStringLiteral("SELECT \"Содержание\" FROM \"Дневник\" ORDER BY rowid LIMIT 1 OFFSET ?"));
    read.addBindValue(n);
    if (!read.exec() || !read.next())
        fail(QStringLiteral("page %1 cannot be read").arg(n));
    return read.value(0).toString();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 5;
    const int accounts = argc > 2 ? qMax(1, QByteArray(argv[2]).toInt()) : 1000;
    const int pages = argc > 3 ? qMax(1, QByteArray(argv[3]).toInt()) : 10000;

    QTemporaryDir home;
    if (!home.isValid())
        fail(QStringLiteral("no temporary folder"));
    BenchSupport::useHome(home.path());
    ProfileDatabase database;
    QString error;
    if (!database.open(home.path() + QStringLiteral("/Documents"), QStringLiteral(QUILL_PROGRAM_DIR), &error))
        fail(QStringLiteral("cannot open the scratch profile: ") + error);

    std::printf("bench_vault: %d runs, %d accounts, %d diary pages of %lld characters\n", runs, accounts,
                pages, static_cast<long long>(pageText(0).size()));

    // 1. Derivation at the calibrated passes. libsodium is loaded first, as
    // KeyRecord::create does before it asks for the passes.
    if (!VaultKey::random(&error))
        fail(QStringLiteral("libsodium: ") + error);
    QElapsedTimer calibrationClock;
    calibrationClock.start();
    const quint32 passes = KeyRecord::calibratedPasses();
    const double calibration = milliseconds(calibrationClock);
    KeyRecord record;
    record.passes = passes;
    record.memoryKiB = KeyRecord::kMinimumMemoryKiB;
    record.salt = QByteArray(KeyRecord::kSaltBytes, '\x3c');
    // The same at the least passes, paired run by run: the two together split
    // a derivation into a cost per pass and a cost per call.
    KeyRecord leastPasses = record;
    leastPasses.passes = KeyRecord::kMinimumPasses;
    Series derivation, derivationAtLeast;
    for (int run = 0; run < runs; ++run) {
        derivationAtLeast.add(timeDerivation(leastPasses, kBankPassword));
        derivation.add(timeDerivation(record, kBankPassword));
    }
    std::printf("\ncalibrated setting: Argon2id t=%u passes, m=%u KiB, p=1 (calibration took %.1f ms)\n",
                passes, record.memoryKiB, calibration);
    printHeader("1. Key derivation (ms)");
    printRow(qPrintable(QStringLiteral("KeyRecord::derive, t=%1 (calibrated)").arg(passes)), derivation);
    printRow(
        qPrintable(QStringLiteral("KeyRecord::derive, t=%1 (for the split below)").arg(leastPasses.passes)),
        derivationAtLeast);
    if (passes > leastPasses.passes) {
        // T(t) = perCall + t * perPass through the two medians.
        const double perPass =
            (derivation.median() - derivationAtLeast.median()) / double(passes - leastPasses.passes);
        const double perCall = derivationAtLeast.median() - leastPasses.passes * perPass;
        std::printf("  split: %.1f ms a pass + %.1f ms a call; the calibration charged %.1f ms a pass;\n"
                    "         600 ms would take about %.0f passes here\n",
                    perPass, perCall, calibration / leastPasses.passes,
                    perPass > 0 ? (600 - perCall) / perPass : 0.0);
    }

    // 2. Opening a bank of many accounts: unlock, then the list the grid shows.
    PasswordBank bank(database);
    if (!bank.setMasterPassword(kBankPassword, &error))
        fail(QStringLiteral("cannot set the master password: ") + error);
    {
        auto opened = bank.unlock(kBankPassword);
        if (opened.verdict != MasterKey::Verdict::Opened)
            fail(QStringLiteral("the new master password does not open the bank"));
        Transaction fill(database.BigBd());
        for (int n = 0; n < accounts; ++n)
            if (!bank.add(containerOf(n), loginOf(n), passwordOf(n), opened.key, nullptr, &error))
                fail(QStringLiteral("cannot add an account: ") + error);
        if (!fill.commit())
            fail(QStringLiteral("cannot store the accounts"));
        checkBank(bank, opened.key, accounts);
    }
    Series bankTotal, bankDerivation, bankUnlock, bankList;
    for (int run = 0; run < runs; ++run) {
        bankDerivation.add(timeDerivation(bank.keyRecord(), kBankPassword));
        QElapsedTimer clock;
        clock.start();
        auto opened = bank.unlock(kBankPassword);
        const double unlocked = milliseconds(clock);
        if (opened.verdict != MasterKey::Verdict::Opened)
            fail(QStringLiteral("the bank does not open: ") + opened.error);
        const QList<PasswordBank::Account> list = bank.accounts(opened.key);
        bankTotal.add(milliseconds(clock));
        bankUnlock.add(unlocked);
        bankList.add(bankTotal.values.last() - unlocked);
        if (list.size() != accounts)
            fail(QStringLiteral("the bank lists %1 accounts").arg(list.size()));
    }
    const Series bankExtra = minus(bankTotal, bankDerivation);
    printHeader(qPrintable(QStringLiteral("2. Unlocking the bank of %1 accounts (ms)").arg(accounts)));
    printRow("unlock + accounts (total)", bankTotal);
    printRow("  of which unlock (derivation and check)", bankUnlock);
    printRow("  of which accounts (opening every row)", bankList);
    printRow("derivation alone (same record)", bankDerivation);
    printRow("total minus derivation (per run)", bankExtra);

    // 3. Locking and unlocking a long diary.
    {
        QSqlDatabase connection = database.BigBd();
        Transaction fill(connection);
        QSqlQuery insert(connection);
        insert.prepare(QStringLiteral("INSERT INTO \"Дневник\" VALUES (?, ?)"));
        for (int n = 0; n < pages; ++n) {
            insert.bindValue(0, TableObject::dateTimeToText(QDate(2000, 1, 1).addDays(n).startOfDay()));
            insert.bindValue(1, pageText(n));
            if (!insert.exec())
                fail(insert.lastError().text());
        }
        if (!fill.commit())
            fail(QStringLiteral("cannot store the diary"));
    }
    DiaryStore diary(database);
    Series diaryNewKey, diaryLock, diaryDerivation, diaryUnlock;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer keyClock;
        keyClock.start();
        const auto key = DiaryStore::newKey(kDiaryPassword, &error);
        diaryNewKey.add(milliseconds(keyClock));
        if (!key)
            fail(QStringLiteral("no diary key: ") + error);

        QElapsedTimer lockClock;
        lockClock.start();
        if (!diary.lock(*key, &error))
            fail(QStringLiteral("the diary does not lock: ") + error);
        diaryLock.add(milliseconds(lockClock));
        if (!diary.isLocked() || !SealedValue::looksSealed(storedPage(database, pages - 1)))
            fail(QStringLiteral("the diary is not sealed after locking"));

        diaryDerivation.add(timeDerivation(diary.lockRecord().keyRecord, kDiaryPassword));
        QElapsedTimer unlockClock;
        unlockClock.start();
        const auto opened = diary.unlock(kDiaryPassword);
        diaryUnlock.add(milliseconds(unlockClock));
        if (opened.verdict != MasterKey::Verdict::Opened)
            fail(QStringLiteral("the diary does not unlock: ") + opened.error);
        if (diary.isLocked() || storedPage(database, pages - 1) != pageText(pages - 1) ||
            storedPage(database, 0) != pageText(0))
            fail(QStringLiteral("the diary's pages do not read back after unlocking"));
    }
    const Series diaryUnlockExtra = minus(diaryUnlock, diaryDerivation);
    printHeader(qPrintable(QStringLiteral("3. Diary of %1 pages (ms)").arg(pages)));
    printRow("newKey, made beforehand (derivation and check)", diaryNewKey);
    printRow("lock(key) (no derivation inside)", diaryLock);
    printRow("unlock(password)", diaryUnlock);
    printRow("derivation alone (same record)", diaryDerivation);
    printRow("unlock minus derivation (per run)", diaryUnlockExtra);

    // 4. Carrying an old-form bank over on its first right password.
    Series carryTotal, carryDerivation;
    for (int run = 0; run < runs; ++run) {
        writeOldFormBank(database, accounts);
        if (KeyRecord::isCurrentForm(bank.keyRecord()))
            fail(QStringLiteral("the old verifier did not stay"));
        carryDerivation.add(timeDerivation(record, kOldBankPassword));
        QElapsedTimer clock;
        clock.start();
        const auto opened = bank.unlock(kOldBankPassword);
        carryTotal.add(milliseconds(clock));
        if (opened.verdict != MasterKey::Verdict::Opened || !opened.carriedOver)
            fail(QStringLiteral("the old-form bank was not carried over: ") + opened.error);
        checkBank(bank, opened.key, accounts);
    }
    const Series carryExtra = minus(carryTotal, carryDerivation);
    printHeader(
        qPrintable(QStringLiteral("4. Carrying an old-form bank of %1 accounts over (ms)").arg(accounts)));
    printRow("unlock(password) with the carrying over", carryTotal);
    printRow("derivation alone (calibrated passes)", carryDerivation);
    printRow("total minus derivation (per run)", carryExtra);

    const double derive = derivation.median();
    std::printf("\nTargets (medians of %d runs)\n", runs);
    std::printf("  1. derivation %.0f ms within 400-1000 ms: %s\n", derive,
                verdict(derive >= 400 && derive <= 1000));
    std::printf("  2. bank unlock with %d accounts: %.1f ms over derivation, at most 50 ms: %s\n", accounts,
                bankExtra.median(), verdict(bankExtra.median() <= 50));
    std::printf("  3. diary lock of %d pages: %.1f ms over derivation, at most 500 ms: %s\n", pages,
                diaryLock.median(), verdict(diaryLock.median() <= 500));
    std::printf("     diary unlock of %d pages: %.1f ms over derivation, at most 500 ms: %s\n", pages,
                diaryUnlockExtra.median(), verdict(diaryUnlockExtra.median() <= 500));
    std::printf("  4. old-form bank carried over: %.1f ms over derivation (for information)\n",
                carryExtra.median());
    return 0;
}

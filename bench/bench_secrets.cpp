// Locking and unlocking a diary of long pages, and changing the bank's master
// password over many accounts: each is one transaction over the whole table.
//
//   bench_secrets [pages] [accounts]   (default: 10000 pages of 1700 characters, 1000 accounts)
#include "bench_support.h"
#include "diary_store.h"
#include "password_bank.h"
#include "profile_database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QString page(int n)
{
    // Russian text with line breaks, as a diary holds it, exactly 1700 characters.
    const QString line =
        QStringLiteral("День %1. Утром шёл снег, днём светило солнце; вечером — чай.\r\n").arg(n);
    return line.repeated(1700 / line.size() + 1).left(1700);
}

template <typename Body> double timed(Body body)
{
    QElapsedTimer clock;
    clock.start();
    if (!body()) {
        std::fprintf(stderr, "the operation failed\n");
        std::exit(1);
    }
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int pages = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    const int accounts = argc > 2 ? QByteArray(argv[2]).toInt() : 1000;
    QTemporaryDir home;
    BenchSupport::useHome(home.path());
    ProfileDatabase database;
    if (!database.open(home.path() + QStringLiteral("/Documents"), QStringLiteral(QUILL_PROGRAM_DIR))) {
        std::fprintf(stderr, "cannot open the scratch profile\n");
        return 1;
    }
    {
        Transaction fill(database.BigBd());
        QSqlQuery insert(database.BigBd());
        insert.prepare(QStringLiteral("INSERT INTO \"Дневник\" VALUES (?, ?)"));
        for (int n = 0; n < pages; ++n) {
            insert.bindValue(0, TableObject::dateTimeToText(QDate(2000, 1, 1).addDays(n).startOfDay()));
            insert.bindValue(1, page(n));
            insert.exec();
        }
        PasswordBank bank(database);
        bank.setMasterPassword(QStringLiteral("ключ0"), nullptr);
        const MasterKey::Checked master = bank.check(QStringLiteral("ключ0"));
        for (int n = 0; n < accounts; ++n)
            bank.add(QStringLiteral("Сайт %1").arg(n), QStringLiteral("user%1").arg(n),
                     QStringLiteral("пароль-%1").arg(n), master.key, nullptr, nullptr);
        fill.commit();
    }

    DiaryStore diary(database);
    QList<double> locks, unlocks, changes;
    constexpr int kRuns = 5;
    for (int run = 0; run < kRuns; ++run) {
        locks.append(timed([&] { return diary.lock(QStringLiteral("дневник")); }));
        unlocks.append(timed(
            [&] { return diary.unlock(QStringLiteral("дневник")).verdict == MasterKey::Verdict::Opened; }));
    }
    PasswordBank bank(database);
    for (int run = 0; run < kRuns * 2; ++run)
        changes.append(timed([&] {
            return bank.changeMasterPassword(QStringLiteral("ключ%1").arg(run),
                                             QStringLiteral("ключ%1").arg(run + 1), nullptr);
        }));
    std::printf("diary of %d pages of 1700 characters: lock %.0f ms, unlock %.0f ms (median of %d; worst "
                "%.0f / %.0f)\n",
                pages, BenchSupport::median(locks), BenchSupport::median(unlocks), kRuns,
                *std::max_element(locks.begin(), locks.end()),
                *std::max_element(unlocks.begin(), unlocks.end()));
    std::printf("master password change over %d accounts: %.1f ms (median of %d; worst %.1f)\n", accounts,
                BenchSupport::median(changes), kRuns * 2, *std::max_element(changes.begin(), changes.end()));
    return 0;
}

// The due-item monitor over long tables: one tick with nothing due (it reads
// only the first row of each table), the start-up pass with nothing due,
// and the first page of the reminders grid.
//
//   bench_planner [count]     (default: 100000 reminders and as many tasks)
#include "due_item_monitor.h"
#include "monitor_switch.h"
#include "planner_grid_model.h"
#include "profile_database.h"
#include "system_info.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool fill(ProfileDatabase& database, int count, const QDateTime& from)
{
    Transaction transaction(database.BigBd());
    QSqlQuery reminder(database.BigBd());
    reminder.prepare(QStringLiteral("INSERT INTO \"Напоминания\" (\"Текст\", \"Дата\") VALUES (?, ?)"));
    QSqlQuery task(database.BigBd());
    task.prepare(
        QStringLiteral("INSERT INTO \"Задачи\" (\"Название\", \"Имя файла\", \"Дата\") VALUES (?, ?, ?)"));
    for (int i = 0; i < count; ++i) {
        // Spread over years ahead, not in key order.
        const QDateTime moment = from.addSecs(qint64((i * 7919LL) % count) * 600);
        reminder.addBindValue(QStringLiteral("Напоминание %1").arg(i));
        reminder.addBindValue(TableObject::dateTimeToText(moment));
        task.addBindValue(QStringLiteral("/usr/bin/program%1").arg(i));
        task.addBindValue(QStringLiteral("/usr/bin/program%1").arg(i));
        task.addBindValue(TableObject::dateTimeToText(moment.addSecs(300)));
        if (!reminder.exec() || !task.exec())
            return false;
    }
    return transaction.commit();
}

QString plan(ProfileDatabase& database, const QString& statement)
{
    QSqlQuery query(database.BigBd());
    QStringList steps;
    if (query.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + statement))
        while (query.next())
            steps.append(query.value(3).toString());
    return steps.join(QStringLiteral("; "));
}

struct Figures
{
    double median;
    double mean;
    double worst;
};

template <typename Body> Figures measure(int rounds, Body body)
{
    std::vector<double> micros;
    micros.reserve(rounds);
    QElapsedTimer clock;
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        body();
        micros.push_back(clock.nsecsElapsed() / 1000.0);
    }
    std::sort(micros.begin(), micros.end());
    double sum = 0;
    for (double value : micros)
        sum += value;
    return {micros[micros.size() / 2], sum / micros.size(), micros.back()};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;

    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("Documents"));
    SystemInfo::setProgramFolder(QStringLiteral(QUILL_PROGRAM_DIR));
    ProfileDatabase database;
    if (!database.open(home.path() + QStringLiteral("/Documents"), SystemInfo::programFolder())) {
        std::fprintf(stderr, "cannot open the profile\n");
        return 1;
    }
    const QDateTime now = QDateTime::currentDateTime();
    QElapsedTimer filling;
    filling.start();
    if (!fill(database, count, now.addDays(1))) {
        std::fprintf(stderr, "cannot fill the tables\n");
        return 1;
    }
    std::printf("%d reminders and %d tasks written in %lld ms\n", count, count, filling.elapsed());
    std::printf(
        "first row plan: %s\n",
        qPrintable(plan(database, QStringLiteral("SELECT \"Key\", \"Текст\", \"Дата\" FROM \"Напоминания\" "
                                                 "ORDER BY \"Дата\", \"Key\" LIMIT 1"))));

    QTimer monitorTimer;
    monitorTimer.setInterval(3000);
    MonitorSwitch monitorSwitch(&monitorTimer);
    DueItemMonitor monitor(database, monitorSwitch, nullptr, {});
    int changes = 0;
    QObject::connect(&monitor, &DueItemMonitor::changed, [&] { ++changes; });

    for (int i = 0; i < 200; ++i)
        monitor.tick();
    const Figures tick = measure(20000, [&] { monitor.tick(); });
    std::printf("one tick, nothing due:      median %.1f us, mean %.1f us, worst %.1f us\n", tick.median,
                tick.mean, tick.worst);
    const Figures pass = measure(20, [&] { monitor.startupPass(); });
    std::printf("start-up pass, nothing due: median %.1f us, worst %.1f us\n", pass.median, pass.worst);

    PlannerGridModel grid(database.EventsTable,
                          {{QStringLiteral("Текст"), QStringLiteral("Текст")},
                           {QStringLiteral("Дата"), QStringLiteral("Дата"), false, true}});
    const Figures page = measure(20, [&] {
        grid.refresh();
        grid.index(0, 0).data();
        grid.index(30, 1).data();
    });
    std::printf("grid refresh and first page: median %.1f us\n", page.median);
    if (changes != 0)
        std::printf("unexpected: the monitor changed rows\n");
    return changes == 0 ? 0 : 1;
}

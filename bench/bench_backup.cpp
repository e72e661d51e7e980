// Backup and restore of a ten-year profile: 10,000 contacts, 20,000
// reminders, 5,000 notes, 3,650 diary pages and 200 ideas.
//
//   bench_backup [idea size in KB]   (default 256: a sketch of about 300 × 280 pixels)
#include "bench_support.h"
#include "profile_backup.h"
#include "profile_database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

bool fill(ProfileDatabase& database)
{
    QSqlDatabase db = database.BigBd();
    Transaction change(db);
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO \"Адресная книга\" (\"Имя\", \"Фамилия\", \"Отчество\", \"Телефон1\", "
                       "\"E-mail\", \"Дата рождения\", \"Напоминать\", \"Категория\", \"Комментарий\") "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int n = 0; n < 10000; ++n) {
        query.addBindValue(QStringLiteral("Имя %1").arg(n));
        query.addBindValue(QStringLiteral("Фамилия %1").arg(n));
        query.addBindValue(QStringLiteral("Отчество"));
        query.addBindValue(QStringLiteral("+7 900 %1").arg(n, 7, 10, QLatin1Char('0')));
        query.addBindValue(QStringLiteral("user%1@example.ru").arg(n));
        query.addBindValue(TableObject::dateTimeToText(QDate(1950, 1, 1).addDays(n * 2).startOfDay()));
        query.addBindValue(n % 3 == 0);
        query.addBindValue(n % 5);
        query.addBindValue(QStringLiteral("коллега по работе"));
        if (!query.exec())
            return false;
    }
    query.prepare(QStringLiteral("INSERT INTO \"Напоминания\" (\"Текст\", \"Дата\") VALUES (?, ?)"));
    for (int n = 0; n < 20000; ++n) {
        query.addBindValue(QStringLiteral("Напоминание номер %1: позвонить").arg(n));
        query.addBindValue(
            TableObject::dateTimeToText(QDateTime(QDate(2016, 1, 1), QTime(9, 0)).addSecs(n * 15000)));
        if (!query.exec())
            return false;
    }
    query.prepare(QStringLiteral("INSERT INTO \"Заметки\" (\"Название\", \"Содержание\") VALUES (?, ?)"));
    for (int n = 0; n < 5000; ++n) {
        query.addBindValue(QStringLiteral("Заметка %1").arg(n));
        query.addBindValue(QStringLiteral("Купить хлеба, молока и чая; позвонить маме.\r\n").repeated(10));
        if (!query.exec())
            return false;
    }
    query.prepare(QStringLiteral("INSERT INTO \"Дневник\" VALUES (?, ?)"));
    for (int n = 0; n < 3650; ++n) {
        query.addBindValue(TableObject::dateTimeToText(QDate(2016, 1, 1).addDays(n).startOfDay()));
        query.addBindValue(QStringLiteral("День %1. Утром шёл снег, днём светило солнце; вечером — чай.\r\n")
                               .arg(n)
                               .repeated(25));
        if (!query.exec())
            return false;
    }
    return change.commit();
}

// A sketch: a white page with a few strokes, as a paint program leaves it.
QByteArray idea(int n, int size)
{
    QByteArray data(size, char(0xff));
    for (int i = 0; i < size; i += 997)
        data[i] = char((n * 31 + i) & 0xff);
    return data;
}

template <typename Body> double timed(Body body)
{
    QElapsedTimer clock;
    clock.start();
    const ProfileBackup::Outcome outcome = body();
    if (!outcome.ok) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(outcome.error));
        std::exit(1);
    }
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int ideaSize = (argc > 1 ? QByteArray(argv[1]).toInt() : 256) * 1024;
    QTemporaryDir home;
    BenchSupport::useHome(home.path());
    const QString documents = home.path() + QStringLiteral("/Documents");
    const ProfileBackup::Locations where = ProfileBackup::Locations::standard(
        documents, home.path() + QStringLiteral("/.config/Quillarbor/registry.json"));
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
    {
        ProfileDatabase database;
        if (!database.open(documents, QStringLiteral(QUILL_PROGRAM_DIR)) || !fill(database)) {
            std::fprintf(stderr, "cannot fill the scratch profile\n");
            return 1;
        }
    }
    QDir().mkpath(where.profileFolder + QStringLiteral("/Ideas"));
    for (int n = 0; n < 200; ++n) {
        QFile file(where.profileFolder + QStringLiteral("/Ideas/Идея %1.dat").arg(n));
        if (!file.open(QIODevice::WriteOnly) || file.write(idea(n, ideaSize)) != ideaSize)
            return 1;
    }
    QDir().mkpath(home.path() + QStringLiteral("/.config/Quillarbor"));
    QFile settings(where.settingsFile);
    if (settings.open(QIODevice::WriteOnly))
        settings.write("{}");
    settings.close();

    const qint64 database = QFileInfo(where.profileFolder + QStringLiteral("/profile.mdb")).size();
    const QString archive = home.path() + QStringLiteral("/backup.zip");
    QList<double> backups, restores;
    for (int round = 0; round < 3; ++round) {
        backups.append(timed([&] {
            return ProfileBackup::write(where, archive, QStringLiteral("3.2"), QDateTime::currentDateTime());
        }));
        restores.append(timed([&] {
            const auto outcome =
                ProfileBackup::restore(where, archive, QDateTime::currentDateTime().addSecs(round));
            return ProfileBackup::Outcome{outcome.ok, outcome.error};
        }));
    }
    QList<double> daily;
    for (int day = 0; day < 3; ++day)
        daily.append(timed(
            [&] { return ProfileBackup::makeDailyCopy(where.profileFolder, QDate(2026, 3, 1 + day)); }));
    std::printf("daily copy of the database at start-up: median %.0f ms\n", BenchSupport::median(daily));
    std::printf("database %.1f MB, ideas 200 x %d KB, archive %.1f MB\n", database / 1e6, ideaSize / 1024,
                QFileInfo(archive).size() / 1e6);
    std::printf("backup  median %.0f ms (of 3: %.0f %.0f %.0f)\n", BenchSupport::median(backups), backups[0],
                backups[1], backups[2]);
    std::printf("restore median %.0f ms (of 3: %.0f %.0f %.0f)\n", BenchSupport::median(restores),
                restores[0], restores[1], restores[2]);
    const bool fast = BenchSupport::median(backups) < 2000 && BenchSupport::median(restores) < 2000;
    std::printf("%s\n", fast ? "both under 2 s" : "SLOWER THAN 2 s");
    return fast ? 0 : 2;
}

// Start-up figures: the whole program from its start to its main window
// mapped on screen, against a bare Qt Widgets window, run alternately on the
// same machine; on an empty profile and on a ten-year one. Each run prints
// the time, the resident memory at that moment and the helper processes it
// has started; the medians and their ratios come last.
//   xvfb-run -a bench_startup [runs]    (offscreen unless DISPLAY is set; 11 runs by default)
#include "bench_support.h"
#include "profile_database.h"
#include "table_object.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <QTextStream>

using BenchSupport::median;

namespace {

// What a program printed once its window was mapped. The bare window
// prints no helpers line: it reads none.
struct ProcessFigure
{
    bool shown = false;
    double milliseconds = 0;
    double residentMb = 0;
    int helpers = 0;
};

ProcessFigure timeProcess(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLARBOR_BENCH_SHOWN"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    ProcessFigure figure;
    bool helpersRead = false;
    while (!helpersRead && process.waitForReadyRead(30000)) {
        while (process.canReadLine()) {
            // "shown <resident kB> kB", then "helpers <processes started>"
            const QList<QByteArray> words = process.readLine().simplified().split(' ');
            if (words.value(0) == "shown" && !figure.shown) {
                figure.milliseconds = clock.nsecsElapsed() / 1e6;
                figure.shown = true;
                figure.residentMb = words.value(1).toDouble() / 1024;
            } else if (words.value(0) == "helpers") {
                figure.helpers = words.value(1).toInt();
                helpersRead = true;
            }
        }
    }
    if (!process.waitForFinished(10000))
        process.kill();
    return figure;
}

// Ten years of an organiser kept every day: contacts, notes, a diary page and
// a day note a day, and the reminders and tasks still to come.
bool fillTenYears(ProfileDatabase& database)
{
    QSqlDatabase db = database.BigBd();
    Transaction change(db);
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO \"Адресная книга\" (\"Имя\", \"Фамилия\", \"Отчество\", \"Телефон1\", "
                       "\"E-mail\", \"Дата рождения\", \"Напоминать\", \"Категория\", \"Комментарий\") "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int n = 0; n < 2000; ++n) {
        query.addBindValue(QStringLiteral("Имя %1").arg(n));
        query.addBindValue(QStringLiteral("Фамилия %1").arg(n));
        query.addBindValue(QStringLiteral("Отчество"));
        query.addBindValue(QStringLiteral("+7 900 %1").arg(n, 7, 10, QLatin1Char('0')));
        query.addBindValue(QStringLiteral("user%1@mail.ru").arg(n));
        query.addBindValue(TableObject::dateTimeToText(QDate(1950, 1, 1).addDays(n * 11).startOfDay()));
        // Birthday windows at start would wait for a person.
        query.addBindValue(false);
        query.addBindValue(n % 5);
        query.addBindValue(QStringLiteral("коллега по работе"));
        if (!query.exec())
            return false;
    }
    const QDateTime tomorrow = QDate::currentDate().addDays(1).startOfDay();
    query.prepare(QStringLiteral("INSERT INTO \"Напоминания\" (\"Текст\", \"Дата\") VALUES (?, ?)"));
    for (int n = 0; n < 2000; ++n) {
        query.addBindValue(QStringLiteral("Напоминание номер %1: позвонить").arg(n));
        query.addBindValue(TableObject::dateTimeToText(tomorrow.addSecs(9 * 3600 + qint64(n) * 86400 / 2)));
        if (!query.exec())
            return false;
    }
    query.prepare(
        QStringLiteral("INSERT INTO \"Задачи\" (\"Название\", \"Комментарий\", \"Дата\", \"Имя файла\", "
                       "\"Тип\") VALUES (?, ?, ?, ?, ?)"));
    for (int n = 0; n < 200; ++n) {
        query.addBindValue(QStringLiteral("Задача %1").arg(n));
        query.addBindValue(QStringLiteral("по средам"));
        query.addBindValue(TableObject::dateTimeToText(tomorrow.addDays(n * 7)));
        query.addBindValue(QStringLiteral("/usr/bin/true"));
        query.addBindValue(QStringLiteral("Программа"));
        if (!query.exec())
            return false;
    }
    query.prepare(QStringLiteral("INSERT INTO \"Заметки\" (\"Название\", \"Содержание\") VALUES (?, ?)"));
    for (int n = 0; n < 1000; ++n) {
        query.addBindValue(QStringLiteral("Заметка %1").arg(n));
        query.addBindValue(QStringLiteral("Купить хлеба, молока и чая; позвонить маме.\r\n").repeated(10));
        if (!query.exec())
            return false;
    }
    const QDate first = QDate::currentDate().addYears(-10);
    for (int n = 0; n < 3650; ++n) {
        query.addBindValue(QStringLiteral("#!") + first.addDays(n).toString(QStringLiteral("dd.MM.yyyy")));
        query.addBindValue(QStringLiteral("Дела дня %1: рынок, почта, звонок в банк.").arg(n));
        if (!query.exec())
            return false;
    }
    query.prepare(QStringLiteral("INSERT INTO \"Дневник\" VALUES (?, ?)"));
    for (int n = 0; n < 3650; ++n) {
        query.addBindValue(TableObject::dateTimeToText(first.addDays(n).startOfDay()));
        query.addBindValue(QStringLiteral("День %1. Утром шёл снег, днём светило солнце; вечером — чай.\r\n")
                               .arg(n)
                               .repeated(25));
        if (!query.exec())
            return false;
    }
    return change.commit();
}

struct Medians
{
    double program = 0;
    double bare = 0;
    double text = 0;
    double programMb = 0;
    double bareMb = 0;
    double textMb = 0;
    int helpers = 0;
};

Medians measure(const QString& bareProgram, int runs, QTextStream& out)
{
    const QString program = QStringLiteral(QUILL_PROGRAM_DIR "/quillarbor");
    QList<double> times, bareTimes, textTimes, resident, bareResident, textResident;
    int helpers = 0;
    for (int run = 0; run < runs; ++run) {
        const ProcessFigure organiser = timeProcess(program, {});
        const ProcessFigure bare = timeProcess(bareProgram, {});
        const ProcessFigure text = timeProcess(bareProgram, {QStringLiteral("--text")});
        if (!organiser.shown || !bare.shown || !text.shown) {
            out << "  run " << run << ": a window was not shown" << Qt::endl;
            continue;
        }
        out << "  run " << run << ": organiser " << organiser.milliseconds << " ms, " << organiser.residentMb
            << " MB, " << organiser.helpers << " helpers; bare " << bare.milliseconds << " ms, "
            << bare.residentMb << " MB; bare with text " << text.milliseconds << " ms, " << text.residentMb
            << " MB" << Qt::endl;
        times.append(organiser.milliseconds);
        resident.append(organiser.residentMb);
        bareTimes.append(bare.milliseconds);
        bareResident.append(bare.residentMb);
        textTimes.append(text.milliseconds);
        textResident.append(text.residentMb);
        helpers = qMax(helpers, organiser.helpers);
    }
    return {median(times),    median(bareTimes),    median(textTimes),
            median(resident), median(bareResident), median(textResident),
            helpers};
}

void report(const char* profile, const Medians& figures, QTextStream& out)
{
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0; };
    out << profile << ": organiser median " << figures.program << " ms, " << figures.programMb
        << " MB resident, at most " << figures.helpers << " helper processes" << Qt::endl;
    out << profile << ": bare Qt Widgets window " << figures.bare << " ms, " << figures.bareMb
        << " MB: ratio of time " << ratio(figures.program, figures.bare) << ", of memory "
        << ratio(figures.programMb, figures.bareMb) << Qt::endl;
    out << profile << ": bare window with a line of text " << figures.text << " ms, " << figures.textMb
        << " MB: ratio of time " << ratio(figures.program, figures.text) << ", of memory "
        << ratio(figures.programMb, figures.textMb) << Qt::endl;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = qMax(1, application.arguments().value(1).toInt());
    const int count = application.arguments().size() > 1 ? runs : 11;
    QTextStream out(stdout);
    out << "platform " << QGuiApplication::platformName() << ", " << count << " runs each" << Qt::endl;

    Medians empty;
    {
        BenchSupport::ScratchProfile profile(QStringLiteral(QUILL_PROGRAM_DIR "/"));
        out << "empty profile" << Qt::endl;
        empty = measure(QStringLiteral(QUILL_BARE_WINDOW), count, out);
    }
    Medians tenYears;
    {
        BenchSupport::ScratchProfile profile(QStringLiteral(QUILL_PROGRAM_DIR "/"));
        ProfileDatabase database;
        if (!database.open(QDir::homePath() + QStringLiteral("/Documents"),
                           QStringLiteral(QUILL_PROGRAM_DIR "/")) ||
            !fillTenYears(database)) {
            out << "the ten-year profile could not be made" << Qt::endl;
            return 1;
        }
        database.close();
        out << "ten-year profile" << Qt::endl;
        tenYears = measure(QStringLiteral(QUILL_BARE_WINDOW), count, out);
    }
    report("empty profile", empty, out);
    report("ten-year profile", tenYears, out);
    return 0;
}

// Contacts out to a vCard file and back into an empty profile, and reminders
// out to an iCalendar file and back, each timed whole (reading the tables,
// building the text, writing and reading the file, one import transaction).
//
//   bench_exchange [contacts] [reminders]     (default: 10000 and 20000)
#include "address_book.h"
#include "bench_support.h"
#include "contact_exchange.h"
#include "dates_exchange.h"
#include "due_items.h"
#include "profile_database.h"
#include "system_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kRuns = 5;

Contact contactNumber(int i)
{
    Contact contact;
    contact.surname = QStringLiteral("Фамилия%1").arg(i);
    contact.name = QStringLiteral("Имя%1").arg(i % 97);
    contact.patronymic = QStringLiteral("Отчество%1").arg(i % 13);
    contact.phone1 = QStringLiteral("+7 (495) %1").arg(1000000 + i);
    contact.phone2 = QStringLiteral("8-916-%1").arg(2000000 + i);
    contact.mail = QStringLiteral("person%1@example.ru").arg(i);
    contact.icq = QString::number(100000 + i);
    contact.category = i % 8;
    contact.comment = QStringLiteral("Комментарий, с запятой; и точкой с запятой %1").arg(i);
    contact.birthday = QDate(1950, 1, 1).addDays(i % 20000).startOfDay();
    contact.remind = i % 3 == 0;
    return contact;
}

// Milliseconds of this process's processor time: the machine may be shared
// with other work, which makes the clock on the wall say little.
double processMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

QList<double> wallTimes;

template <typename Body> double timed(Body body)
{
    QElapsedTimer timer;
    timer.start();
    const double before = processMilliseconds();
    body();
    wallTimes.append(double(timer.nsecsElapsed()) / 1e6);
    return processMilliseconds() - before;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int contacts = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    const int reminders = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 20000;
    QTemporaryDir scratch;
    const QString program = QStringLiteral(QUILL_PROGRAM_DIR);

    ProfileDatabase source;
    if (!source.open(scratch.path() + QStringLiteral("/source"), program)) {
        std::fprintf(stderr, "cannot open the profile\n");
        return 1;
    }
    {
        Transaction fill(source.BigBd());
        for (int i = 0; i < contacts; ++i)
            source.BookTable.insert(contactNumber(i).toValues());
        DueItems items(source);
        for (int i = 0; i < reminders; ++i)
            items.addReminder(QStringLiteral("Напоминание номер %1").arg(i),
                              QDateTime(QDate(2026, 1, 1), QTime(9, 0)).addSecs(qint64(i) * 3600));
        fill.commit();
    }

    const QString vcf = scratch.path() + QStringLiteral("/book.vcf");
    const QString ics = scratch.path() + QStringLiteral("/dates.ics");
    QList<double> exportBook, importBook, exportDates, importDates, readDates;
    int added = 0;
    int found = 0;
    for (int run = 0; run < kRuns; ++run) {
        exportBook.append(timed([&] {
            QList<Contact> all;
            for (const TableObject::Row& row : source.BookTable.rows())
                all.append(Contact::fromRow(row));
            QString error;
            ContactExchange::exportFile(vcf, all, VCard::Version::V4, &error);
        }));
        ProfileDatabase target;
        target.open(scratch.path() + QStringLiteral("/target%1").arg(run), program);
        AddressBook book(target.BookTable);
        importBook.append(
            timed([&] { added = ContactExchange::importFile(vcf, book, target.BigBd()).added; }));

        exportDates.append(timed([&] {
            QString error;
            DatesExchange::exportFile(source, ics, QDateTime(QDate(2026, 1, 1), QTime(0, 0)), &error);
        }));
        ICalendarFile::ReadResult read;
        readDates.append(
            timed([&] { read = DatesExchange::readFile(ics, QDateTime(QDate(2026, 1, 1), QTime(0, 0))); }));
        importDates.append(readDates.last() + timed([&] {
                               QString error;
                               DatesExchange::addReminders(target, read.found, &error);
                               found = int(read.found.size());
                           }));
        target.close();
    }
    std::printf(
        "%d contacts: export %.0f ms, import into an empty profile %.0f ms (%d added), file %lld KB\n",
        contacts, BenchSupport::median(exportBook), BenchSupport::median(importBook), added,
        QFileInfo(vcf).size() / 1024);
    std::printf(
        "%d reminders (+ %d birthdays): export %.0f ms, import %.0f ms (%d reminders added), file %lld KB\n",
        reminders, (contacts + 2) / 3, BenchSupport::median(exportDates), BenchSupport::median(importDates),
        found, QFileInfo(ics).size() / 1024);
    std::printf(
        "(of which reading the calendar file %.0f ms; processor time of this process, median of %d runs;\n"
        " the median of all steps on the wall clock was %.0f ms)\n",
        BenchSupport::median(readDates), kRuns, BenchSupport::median(wallTimes));
    return 0;
}

#pragma once

#include "icalendar_file.h"

#include <QString>

class ProfileDatabase;

// The reminders, tasks and birthdays of the profile given out as one
// iCalendar file, and reminders taken in from one.
namespace DatesExchange {

struct Counts
{
    int reminders = 0;
    int tasks = 0;
    int birthdays = 0;
};

// Every reminder and task, and the birthday of every contact who asked to be
// reminded of it, in the machine's time zone.
bool exportFile(ProfileDatabase& database, const QString& path, const QDateTime& now, QString* error,
                const QTimeZone& zone = QTimeZone::systemTimeZone(), Counts* counts = nullptr);

// The file read whole, its items offered as reminders.
ICalendarFile::ReadResult readFile(const QString& path, const QDateTime& now);

// The chosen items as new reminders, in one transaction: all or none.
bool addReminders(ProfileDatabase& database, const QList<ICalendarFile::Found>& chosen, QString* error);

// "Нет даты" and the like, one line per skipped item, for the import window.
QString skippedText(const QList<ICalendarFile::Skipped>& skipped);

} // namespace DatesExchange

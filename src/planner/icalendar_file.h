#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>

// Reminders, tasks and birthdays as an iCalendar file (through libical) that
// desktop calendars, phones and mail programs read, and the events and to-dos
// of such a file as reminders. No widgets.
namespace ICalendarFile {

struct Reminder
{
    qint64 key = 0;
    QString text;
    QDateTime moment; // local clock time
    QByteArray uid;   // empty: one made from the key
};
struct Task
{
    qint64 key = 0;
    QString name;
    QString command;
    QDateTime moment;
};
struct Birthday
{
    qint64 key = 0;
    QString person;
    QDate date;
};

// A reminder as an event at its moment with an alarm at that moment, a task as
// a to-do due at its moment, a birthday as a yearly all-day event. Moments
// carry the given zone's TZID with its VTIMEZONE, so that another calendar
// shows the same clock time; stamp is "now". False with a message on failure.
bool write(const QList<Reminder>& reminders, const QList<Task>& tasks, const QList<Birthday>& birthdays,
           const QTimeZone& zone, const QDateTime& stamp, QByteArray* out, QString* error);

// One event or to-do of a file, as a reminder would hold it.
struct Found
{
    QString text;     // the summary, cut to what a reminder holds
    QDateTime moment; // local time of the alarm, else of the start (or due)
    bool past = false;
    bool recurring = false; // an event with a rule: the moment is its next occurrence
    bool dueless = false;   // a to-do with no due moment, dated by its start or its alarm
};
struct Skipped
{
    QString label;
    QString reason;
};
struct ReadResult
{
    QList<Found> found; // in moment order
    QList<Skipped> skipped;
    QString error; // the file as a whole is no calendar; nothing else is set
};

// Recurring items give their next occurrence from now on.
ReadResult read(const QByteArray& bytes, const QDateTime& now);

// An item's summary as a reminder's text: its blanks simplified, cut to the
// column, "Событие" when there is none.
QString reminderText(const QString& summary);

} // namespace ICalendarFile

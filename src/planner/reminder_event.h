#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <optional>

// A reminder as an event of a calendar on a server (one calendar object:
// a VCALENDAR with one event), and such an event or to-do as a reminder, by
// the rules the iCalendar import follows. No widgets.
namespace ReminderEvent {

struct Occurrence
{
    QString text;     // as a reminder holds it
    QDateTime moment; // local clock time, whole seconds

    friend bool operator==(const Occurrence& a, const Occurrence& b)
    {
        return a.text == b.text && a.moment == b.moment;
    }
};

struct Reading
{
    bool readable = false;  // a calendar: its items are understood or knowingly left alone
    bool recurring = false; // an event with a rule
    // When it rings: the first time at notBefore or later, or else the last
    // time it rang; nullopt when it has no moment we take (a cancelled event,
    // a to-do with no date).
    std::optional<Occurrence> occurrence;
    bool toCome = false; // occurrence rings at notBefore or later
};

Reading read(const QByteArray& data, const QDateTime& notBefore);

// A new event at the reminder's moment in the zone (with its VTIMEZONE) with
// the reminder's text as its summary and a display alarm at its start.
QByteArray create(const QByteArray& uid, const Occurrence& reminder, const QTimeZone& zone,
                  const QDateTime& stamp);

// The server's event with the reminder's change made in it: moved by as
// much as the reminder moved (its end, due moment and dated alarms along
// with its start), and its summary replaced when the text changed. What else
// it holds (place, attendees, other alarms, its zone) stays. nullopt when the
// data holds no event or to-do to change.
std::optional<QByteArray> changed(const QByteArray& data, const Occurrence& from, const Occurrence& to,
                                  const QDateTime& stamp);

// What the sync state keeps of a reminder to find changes by comparison.
QByteArray fingerprint(const Occurrence& occurrence);
std::optional<Occurrence> fromFingerprint(const QByteArray& fingerprint);

} // namespace ReminderEvent

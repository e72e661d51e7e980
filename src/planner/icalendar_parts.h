#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>
#include <libical/ical.h>
#include <memory>

// What the iCalendar file and the synced reminders share of their work with
// libical: owning components, the zone moments are written in, and moments
// as seconds since the epoch. No widgets.
namespace ICalendarParts {

struct ComponentFree
{
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// libical reports through a global flag; a bad property must never abort us.
void prepareLibrary();

// The zone every moment written is given in: its TZID and VTIMEZONE, UTC as
// "Z", or a zone libical does not know as its present offset, fixed.
class OutZone
{
public:
    explicit OutZone(const QTimeZone& zone);

    icalcomponent* takeComponent() { return m_component.release(); }
    // The property with the moment (local clock time) as its value.
    icalproperty* dated(icalproperty* property, const QDateTime& moment) const;

private:
    icaltimezone* m_zone = nullptr;
    QByteArray m_tzid;
    bool m_utc = false;
    Component m_component;
};

struct icaltimetype utcTime(const QDateTime& moment);

// Moments are worked on as seconds since the epoch; the machine's zone is
// looked up once, because asking the C library for local time stats the
// zone file on every call, which long calendars feel.
const QTimeZone& machineZone();
qint64 secondsOf(const struct icaltimetype& time);
QDateTime localOf(qint64 seconds);
// A moment as libical's time of the same kind (date or date-time) and zone as like.
struct icaltimetype icalTimeLike(qint64 seconds, const struct icaltimetype& like);

} // namespace ICalendarParts

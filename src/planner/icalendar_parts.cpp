#include "icalendar_parts.h"

namespace ICalendarParts {

void prepareLibrary()
{
    static const bool prepared = [] {
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    Q_UNUSED(prepared)
}

OutZone::OutZone(const QTimeZone& zone)
{
    const QByteArray id = zone.isValid() ? zone.id() : QByteArray("UTC");
    if (id == "UTC" || id == "Etc/UTC" || id == "Etc/Universal" || id == "Universal" || id == "Zulu" ||
        (zone.isValid() && zone.offsetFromUtc(QDateTime::currentDateTimeUtc()) == 0 &&
         !zone.hasDaylightTime() && id.startsWith("UTC"))) {
        m_zone = icaltimezone_get_utc_timezone();
        m_utc = true;
        return;
    }
    m_zone = icaltimezone_get_builtin_timezone(id.constData());
    if (m_zone) {
        // The plain name of the time zone database ("Europe/Moscow"), as
        // other calendars write it and look it up, not libical's own prefix.
        m_tzid = id;
        m_component.reset(icalcomponent_new_clone(icaltimezone_get_component(m_zone)));
        if (icalproperty* tzid = icalcomponent_get_first_property(m_component.get(), ICAL_TZID_PROPERTY))
            icalproperty_set_tzid(tzid, id.constData());
        return;
    }
    // A zone libical does not know: its present offset, fixed.
    m_tzid = id;
    const int offset = zone.offsetFromUtc(QDateTime::currentDateTimeUtc());
    m_component.reset(icalcomponent_new_vtimezone());
    icalcomponent_add_property(m_component.get(), icalproperty_new_tzid(id.constData()));
    icalcomponent* standard = icalcomponent_new_xstandard();
    struct icaltimetype start = icaltime_null_time();
    start.year = 1970;
    start.month = 1;
    start.day = 1;
    icalcomponent_add_property(standard, icalproperty_new_dtstart(start));
    icalcomponent_add_property(standard, icalproperty_new_tzoffsetfrom(offset));
    icalcomponent_add_property(standard, icalproperty_new_tzoffsetto(offset));
    icalcomponent_add_component(m_component.get(), standard);
}

icalproperty* OutZone::dated(icalproperty* property, const QDateTime& moment) const
{
    struct icaltimetype time = icaltime_null_time();
    time.year = moment.date().year();
    time.month = moment.date().month();
    time.day = moment.date().day();
    time.hour = moment.time().hour();
    time.minute = moment.time().minute();
    time.second = moment.time().second();
    time.is_date = 0;
    time.zone = m_zone;
    if (!m_utc)
        icalproperty_add_parameter(property, icalparameter_new_tzid(m_tzid.constData()));
    icalproperty_set_value(property, icalvalue_new_datetime(time));
    return property;
}

struct icaltimetype utcTime(const QDateTime& moment)
{
    const QDateTime utc = moment.toUTC();
    struct icaltimetype time = icaltime_null_time();
    time.year = utc.date().year();
    time.month = utc.date().month();
    time.day = utc.date().day();
    time.hour = utc.time().hour();
    time.minute = utc.time().minute();
    time.second = utc.time().second();
    time.zone = icaltimezone_get_utc_timezone();
    return time;
}

const QTimeZone& machineZone()
{
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    return zone;
}

qint64 secondsOf(const struct icaltimetype& time)
{
    if (!time.is_date && time.zone)
        return qint64(icaltime_as_timet_with_zone(time, time.zone));
    // A date, or a floating time: the same clock time wherever it is read.
    const QTime clock = time.is_date ? QTime(0, 0) : QTime(time.hour, time.minute, time.second);
    return QDateTime(QDate(time.year, time.month, time.day), clock, machineZone()).toSecsSinceEpoch();
}

QDateTime localOf(qint64 seconds)
{
    const QDateTime here = QDateTime::fromSecsSinceEpoch(seconds, machineZone());
    return QDateTime(here.date(), here.time());
}

// A local clock time as libical's time of the given kind and zone.
struct icaltimetype icalTimeLike(qint64 seconds, const struct icaltimetype& like)
{
    if (like.zone && !like.is_date) {
        // The clock time in that zone; libical leaves the zone itself unset.
        struct icaltimetype time = icaltime_from_timet_with_zone(time_t(seconds), 0, like.zone);
        time.zone = like.zone;
        return time;
    }
    const QDateTime here = localOf(seconds);
    struct icaltimetype time = like.is_date ? icaltime_null_date() : icaltime_null_time();
    time.year = here.date().year();
    time.month = here.date().month();
    time.day = here.date().day();
    if (!like.is_date) {
        time.hour = here.time().hour();
        time.minute = here.time().minute();
        time.second = here.time().second();
    }
    time.is_date = like.is_date;
    return time;
}

} // namespace ICalendarParts

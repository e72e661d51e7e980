#include "reminder_event.h"

#include "icalendar_file.h"
#include "icalendar_parts.h"

namespace {

using namespace ICalendarParts;

qint64 secondsHere(const QDateTime& moment)
{
    return QDateTime(moment.date(), moment.time(), machineZone()).toSecsSinceEpoch();
}

// The event or to-do a reminder stands for: the first that is no exception
// of a recurring one.
icalcomponent* mainItem(icalcomponent* calendar)
{
    icalcomponent* first = nullptr;
    for (icalcomponent* item = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); item;
         item = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
        const icalcomponent_kind kind = icalcomponent_isa(item);
        if (kind != ICAL_VEVENT_COMPONENT && kind != ICAL_VTODO_COMPONENT)
            continue;
        if (!icalcomponent_get_first_property(item, ICAL_RECURRENCEID_PROPERTY))
            return item;
        if (!first)
            first = item;
    }
    return first;
}

bool hasZone(icalcomponent* calendar, const QByteArray& tzid)
{
    for (icalcomponent* zone = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); zone;
         zone = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
        icalproperty* id = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
        if (id && tzid == icalproperty_get_tzid(id))
            return true;
    }
    return false;
}

// Moves one dated property of item by delta seconds, in its own zone. A date
// moved to another day's beginning here stays a date (whole days, whatever a
// change of summer time between them); moved by part of a day it becomes a
// time of day in the machine's zone.
void shift(icalcomponent* calendar, icalcomponent* item, icalproperty_kind kind, qint64 delta)
{
    icalproperty* property = icalcomponent_get_first_property(item, kind);
    if (!property)
        return;
    const struct icaltimetype time = icalproperty_get_datetime_with_component(property, item);
    if (icaltime_is_null_time(time))
        return;
    const qint64 moved = secondsOf(time) + delta;
    if (!time.is_date || localOf(moved).time() == QTime(0, 0)) {
        const struct icaltimetype next = icalTimeLike(moved, time);
        icalproperty_set_value(property,
                               time.is_date ? icalvalue_new_date(next) : icalvalue_new_datetime(next));
        return;
    }
    icalproperty_remove_parameter_by_kind(property, ICAL_VALUE_PARAMETER);
    OutZone zone(machineZone());
    zone.dated(property, localOf(moved));
    icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    icalcomponent* vtimezone = zone.takeComponent();
    if (tzid && vtimezone && !hasZone(calendar, icalparameter_get_tzid(tzid)))
        icalcomponent_add_component(calendar, vtimezone);
    else if (vtimezone)
        icalcomponent_free(vtimezone);
}

void shiftAlarms(icalcomponent* item, qint64 delta)
{
    for (icalcomponent* alarm = icalcomponent_get_first_component(item, ICAL_VALARM_COMPONENT); alarm;
         alarm = icalcomponent_get_next_component(item, ICAL_VALARM_COMPONENT)) {
        icalproperty* trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        if (!trigger)
            continue;
        struct icaltriggertype value = icalproperty_get_trigger(trigger);
        if (icaltime_is_null_time(value.time))
            continue; // relative: moves with the start
        value.time = icaltime_from_timet_with_zone(time_t(secondsOf(value.time) + delta), 0,
                                                   icaltimezone_get_utc_timezone());
        icalproperty_set_trigger(trigger, value);
    }
}

void replace(icalcomponent* item, icalproperty_kind kind, icalproperty* fresh)
{
    while (icalproperty* old = icalcomponent_get_first_property(item, kind)) {
        icalcomponent_remove_property(item, old);
        icalproperty_free(old);
    }
    icalcomponent_add_property(item, fresh);
}

} // namespace

namespace ReminderEvent {

Reading read(const QByteArray& data, const QDateTime& notBefore)
{
    Reading reading;
    const ICalendarFile::ReadResult result = ICalendarFile::read(data, notBefore);
    if (!result.error.isEmpty() || (result.found.isEmpty() && result.skipped.isEmpty()))
        return reading;
    reading.readable = true;
    for (const ICalendarFile::Found& found : result.found) {
        // A phone's to-do without a due moment is a list entry, not a reminder.
        if (found.dueless)
            continue;
        reading.recurring = reading.recurring || found.recurring;
        if (reading.toCome)
            continue;
        // The first still to come, else the last that has passed.
        reading.occurrence = Occurrence{found.text, found.moment};
        reading.toCome = !found.past;
    }
    return reading;
}

QByteArray create(const QByteArray& uid, const Occurrence& reminder, const QTimeZone& zone,
                  const QDateTime& stamp)
{
    QByteArray out;
    QString error;
    ICalendarFile::write({{0, reminder.text, reminder.moment, uid}}, {}, {}, zone, stamp, &out, &error);
    return out;
}

std::optional<QByteArray> changed(const QByteArray& data, const Occurrence& from, const Occurrence& to,
                                  const QDateTime& stamp)
{
    prepareLibrary();
    Component calendar(icalparser_parse_string(data.constData()));
    if (!calendar || icalcomponent_isa(calendar.get()) != ICAL_VCALENDAR_COMPONENT)
        return std::nullopt;
    icalcomponent* item = mainItem(calendar.get());
    if (!item)
        return std::nullopt;
    if (const qint64 delta = secondsHere(to.moment) - secondsHere(from.moment); delta != 0) {
        shift(calendar.get(), item, ICAL_DTSTART_PROPERTY, delta);
        shift(calendar.get(), item, ICAL_DTEND_PROPERTY, delta);
        shift(calendar.get(), item, ICAL_DUE_PROPERTY, delta);
        shiftAlarms(item, delta);
    }
    if (to.text != from.text)
        replace(item, ICAL_SUMMARY_PROPERTY, icalproperty_new_summary(to.text.toUtf8().constData()));
    replace(item, ICAL_DTSTAMP_PROPERTY, icalproperty_new_dtstamp(utcTime(stamp)));
    replace(item, ICAL_LASTMODIFIED_PROPERTY, icalproperty_new_lastmodified(utcTime(stamp)));
    icalproperty* sequence = icalcomponent_get_first_property(item, ICAL_SEQUENCE_PROPERTY);
    const int next = sequence ? icalproperty_get_sequence(sequence) + 1 : 1;
    replace(item, ICAL_SEQUENCE_PROPERTY, icalproperty_new_sequence(next));
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    if (!text)
        return std::nullopt;
    QByteArray out(text);
    free(text);
    return out;
}

QByteArray fingerprint(const Occurrence& occurrence)
{
    // The text as it reads once it has been to the server and back, so that
    // the trip alone (blanks simplified, an empty one named) changes nothing.
    return occurrence.moment.toString(Qt::ISODate).toLatin1() + '\n' +
           ICalendarFile::reminderText(occurrence.text).toUtf8();
}

std::optional<Occurrence> fromFingerprint(const QByteArray& fingerprint)
{
    const qsizetype line = fingerprint.indexOf('\n');
    if (line < 0)
        return std::nullopt;
    const QDateTime moment = QDateTime::fromString(QString::fromLatin1(fingerprint.left(line)), Qt::ISODate);
    if (!moment.isValid())
        return std::nullopt;
    return Occurrence{QString::fromUtf8(fingerprint.mid(line + 1)), moment};
}

} // namespace ReminderEvent

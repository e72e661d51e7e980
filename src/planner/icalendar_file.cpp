#include "icalendar_file.h"

#include "icalendar_parts.h"
#include "planner_rules.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <numeric>

namespace {

using namespace ICalendarParts;

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

struct icaltimetype dateOnly(const QDate& date)
{
    struct icaltimetype time = icaltime_null_date();
    time.year = date.year();
    time.month = date.month();
    time.day = date.day();
    time.is_date = 1;
    return time;
}

void common(icalcomponent* item, const QByteArray& uid, const QDateTime& stamp, const QString& summary)
{
    icalcomponent_add_property(item, icalproperty_new_uid(uid.constData()));
    icalcomponent_add_property(item, icalproperty_new_dtstamp(utcTime(stamp)));
    icalcomponent_add_property(item, icalproperty_new_summary(utf8(summary).constData()));
}

struct Alarm
{
    bool present = false;
    bool absolute = false;
    qint64 at = 0;        // seconds, when absolute
    qint64 offset = 0;    // seconds, when relative
    bool fromEnd = false; // RELATED=END
};

Alarm firstAlarm(icalcomponent* item)
{
    Alarm alarm;
    for (icalcomponent* valarm = icalcomponent_get_first_component(item, ICAL_VALARM_COMPONENT); valarm;
         valarm = icalcomponent_get_next_component(item, ICAL_VALARM_COMPONENT)) {
        icalproperty* trigger = icalcomponent_get_first_property(valarm, ICAL_TRIGGER_PROPERTY);
        if (!trigger)
            continue;
        const struct icaltriggertype value = icalproperty_get_trigger(trigger);
        alarm.present = true;
        if (!icaltime_is_null_time(value.time)) {
            alarm.absolute = true;
            alarm.at = secondsOf(value.time);
        } else {
            alarm.offset = icaldurationtype_as_int(value.duration);
            icalparameter* related = icalproperty_get_first_parameter(trigger, ICAL_RELATED_PARAMETER);
            alarm.fromEnd = related && icalparameter_get_related(related) == ICAL_RELATED_END;
        }
        return alarm;
    }
    return alarm;
}

// When an occurrence that starts at start (and lasts length) rings.
qint64 ringing(const Alarm& alarm, qint64 start, qint64 length)
{
    if (!alarm.present)
        return start;
    if (alarm.absolute)
        return alarm.at;
    return (alarm.fromEnd ? start + length : start) + alarm.offset;
}

QString summaryOf(icalcomponent* item)
{
    const char* summary = icalcomponent_get_summary(item);
    return summary ? QString::fromUtf8(summary).simplified() : QString();
}

bool isSet(const struct icaltimetype& time)
{
    return !icaltime_is_null_time(time) && icaltime_is_valid_time(time);
}

class ItemReader
{
public:
    ItemReader(const QDateTime& now, ICalendarFile::ReadResult& result)
        : m_now(QDateTime(now.date(), now.time(), machineZone()).toSecsSinceEpoch()), m_result(result)
    {
    }

    // The occurrences of a recurring series that items of their own (with a
    // RECURRENCE-ID) move or call off: the series itself no longer has them.
    void noteExceptions(icalcomponent* calendar);
    void read(icalcomponent* item, bool todo);
    // The items in moment order.
    void finish();

private:
    // The first occurrence that rings at now or later; the last one when the
    // rule has ended before now.
    qint64 nextOccurrence(icalcomponent* item, const struct icaltimetype& start, const Alarm& alarm,
                          qint64 length);
    qint64 walk(icalrecur_iterator* iterator, const struct icaltimetype& start, const Alarm& alarm,
                qint64 length, const QList<struct icaltimetype>& excluded, bool* reached);

    void skip(const QString& label, const QString& reason) { m_result.skipped.append({label, reason}); }

    qint64 m_now;
    ICalendarFile::ReadResult& m_result;
    QHash<QByteArray, QList<struct icaltimetype>> m_exceptions; // by UID
    QList<qint64> m_order;
};

qint64 ItemReader::walk(icalrecur_iterator* iterator, const struct icaltimetype& start, const Alarm& alarm,
                        qint64 length, const QList<struct icaltimetype>& excluded, bool* reached)
{
    // A bound that keeps a rule of every second from freezing the window.
    constexpr int kMostSteps = 100000;
    qint64 last = -1;
    *reached = false;
    for (int step = 0; step < kMostSteps; ++step) {
        struct icaltimetype occurrence = icalrecur_iterator_next(iterator);
        if (icaltime_is_null_time(occurrence))
            break;
        if (!occurrence.zone && !occurrence.is_date)
            occurrence.zone = start.zone;
        bool skipped = false;
        for (const struct icaltimetype& gone : excluded)
            if (icaltime_compare(gone, occurrence) == 0)
                skipped = true;
        if (skipped)
            continue;
        last = secondsOf(occurrence);
        if (ringing(alarm, last, length) >= m_now) {
            *reached = true;
            break;
        }
    }
    return last;
}

qint64 ItemReader::nextOccurrence(icalcomponent* item, const struct icaltimetype& start, const Alarm& alarm,
                                  qint64 length)
{
    const qint64 first = secondsOf(start);
    icalproperty* rule = icalcomponent_get_first_property(item, ICAL_RRULE_PROPERTY);
    if (!rule)
        return first;
    QList<struct icaltimetype> excluded;
    for (icalproperty* exdate = icalcomponent_get_first_property(item, ICAL_EXDATE_PROPERTY); exdate;
         exdate = icalcomponent_get_next_property(item, ICAL_EXDATE_PROPERTY))
        excluded.append(icalproperty_get_exdate(exdate));
    if (const char* uid = icalcomponent_get_uid(item))
        excluded.append(m_exceptions.value(QByteArray(uid)));
    bool firstStands = true;
    for (struct icaltimetype& time : excluded) {
        if (!time.zone && !time.is_date)
            time.zone = start.zone;
        if (icaltime_compare(time, start) == 0)
            firstStands = false;
    }
    if (firstStands && ringing(alarm, first, length) >= m_now)
        return first;
    const struct icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
    icalrecur_iterator* iterator = icalrecur_iterator_new(recurrence, start);
    if (!iterator)
        return first;
    bool reached = false;
    qint64 found = -1;
    // A rule without a count lets the walk begin close to now (a day early,
    // so that an alarm before its start is not passed over).
    const qint64 lead = qMax<qint64>(alarm.absolute ? 0 : -alarm.offset, 0) + 86400;
    if (recurrence.count == 0 && !alarm.absolute && m_now - lead > first &&
        icalrecur_iterator_set_start(iterator, icalTimeLike(m_now - lead, start)))
        found = walk(iterator, start, alarm, length, excluded, &reached);
    icalrecur_iterator_free(iterator);
    if (reached)
        return found;
    // Walk from the start: the rule may have ended, or have a count.
    iterator = icalrecur_iterator_new(recurrence, start);
    if (!iterator)
        return first;
    found = walk(iterator, start, alarm, length, excluded, &reached);
    icalrecur_iterator_free(iterator);
    return found < 0 ? first : found;
}

void ItemReader::noteExceptions(icalcomponent* calendar)
{
    for (icalcomponent* item = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); item;
         item = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
        icalproperty* moved = icalcomponent_get_first_property(item, ICAL_RECURRENCEID_PROPERTY);
        const char* uid = icalcomponent_get_uid(item);
        if (!moved || !uid)
            continue;
        const struct icaltimetype time = icalproperty_get_datetime_with_component(moved, item);
        if (isSet(time))
            m_exceptions[QByteArray(uid)].append(time);
    }
}

void ItemReader::read(icalcomponent* item, bool todo)
{
    const QString summary = summaryOf(item);
    const QString label = summary.isEmpty() ? QStringLiteral("(без названия)") : summary;
    // What the other calendar has called off or done needs no reminder.
    const icalproperty_status status = icalcomponent_get_status(item);
    if (status == ICAL_STATUS_CANCELLED) {
        skip(label, todo ? QStringLiteral("задача отменена") : QStringLiteral("событие отменено"));
        return;
    }
    if (todo && status == ICAL_STATUS_COMPLETED) {
        skip(label, QStringLiteral("задача уже выполнена"));
        return;
    }
    const Alarm alarm = firstAlarm(item);
    const struct icaltimetype start = icalcomponent_get_dtstart(item);
    const struct icaltimetype end = todo ? icalcomponent_get_due(item) : icalcomponent_get_dtend(item);
    const bool haveStart = isSet(start);
    const bool haveEnd = isSet(end);

    qint64 moment = 0;
    if (todo) {
        // A to-do falls due at its due moment; its alarm may say otherwise.
        if (!haveStart && !haveEnd && !(alarm.present && alarm.absolute)) {
            skip(label, QStringLiteral("у задачи нет даты"));
            return;
        }
        const qint64 due = haveEnd ? secondsOf(end) : secondsOf(start);
        const qint64 begins = haveStart ? secondsOf(start) : due;
        if (!alarm.present)
            moment = due;
        else if (alarm.absolute)
            moment = alarm.at;
        else
            moment = (alarm.fromEnd ? due : begins) + alarm.offset;
    } else {
        if (!haveStart) {
            skip(label, QStringLiteral("у события нет даты начала"));
            return;
        }
        const qint64 length = haveEnd ? secondsOf(end) - secondsOf(start) : 0;
        moment = ringing(alarm, nextOccurrence(item, start, alarm, length), length);
    }
    ICalendarFile::Found found;
    found.text = ICalendarFile::reminderText(summary);
    found.moment = localOf(moment);
    if (!found.moment.isValid()) {
        skip(label, QStringLiteral("дата не читается"));
        return;
    }
    found.past = moment < m_now;
    found.recurring = !todo && icalcomponent_get_first_property(item, ICAL_RRULE_PROPERTY);
    found.dueless = todo && !haveEnd;
    m_result.found.append(found);
    m_order.append(moment);
}

void ItemReader::finish()
{
    QList<int> order(m_order.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) { return m_order[a] < m_order[b]; });
    QList<ICalendarFile::Found> sorted;
    sorted.reserve(order.size());
    for (const int index : order)
        sorted.append(m_result.found[index]);
    m_result.found = sorted;
}

bool isUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

namespace ICalendarFile {

bool write(const QList<Reminder>& reminders, const QList<Task>& tasks, const QList<Birthday>& birthdays,
           const QTimeZone& zone, const QDateTime& stamp, QByteArray* out, QString* error)
{
    prepareLibrary();
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Quillarbor//Quillarbor 3.2//RU"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    OutZone outZone(zone);
    if (icalcomponent* vtimezone = outZone.takeComponent())
        icalcomponent_add_component(calendar.get(), vtimezone);

    for (const Reminder& reminder : reminders) {
        icalcomponent* event = icalcomponent_new_vevent();
        common(event,
               reminder.uid.isEmpty() ? "reminder-" + QByteArray::number(reminder.key) + "@quillarbor"
                                      : reminder.uid,
               stamp, reminder.text);
        icalcomponent_add_property(event,
                                   outZone.dated(icalproperty_new(ICAL_DTSTART_PROPERTY), reminder.moment));
        icalcomponent* alarm = icalcomponent_new_valarm();
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icalcomponent_add_property(alarm, icalproperty_new_description(utf8(reminder.text).constData()));
        struct icaltriggertype trigger;
        trigger.time = icaltime_null_time();
        trigger.duration = icaldurationtype_null_duration();
        icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
        icalcomponent_add_component(event, alarm);
        icalcomponent_add_component(calendar.get(), event);
    }
    for (const Task& task : tasks) {
        icalcomponent* todo = icalcomponent_new_vtodo();
        common(todo, "task-" + QByteArray::number(task.key) + "@quillarbor", stamp, task.name);
        icalcomponent_add_property(todo, outZone.dated(icalproperty_new(ICAL_DUE_PROPERTY), task.moment));
        if (!task.command.isEmpty())
            icalcomponent_add_property(todo, icalproperty_new_description(utf8(task.command).constData()));
        icalcomponent_add_component(calendar.get(), todo);
    }
    for (const Birthday& birthday : birthdays) {
        if (!birthday.date.isValid())
            continue;
        icalcomponent* event = icalcomponent_new_vevent();
        common(event, "birthday-" + QByteArray::number(birthday.key) + "@quillarbor", stamp,
               QStringLiteral("День рождения: ") + birthday.person);
        icalcomponent_add_property(event, icalproperty_new_dtstart(dateOnly(birthday.date)));
        icalcomponent_add_property(event, icalproperty_new_dtend(dateOnly(birthday.date.addDays(1))));
        // Born on the 29th of February: the last day of February in other years.
        const char* rule = birthday.date.month() == 2 && birthday.date.day() == 29
                               ? "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"
                               : "FREQ=YEARLY";
        icalcomponent_add_property(event, icalproperty_new_rrule(icalrecurrencetype_from_string(rule)));
        icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        icalcomponent_add_component(calendar.get(), event);
    }
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    if (!text) {
        *error = QStringLiteral("Не удалось составить файл iCalendar.");
        return false;
    }
    *out = QByteArray(text);
    free(text);
    return true;
}

QString reminderText(const QString& summary)
{
    const QString text = summary.simplified();
    return PlannerRules::cutToColumn(text.isEmpty() ? QStringLiteral("Событие") : text,
                                     PlannerRules::kTextLength);
}

ReadResult read(const QByteArray& input, const QDateTime& now)
{
    prepareLibrary();
    ReadResult result;
    QByteArray bytes = input.startsWith("\xEF\xBB\xBF") ? input.mid(3) : input;
    if (bytes.trimmed().isEmpty()) {
        result.error = QStringLiteral("Файл пуст.");
        return result;
    }
    if (bytes.contains('\0') || !isUtf8(bytes)) {
        result.error =
            QStringLiteral("Файл не является текстом в кодировке UTF-8, как требует формат iCalendar.");
        return result;
    }
    if (!bytes.toUpper().contains("BEGIN:VCALENDAR")) {
        result.error =
            QStringLiteral("Файл не является файлом iCalendar: в нём нет календаря (BEGIN:VCALENDAR).");
        return result;
    }
    Component root(icalparser_parse_string(bytes.constData()));
    if (!root) {
        result.error = QStringLiteral("Файл iCalendar не читается.");
        return result;
    }
    QList<icalcomponent*> calendars;
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.append(root.get());
    } else {
        for (icalcomponent* inner = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             inner; inner = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            calendars.append(inner);
    }
    if (calendars.isEmpty()) {
        result.error = QStringLiteral("Файл iCalendar не читается: в нём нет календаря.");
        return result;
    }
    ItemReader reader(now, result);
    for (icalcomponent* calendar : calendars)
        reader.noteExceptions(calendar);
    for (icalcomponent* calendar : calendars) {
        for (icalcomponent* item = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); item;
             item = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
            const icalcomponent_kind kind = icalcomponent_isa(item);
            if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTODO_COMPONENT)
                reader.read(item, kind == ICAL_VTODO_COMPONENT);
        }
    }
    reader.finish();
    return result;
}

} // namespace ICalendarFile

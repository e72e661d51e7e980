#pragma once

#include <QDate>
#include <QString>

// The day in words, as the daily planner names it. Written out here rather
// than taken from the locale, so the page reads the same on every system.
namespace DayNames {

// "января" .. "декабря"; empty outside 1..12.
QString genitiveMonth(int month);
// "Понедельник" .. "Воскресенье".
QString weekday(const QDate& date);
// "Сегодня: 8 декабря 2010 года".
QString todayHeading(const QDate& date);

} // namespace DayNames

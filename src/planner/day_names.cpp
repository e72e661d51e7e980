#include "day_names.h"

#include <array>

namespace DayNames {

QString genitiveMonth(int month)
{
    static const std::array<const char*, 12> names = {"января",   "февраля", "марта",  "апреля",
                                                      "мая",      "июня",    "июля",   "августа",
                                                      "сентября", "октября", "ноября", "декабря"};
    if (month < 1 || month > 12)
        return {};
    return QString::fromUtf8(names[month - 1]);
}

QString weekday(const QDate& date)
{
    // Qt counts Monday as 1 and Sunday as 7.
    static const std::array<const char*, 7> names = {"Понедельник", "Вторник", "Среда",      "Четверг",
                                                     "Пятница",     "Суббота", "Воскресенье"};
    const int day = date.dayOfWeek();
    if (day < 1 || day > 7)
        return {};
    return QString::fromUtf8(names[day - 1]);
}

QString todayHeading(const QDate& date)
{
    return QStringLiteral("Сегодня: %1 %2 %3 года")
        .arg(date.day())
        .arg(genitiveMonth(date.month()))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

} // namespace DayNames

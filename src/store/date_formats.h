#pragma once

#include <QDateTime>
#include <QString>

// The user's short date and long time formats, kept in one place.
namespace DateFormats {

inline const QString kShortDate = QStringLiteral("dd.MM.yyyy");
inline const QString kLongTime = QStringLiteral("H:mm:ss");

inline QString shortDate(const QDate& date)
{
    return date.toString(kShortDate);
}
inline QString longTime(const QTime& time)
{
    return time.toString(kLongTime);
}
// A moment as text: the date, then a space and the time unless it is midnight.
inline QString moment(const QDateTime& value)
{
    if (value.time() == QTime(0, 0))
        return shortDate(value.date());
    return shortDate(value.date()) + QLatin1Char(' ') + longTime(value.time());
}
inline QDate parseShortDate(const QString& text)
{
    return QDate::fromString(text.trimmed(), kShortDate);
}

} // namespace DateFormats

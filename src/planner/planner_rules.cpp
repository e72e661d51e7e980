#include "planner_rules.h"

#include "date_formats.h"

#include <QSet>
#include <QtGlobal>

namespace PlannerRules {

bool isDue(const QDateTime& moment, const QDateTime& now)
{
    return !moment.isValid() || moment <= now;
}

QDateTime postponed(const QDateTime& closedAt)
{
    return closedAt.addDays(1);
}

std::optional<QDateTime> parseMoment(const QString& text)
{
    const QString trimmed = text.simplified();
    for (const QString& format :
         {DateFormats::kShortDate + QLatin1Char(' ') + DateFormats::kLongTime,
          DateFormats::kShortDate + QStringLiteral(" H:mm"), DateFormats::kShortDate}) {
        const QDateTime read = QDateTime::fromString(trimmed, format);
        if (read.isValid())
            return read;
    }
    return std::nullopt;
}

QDateTime momentOf(const QDate& day, int hour, int minute)
{
    return QDateTime(day, QTime(qBound(0, hour, 23), qBound(0, minute, 59)));
}

QString momentText(const QDateTime& moment)
{
    return moment.isValid() ? DateFormats::moment(moment) : QString();
}

QString cutToColumn(const QString& text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    const bool splitsAPair = length > 0 && text.at(length - 1).isHighSurrogate();
    return text.left(splitsAPair ? length - 1 : length);
}

QString keptInRange(const QString& text, int maximum, int fallback)
{
    bool whole = false;
    const qint64 value = text.toLongLong(&whole);
    if (!whole)
        return QString::number(fallback);
    return QString::number(qBound(qint64(0), value, qint64(maximum)));
}

TaskFields taskFields(const QString& command)
{
    return {command.left(kTaskNameLength), command};
}

QString launchTarget(const QString& name, const QString& file)
{
    if (file.size() > kTaskNameLength && name == file.left(kTaskNameLength))
        return file;
    return name;
}

QString taskQuestion(const QDateTime& moment, const QString& command)
{
    return QStringLiteral("На ") + momentText(moment) + QStringLiteral(" назначена задача:\r\n") + command +
           QStringLiteral("\r\n\r\nВыполнить?");
}

QString windowsDirectory()
{
    const QString fromEnvironment = qEnvironmentVariable("WINDIR");
    QString folder = fromEnvironment.isEmpty() ? QStringLiteral("C:\\Windows") : fromEnvironment;
    while (folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QStringList readyMadeCommands(const QString& windowsDirectory)
{
    return {windowsDirectory + QStringLiteral("\\System32\\dfrg.msc"),
            windowsDirectory + QStringLiteral("\\System32\\restore\\rstrui.exe"),
            windowsDirectory + QStringLiteral("\\System32\\cleanmgr.exe")};
}

QStringList withoutRepeats(const QStringList& entries)
{
    QStringList kept;
    QSet<QString> seen;
    for (const QString& entry : entries) {
        if (seen.contains(entry))
            continue;
        seen.insert(entry);
        kept.append(entry);
    }
    return kept;
}

Minutes parseMinutes(const QString& text)
{
    bool whole = false;
    const qint64 value = text.trimmed().toLongLong(&whole);
    if (!whole)
        return {std::nullopt, QStringLiteral("Введите число минут целым числом, например 5.")};
    if (value < 0)
        return {std::nullopt,
                QStringLiteral("Число минут не может быть отрицательным. Введите 0 или больше.")};
    if (value > kMaxMinutes)
        return {std::nullopt,
                QStringLiteral("Слишком долгий срок: таймер можно поставить не больше чем на %1 минуту.")
                    .arg(kMaxMinutes)};
    return {int(value), {}};
}

} // namespace PlannerRules

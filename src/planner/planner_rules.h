#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// The rules of reminders, tasks and the timers, kept apart from any window.
namespace PlannerRules {

// What the columns hold.
inline constexpr int kTextLength = 50;      // Напоминания.Текст
inline constexpr int kTaskNameLength = 50;  // Задачи.Название
inline constexpr int kTaskFileLength = 255; // Задачи.Имя файла
// What can be typed into the task window's command box by hand.
inline constexpr int kTypedCommandLength = 30;

// A text cut to a column of `length` characters, never between the two
// halves of a character outside the basic plane (an emoji, say): half of one
// would not survive the database and would read back as another text.
QString cutToColumn(const QString& text, qsizetype length);

// A row is due once its moment has come; a row without a readable moment
// counts as long past, so it can never hold back the rows behind it.
bool isDue(const QDateTime& moment, const QDateTime& now);
// "Отложить": exactly one day after the pop-up was closed.
QDateTime postponed(const QDateTime& closedAt);
// A moment typed into a grid cell: the date, with or without the time, with
// or without seconds; nullopt when it does not read.
std::optional<QDateTime> parseMoment(const QString& text);
// A moment typed in a window: the day, the hour and the minute, no seconds.
QDateTime momentOf(const QDate& day, int hour, int minute);
// The moment as the user reads it; empty when there is none.
QString momentText(const QDateTime& moment);

// An hour or minute box: a whole number is held within [0, maximum]; any
// other text gives the fallback. The text the box should show.
QString keptInRange(const QString& text, int maximum, int fallback);

// A command as stored: Название cut to its column, Имя файла whole.
struct TaskFields
{
    QString name;
    QString file;
};
TaskFields taskFields(const QString& command);
// What the monitor launches: Название, unless it is exactly the cut of a
// longer Имя файла, which is then launched whole.
QString launchTarget(const QString& name, const QString& file);
QString taskQuestion(const QDateTime& moment, const QString& command);

// The ready-made commands of the task window, built on the Windows
// directory as the tools are known there.
QString windowsDirectory();
QStringList readyMadeCommands(const QString& windowsDirectory);

// Equal entries after the first are dropped; the order stays.
QStringList withoutRepeats(const QStringList& entries);

// The kettle's minutes: a whole number, 0 or more. Nullopt with the message
// to show otherwise.
struct Minutes
{
    std::optional<int> value;
    QString error;
};
Minutes parseMinutes(const QString& text);
// The longest a Qt timer counts: about 24 days.
inline constexpr int kMaxMinutes = 35791;

} // namespace PlannerRules

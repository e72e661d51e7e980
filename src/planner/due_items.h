#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class ProfileDatabase;
class TableObject;

// Reminders and tasks as the monitor and the sections read and write them.
// Every change names its row by key, so a row is never mistaken for the one
// that happens to stand at the same place.
class DueItems
{
public:
    struct Reminder
    {
        qint64 key = 0;
        QString text;
        QDateTime moment;
    };
    struct Task
    {
        qint64 key = 0;
        QString name; // what the grid shows and may edit
        QString file; // the command whole
        QDateTime moment;
    };
    // The outcome of a change to an existing row.
    enum class Written { Done, Gone, Failed };

    explicit DueItems(ProfileDatabase& database);

    // The first row in moment order: one indexed read, no more.
    std::optional<Reminder> earliestReminder() const;
    std::optional<Task> earliestTask() const;
    std::optional<Reminder> reminder(qint64 key) const;
    std::optional<Task> task(qint64 key) const;
    // The rows due at now, earliest first, as they stand now.
    QList<qint64> dueReminders(const QDateTime& now) const;
    QList<qint64> dueTasks(const QDateTime& now) const;

    bool addReminder(const QString& text, const QDateTime& moment, qint64* key = nullptr,
                     QString* error = nullptr);
    Written changeReminder(qint64 key, const QString& text, const QDateTime& moment,
                           QString* error = nullptr);
    Written postponeReminder(qint64 key, const QDateTime& moment, QString* error = nullptr);
    bool removeReminder(qint64 key, QString* error = nullptr);

    bool addTask(const QString& command, const QDateTime& moment, qint64* key = nullptr,
                 QString* error = nullptr);
    Written changeTask(qint64 key, const QString& command, const QDateTime& moment, QString* error = nullptr);
    // The grid's own edits: Название alone, or the moment alone.
    Written renameTask(qint64 key, const QString& name, QString* error = nullptr);
    Written redateTask(qint64 key, const QDateTime& moment, QString* error = nullptr);
    bool removeTask(qint64 key, QString* error = nullptr);

private:
    QList<qint64> dueKeys(const TableObject& table, const QDateTime& now) const;
    Written write(TableObject& table, qint64 key, const QVariantMap& values, QString* error);

    ProfileDatabase& m_database;
};

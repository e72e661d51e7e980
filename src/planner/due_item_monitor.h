#pragma once

#include "due_items.h"

#include <QObject>
#include <QSet>

class MonitorSwitch;
class ProfileDatabase;
class QWidget;

// Brings reminders and tasks up when their moment has come: once at
// start-up for everything that fell due while the program was not running,
// then on every tick of the monitor's timer for the earliest row of each
// table. A due task is offered for running and removed; a due reminder
// pops up and is dismissed (deleted) or put off by a day. Rows are handled
// by key, so none is handled twice and none is mistaken for another.
class DueItemMonitor : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DueItemMonitor)

public:
    DueItemMonitor(ProfileDatabase& database, MonitorSwitch& monitorSwitch, QWidget* window,
                   QObject* parent = nullptr);

    // One look at the earliest task and the earliest reminder: at most one
    // of each is handled, the task first.
    void tick();
    // Every task, then every reminder, that is due at the start, each once,
    // earliest first.
    void startupPass();

    static inline const QString kQuestionTitle = QStringLiteral("Задача");

signals:
    // Rows were deleted or changed.
    void changed();

private:
    void checkDue();
    std::optional<DueItems::Task> nextTask(const QDateTime& now) const;
    std::optional<DueItems::Reminder> nextReminder(const QDateTime& now) const;
    void handleTask(const DueItems::Task& task);
    void handleReminder(const DueItems::Reminder& reminder);

    DueItems m_items;
    MonitorSwitch& m_switch;
    QWidget* m_window;
    // Rows that could not be removed or put off: passed over for the rest of the run.
    QSet<qint64> m_stuckTasks;
    QSet<qint64> m_stuckReminders;
    bool m_readFailureShown = false;
};

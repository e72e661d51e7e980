#pragma once

#include "due_items.h"

#include <QObject>
#include <functional>

class MonitorSwitch;
class ProfileDatabase;
class QWidget;
class SkinnedDialog;

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
    // Gives a pop-up the look of the other secondary windows.
    using Prepare = std::function<void(SkinnedDialog&)>;

    DueItemMonitor(ProfileDatabase& database, MonitorSwitch& monitorSwitch, QWidget* window, Prepare prepare,
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
    void handleTask(const DueItems::Task& task);
    void handleReminder(const DueItems::Reminder& reminder);

    DueItems m_items;
    MonitorSwitch& m_switch;
    QWidget* m_window;
    Prepare m_prepare;
};

#pragma once

#include "monitor_switch.h"

#include <QIcon>
#include <QObject>

class DueItemMonitor;
class GridSection;
class KettleTimers;
class QGroupBox;
class QTimer;
class QWidget;
class RemindersSection;
class SectionHost;
class TasksSection;

// The schedule as the main window holds it: the reminders and tasks
// sections, the due-item monitor on the window's monitor timer, and the
// kettle and countdown timers of the tray menu.
class Schedule : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Schedule)

public:
    Schedule(SectionHost& host, QWidget* window, QGroupBox* remindersBox, QGroupBox* tasksBox,
             QTimer* monitorTimer);

    // At start-up, before the window shows: overdue tasks, then overdue reminders.
    void startupPass();
    // The monitor's part of each tick of the monitor timer.
    void monitorTick();
    // The reminders were changed from outside the window (by a sync): the
    // grid and the daily planner read them again.
    void remindersChangedElsewhere();

    // The two sections' controls are built when first asked for.
    RemindersSection* reminders();
    TasksSection* tasks();
    DueItemMonitor* monitor() const { return m_monitor; }
    KettleTimers* timers() const { return m_timers; }
    MonitorSwitch& monitorSwitch() { return m_switch; }

signals:
    void helpRequested(int page);
    // Reminders or tasks were added, changed or deleted, here or by the monitor.
    void changed();
    void trayPictureChanged(const QIcon& picture);
    void trayPictureReset();

private:
    void attach(GridSection* section);

    SectionHost& m_host;
    MonitorSwitch m_switch;
    QGroupBox* m_remindersBox;
    QGroupBox* m_tasksBox;
    RemindersSection* m_reminders = nullptr;
    TasksSection* m_tasks = nullptr;
    DueItemMonitor* m_monitor;
    KettleTimers* m_timers;
};

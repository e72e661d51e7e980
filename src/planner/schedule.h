#pragma once

#include "monitor_switch.h"

#include <QIcon>
#include <QObject>

class DueItemMonitor;
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

    RemindersSection* reminders() const { return m_reminders; }
    TasksSection* tasks() const { return m_tasks; }
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
    MonitorSwitch m_switch;
    RemindersSection* m_reminders;
    TasksSection* m_tasks;
    DueItemMonitor* m_monitor;
    KettleTimers* m_timers;
};

#include "schedule.h"

#include "due_item_monitor.h"
#include "kettle_timers.h"
#include "reminders_section.h"
#include "section_host.h"
#include "skinned_dialog.h"
#include "tasks_section.h"

#include <QGroupBox>

Schedule::Schedule(SectionHost& host, QWidget* window, QGroupBox* remindersBox, QGroupBox* tasksBox,
                   QTimer* monitorTimer)
    : QObject(window), m_host(host), m_switch(monitorTimer), m_remindersBox(remindersBox),
      m_tasksBox(tasksBox)
{
    setObjectName(QStringLiteral("Schedule"));
    const auto prepare = [&host](SkinnedDialog& dialog) { host.prepareSecondary(dialog); };
    m_monitor = new DueItemMonitor(host.database(), m_switch, window, this);
    m_timers = new KettleTimers(window, prepare, this);

    connect(m_monitor, &DueItemMonitor::changed, this, &Schedule::changed);
    connect(m_timers, &KettleTimers::trayPictureChanged, this, &Schedule::trayPictureChanged);
    connect(m_timers, &KettleTimers::trayPictureReset, this, &Schedule::trayPictureReset);
}

RemindersSection* Schedule::reminders()
{
    if (!m_reminders) {
        m_reminders = new RemindersSection(m_host, m_remindersBox, m_switch);
        attach(m_reminders);
    }
    return m_reminders;
}

TasksSection* Schedule::tasks()
{
    if (!m_tasks) {
        m_tasks = new TasksSection(m_host, m_tasksBox, m_switch);
        attach(m_tasks);
    }
    return m_tasks;
}

void Schedule::attach(GridSection* section)
{
    connect(section, &GridSection::helpRequested, this, &Schedule::helpRequested);
    connect(section, &GridSection::changed, this, &Schedule::changed);
    // What the monitor deleted or put off leaves the grid at once.
    connect(m_monitor, &DueItemMonitor::changed, section, &GridSection::refresh);
    // A grid built after start-up shows the table as it is now.
    section->refresh();
}

void Schedule::startupPass()
{
    m_monitor->startupPass();
    // The database is open now: grids already built show what the pass left.
    for (GridSection* section : {static_cast<GridSection*>(m_reminders), static_cast<GridSection*>(m_tasks)})
        if (section)
            section->refresh();
}

void Schedule::remindersChangedElsewhere()
{
    if (m_reminders)
        m_reminders->refresh();
    emit changed();
}

void Schedule::monitorTick()
{
    m_monitor->tick();
}

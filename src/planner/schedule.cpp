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
    : QObject(window), m_switch(monitorTimer)
{
    setObjectName(QStringLiteral("Schedule"));
    const auto prepare = [&host](SkinnedDialog& dialog) { host.prepareSecondary(dialog); };
    m_reminders = new RemindersSection(host, remindersBox, m_switch);
    m_tasks = new TasksSection(host, tasksBox, m_switch);
    m_monitor = new DueItemMonitor(host.database(), m_switch, window, prepare, this);
    m_timers = new KettleTimers(window, prepare, this);

    for (GridSection* section :
         {static_cast<GridSection*>(m_reminders), static_cast<GridSection*>(m_tasks)}) {
        connect(section, &GridSection::helpRequested, this, &Schedule::helpRequested);
        connect(section, &GridSection::changed, this, &Schedule::changed);
        // What the monitor deleted or put off leaves the grids at once.
        connect(m_monitor, &DueItemMonitor::changed, section, &GridSection::refresh);
    }
    connect(m_monitor, &DueItemMonitor::changed, this, &Schedule::changed);
    connect(m_timers, &KettleTimers::trayPictureChanged, this, &Schedule::trayPictureChanged);
    connect(m_timers, &KettleTimers::trayPictureReset, this, &Schedule::trayPictureReset);
}

void Schedule::startupPass()
{
    m_monitor->startupPass();
    // The database is open now: the grids show what the pass left.
    m_reminders->refresh();
    m_tasks->refresh();
}

void Schedule::monitorTick()
{
    m_monitor->tick();
}

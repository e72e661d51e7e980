#include "monitor_switch.h"

#include <QTimer>

MonitorSwitch::Hold::Hold(MonitorSwitch& owner) : m_owner(owner)
{
    if (m_owner.m_holds++ == 0 && m_owner.m_timer)
        m_owner.m_timer->stop();
}

MonitorSwitch::Hold::~Hold()
{
    // Starting anew also restarts the interval: the next tick comes a whole
    // interval after the question was answered. A timer with no interval yet
    // would fire without pause, so it stays off.
    if (--m_owner.m_holds == 0 && m_owner.m_timer && m_owner.m_timer->interval() > 0)
        m_owner.m_timer->start();
}

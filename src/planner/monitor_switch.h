#pragma once

#include <QtGlobal>

class QTimer;

// Switches the monitor's timer off around a question or a pop-up and on
// again afterwards. Holds may nest (a deletion question under a pop-up of
// another timer): the timer runs again when the last one is released.
class MonitorSwitch
{
public:
    explicit MonitorSwitch(QTimer* timer) : m_timer(timer) {}
    Q_DISABLE_COPY_MOVE(MonitorSwitch)

    class Hold
    {
    public:
        explicit Hold(MonitorSwitch& owner);
        ~Hold();
        Q_DISABLE_COPY_MOVE(Hold)

    private:
        MonitorSwitch& m_owner;
    };

    bool isHeld() const { return m_holds > 0; }

private:
    QTimer* m_timer;
    int m_holds = 0;
};

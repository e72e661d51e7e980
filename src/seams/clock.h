#pragma once

#include <QDateTime>

// "Now" for the whole program; tests move a clock of their own by hand.
namespace Clock {

class Backend
{
public:
    virtual ~Backend() = default;
    virtual QDateTime now() const = 0;
};

QDateTime now();
inline QDate today()
{
    return now().date();
}
void setBackend(Backend* backend); // nullptr restores the system clock

} // namespace Clock

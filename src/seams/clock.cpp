#include "clock.h"

namespace Clock {

namespace {
class SystemClock : public Backend
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
SystemClock systemClock;
Backend* currentBackend = &systemClock;
} // namespace

QDateTime now()
{
    return currentBackend->now();
}

void setBackend(Backend* backend)
{
    currentBackend = backend ? backend : &systemClock;
}

} // namespace Clock

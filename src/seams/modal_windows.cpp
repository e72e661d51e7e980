#include "modal_windows.h"

#include <QDialog>

namespace ModalWindows {

namespace {
Runner& currentRunner()
{
    static Runner runner;
    return runner;
}
} // namespace

int exec(QDialog* window)
{
    if (currentRunner())
        return currentRunner()(window);
    return window->exec();
}

void setRunner(Runner runner)
{
    currentRunner() = std::move(runner);
}

} // namespace ModalWindows

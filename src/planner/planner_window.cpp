#include "planner_window.h"

PlannerWindow::PlannerWindow(const QSize& designSize, QWidget* parent, Policy policy)
    : SkinnedDialog(parent, policy)
{
    setDesignSize(designSize);
}

#include "planner_window.h"

#include <QEvent>
#include <QLayout>

PlannerWindow::PlannerWindow(const QSize& designSize, QWidget* parent, Policy policy)
    : SkinnedDialog(parent, policy), m_designSize(designSize)
{
    setFixedSize(designSize);
}

void PlannerWindow::fit()
{
    if (QLayout* content = layout())
        setFixedSize(m_designSize.expandedTo(content->totalMinimumSize()));
}

void PlannerWindow::showEvent(QShowEvent* event)
{
    // The look, with its font, is put on first; then the room it needs.
    SkinnedDialog::showEvent(event);
    fit();
}

bool PlannerWindow::event(QEvent* event)
{
    const bool handled = SkinnedDialog::event(event);
    // The controls learn what room the new font needs only as they are polished.
    if (event->type() == QEvent::LayoutRequest)
        fit();
    return handled;
}

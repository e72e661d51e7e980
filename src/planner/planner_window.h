#pragma once

#include "skinned_dialog.h"

// A secondary window of the planner: a fixed size, which grows when the
// colour scheme's font needs more room, so no text is ever cut off.
class PlannerWindow : public SkinnedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlannerWindow)

public:
    PlannerWindow(const QSize& designSize, QWidget* parent = nullptr, Policy policy = Policy::WhenSkinned);
};

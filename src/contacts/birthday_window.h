#pragma once

#include "birthdays.h"
#include "skinned_dialog.h"

class QLabel;
class QPushButton;

// The small window that reminds of one contact's birthday.
class TBirthDayForm : public SkinnedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TBirthDayForm)

public:
    explicit TBirthDayForm(QWidget* parent = nullptr);

    void fill(const Birthdays::Reminder& reminder, const QDate& today);
    void Button1Click() { close(); }

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* InitialLabel = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* DayLabel = nullptr;
    QLabel* DataLabel = nullptr;
    QPushButton* Button1 = nullptr;
};

namespace Birthdays {

// Shows one reminder window after the other for every contact due, in the
// table's order; returns when the last one is closed.
void announce(const TableObject& book, const QDate& today, QWidget* parent = nullptr);

} // namespace Birthdays

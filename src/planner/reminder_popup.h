#pragma once

#include "planner_window.h"

class QLabel;
class QPushButton;

// The reminder pop-up, also the alarm of the kettle and countdown timers.
// Creating it plays the signal sound to its end. The result says what the
// user chose: kDismiss for "Отменить", kPostpone for "Отложить" and for
// the close box.
class TForm9 : public PlannerWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm9)

public:
    static constexpr int kDismiss = 1;
    static constexpr int kPostpone = 2;

    explicit TForm9(QWidget* parent = nullptr);

    // The window's event and its moment line.
    void fill(const QString& event, const QString& momentLine);
    static bool dismissed(int result) { return result == kDismiss; }

    QLabel* Label1 = nullptr;
    QLabel* Event = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* StaticText1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

private:
    void FormCreate();
};

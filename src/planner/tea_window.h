#pragma once

#include "planner_window.h"

class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

// Asks for the minutes of the kettle timer or of the countdown.
class TTeaForm : public PlannerWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TTeaForm)

public:
    explicit TTeaForm(QWidget* parent = nullptr);

    static inline const QString kKettleText =
        QStringLiteral("Через нужный момент времени программа напомнит Вам про поставленный чайник");
    static inline const QString kCountdownText = QStringLiteral("Через заданное время появится напоминание");

    // The minutes typed, once OK has accepted them.
    int minutes() const { return m_minutes; }
    // OK: anything but a whole number of minutes, 0 or more, keeps the window
    // open with a word on what to type.
    void BitBtn1Click();

    QLabel* StaticText1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    UpDown* UpDown1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

private:
    int m_minutes = 0;
};

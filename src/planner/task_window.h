#pragma once

#include "planner_window.h"

#include <QDateTime>
#include <QStringList>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class UpDown;

// The task window, for creating and for changing a task: one of three
// ready-made commands or a command of the user's own, the day, the hour
// and the minute.
class TForm7 : public PlannerWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm7)

public:
    explicit TForm7(QWidget* parent = nullptr);

    // A stored task put in for changing: shown as a command of the user's own.
    void fill(const QString& command, const QDateTime& moment);
    QString command() const;
    QDateTime moment() const;

    void RadioButton1Click() { choose(0); }
    void RadioButton2Click() { choose(1); }
    void RadioButton3Click() { choose(2); }
    void RadioButton4Click();
    void Button1Click();
    void Edit2Change();
    void Edit3Change();
    // OK: a command longer than its column can hold keeps the window open.
    void BitBtn1Click();

    static inline const QString kFilter =
        QStringLiteral("Command files(*.exe; *.com; *.bat)|*.exe; *.com; *.bat");

    QLabel* StaticText1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QToolButton* Button1 = nullptr;
    QDateEdit* DateTimePicker1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    UpDown* UpDown1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    UpDown* UpDown2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* StaticText2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

private:
    void FormCreate();
    void choose(int readyMade);
    QWidget* buildMomentRow();

    QStringList m_commands;
};

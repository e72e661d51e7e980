#pragma once

#include "planner_window.h"

#include <QDateTime>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class RegistryStore;
class TSmartBox;
class UpDown;

// The reminder window, for adding and for changing a reminder alike: the
// text with its history, the day, the hour and the minute.
class TForm5 : public PlannerWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm5)

public:
    explicit TForm5(const RegistryStore& registry, QWidget* parent = nullptr);

    // A stored reminder put in for changing; the seconds are not shown.
    void fill(const QString& text, const QDateTime& moment);
    QString text() const;
    // The day with the hour and the minute of the boxes, 0 seconds.
    QDateTime moment() const;

    void Edit1Change();
    void Edit2Change();
    // OK: repeats leave the history, then the text joins it.
    void BitBtn1Click();

    QLabel* Label1 = nullptr;
    TSmartBox* EvName = nullptr;
    QLabel* Label2 = nullptr;
    QDateEdit* DtPicker = nullptr;
    QLineEdit* Edit1 = nullptr;
    UpDown* UpDown1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    UpDown* UpDown2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    bool m_shown = false;
};

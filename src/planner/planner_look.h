#pragma once

#include <QString>
#include <functional>

class QDateEdit;
class QDialog;
class QFont;
class QLineEdit;
class QPushButton;
class QWidget;
class UpDown;

// What the planner's windows share: the cream background, the fonts, the
// date picker and the hour and minute boxes.
namespace PlannerLook {

QFont gothic(int pixels);
void cream(QWidget* window);

// A date picker in the long date format with a calendar to drop down.
QDateEdit* datePicker(const char* objectName, QWidget* parent);
// A number box with its arrows; the arrows step within [0, maximum].
QLineEdit* numberBox(const char* objectName, const QString& text, QWidget* parent);
UpDown* arrowsFor(QLineEdit* box, const char* objectName, int maximum, QWidget* parent);

// The hour and minute boxes: after every change of its text the box shows a
// whole number within [0, maximum], which its arrows take as their position,
// or the fallback for any other text.
void keepInRange(QLineEdit* box, UpDown* arrows, int maximum, int fallback);

struct ButtonPair
{
    QPushButton* ok;     // BitBtn1
    QPushButton* cancel; // BitBtn2
};
// The OK and Cancel buttons of a planner window: OK runs the handler under the
// application-wide error handler, Cancel rejects the window.
ButtonPair okCancelButtons(QDialog* window, const std::function<void()>& onOk);

} // namespace PlannerLook

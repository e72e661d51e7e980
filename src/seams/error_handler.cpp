#include "error_handler.h"

#include "message_boxes.h"

namespace ErrorHandler {

void report()
{
    MessageBoxes::errorBox(kMessage);
}

void report(const ReadFailure& failure)
{
    MessageBoxes::errorBox(failure.message());
}

} // namespace ErrorHandler

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const ReadFailure& failure) {
        ErrorHandler::report(failure);
        return false;
    } catch (...) {
        ErrorHandler::report();
        return false;
    }
}

#include "error_handler.h"

#include "message_boxes.h"

namespace ErrorHandler {

void report()
{
    MessageBoxes::errorBox(kMessage);
}

} // namespace ErrorHandler

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ErrorHandler::report();
        return false;
    }
}

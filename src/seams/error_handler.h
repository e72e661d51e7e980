#pragma once

#include "read_failure.h"

#include <QApplication>
#include <exception>
#include <utility>

// Whatever a handler does not catch is reported with one message and the
// program goes on.
namespace ErrorHandler {

inline const QString kMessage =
    QStringLiteral("При попытке выполнить данное действие возникла исключительная ситуация!");

void report();
// A failed read of the profile: the error box with its own message.
void report(const ReadFailure& failure);

// Runs a handler body and reports anything that escapes it.
template <typename Body> void guard(Body&& body)
{
    try {
        std::forward<Body>(body)();
    } catch (const ReadFailure& failure) {
        report(failure);
    } catch (...) {
        report();
    }
}

} // namespace ErrorHandler

// The application object: no exception ever travels through the event loop.
class GuardedApplication : public QApplication
{
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

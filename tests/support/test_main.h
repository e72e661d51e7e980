#pragma once

#include "error_handler.h"

#include <QTest>

// No test reaches the user's session bus, and so never the user's keyring:
// the bus address names a socket that is not there. A test that starts its
// own private bus (dbus-run-session) says so with QUILLARBOR_TEST_SESSION_BUS.
inline void keepOffTheUsersSessionBus()
{
    if (qEnvironmentVariableIsEmpty("QUILLARBOR_TEST_SESSION_BUS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillarbor-test-bus");
}

// The embedded browser's sandbox is off in every test, root or not: build
// machines often lack the namespaces it needs, and the tests show only local
// pages. OpenGL contexts are not shared, as in the program itself.
inline void prepareTestProcess()
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    keepOffTheUsersSessionBus();
}

// Like QTEST_MAIN, with the program's own application object, so that a
// failure escaping a handler meets the same application-wide handler.
#define QUILL_TEST_MAIN(TestObject)                                                                          \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        prepareTestProcess();                                                                                \
        GuardedApplication application(argc, argv);                                                          \
        application.setApplicationName(QStringLiteral("Quillarbor"));                                        \
        application.setQuitOnLastWindowClosed(false);                                                        \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }

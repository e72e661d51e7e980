#pragma once

#include "error_handler.h"

#include <QTest>

// The embedded browser's sandbox is off in every test, root or not: build
// machines often lack the namespaces it needs, and the tests show only local
// pages. OpenGL contexts are not shared, as in the program itself.
inline void prepareTestProcess()
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
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

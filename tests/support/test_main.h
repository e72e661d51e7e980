#pragma once

#include "error_handler.h"

#include <QTest>

// Like QTEST_MAIN, with the program's own application object, so that a
// failure escaping a handler meets the same application-wide handler.
#define QUILL_TEST_MAIN(TestObject)                                                                          \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        GuardedApplication application(argc, argv);                                                          \
        application.setApplicationName(QStringLiteral("Quillarbor"));                                        \
        application.setQuitOnLastWindowClosed(false);                                                        \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }

#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QtTest>

// Like QTEST_GUILESS_MAIN, with the locale pinned: for the tests of the layers below the screens.
#define TOKIRO_CORE_TEST_MAIN(TestObject)                                                                              \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        QCoreApplication app(argc, argv);                                                                              \
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));                                               \
        TestObject test;                                                                                               \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }

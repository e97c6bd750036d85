#pragma once

#include "screens/control_table.h"

#include <QApplication>
#include <QLocale>
#include <QtTest>

// Like QTEST_MAIN, with the locale pinned and the font substitutions the program registers at start-up.
#define TOKIRO_TEST_MAIN(TestObject)                                                                                   \
    int main(int argc, char* argv[])                                                                                   \
    {                                                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));                                               \
        registerFontSubstitutions();                                                                                   \
        TestObject test;                                                                                               \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }

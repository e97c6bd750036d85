#pragma once

#include "app_harness.h"
#include "test_files.h"
#include "typing.h"

#include <QLineEdit>
#include <QWidget>
#include <QtTest>

// Shared steps of the entry screen tests: typing into a box as the user does.
namespace entry {

inline void type(QWidget* box, const QString& text) { typeText(box, text); }
using ::settle;

inline void typeAndEnter(QWidget* box, const QString& text)
{
    type(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
}

} // namespace entry

#pragma once

#include "app_harness.h"
#include "core/twips.h"
#include "test_files.h"
#include "typing.h"

#include <QLineEdit>
#include <QWidget>
#include <QtTest>

// Shared steps of the entry screen tests: geometry in twips and typing into a box as the user does.
namespace entry {

inline QRect twipsGeometry(const QWidget* widget)
{
    const QRect g = widget->geometry();
    return QRect(static_cast<int>(toTwips(g.x())), static_cast<int>(toTwips(g.y())),
                 static_cast<int>(toTwips(g.width())), static_cast<int>(toTwips(g.height())));
}

// Where the layout puts a control, rounded to whole pixels the way the screens convert twips.
inline QRect expectedGeometry(int left, int top, int width, int height) { return twipsRect(left, top, width, height); }

inline void type(QWidget* box, const QString& text) { typeText(box, text); }
using ::settle;

inline void typeAndEnter(QWidget* box, const QString& text)
{
    type(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
}

} // namespace entry

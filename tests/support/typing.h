#pragma once

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QWidget>
#include <QtTest>

// Types text into a box as a user does: half-width characters arrive as key presses, everything else (Japanese,
// full-width digits) as the input method commits it.
inline void typeText(QWidget* box, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(box, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QCoreApplication::sendEvent(box, &commit);
        }
    }
}

// Lets closed screens be destroyed and posted events be handled, as the event loop does between two user actions.
inline void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

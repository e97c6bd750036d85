#pragma once

#include <QString>

class QWidget;

// Types text into a box as a user does: half-width characters arrive as key presses, everything else (Japanese,
// full-width digits) as the input method commits it.
void typeText(QWidget* box, const QString& text);

// Lets closed screens be destroyed and posted events be handled, as the event loop does between two user actions.
void settle();

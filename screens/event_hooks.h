#pragma once

#include <Qt>

#include <functional>

class QInputMethodEvent;
class QKeyEvent;
class QWidget;

// The handlers of the entry screens react to single keys, focus and mouse presses of one control. These hooks route
// those events of a widget to a handler without subclassing every control.

// Enter (character 13: Return or the keypad's Enter) pressed in the widget; the key is consumed, so a box never
// receives it as typing.
void onEnter(QWidget* widget, std::function<void()> handler);

// The character code a key press hands to a KeyPress handler (13 for Return and Enter, 8 for Backspace), or -1 for a
// key that types nothing (arrows, Shift, function keys), which a KeyPress handler never sees.
int keyAsciiOf(const QKeyEvent* event);

// A key that a KeyPress handler sees (keyAsciiOf is not -1) pressed in the widget; the handler returns whether the key
// is consumed or goes on into the widget.
void onKeyAscii(QWidget* widget, std::function<bool(int keyAscii)> handler);

// A given key pressed in the widget; the key is consumed.
void onKey(QWidget* widget, Qt::Key key, std::function<void()> handler);

// The widget got the keyboard focus, by any means.
void onFocusIn(QWidget* widget, std::function<void()> handler);

// The widget got the keyboard focus anew: the user or the program moved it there. Coming back from a message box,
// a popup or another window is not getting the focus anew.
void onFocusFromUser(QWidget* widget, std::function<void()> handler);

// Text committed to the widget by an input method (it arrives whole, not as keys); the event goes on.
void onInputMethod(QWidget* widget, std::function<void(const QInputMethodEvent*)> handler);

// Any mouse button pressed on the widget (the press, not the click), every press of a double click included.
void onMousePress(QWidget* widget, std::function<void(Qt::MouseButton)> handler);

// The paste keys (Ctrl+V, Shift+Insert) pressed in the widget; the handler returns whether the key is consumed or goes
// on into the widget (a box pastes as usual).
void onPaste(QWidget* widget, std::function<bool()> handler);

#pragma once

#include <Qt>

#include <functional>

class QWidget;

// The handlers of the entry screens react to single keys, focus and mouse presses of one control. These hooks route
// those events of a widget to a handler without subclassing every control.

// Enter (character 13: Return or the keypad's Enter) pressed in the widget; the key is consumed, so a box never
// receives it as typing.
void onEnter(QWidget* widget, std::function<void()> handler);

// A given key pressed in the widget; the key is consumed.
void onKey(QWidget* widget, Qt::Key key, std::function<void()> handler);

// The widget got the keyboard focus, by any means.
void onFocusIn(QWidget* widget, std::function<void()> handler);

// Any mouse button pressed on the widget (the press, not the click), every press of a double click included.
void onMousePress(QWidget* widget, std::function<void(Qt::MouseButton)> handler);

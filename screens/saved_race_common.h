#pragma once

#include "screens/module1.h"

#include <QFont>
#include <QString>

#include <cstdint>
#include <functional>

class QInputMethodEvent;
class QLineEdit;
class QListWidget;
class QWidget;

// Pieces shared by the three screens that work on saved races (result entry, record, balance).

// The header block of the menu: the program title in yellow, the product name and the version in green, at the
// menu's places. The names are the screen's own control names for the three labels.
void buildSavedRaceHeader(QWidget* screen, const char* titleName, const char* productName, const char* versionName);

// The font of the fixed-width list lines: monospaced Japanese, so that a full-width character takes exactly two
// half-width places and the columns of the lines stay aligned.
QFont savedRaceListFont();

// The first-digit rule of the number boxes, for any key but Enter: a digit typed while keyCount is 0 empties the box
// first, so it replaces the old value; every key then counts. No key is blocked. The count stops at its top instead
// of wrapping round to 0, which would empty the box again in the middle of typing.
void applyFirstDigitRule(QLineEdit* box, std::int16_t& keyCount, int keyAscii);

// What the first-digit rule makes of text committed by an input method (which arrives whole, not as keys): its first
// character counts as the key. Returns false when the event commits nothing.
bool applyFirstDigitRule(QLineEdit* box, std::int16_t& keyCount, const QInputMethodEvent* event);

// Wires a number box of the result entry and balance screens: keyPress gets every key that types something, Enter
// included, which stays the handler's (the box never receives it); text an input method commits follows the
// first-digit rule; gotFocus runs when the focus comes into the box anew.
void wireNumberBox(QLineEdit* box, std::int16_t& keyCount, std::function<void(int keyAscii)> keyPress,
                   std::function<void()> gotFocus);

// The number a box's text holds, in plain half-width digits ("１，２３０円" -> "1230"); a text without a number stays
// as it is.
QString plainIfNumber(const QString& text);

// A tail line as a money amount: 0 while unset, the number, or the leading number of a text.
double tailAmount(const TailValue& value);

// Shows the file name of the line under the mouse as its tooltip, so that two files of one race, whose lines are
// alike, can be told apart. fileNameOf gives the bare name of row's file (empty: no tooltip). Asked only when a tooltip
// is wanted, so that a list of a hundred thousand races costs nothing more to fill.
void showFileNameTips(QListWidget* list, std::function<QString(int row)> fileNameOf);

#pragma once

#include <QFont>
#include <QString>

#include <span>

class QWidget;

// A screen's fixed controls are written as a table in twips, line by line like the screen layouts,
// and built by one small builder.
enum class ControlKind { Label, Button, LineEdit, TextEdit, List, Option, VScroll, Picture, Shape };

// Colours as 0xRRGGBB; noColour leaves the widget's default.
inline constexpr int noColour = -1;
constexpr int rgb(int red, int green, int blue) { return (red << 16) | (green << 8) | blue; }
inline constexpr int black = rgb(0, 0, 0);
inline constexpr int white = rgb(255, 255, 255);
inline constexpr int yellow = rgb(255, 255, 0);
inline constexpr int green = rgb(0, 255, 0);
inline constexpr int cyan = rgb(0, 255, 255);
inline constexpr int red = rgb(255, 0, 0);
inline constexpr int lightBlue = rgb(192, 192, 255);
inline constexpr int lightYellow = rgb(255, 255, 192);
inline constexpr int lightGreen = rgb(192, 255, 192);
inline constexpr int peach = rgb(255, 224, 192);
inline constexpr int orange = rgb(255, 128, 0);

inline constexpr const char* minchoFamily = "ＭＳ 明朝";
inline constexpr const char* gothicFamily = "ＭＳ Ｐゴシック";

enum class Align { Left, Centre, Right };

struct ControlLine {
    const char* name;
    ControlKind kind;
    const char* caption = ""; // UTF-8
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int fore = noColour;
    int back = noColour;
    double pointSize = 0; // 0: the screen's form font size
    bool bold = true;
    bool border = false;
    Align align = Align::Left;
    bool wordWrap = false;
    const char* family = minchoFamily;
};

// The font of the screens: the requested family (substituted at start-up when the machine lacks it).
QFont screenFont(double pointSize, bool bold = true, const char* family = minchoFamily);

// Maps the Windows font names to the free Japanese fonts Debian ships. Call once before any screen is built.
void registerFontSubstitutions();

// Builds one control from its line of the table (object name, geometry, caption, colours, font).
// formPointSize is used where the line gives no size.
QWidget* buildControl(QWidget* parent, const ControlLine& control, double formPointSize);

// Finds the line of a control by name; the caller asks for a name the table holds.
const ControlLine& lineOf(std::span<const ControlLine> table, const char* name);

// Builds the named control of a table and returns it as the wanted widget type.
template <typename Widget>
Widget* build(QWidget* parent, std::span<const ControlLine> table, const char* name, double formPointSize)
{
    return static_cast<Widget*>(buildControl(parent, lineOf(table, name), formPointSize));
}

// Makes a push button answer Enter as well as Space, so that forms can be filled without the mouse.
void pressWithEnter(QWidget* button);

// Sets the colours of any widget through its own palette (never through a screen-wide style sheet).
void setColours(QWidget* widget, int fore, int back);

// Gives a control the platform's own colours instead of the black and white it would inherit from its screen (the
// builder does this for every button, box, list and scroll bar).
void useStandardPalette(QWidget* widget);

// Input method on (kana) or off (latin) for a box.
void setInputMethod(QWidget* box, bool on);

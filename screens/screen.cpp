#include "screens/screen.h"

#include "screens/control_table.h"
#include "screens/focus_marker.h"
#include "screens/twips.h"

Screen::Screen(ScreenId id, Module1& module, Navigation& navigation, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), module(module), navigation(navigation), dialogs(dialogs), id_(id)
{
    setFixedSize(twips(widthTwips), twips(heightTwips));
    setColours(this, white, black);
    setFont(screenFont(14.25));
    // Every screen marks its focused control the same way.
    new FocusMarker(this);
}

QString Screen::helpSection() const { return helpSectionOf(id_); }

QString helpSectionOf(ScreenId id)
{
    switch (id) {
    case ScreenId::Form1: return QStringLiteral("title");
    case ScreenId::Form2: return QStringLiteral("menu");
    case ScreenId::Form3: return QStringLiteral("conditions");
    case ScreenId::Form4: return QStringLiteral("marksheet");
    case ScreenId::Form5: return QStringLiteral("result");
    case ScreenId::Form6: return QStringLiteral("resultentry");
    case ScreenId::Form7: return QStringLiteral("record");
    case ScreenId::Form8: return QStringLiteral("balance");
    default: break; // a screen of its own names its section through helpSection()
    }
    return QStringLiteral("contents");
}

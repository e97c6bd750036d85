#include "screens/screen.h"

#include "core/twips.h"
#include "screens/control_table.h"

Screen::Screen(ScreenId id, Module1& module, Navigation& navigation, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), module(module), navigation(navigation), dialogs(dialogs), id_(id)
{
    setFixedSize(twips(widthTwips), twips(heightTwips));
    setColours(this, white, black);
    setFont(screenFont(14.25));
}

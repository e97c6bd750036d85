#pragma once

#include "screens/not_built_screen.h"

class Form1 : public NotBuiltScreen {
    Q_OBJECT
public:
    Form1(Module1& module, Navigation& navigation, Dialogs& dialogs)
        : NotBuiltScreen(ScreenId::Form1, ScreenId::Form1, module, navigation, dialogs) {}
};

#pragma once

#include "screens/not_built_screen.h"

class Form5 : public NotBuiltScreen {
    Q_OBJECT
public:
    Form5(Module1& module, Navigation& navigation, Dialogs& dialogs)
        : NotBuiltScreen(ScreenId::Form5, ScreenId::Form4, module, navigation, dialogs) {}
};

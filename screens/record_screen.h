#pragma once

#include "screens/not_built_screen.h"

class Form7 : public NotBuiltScreen {
    Q_OBJECT
public:
    Form7(Module1& module, Navigation& navigation, Dialogs& dialogs)
        : NotBuiltScreen(ScreenId::Form7, ScreenId::Form2, module, navigation, dialogs) {}
};

#pragma once

#include "screens/not_built_screen.h"

class Form8 : public NotBuiltScreen {
    Q_OBJECT
public:
    Form8(Module1& module, Navigation& navigation, Dialogs& dialogs)
        : NotBuiltScreen(ScreenId::Form8, ScreenId::Form2, module, navigation, dialogs) {}
};

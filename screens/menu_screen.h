#pragma once

#include "screens/not_built_screen.h"

class Form2 : public NotBuiltScreen {
    Q_OBJECT
public:
    Form2(Module1& module, Navigation& navigation, Dialogs& dialogs)
        : NotBuiltScreen(ScreenId::Form2, ScreenId::Form1, module, navigation, dialogs) {}
};

#pragma once

#include "screens/not_built_screen.h"

class Form4 : public NotBuiltScreen {
    Q_OBJECT
public:
    Form4(Module1& module, Navigation& navigation, Dialogs& dialogs)
        : NotBuiltScreen(ScreenId::Form4, ScreenId::Form3, module, navigation, dialogs) {}
};

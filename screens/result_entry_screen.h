#pragma once

#include "screens/not_built_screen.h"

class Form6 : public NotBuiltScreen {
    Q_OBJECT
public:
    Form6(Module1& module, Navigation& navigation, Dialogs& dialogs)
        : NotBuiltScreen(ScreenId::Form6, ScreenId::Form2, module, navigation, dialogs) {}
};

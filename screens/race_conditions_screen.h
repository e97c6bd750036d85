#pragma once

#include "screens/not_built_screen.h"

class Form3 : public NotBuiltScreen {
    Q_OBJECT
public:
    Form3(Module1& module, Navigation& navigation, Dialogs& dialogs)
        : NotBuiltScreen(ScreenId::Form3, ScreenId::Form2, module, navigation, dialogs) {}
};

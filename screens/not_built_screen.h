#pragma once

#include "screens/screen.h"

// A page for a job whose screen is not built yet: it says so and leads back, and pretends nothing.
class NotBuiltScreen : public Screen {
    Q_OBJECT
public:
    NotBuiltScreen(ScreenId id, ScreenId back, Module1& module, Navigation& navigation, Dialogs& dialogs);
};

#pragma once

#include "screens/screen.h"

#include <memory>

// Creates the screen for an id; the navigator owns it from then on.
std::unique_ptr<Screen> createScreen(ScreenId id, Module1& module, Navigation& navigation, Dialogs& dialogs);

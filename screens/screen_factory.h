#pragma once

#include "screens/analysis_library.h"
#include "screens/screen.h"

#include <memory>

// Creates the screen for an id; the navigator owns it from then on. The analysis screen comes from makeAnalysis, and
// may not come (null) when its library cannot be loaded.
std::unique_ptr<Screen> createScreen(ScreenId id, Module1& module, Navigation& navigation, Dialogs& dialogs,
                                     ScreenMaker makeAnalysis);

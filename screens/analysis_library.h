#pragma once

#include "screens/screen.h"

#include <memory>

// The analysis screen is the one screen that draws charts. The program keeps it, and Qt Charts with it, in a library
// of its own beside the program, loaded the first time the screen opens: the other screens start and run without
// the chart library in memory.

// The library's file in the program's folder, and the function it exports, which makes the screen with `new` and hands
// it over. A folder of its own keeps the library out of the folders the system's linker searches.
inline constexpr char analysisLibraryFile[] = "plugins/tokiro_analysis.so";
inline constexpr char analysisEntryName[] = "tokiro_make_analysis_screen";
using AnalysisEntry = Screen* (*)(Module1&, Navigation&, Dialogs&);

// Makes a screen for the analysis page: the program's loader below, or, where the screen is linked in, its own maker.
using ScreenMaker = std::unique_ptr<Screen> (*)(Module1&, Navigation&, Dialogs&);

// Loads the library from the program's folder (module.appFolder, else the folder the program runs from) and makes the
// screen. When the library is missing or unusable the user is told so and nothing is made.
std::unique_ptr<Screen> loadAnalysisScreen(Module1& module, Navigation& navigation, Dialogs& dialogs);

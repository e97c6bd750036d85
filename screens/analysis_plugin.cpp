// The entry of the analysis screen's library (tokiro_analysis.so), which the program loads when the screen opens.
#include "screens/analysis_library.h"
#include "screens/analysis_screen.h"

#include <string_view>
#include <type_traits>

extern "C" Q_DECL_EXPORT Screen* tokiro_make_analysis_screen(Module1& module, Navigation& navigation, Dialogs& dialogs)
{
    return makeAnalysisScreen(module, navigation, dialogs).release();
}

// The program resolves the entry by this name and calls it through this type.
static_assert(std::string_view(analysisEntryName) == "tokiro_make_analysis_screen");
static_assert(std::is_same_v<decltype(&tokiro_make_analysis_screen), AnalysisEntry>);

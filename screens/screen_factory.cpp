#include "screens/screen_factory.h"

#include "screens/analysis_screen.h"
#include "screens/balance_screen.h"
#include "screens/day_results_screen.h"
#include "screens/mark_sheet_screen.h"
#include "screens/menu_screen.h"
#include "screens/prediction_result_screen.h"
#include "screens/race_conditions_screen.h"
#include "screens/record_screen.h"
#include "screens/result_entry_screen.h"
#include "screens/tipster_grid_screen.h"
#include "screens/title_screen.h"

std::unique_ptr<Screen> createScreen(ScreenId id, Module1& module, Navigation& navigation, Dialogs& dialogs)
{
    switch (id) {
    case ScreenId::Form1: return std::make_unique<Form1>(module, navigation, dialogs);
    case ScreenId::Form2: return std::make_unique<Form2>(module, navigation, dialogs);
    case ScreenId::Form3: return std::make_unique<Form3>(module, navigation, dialogs);
    case ScreenId::Form4: return std::make_unique<Form4>(module, navigation, dialogs);
    case ScreenId::Form5: return std::make_unique<Form5>(module, navigation, dialogs);
    case ScreenId::Form6: return std::make_unique<Form6>(module, navigation, dialogs);
    case ScreenId::Form7: return std::make_unique<Form7>(module, navigation, dialogs);
    case ScreenId::Form8: return std::make_unique<Form8>(module, navigation, dialogs);
    case ScreenId::Analysis: return std::make_unique<AnalysisScreen>(module, navigation, dialogs);
    case ScreenId::TipsterGrid: return std::make_unique<TipsterGridScreen>(module, navigation, dialogs);
    case ScreenId::DayResults: return std::make_unique<DayResultsScreen>(module, navigation, dialogs);
    }
    return nullptr;
}

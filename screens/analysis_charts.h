#pragma once

// The charts of the analysis screen: black like the pages they lie on, axes and tooltips in Japanese, yen with
// thousands separators. Each chart's series carry the object names of the data they show and are children of the
// view, so that findChild on the screen reaches them. A filter change replaces a series' data in one call.
#include "screens/analysis_bar_charts.h"
#include "screens/analysis_chart_view.h"
#include "screens/analysis_time_charts.h"

#pragma once

#include "analysis/analysis_filter.h"
#include "analysis/breakdowns.h"
#include "analysis/chart_series.h"
#include "analysis/figures.h"
#include "analysis/race_table_model.h"
#include "analysis/table_models.h"

#include <QObject>

#include <array>
#include <memory>

// The analysis of one race folder: the races read once, a filter, and every model the analysis screen shows, all
// recomputed together when the filter changes. The models are children with their object names, so a screen or a
// test can find them with findChild.
class Analysis : public QObject {
    Q_OBJECT
public:
    explicit Analysis(FolderRecord record, QObject* parent = nullptr);

    const AnalysisData& data() const { return data_; }
    const AnalysisFilter& filter() const { return filter_; }
    const FilteredRaces& races() const { return filtered_; }
    const FilterCounts& counts() const { return filtered_.counts; }
    const SeriesFigures& figures(Series series) const { return series == Series::Proposals ? proposals_ : own_; }
    const AnalysisCharts& charts() const { return charts_; }

    RaceTableModel& raceTable() { return *raceTable_; }
    RaceTableProxy& raceView() { return *raceView_; }
    FiguresModel& figuresModel() { return *figuresModel_; }
    BreakdownModel& breakdownModel(Breakdown breakdown) { return *breakdowns_[static_cast<std::size_t>(breakdown)]; }
    WhatIfModel& whatIfModel() { return *whatIf_; }

    // Recomputes everything for the new filter (also when it equals the old one).
    void setFilter(const AnalysisFilter& filter);

signals:
    void recomputed();

private:
    AnalysisData data_;
    AnalysisFilter filter_;
    FilteredRaces filtered_;
    SeriesFigures proposals_;
    SeriesFigures own_;
    AnalysisCharts charts_;
    RaceTableModel* raceTable_;
    RaceTableProxy* raceView_;
    FiguresModel* figuresModel_;
    std::array<BreakdownModel*, breakdownCount> breakdowns_{};
    WhatIfModel* whatIf_;
};

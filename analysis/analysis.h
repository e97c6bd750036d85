#pragma once

#include "analysis/analysis_filter.h"
#include "analysis/breakdowns.h"
#include "analysis/chart_series.h"
#include "analysis/figures.h"
#include "analysis/race_table_model.h"
#include "analysis/table_models.h"
#include "analysis/tipster_models.h"

#include <QObject>
#include <QThreadPool>

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>

// For tests: while held, background replays (ReplayFill::Later) wait before they start, so that the state before
// they are in can be looked at. Release before waiting for an analysis.
void holdBackgroundReplays(bool held);

// The analysis of one race folder: the races read once, a filter, and every model the analysis screen shows, all
// recomputed together when the filter changes. The models are children with their object names, so a screen or a
// test can find them with findChild.
//
// The bootstrap intervals of the two return rates take 2,000 draws of every race; at 10,000 races that is more than
// the rest of a filter change together. They are drawn on worker threads while the screen already shows the
// new figures, and come in through the event loop: the figures model shows 計算中 until then, and intervalsReady is
// emitted. A newer filter makes older draws void. The result does not depend on the threads: each interval is the
// same deterministic function of its races.
//
// Opened with ReplayFill::Later (the screen does), the tipsters' replays, an engine run with and without each tipster
// of each race, are also worked out on worker threads: the tipster tables stay empty and tipstersPending() holds
// until they are in; then the tipster figures of the filter of that moment are worked out, tipstersReady is emitted
// and the tipsters' intervals are drawn. Until then intervalsPending() holds too, so waitForIntervals waits for them.
class Analysis : public QObject {
    Q_OBJECT
public:
    explicit Analysis(FolderRecord record, QObject* parent = nullptr)
        : Analysis(std::move(record), ReplayFill::Now, parent)
    {
    }
    Analysis(FolderRecord record, ReplayFill replays, QObject* parent = nullptr);
    ~Analysis() override;

    const AnalysisData& data() const { return data_; }
    const AnalysisFilter& filter() const { return filter_; }
    const FilteredRaces& races() const { return filtered_; }
    const FilterCounts& counts() const { return filtered_.counts; }
    const SeriesFigures& figures(Series series) const { return series == Series::Proposals ? proposals_ : own_; }
    const AnalysisCharts& charts() const { return charts_; }

    RaceTableModel& raceTable() { return *raceTable_; }
    FiguresModel& figuresModel() { return *figuresModel_; }
    BreakdownModel& breakdownModel(Breakdown breakdown) { return *breakdowns_[static_cast<std::size_t>(breakdown)]; }
    WhatIfModel& whatIfModel() { return *whatIf_; }

    // The pages on tipsters and on the program's rankings.
    const TipsterFigures& tipsterFigures() const { return tipsterFigures_; }
    const RankFigures& rankFigures() const { return rankFigures_; }
    TipsterTableModel& tipsterModel() { return *tipsters_; }
    PlaceTableModel& proposalRanksModel() { return *proposalRanks_; }
    PlaceTableModel& markKindsModel() { return *markKinds_; }
    TipsterWhatIfModel& tipsterWhatIfModel() { return *tipsterWhatIf_; }

    // Recomputes everything for the new filter (also when it equals the old one), the intervals in the background.
    void setFilter(const AnalysisFilter& filter);

    bool intervalsPending() const { return pendingIntervals_ > 0; }
    // The tipsters' replays are still being worked out (the tipster tables are empty until then).
    bool tipstersPending() const { return replaysPending_; }
    // Blocks until the replays and the intervals of the current filter are in (for an export, a test or a benchmark).
    void waitForIntervals();

signals:
    void recomputed();
    // The replays are in and the tipster tables were reset with their figures (their intervals still to come).
    void tipstersReady();
    void intervalsReady();
    // The intervals of the tipster tables are in (the tables were reset with them).
    void tipsterIntervalsReady();

private:
    void startIntervals();
    void intervalDrawn(std::uint64_t generation, Series series, std::optional<ReturnInterval> interval);
    void startTipsterIntervals(std::uint64_t generation);
    void tipsterIntervalsDrawn(std::uint64_t generation, std::size_t row, std::optional<ReturnInterval> ticket,
                               const ThreeWayIntervals& whatIf);
    void intervalJobDone();
    void startReplays();
    void replaysDone();
    void setTipsterFigures();

    AnalysisData data_;
    AnalysisFilter filter_;
    FilteredRaces filtered_;
    SeriesFigures proposals_;
    SeriesFigures own_;
    AnalysisCharts charts_;
    RaceTableModel* raceTable_;
    FiguresModel* figuresModel_;
    std::array<BreakdownModel*, breakdownCount> breakdowns_{};
    WhatIfModel* whatIf_;
    TipsterFigures tipsterFigures_;
    RankFigures rankFigures_;
    TipsterTableModel* tipsters_;
    PlaceTableModel* proposalRanks_;
    PlaceTableModel* markKinds_;
    TipsterWhatIfModel* tipsterWhatIf_;
    int pendingTipsterIntervals_ = 0;
    QThreadPool intervalThreads_;
    std::uint64_t generation_ = 0;
    std::atomic<std::uint64_t> latestGeneration_{0}; // generation_, for the worker threads to see
    int pendingIntervals_ = 0;
    QThreadPool replayThreads_;
    std::atomic<int> replayPartsLeft_{0};
    std::atomic<bool> stopReplays_{false};
    bool replaysPending_ = false;
};

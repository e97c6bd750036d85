#pragma once

#include "analysis/analysis.h"

#include <QObject>

// What the analysis screen's filter bar and pages share: the analysis of the folder and the filter it is seen
// through. The bar sets the filter; each page reads the analysis and follows its signals, so that no page knows
// another.
class AnalysisState final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Reads the race folder once (the tipsters' replays follow in the background); null until then.
    void open(const QString& raceFolder);
    Analysis* analysis() const { return analysis_; }

    const AnalysisFilter& filter() const { return analysis_->filter(); }
    // Filters the analysis anew: the figures are worked out again and recomputed() follows.
    void setFilter(const AnalysisFilter& filter);

    // Before any result the races without one are counted, so that they and their proposals are seen, while the
    // filter lets them in.
    bool firstSeason() const;

    // Tells the pages to show what the analysis holds now, as after a change of filter.
    void showAll() { emit recomputed(); }

signals:
    // The figures were worked out anew for the filter.
    void recomputed();
    // The tipsters' replays are in.
    void tipstersReady();

private:
    Analysis* analysis_ = nullptr;
};

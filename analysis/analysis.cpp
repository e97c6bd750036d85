#include "analysis/analysis.h"

Analysis::Analysis(FolderRecord record, QObject* parent)
    : QObject(parent),
      data_(std::move(record)),
      raceTable_(new RaceTableModel(data_, this)),
      raceView_(new RaceTableProxy(*raceTable_, this)),
      figuresModel_(new FiguresModel(this)),
      whatIf_(new WhatIfModel(this))
{
    for (int b = 0; b < breakdownCount; ++b)
        breakdowns_[static_cast<std::size_t>(b)] = new BreakdownModel(static_cast<Breakdown>(b), this);
    setFilter(filter_);
}

void Analysis::setFilter(const AnalysisFilter& filter)
{
    filter_ = filter;
    filtered_ = applyFilter(data_, filter_);
    proposals_ = computeFigures(data_, Series::Proposals, filtered_.proposals);
    own_ = computeFigures(data_, Series::Own, filtered_.own);
    charts_ = computeCharts(data_, filtered_.proposals, filtered_.own);

    raceTable_->setRaces(&filtered_);
    figuresModel_->setFigures(proposals_, own_);
    for (BreakdownModel* model : breakdowns_)
        model->setRows(computeBreakdown(data_, model->breakdown(), filtered_));
    whatIf_->setRows(computeWhatIf(data_, filtered_.proposals));
    emit recomputed();
}

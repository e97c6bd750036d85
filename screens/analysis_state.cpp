#include "screens/analysis_state.h"

#include "record/race_record.h"

void AnalysisState::open(const QString& raceFolder)
{
    analysis_ = new Analysis(tallyFolder(raceFolder), ReplayFill::Later, this);
    connect(analysis_, &Analysis::recomputed, this, &AnalysisState::recomputed);
    connect(analysis_, &Analysis::tipstersReady, this, &AnalysisState::tipstersReady);
}

void AnalysisState::setFilter(const AnalysisFilter& filter)
{
    if (analysis_)
        analysis_->setFilter(filter);
}

bool AnalysisState::firstSeason() const
{
    return analysis_ && !analysis_->data().anyResult() && analysis_->filter().includeWithoutResult
           && analysis_->counts().withoutResult > 0;
}

#include "analysis/analysis.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QThread>

#include <algorithm>

Analysis::Analysis(FolderRecord record, QObject* parent)
    : QObject(parent),
      data_(std::move(record)),
      raceTable_(new RaceTableModel(data_, this)),
      figuresModel_(new FiguresModel(this)),
      whatIf_(new WhatIfModel(this))
{
    for (int b = 0; b < breakdownCount; ++b)
        breakdowns_[static_cast<std::size_t>(b)] = new BreakdownModel(static_cast<Breakdown>(b), this);
    // Both series at once where there are cores to spare; on two cores one worker, so that the screen keeps one.
    intervalThreads_.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 2));
    setFilter(openingFilter(data_));
}

Analysis::~Analysis()
{
    // A draw still running posts its result to this object; it must end first, and is told to stop at once.
    // Results already posted are dropped with the object.
    latestGeneration_.store(generation_ + 1);
    intervalThreads_.waitForDone();
    // The models read data_, which goes before QObject would delete its children.
    qDeleteAll(findChildren<QAbstractItemModel*>(Qt::FindDirectChildrenOnly));
}

void Analysis::setFilter(const AnalysisFilter& filter)
{
    filter_ = filter;
    filtered_ = applyFilter(data_, filter_);
    proposals_ = computeFigures(data_, Series::Proposals, filtered_.proposals, false);
    own_ = computeFigures(data_, Series::Own, filtered_.own, false);
    proposals_.intervalPending = own_.intervalPending = true;
    charts_ = computeCharts(data_, filtered_.proposals, filtered_.own);

    raceTable_->setRaces(&filtered_);
    figuresModel_->setFigures(proposals_, own_);
    for (BreakdownModel* model : breakdowns_)
        model->setRows(computeBreakdown(data_, model->breakdown(), filtered_));
    whatIf_->setRows(computeWhatIf(data_, filtered_.proposals));
    // The draws start once the models are done, so that they do not take the cores the models need.
    startIntervals();
    emit recomputed();
}

void Analysis::startIntervals()
{
    const std::uint64_t generation = ++generation_;
    latestGeneration_.store(generation);
    pendingIntervals_ = 2;
    for (const Series series : {Series::Proposals, Series::Own}) {
        intervalThreads_.start([this, generation, series,
                                amounts = seriesAmounts(
                                    data_, series, series == Series::Proposals ? filtered_.proposals : filtered_.own)] {
            // A draw a newer filter has made void stops (or never starts): filters changed in quick succession,
            // as with an arrow key held in a pick list, do not queue up work nobody will see.
            auto voided = [this, generation] { return latestGeneration_.load() != generation; };
            if (voided())
                return;
            const std::optional<ReturnInterval> interval =
                bootstrapReturnInterval(amounts.stakes, amounts.returns, bootstrapResamples, bootstrapSeed, voided);
            if (voided())
                return;
            QMetaObject::invokeMethod(
                this, [this, generation, series, interval] { intervalDrawn(generation, series, interval); },
                Qt::QueuedConnection);
        });
    }
}

void Analysis::intervalDrawn(std::uint64_t generation, Series series, std::optional<ReturnInterval> interval)
{
    if (generation != generation_)
        return;
    SeriesFigures& figures = series == Series::Proposals ? proposals_ : own_;
    figures.returnInterval = interval;
    figures.intervalPending = false;
    figuresModel_->setFigures(proposals_, own_);
    if (--pendingIntervals_ == 0)
        emit intervalsReady();
}

void Analysis::waitForIntervals()
{
    intervalThreads_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

#include "analysis/analysis.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <memory>

namespace {
std::atomic<bool> replaysHeld{false};
} // namespace

void holdBackgroundReplays(bool held) { replaysHeld.store(held); }

Analysis::Analysis(FolderRecord record, ReplayFill replays, QObject* parent)
    : QObject(parent),
      data_(std::move(record), replays),
      raceTable_(new RaceTableModel(data_, this)),
      figuresModel_(new FiguresModel(this)),
      whatIf_(new WhatIfModel(this)),
      tipsters_(new TipsterTableModel(this)),
      proposalRanks_(new PlaceTableModel(QStringLiteral("proposalRanks"), this)),
      markKinds_(new PlaceTableModel(QStringLiteral("markKinds"), this)),
      tipsterWhatIf_(new TipsterWhatIfModel(this))
{
    for (int b = 0; b < breakdownCount; ++b)
        breakdowns_[static_cast<std::size_t>(b)] = new BreakdownModel(static_cast<Breakdown>(b), this);
    // Both series at once where there are cores to spare; on two cores one worker, so that the screen keeps one.
    intervalThreads_.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 2));
    if (replays == ReplayFill::Later)
        startReplays();
    setFilter(openingFilter(data_));
}

Analysis::~Analysis()
{
    // A draw still running posts its result to this object; it must end first, and is told to stop at once.
    // Results already posted are dropped with the object.
    latestGeneration_.store(generation_ + 1);
    stopReplays_.store(true);
    replayThreads_.waitForDone();
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
    // The tipster figures wait for the replays (the tables stay empty until then).
    if (replaysPending_)
        tipsterFigures_ = {};
    else
        setTipsterFigures();
    rankFigures_ = computeRanks(data_, filtered_);
    charts_ = computeCharts(data_, filtered_.proposals, filtered_.own);

    raceTable_->setRaces(&filtered_);
    figuresModel_->setFigures(proposals_, own_);
    for (BreakdownModel* model : breakdowns_)
        model->setRows(computeBreakdown(data_, model->breakdown(), filtered_));
    whatIf_->setRows(computeWhatIf(data_, filtered_.proposals));
    tipsters_->setRows(tipsterFigures_.rows);
    tipsterWhatIf_->setRows(tipsterFigures_.whatIf);
    proposalRanks_->setRows(rankFigures_.ranks);
    markKinds_->setRows(rankFigures_.markCounts);
    // The draws start once the models are done, so that they do not take the cores the models need.
    startIntervals();
    emit recomputed();
}

void Analysis::setTipsterFigures()
{
    tipsterFigures_ = computeTipsters(data_, filtered_);
    for (TipsterRow& row : tipsterFigures_.rows)
        row.ticketIntervalPending = true;
    for (TipsterWhatIfRow& row : tipsterFigures_.whatIf)
        row.intervalsPending = true;
}

void Analysis::startReplays()
{
    // As many parts as the intervals may take threads: the screen keeps a core while it is built and shown. Every
    // part takes every parts-th race, so the parts take about as long as each other.
    const int parts = std::clamp(QThread::idealThreadCount() - 1, 1, 8);
    replayThreads_.setMaxThreadCount(parts);
    replaysPending_ = true;
    replayPartsLeft_.store(parts);
    for (int part = 0; part < parts; ++part) {
        replayThreads_.start([this, part, parts] {
            while (replaysHeld.load() && !stopReplays_.load())
                QThread::msleep(1);
            data_.fillReplays(static_cast<std::size_t>(part), static_cast<std::size_t>(parts), stopReplays_);
            if (replayPartsLeft_.fetch_sub(1) == 1 && !stopReplays_.load())
                QMetaObject::invokeMethod(
                    this, [this] { replaysDone(); }, Qt::QueuedConnection);
        });
    }
}

void Analysis::replaysDone()
{
    if (!replaysPending_)
        return;
    replaysPending_ = false;
    // The figures of the filter in force now; the replays' slot in the pending count is given back once the
    // tipsters' own draws are counted in, so that intervalsReady is not emitted in between.
    setTipsterFigures();
    tipsters_->setRows(tipsterFigures_.rows);
    tipsterWhatIf_->setRows(tipsterFigures_.whatIf);
    emit tipstersReady();
    startTipsterIntervals(generation_);
    intervalJobDone();
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
    // The tipsters' draws after the two return rates: the figures page's intervals are the first a user looks for,
    // and the tipsters' take many times as long.
    startTipsterIntervals(generation);
}

void Analysis::intervalDrawn(std::uint64_t generation, Series series, std::optional<ReturnInterval> interval)
{
    if (generation != generation_)
        return;
    SeriesFigures& figures = series == Series::Proposals ? proposals_ : own_;
    figures.returnInterval = interval;
    figures.intervalPending = false;
    figuresModel_->setFigures(proposals_, own_);
    intervalJobDone();
}

void Analysis::intervalJobDone()
{
    if (--pendingIntervals_ == 0)
        emit intervalsReady();
}

void Analysis::startTipsterIntervals(std::uint64_t generation)
{
    // One job a tipster: the ◎–○ ticket's interval and the three ways of the what-if, drawn together, over the races
    // the tipster marked (the lists are shared by the jobs, which may outlive these figures).
    if (replaysPending_) {
        // The tipsters' draws start when the replays are in; until then the replays count as one pending job.
        pendingTipsterIntervals_ = 0;
        ++pendingIntervals_;
        return;
    }
    auto marked = std::make_shared<const std::vector<std::vector<int>>>(tipsterFigures_.marked);
    pendingTipsterIntervals_ = static_cast<int>(tipsterFigures_.rows.size());
    pendingIntervals_ += pendingTipsterIntervals_;
    for (std::size_t row = 0; row < tipsterFigures_.rows.size(); ++row) {
        const int tipster = tipsterFigures_.rows[row].tipster;
        intervalThreads_.start([this, generation, row, tipster, marked] {
            auto voided = [this, generation] { return latestGeneration_.load() != generation; };
            if (voided())
                return;
            const TipsterIntervals drawn = tipsterIntervals(data_, (*marked)[row], tipster, voided);
            if (voided())
                return;
            QMetaObject::invokeMethod(
                this,
                [this, generation, row, ticket = drawn.ticket, whatIf = drawn.whatIf] {
                    tipsterIntervalsDrawn(generation, row, ticket, whatIf);
                },
                Qt::QueuedConnection);
        });
    }
}

void Analysis::tipsterIntervalsDrawn(std::uint64_t generation, std::size_t row, std::optional<ReturnInterval> ticket,
                                     const ThreeWayIntervals& whatIf)
{
    if (generation != generation_ || row >= tipsterFigures_.rows.size())
        return;
    TipsterRow& tipster = tipsterFigures_.rows[row];
    tipster.ticketInterval = ticket;
    tipster.ticketIntervalPending = false;
    TipsterWhatIfRow& ways = tipsterFigures_.whatIf[row];
    ways.recordedInterval = whatIf.ways[0];
    ways.onlyInterval = whatIf.ways[1];
    ways.withoutInterval = whatIf.ways[2];
    ways.addedInterval = whatIf.firstLessLast;
    ways.intervalsPending = false;
    // The tables take the intervals once all are in: one reset instead of one a tipster.
    if (--pendingTipsterIntervals_ == 0) {
        tipsters_->setRows(tipsterFigures_.rows);
        tipsterWhatIf_->setRows(tipsterFigures_.whatIf);
        emit tipsterIntervalsReady();
    }
    intervalJobDone();
}

void Analysis::waitForIntervals()
{
    if (replaysPending_) {
        replayThreads_.waitForDone();
        // Delivers replaysDone, which starts the tipsters' draws.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
    intervalThreads_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

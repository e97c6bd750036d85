#include "record/race_record.h"

#include "core/numbers.h"
#include "prediction/prediction.h"
#include "racefile/race_folder.h"

#include <QMutexLocker>

#include <cmath>

namespace {

// A result or payout line as the analysis shows it: empty while unset, a number in plain decimal, or the text.
QString lineText(const TailValue& value)
{
    switch (value.kind) {
    case TailValue::Kind::Unset: return {};
    case TailValue::Kind::Number: return numberText(value.number);
    case TailValue::Kind::Text: return value.text;
    }
    return {};
}

// The same, sharing the line's own text when it is that text already, as nearly every line is (a number in plain
// decimal, or a text line).
QString lineText(const TailValue& value, const QString& asHeld)
{
    const bool plainWhole = plainWholeNumber(asHeld) && (asHeld.size() == 1 || asHeld.front() != u'0');
    if (value.kind == TailValue::Kind::Number && plainWhole)
        return asHeld;
    QString text = lineText(value);
    return text == asHeld ? asHeld : text;
}

// Read from a run for any ticket count: the ranks and grades come before the tickets.
RankFacts rankFactsOf(const RaceOutcome& race, const PredictionResult& prediction)
{
    RankFacts facts;
    facts.marked = prediction.favScoreSum + prediction.quinellaScoreSum > 0;
    const int finishers[2] = {finisherRunner(race.firstValue, race.runnerCount),
                              finisherRunner(race.secondValue, race.runnerCount)};
    for (int place = 0; place < 2; ++place) {
        const int runner = finishers[place];
        // The same horse entered twice is the winner only.
        if (runner < 0 || (place == 1 && runner == finishers[0]))
            continue;
        facts.favPlace[place] = static_cast<std::int8_t>(prediction.favRank[static_cast<std::size_t>(runner)]);
        facts.quinellaPlace[place] =
            static_cast<std::int8_t>(prediction.quinellaRank[static_cast<std::size_t>(runner)]);
    }
    facts.grades[0] = prediction.favTopGrade;
    facts.grades[1] = prediction.favTopTwoGrade;
    facts.grades[2] = prediction.quinellaTopGrade;
    facts.grades[3] = prediction.quinellaTopTwoGrade;
    return facts;
}

} // namespace

int finisherRunner(double value, int runners)
{
    if (!(value >= 1 && value <= runners) || value != std::floor(value))
        return -1;
    return static_cast<int>(value) - 1;
}

MarkSheet RaceOutcome::markSheet() const
{
    MarkSheet sheet{};
    for (std::size_t r = 0; r < marks.size(); ++r) {
        for (std::size_t k = 0; k < marks[r].size(); ++k)
            sheet[r][k] = marks[r][k];
    }
    return sheet;
}

std::optional<double> RecordTotals::strikeRatePercent() const
{
    if (races == 0)
        return std::nullopt;
    return 100.0 * hits / races;
}

std::optional<double> RecordTotals::returnRatePercent() const
{
    if (stake == 0)
        return std::nullopt;
    return 100.0 * payout / stake;
}

int placeOfResult(const PredictionResult& prediction, double first, double second)
{
    for (int t = 0; t < prediction.ticketTotal; ++t) {
        const int a = prediction.ticketFirst[static_cast<std::size_t>(t)] + 1;
        const int b = prediction.ticketSecond[static_cast<std::size_t>(t)] + 1;
        if ((a == first && b == second) || (a == second && b == first))
            return t;
    }
    return -1;
}

bool proposesResult(const PredictionResult& prediction, double first, double second)
{
    return placeOfResult(prediction, first, second) >= 0;
}

void SharedTexts::share(std::initializer_list<QString*> texts)
{
    const QMutexLocker lock(&mutex_);
    for (QString* text : texts) {
        if (text->isEmpty())
            continue;
        const auto found = texts_.constFind(*text);
        if (found != texts_.cend())
            *text = *found;
        else
            texts_.insert(*text);
    }
}

RaceOutcome outcomeOf(const CataloguedRace& item, TipsterNames* names, SharedTexts* texts)
{
    RaceOutcome out;
    const CatalogueEntry& entry = item.entry;
    out.fileName = entry.fileName;
    out.readable = item.read.ok;
    out.raceDate = entry.raceDate;
    out.raceNumberText = entry.raceNumberText;
    out.raceName = entry.raceName;
    if (!out.readable)
        return out;

    const RaceState& race = item.race.race;
    const TailLines& tail = item.race.tail;
    out.raceDate = race.raceDate;
    out.raceNumber = race.raceNumber;
    out.raceName = race.raceName;
    out.gradedText = race.gradedText;
    out.courseName = race.courseName;
    out.distanceText = race.distanceText;
    out.runnerCount = race.runnerCount;
    out.ticketsAsked = race.ticketCount;
    // A readable race holds 0..21 runners with 0..25 marks of each kind.
    for (int r = 0; r < race.runnerCount; ++r) {
        for (int k = 0; k < markKindCount; ++k)
            out.marks[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] =
                static_cast<std::uint8_t>(race.markSheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)]);
    }

    out.firstText = lineText(tail.firstPlace, entry.firstPlace);
    out.secondText = lineText(tail.secondPlace, entry.secondPlace);
    out.firstLine = entry.firstPlace;
    out.secondLine = entry.secondPlace;
    out.firstValue = numberValue(out.firstLine);
    out.secondValue = numberValue(out.secondLine);
    out.resultRecorded = out.firstValue >= 1 && out.secondValue >= 1;

    // One run serves the proposal and the what-if of every count; only a count outside the spinner's range (a file
    // written by hand) needs a run of its own.
    const PredictionResult largest = runPrediction(race.markSheet, race.runnerCount, largestSpinnerCount);
    out.ranks = rankFactsOf(out, largest);
    out.axisPattern = largest.axisPattern;
    out.largestRunTickets = static_cast<std::uint8_t>(largest.ticketTotal);
    const int place = placeOfResult(largest, out.firstValue, out.secondValue);
    out.resultPlaceInLargestRun = static_cast<std::int8_t>(place);
    const bool cut = cutFromLargestRun(race.ticketCount);
    const PredictionResult own =
        cut ? PredictionResult{} : runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
    const PredictionResult& proposal = cut ? largest : own;
    const int proposedCount = cut ? out.ticketsIfAsked(race.ticketCount) : own.ticketTotal;
    out.proposed.reserve(static_cast<std::size_t>(proposedCount));
    for (int t = 0; t < proposedCount; ++t)
        out.proposed.push_back({proposal.ticketFirst[static_cast<std::size_t>(t)] + 1,
                                proposal.ticketSecond[static_cast<std::size_t>(t)] + 1});
    out.hit = cut ? out.hitIfAsked(race.ticketCount) : proposesResult(own, out.firstValue, out.secondValue);

    out.stake = proposedCount * yenPerTicket;
    out.payoutText = lineText(tail.payout, entry.payout);
    out.payoutLine = entry.payout;
    out.payout = numberValue(out.payoutLine);

    out.ownStake = entry.stake;
    out.ownIncome = entry.income;
    out.amountsRecorded = !tail.stake.isUnset() || entry.income != 0;
    out.amountsCountable = countableYen(out.payout) && countableYen(out.ownStake) && countableYen(out.ownIncome);

    if (texts)
        texts->share({&out.raceDate, &out.raceNumberText, &out.gradedText, &out.courseName, &out.distanceText,
                      &out.firstLine, &out.secondLine, &out.firstText, &out.secondText});

    out.tipsterGrid = item.race.after.block;
    if (names && out.tipsterGrid == GridBlock::Read)
        out.tipsters = packedTipsters(race.tipsters, race.runnerCount, *names);
    return out;
}

RecordTotals recordTotals(const std::vector<RaceOutcome>& races)
{
    RecordTotals totals;
    for (const RaceOutcome& race : races) {
        if (race.readable)
            totals.count(race.hit, race.stake, race.payout);
    }
    return totals;
}

BalanceTotals balanceTotals(const std::vector<RaceOutcome>& races)
{
    BalanceTotals totals;
    for (const RaceOutcome& race : races) {
        totals.stake += race.ownStake;
        totals.income += race.ownIncome;
    }
    return totals;
}

BalanceTotals balanceTotals(const std::vector<CatalogueEntry>& races)
{
    BalanceTotals totals;
    for (const CatalogueEntry& race : races) {
        totals.stake += race.stake;
        totals.income += race.income;
    }
    return totals;
}

FolderRecord tallyFolder(const QString& folder, ReadScope scope)
{
    FolderRecord record;
    // Each race becomes its outcome on the thread that read it: the engine runs on every core, and only the outcomes
    // are kept.
    // An outcome holds no runner name, so none is read; the tipsters' names are kept once for the folder.
    TipsterNames names;
    SharedTexts texts;
    record.races = RaceFolder(folder).racesAs<RaceOutcome>(
        scope, RunnerNames::Skipped, [&](CataloguedRace&& race) { return outcomeOf(race, &names, &texts); });
    record.tipsterNames = names.names();
    record.record = recordTotals(record.races);
    record.balance = balanceTotals(record.races);
    return record;
}

FolderBalance balanceOfFolder(const QString& folder)
{
    FolderBalance balance;
    balance.races = RaceFolder(folder).catalogue();
    balance.totals = balanceTotals(balance.races);
    return balance;
}

#include "record/race_record.h"

#include "core/numbers.h"
#include "prediction/prediction.h"
#include "racefile/race_folder.h"

#include <QMutexLocker>

#include <cmath>
#include <cstdlib>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <new>

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
    for (int r = 0; r < maxRunners; ++r) {
        for (int k = 0; k < markKindCount; ++k)
            sheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] =
                static_cast<std::int16_t>(markCount(r, k));
    }
    return sheet;
}

std::vector<HorsePair> RaceOutcome::proposed() const
{
    std::vector<HorsePair> tickets;
    const int count = proposedCount();
    tickets.reserve(static_cast<std::size_t>(count));
    for (int t = 0; t < count; ++t)
        tickets.push_back(proposedTicket(t));
    return tickets;
}

OutcomeTexts::OutcomeTexts() : first_(1, 0), regions_{first_.data()} {}

OutcomeTexts::Id OutcomeTexts::add(QStringView text)
{
    if (text.isEmpty())
        return empty;
    const auto length = static_cast<std::uint64_t>(text.size());
    const std::uint64_t need = length + (length < longText ? 1 : 3);
    if (next_ + need > end_) {
        // A new block after the last region: one region, or as many as a long text takes.
        const std::uint64_t regions = (need + regionUnits - 1) / regionUnits;
        if (regions_.size() + regions > (std::uint64_t{1} << (32 - regionBits)))
            throw std::bad_alloc();
        blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(regions * regionUnits));
        next_ = static_cast<std::uint64_t>(regions_.size()) << regionBits;
        for (std::uint64_t r = 0; r < regions; ++r)
            regions_.push_back(blocks_.back().get() + r * regionUnits);
        end_ = next_ + regions * regionUnits;
    } else if (blocks_.empty() && next_ + need > first_.size()) {
        if (next_ + need > first_.capacity())
            first_.reserve(std::min(std::max<std::uint64_t>(2 * first_.capacity(), next_ + need), regionUnits));
        first_.resize(next_ + need);
        regions_[0] = first_.data();
    }
    char16_t* at = regions_[next_ >> regionBits] + (next_ & (regionUnits - 1));
    if (length < longText) {
        *at++ = static_cast<char16_t>(length);
    } else {
        *at++ = longText;
        *at++ = static_cast<char16_t>(length & 0xFFFF);
        *at++ = static_cast<char16_t>(length >> 16);
    }
    std::copy(text.utf16(), text.utf16() + text.size(), at);
    const auto id = static_cast<Id>(next_);
    next_ += need;
    return id;
}

void OutcomeTexts::clear()
{
    blocks_.clear();
    first_.resize(1);
    regions_.assign(1, first_.data());
    next_ = 1;
    end_ = regionUnits;
}

void OutcomeTexts::squeeze()
{
    first_.shrink_to_fit();
    regions_[0] = first_.data();
}

OutcomeTextsBuilder::OutcomeTextsBuilder(QExplicitlySharedDataPointer<OutcomeTexts> table, bool findRepeats)
    : table_(std::move(table)), findRepeats_(findRepeats)
{
    table_->clear();
}

void OutcomeTextsBuilder::keep(RaceOutcome& race, std::initializer_list<Entry> entries)
{
    const QMutexLocker lock(&mutex_);
    for (const Entry& entry : entries) {
        if (!entry.shared || !findRepeats_) {
            *entry.id = table_->add(entry.text);
            continue;
        }
        if (entry.shared->isEmpty()) {
            *entry.id = OutcomeTexts::empty;
            continue;
        }
        const auto found = shared_.constFind(*entry.shared);
        if (found != shared_.cend()) {
            *entry.id = *found;
        } else {
            *entry.id = table_->add(*entry.shared);
            shared_.insert(*entry.shared, *entry.id);
        }
    }
    race.texts = table_;
}

OutcomeTexts::Id OutcomeTextsBuilder::keepOne(RaceOutcome& race, QStringView text)
{
    OutcomeTexts::Id id = OutcomeTexts::empty;
    keep(race, {{&id, text, nullptr}});
    return id;
}

void OutcomeTextsBuilder::finish()
{
    const QMutexLocker lock(&mutex_);
    shared_ = {};
    table_->squeeze();
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

RaceOutcome outcomeOf(const CataloguedRace& item, TipsterNames* names, OutcomeTextsBuilder* texts)
{
    RaceOutcome out;
    const CatalogueEntry& entry = item.entry;
    OutcomeTextsBuilder ownTable(false);
    if (!texts)
        texts = &ownTable;
    out.readable = item.read.ok;
    if (!out.readable) {
        texts->keep(out, {{&out.textIds.fileName, entry.fileName, nullptr},
                          {&out.textIds.raceDate, entry.raceDate, &entry.raceDate},
                          {&out.textIds.raceNumberText, entry.raceNumberText, &entry.raceNumberText},
                          {&out.textIds.raceName, entry.raceName, nullptr}});
        return out;
    }

    const RaceState& race = item.race.race;
    const TailLines& tail = item.race.tail;
    out.raceNumber = race.raceNumber;
    out.runnerCount = race.runnerCount;
    out.ticketsAsked = race.ticketCount;
    // A readable race holds 0..21 runners with 0..25 marks of each kind.
    for (int r = 0; r < race.runnerCount; ++r) {
        std::uint32_t packed = 0;
        for (int k = 0; k < markKindCount; ++k)
            packed |=
                static_cast<std::uint32_t>(race.markSheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)])
                << (5 * k);
        out.packedMarks[static_cast<std::size_t>(r)] = packed;
    }

    const QString firstText = lineText(tail.firstPlace, entry.firstPlace);
    const QString secondText = lineText(tail.secondPlace, entry.secondPlace);
    out.firstValue = numberValue(entry.firstPlace);
    out.secondValue = numberValue(entry.secondPlace);
    out.resultRecorded = out.firstValue >= 1 && out.secondValue >= 1;

    // One run serves the proposal and the what-if of every count; only a count outside the spinner's range (a file
    // written by hand) needs a run of its own.
    const PredictionResult largest = runPrediction(race.markSheet, race.runnerCount, largestSpinnerCount);
    out.ranks = rankFactsOf(out, largest);
    out.axisPattern = static_cast<std::int8_t>(largest.axisPattern);
    out.largestRunTickets = static_cast<std::uint8_t>(largest.ticketTotal);
    const int place = placeOfResult(largest, out.firstValue, out.secondValue);
    out.resultPlaceInLargestRun = static_cast<std::int8_t>(place);
    const bool cut = cutFromLargestRun(race.ticketCount);
    const PredictionResult own =
        cut ? PredictionResult{} : runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
    const PredictionResult& proposal = cut ? largest : own;
    const int proposedCount = cut ? out.ticketsIfAsked(race.ticketCount) : own.ticketTotal;
    // A ticket is two horse numbers of at most 31 (the engine's rows), one byte each.
    std::array<char16_t, ticketListCapacity> tickets{};
    for (int t = 0; t < proposedCount; ++t)
        tickets[static_cast<std::size_t>(t)] =
            static_cast<char16_t>((proposal.ticketFirst[static_cast<std::size_t>(t)] + 1) << 8
                                  | (proposal.ticketSecond[static_cast<std::size_t>(t)] + 1));
    out.hit = cut ? out.hitIfAsked(race.ticketCount) : proposesResult(own, out.firstValue, out.secondValue);

    const QString payoutText = lineText(tail.payout, entry.payout);
    out.payout = numberValue(entry.payout);

    out.ownStake = entry.stake;
    out.ownIncome = entry.income;
    out.amountsRecorded = !tail.stake.isUnset() || entry.income != 0;
    out.amountsCountable = countableYen(out.payout) && countableYen(out.ownStake) && countableYen(out.ownIncome);

    out.tipsterGrid = item.race.after.block;
    const RaceTipsters::Units tipsters = names && out.tipsterGrid == GridBlock::Read
                                             ? RaceTipsters::pack(race.tipsters, race.runnerCount, *names)
                                             : RaceTipsters::Units{};

    RaceOutcome::TextIds& ids = out.textIds;
    texts->keep(out,
                {{&ids.fileName, entry.fileName, nullptr},
                 {&ids.raceDate, race.raceDate, &race.raceDate},
                 {&ids.raceNumberText, entry.raceNumberText, &entry.raceNumberText},
                 {&ids.raceName, race.raceName, nullptr},
                 {&ids.gradedText, race.gradedText, &race.gradedText},
                 {&ids.courseName, race.courseName, &race.courseName},
                 {&ids.distanceText, race.distanceText, &race.distanceText},
                 {&ids.firstLine, entry.firstPlace, &entry.firstPlace},
                 {&ids.secondLine, entry.secondPlace, &entry.secondPlace},
                 {&ids.firstText, firstText, &firstText},
                 {&ids.secondText, secondText, &secondText},
                 {&ids.payoutLine, entry.payout, nullptr},
                 {&ids.proposed, QStringView(tickets.data(), proposedCount), nullptr},
                 {&ids.tipsterNames, tipsters.names, &tipsters.names},
                 {&ids.tipsterMarks, QStringView(tipsters.marks.data(), qsizetype(tipsters.marks.size())), nullptr}});
    // The payout as shown is nearly always the line itself.
    ids.payoutText = payoutText == entry.payout ? ids.payoutLine : texts->keepOne(out, payoutText);
    return out;
}

RecordTotals recordTotals(const std::vector<RaceOutcome>& races)
{
    RecordTotals totals;
    for (const RaceOutcome& race : races) {
        if (race.readable)
            totals.count(race.hit, race.stake(), race.payout);
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
    OutcomeTextsBuilder texts;
    record.races = RaceFolder(folder).racesAs<RaceOutcome>(
        scope, RunnerNames::Skipped, [&](CataloguedRace&& race) { return outcomeOf(race, &names, &texts); });
    texts.finish();
#ifdef __GLIBC__
    // The reading threads' buffers are freed by now, scattered among the outcomes kept: their pages go back to the
    // system rather than staying with the program while the analysis is worked out.
    malloc_trim(0);
#endif
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

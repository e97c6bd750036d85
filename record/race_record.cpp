#include "record/race_record.h"

#include "core/numbers.h"
#include "prediction/prediction.h"
#include "racefile/race_folder.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <cmath>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <stdexcept>

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
RankFacts rankFactsOf(double first, double second, int runners, const PredictionResult& prediction)
{
    RankFacts facts;
    facts.marked = prediction.favScoreSum + prediction.quinellaScoreSum > 0;
    const int finishers[2] = {finisherRunner(first, runners), finisherRunner(second, runners)};
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

// Fills a race table from the reading threads at once: each race's fixed fields straight into its row, its texts,
// tickets and tipsters appended under a lock. Texts that many races of a folder hold alike (dates, race numbers,
// classes, courses, distances, result lines) get one number: every race holding a spelling holds that number.
class TableBuilder {
public:
    TableBuilder(RaceTable& table, TipsterNames& names) : table_(table), names_(names) {}

    void sized(std::size_t count)
    {
        table_.forEachRaceColumn([count](auto& column) { column.resize(count); });
        std::fill(table_.resultPlaceInLargestRun.begin(), table_.resultPlaceInLargestRun.end(), -1);
        table_.tickets.reserve(count * 8); // most races ask for a few tickets
    }

    void put(std::size_t row, const CataloguedRace& item)
    {
        RaceTable& t = table_;
        const CatalogueEntry& entry = item.entry;
        if (!item.read.ok) {
            const QMutexLocker lock(&mutex_);
            keep(row, RaceText::FileName, entry.fileName);
            keep(row, RaceText::RaceDate, entry.raceDate, true);
            keep(row, RaceText::RaceNumberText, entry.raceNumberText, true);
            keep(row, RaceText::RaceName, entry.raceName);
            return;
        }
        const RaceState& race = item.race.race;
        const TailLines& tail = item.race.tail;
        t.readable[row] = 1;
        t.raceNumber[row] = race.raceNumber;
        t.runnerCount[row] = race.runnerCount;
        t.ticketsAsked[row] = race.ticketCount;
        // A readable race holds 0..21 runners with 0..25 marks of each kind.
        for (int r = 0; r < race.runnerCount; ++r) {
            for (int k = 0; k < markKindCount; ++k)
                t.markCounts[row][static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] =
                    static_cast<std::uint8_t>(race.markSheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)]);
        }

        const QString firstText = lineText(tail.firstPlace, entry.firstPlace);
        const QString secondText = lineText(tail.secondPlace, entry.secondPlace);
        const double first = numberValue(entry.firstPlace);
        const double second = numberValue(entry.secondPlace);
        t.firstValue[row] = first;
        t.secondValue[row] = second;
        t.resultRecorded[row] = first >= 1 && second >= 1;

        // One run serves the proposal and the what-if of every count; only a count outside the spinner's range (a
        // file written by hand) needs a run of its own.
        const PredictionResult largest = runPrediction(race.markSheet, race.runnerCount, largestSpinnerCount);
        t.ranks[row] = rankFactsOf(first, second, race.runnerCount, largest);
        t.axisPattern[row] = static_cast<std::int8_t>(largest.axisPattern);
        t.largestRunTickets[row] = static_cast<std::uint8_t>(largest.ticketTotal);
        const int place = placeOfResult(largest, first, second);
        t.resultPlaceInLargestRun[row] = static_cast<std::int8_t>(place);
        const bool cut = cutFromLargestRun(race.ticketCount);
        const PredictionResult own =
            cut ? PredictionResult{} : runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
        const PredictionResult& proposal = cut ? largest : own;
        const int proposedCount = cut ? std::min<int>(race.ticketCount, largest.ticketTotal) : own.ticketTotal;
        t.proposedCount[row] = static_cast<std::uint8_t>(proposedCount);
        t.hit[row] = cut ? place >= 0 && place < race.ticketCount : proposesResult(own, first, second);

        const QString payoutText = lineText(tail.payout, entry.payout);
        t.payout[row] = numberValue(entry.payout);
        t.ownStake[row] = entry.stake;
        t.ownIncome[row] = entry.income;
        t.amountsRecorded[row] = !tail.stake.isUnset() || entry.income != 0;
        t.amountsCountable[row] =
            countableYen(t.payout[row]) && countableYen(entry.stake) && countableYen(entry.income);

        // The tipsters who marked a runner, their marks as the grid holds them, a kind 0..5 on a runner of the race
        // or none: whatever reads them later need not check.
        t.tipsterGrid[row] = item.race.after.block;
        std::vector<std::pair<std::uint32_t, TipsterMarks>> tipsters;
        if (t.tipsterGrid[row] == GridBlock::Read) {
            const int runners = std::clamp<int>(race.runnerCount, 0, maxRunners);
            for (const TipsterColumn& column : race.tipsters.columns) {
                TipsterMarks marks;
                marks.fill(noMark);
                bool any = false;
                for (int r = 0; r < runners; ++r) {
                    const int kind = column.marks[static_cast<std::size_t>(r)];
                    if (kind >= 0 && kind < markKindCount) {
                        marks[static_cast<std::size_t>(r)] = static_cast<std::int8_t>(kind);
                        any = true;
                    }
                }
                if (any)
                    tipsters.emplace_back(static_cast<std::uint32_t>(names_.number(column.name)), marks);
            }
        }

        const QMutexLocker lock(&mutex_);
        keep(row, RaceText::FileName, entry.fileName);
        keep(row, RaceText::RaceDate, race.raceDate, true);
        keep(row, RaceText::RaceNumberText, entry.raceNumberText, true);
        keep(row, RaceText::RaceName, race.raceName);
        keep(row, RaceText::GradedText, race.gradedText, true);
        keep(row, RaceText::CourseName, race.courseName, true);
        keep(row, RaceText::DistanceText, race.distanceText, true);
        keep(row, RaceText::FirstLine, entry.firstPlace, true);
        keep(row, RaceText::SecondLine, entry.secondPlace, true);
        keep(row, RaceText::FirstText, firstText, true);
        keep(row, RaceText::SecondText, secondText, true);
        keep(row, RaceText::PayoutLine, entry.payout);
        // The payout as shown is nearly always the line itself.
        const auto payoutLine = static_cast<std::size_t>(RaceText::PayoutLine);
        const auto payoutShown = static_cast<std::size_t>(RaceText::PayoutText);
        if (payoutText == entry.payout)
            t.textOf[payoutShown][row] = t.textOf[payoutLine][row];
        else
            keep(row, RaceText::PayoutText, payoutText);

        t.ticketStart[row] = checkedSize(t.tickets.size());
        for (int k = 0; k < proposedCount; ++k)
            t.tickets.push_back({static_cast<std::uint8_t>(proposal.ticketFirst[static_cast<std::size_t>(k)] + 1),
                                 static_cast<std::uint8_t>(proposal.ticketSecond[static_cast<std::size_t>(k)] + 1)});
        // A folder's races mostly have the same tipsters: room for as many in every race is taken at once, rather than
        // the arrays doubling (and for a moment held twice) as they grow.
        if (!tipsters.empty() && t.tipsterMarks.capacity() == 0) {
            t.tipsterName.reserve(t.size() * tipsters.size());
            t.tipsterMarks.reserve(t.size() * tipsters.size());
        }
        t.tipsterStart[row] = checkedSize(t.tipsterName.size());
        t.tipsterCount[row] = static_cast<std::uint8_t>(std::min<std::size_t>(tipsters.size(), 0xFF));
        for (std::size_t c = 0; c < t.tipsterCount[row]; ++c) {
            t.tipsterName.push_back(tipsters[c].first);
            t.tipsterMarks.push_back(tipsters[c].second);
        }
    }

    // Once every race is in: the rows in the catalogue's order (files gone since they were listed left out), and the
    // arrays only as large as what they hold.
    void finish(const std::vector<std::size_t>& order)
    {
        table_.forEachRaceColumn([&order](auto& column) {
            std::remove_reference_t<decltype(column)> ordered;
            ordered.reserve(order.size());
            for (const std::size_t row : order)
                ordered.push_back(column[row]);
            column.swap(ordered);
        });
        // Room taken beyond a quarter more than they hold is given back (a copy, so only when it is worth it).
        auto fit = [](auto& array) {
            if (array.capacity() > array.size() + array.size() / 4)
                array.shrink_to_fit();
        };
        fit(table_.tickets);
        fit(table_.tipsterName);
        fit(table_.tipsterMarks);
        table_.texts.squeeze();
        numbers_ = {};
    }

private:
    static std::uint32_t checkedSize(std::size_t size)
    {
        if (size > UINT32_MAX)
            throw std::bad_alloc();
        return static_cast<std::uint32_t>(size);
    }

    // Called with the lock held. repeats: a text many races hold alike, numbered once.
    void keep(std::size_t row, RaceText field, const QString& text, bool repeats = false)
    {
        FolderTexts::Number& number = table_.textOf[static_cast<std::size_t>(field)][row];
        if (text.isEmpty()) {
            number = FolderTexts::empty;
        } else if (!repeats) {
            number = table_.texts.add(text);
        } else {
            const auto found = numbers_.constFind(text);
            number = found != numbers_.cend() ? *found : *numbers_.insert(text, table_.texts.add(text));
        }
    }

    RaceTable& table_;
    TipsterNames& names_;
    QMutex mutex_;
    QHash<QString, FolderTexts::Number> numbers_;
};

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

RaceOutcome RaceList::at(std::size_t race) const
{
    if (race >= size())
        throw std::out_of_range("RaceList::at");
    return {*this, race};
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

RecordTotals recordTotals(const RaceList& races)
{
    RecordTotals totals;
    for (std::size_t i = 0; i < races.size(); ++i) {
        if (races.readable[i])
            totals.count(races.hit[i] != 0, races.proposedCount[i] * yenPerTicket, races.payout[i]);
    }
    return totals;
}

BalanceTotals balanceTotals(const RaceList& races)
{
    BalanceTotals totals;
    for (std::size_t i = 0; i < races.size(); ++i) {
        totals.stake += races.ownStake[i];
        totals.income += races.ownIncome[i];
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
    // Each race goes into the table on the thread that read it: the engine runs on every core, and nothing of a race
    // but its row is kept. The table holds no runner name, so none is read; the tipsters' names are kept once for the
    // folder.
    TipsterNames names;
    TableBuilder builder(record.races, names);
    const std::vector<std::size_t> order = RaceFolder(folder).readEach(
        scope, RunnerNames::Skipped, [&builder](std::size_t count) { builder.sized(count); },
        [&builder](std::size_t index, CataloguedRace&& race) { builder.put(index, race); });
    builder.finish(order);
#ifdef __GLIBC__
    // The reading threads' buffers are freed by now, in the threads' own heaps, which nothing the screens allocate
    // later on this thread reuses: their pages go back to the system rather than staying with the program.
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

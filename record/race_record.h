#pragma once

#include "prediction/mark_sheet.h"
#include "racefile/catalogue.h"
#include "racefile/race_file.h"
#include "record/race_tipsters.h"

#include <QMutex>
#include <QSet>
#include <QString>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

struct PredictionResult;

// The win/loss tally of a folder of saved races, counted as the record screen counts the program's proposals (every
// proposed ticket bought for 100 yen, a hit when a ticket is the recorded pair of finishers) and as the balance
// screen sums the user's own amounts. Screens and the analysis read races through it, never count for themselves.

inline constexpr double yenPerTicket = 100;

// A quinella ticket as horse numbers (runner index + 1), the lower number first.
struct HorsePair {
    int first = 0;
    int second = 0;
    bool operator==(const HorsePair&) const = default;
};

// The six mark counts of each runner a race can have: what the engine needs to propose again.
using SavedMarks = std::array<std::array<std::uint8_t, markKindCount>, maxRunners>;

// Where the recorded finishers stood in the program's rankings, as the prediction result shows them. The rankings
// and grades come before the tickets, so they are the same for every ticket count.
struct RankFacts {
    bool marked = false; // any mark at all: a race without one has no ranking to speak of
    // The 0-based place of the winner [0] and of the second [1] in the favourite and the quinella order; -1 when the
    // finisher is no runner (and for the second, when it is the winner's number again).
    std::int8_t favPlace[2] = {-1, -1};
    std::int8_t quinellaPlace[2] = {-1, -1};
    // The grades the result screen shows beside the leading runners: favTop, favTopTwo, quinellaTop, quinellaTopTwo.
    char grades[4] = {'C', 'C', 'C', 'C'};
};

// One saved race and how it came out.
struct RaceOutcome {
    QString fileName;
    // False for a file that cannot be read as a race: it is listed, with the date, race number and name as far as
    // they could be read, but nothing else of it is known and no total counts it.
    bool readable = false;

    QString raceDate; // as stored, normally "YY/MM/DD"
    std::int16_t raceNumber = 0;
    QString raceNumberText; // line 2 as text, for a file that could not be read
    QString raceName;
    QString gradedText;
    QString courseName;
    QString distanceText;
    int runnerCount = 0;
    int ticketsAsked = 0;

    int axisPattern = 0; // 1..4 from the engine
    std::vector<HorsePair> proposed;

    // The result pair as the file records it: first the winner (line 10 + 7N), then the second (line 11 + 7N). A line
    // holding a number shows it in plain decimal ("7" for "07"), a line holding hand-written text keeps its text; its
    // value is the number the text starts with (0 for none), which is what the hit rule compares.
    QString firstText;
    QString secondText;
    // The same pair as the lines hold it ("07", "+4", "3番"), for the record screen's list.
    QString firstLine;
    QString secondLine;
    double firstValue = 0;
    double secondValue = 0;
    // Both finishers read as horse numbers (1 or more). A race written with empty boxes holds 0 and 0, which no
    // ticket can match: it has no result, as a race never written.
    bool resultRecorded = false;
    bool hit = false;

    double stake = 0;   // yenPerTicket for each proposed ticket
    QString payoutText; // the payout line: a number in plain decimal, or its text
    QString payoutLine; // the payout line as it holds it
    double payout = 0;  // its value, whether or not the race was a hit
    double proposalPayout() const { return hit ? payout : 0; }
    double proposalProfit() const { return proposalPayout() - stake; }

    // The user's own amounts as the balance screen sums them (a line that holds no number counts 0); 0 when the
    // race was read through its results only.
    double ownStake = 0;
    double ownIncome = 0;
    // The balance screen has written amounts: the stake line is no longer empty (a fresh save leaves it empty), or
    // an income was entered.
    bool amountsRecorded = false;
    double ownDifference() const { return ownIncome - ownStake; }
    // The payout, the stake and the income are each whole yen from 0 to maxAmountYen, so that any sum of them is
    // exact. A race that holds another amount is listed and counted by the screens as it stands, but the analysis
    // leaves it out of its money figures.
    bool amountsCountable = false;

    // The engine's run for the spinner's largest count holds the proposal for every count of the spinner (the first k
    // of its tickets), so the what-if of a race needs only its ticket total and where the recorded pair is in it.
    std::uint8_t largestRunTickets = 0;
    std::int8_t resultPlaceInLargestRun = -1; // -1: not proposed
    // The tickets and the hit had k tickets been asked, k = 1..largestSpinnerCount.
    int ticketsIfAsked(int k) const { return k < largestRunTickets ? k : largestRunTickets; }
    bool hitIfAsked(int k) const { return resultPlaceInLargestRun >= 0 && resultPlaceInLargestRun < k; }

    SavedMarks marks{};
    MarkSheet markSheet() const;

    // The tipster grid kept after the income line: whether there is one and could be read, and, read, the tipsters
    // who marked a runner (fitted to the counts as a load fits them, so that every tipster mark is in the counts).
    GridBlock tipsterGrid = GridBlock::None;
    RaceTipsters tipsters;

    RankFacts ranks;
};

// The runner index (0-based) of a finisher's horse number as the result line's value holds it, or -1 when it is no
// runner of the race (0, a fraction, a number past the runners).
int finisherRunner(double value, int runners);

// The record screen's figures. The rates are absent where the screen leaves them empty: a strike rate over no race,
// a return rate over no stake.
struct RecordTotals {
    int races = 0;
    int hits = 0;
    double stake = 0;
    double payout = 0;
    // One readable race: the stake of its tickets, and its payout when one of them hit.
    void count(bool hit, double raceStake, double racePayout)
    {
        ++races;
        stake += raceStake;
        if (hit) {
            ++hits;
            payout += racePayout;
        }
    }
    int misses() const { return races - hits; }
    std::optional<double> strikeRatePercent() const;
    std::optional<double> returnRatePercent() const;
};

// The balance screen's overall result: the sums of the balance lines of every race file, unreadable ones adding 0.
struct BalanceTotals {
    double stake = 0;
    double income = 0;
    double difference() const { return income - stake; }
};

struct FolderRecord {
    std::vector<RaceOutcome> races; // catalogue order: date text, then race number
    RecordTotals record;
    BalanceTotals balance;
    // The names of the tipsters the races' grids hold, numbered as RaceTipsters numbers them.
    QStringList tipsterNames;
};

// Texts that many races of a folder hold alike (dates, race numbers, classes, courses, distances, result lines), kept
// once while the folder is read: every race holding a spelling holds the one copy of it. Safe to use from the reading
// threads at once.
class SharedTexts {
public:
    // Makes each text the copy kept of its spelling (the first met becomes it).
    void share(std::initializer_list<QString*> texts);

private:
    QMutex mutex_;
    QSet<QString> texts_;
};

// The outcome of one catalogued race, read whole (through the balance lines). names, when given, numbers the race's
// tipsters; without it the grid is not kept. texts, when given, keeps the texts that repeat across races once.
RaceOutcome outcomeOf(const CataloguedRace& item, TipsterNames* names = nullptr, SharedTexts* texts = nullptr);

// The hit rule, for the record and every replay of a race alike: one of the proposed tickets is the pair of
// finishers, whichever of the two came first. first and second are horse numbers (the values of the result lines).
bool proposesResult(const PredictionResult& prediction, double first, double second);
// The place of that ticket in the list, -1 for none.
int placeOfResult(const PredictionResult& prediction, double first, double second);

RecordTotals recordTotals(const std::vector<RaceOutcome>& races);
BalanceTotals balanceTotals(const std::vector<RaceOutcome>& races);
BalanceTotals balanceTotals(const std::vector<CatalogueEntry>& races);

// Reads every race file of the folder once and tallies it. Whole reads everything. ThroughResults reads as the record
// screen does, up to the result lines: a race whose balance lines are damaged still counts (its own amounts are 0).
FolderRecord tallyFolder(const QString& folder, ReadScope scope = ReadScope::Whole);

// The balance screen's list and overall result: every race file of the folder, catalogue order, and the sums of their
// amounts. The engine is not run.
struct FolderBalance {
    std::vector<CatalogueEntry> races;
    BalanceTotals totals;
};
FolderBalance balanceOfFolder(const QString& folder);

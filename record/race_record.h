#pragma once

#include "prediction/mark_sheet.h"
#include "racefile/catalogue.h"
#include "racefile/race_file.h"
#include "record/race_tipsters.h"

#include <QExplicitlySharedDataPointer>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
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

// The texts of the races of a tally, in blocks of UTF-16 code units, each named by a 4-byte number: a hundred
// thousand races would otherwise hold over a million strings, each with its own block of memory. The blocks are only
// added to while the folder is read (OutcomeTextsBuilder); afterwards they are read from any thread.
//
// A text's number is where it lies: region (the high 16 bits) and code unit in it, each region 2^16 units. A text
// lies whole in one block (a long one gets a block of as many regions as it takes), after its length in one unit (or
// 0xFFFF and the length in two more). Texts are never moved once the first region is full, so a table of a hundred
// thousand races grows without ever holding its texts twice; the first region grows as texts come, so that the table
// of a single race stays small.
class OutcomeTexts : public QSharedData {
public:
    using Id = std::uint32_t;
    static constexpr Id empty = 0;

    OutcomeTexts();
    OutcomeTexts(const OutcomeTexts&) = delete;
    OutcomeTexts& operator=(const OutcomeTexts&) = delete;

    QStringView text(Id id) const
    {
        const char16_t* at = regions_[id >> regionBits] + (id & (regionUnits - 1));
        if (at[0] != longText)
            return {at + 1, static_cast<qsizetype>(at[0])};
        return {at + 3, static_cast<qsizetype>(at[1] | std::uint32_t{at[2]} << 16)};
    }
    // Appends a text; every call gives a new number. Throws std::bad_alloc past 2^32 code units (8 GB of text).
    Id add(QStringView text);
    // Empties the table for another use of its memory.
    void clear();
    // Gives back the first region's room beyond its texts, once no more are added.
    void squeeze();

private:
    static constexpr int regionBits = 16;
    static constexpr std::uint64_t regionUnits = std::uint64_t{1} << regionBits;
    static constexpr char16_t longText = 0xFFFF;

    std::vector<char16_t> first_;                     // region 0, grown as texts come
    std::vector<std::unique_ptr<char16_t[]>> blocks_; // the regions after it
    std::vector<char16_t*> regions_;                  // where each region begins
    std::uint64_t next_ = 1;                          // where the next text goes (unit 0: the empty text)
    std::uint64_t end_ = regionUnits;                 // the end of the block it goes in
};

// One saved race and how it came out.
struct RaceOutcome {
    // False for a file that cannot be read as a race: it is listed, with the date, race number and name as far as
    // they could be read, but nothing else of it is known and no total counts it.
    bool readable = false;

    std::int16_t raceNumber = 0;
    std::int16_t runnerCount = 0;
    std::int16_t ticketsAsked = 0;
    std::int8_t axisPattern = 0; // 1..4 from the engine

    // Both finishers read as horse numbers (1 or more). A race written with empty boxes holds 0 and 0, which no
    // ticket can match: it has no result, as a race never written.
    bool resultRecorded = false;
    bool hit = false;
    // The values of the result lines: the number each line starts with (0 for none), which is what the hit rule
    // compares.
    double firstValue = 0;
    double secondValue = 0;

    double payout = 0; // the payout line's value, whether or not the race was a hit
    double proposalPayout() const { return hit ? payout : 0; }
    double proposalProfit() const { return proposalPayout() - stake(); }

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

    // The tipster grid kept after the income line: whether there is one and could be read, and, read, the tipsters
    // who marked a runner (fitted to the counts as a load fits them, so that every tipster mark is in the counts).
    GridBlock tipsterGrid = GridBlock::None;
    RankFacts ranks;

    // The six mark counts (0..25) of each runner, five bits each.
    std::array<std::uint32_t, maxRunners> packedMarks{};
    int markCount(int runner, int kind) const
    {
        return static_cast<int>(packedMarks[static_cast<std::size_t>(runner)] >> (5 * kind) & 31);
    }
    MarkSheet markSheet() const;

    // The texts, kept in the tally's table (texts: shared by every race of one read of a folder).
    QExplicitlySharedDataPointer<const OutcomeTexts> texts;
    struct TextIds {
        OutcomeTexts::Id fileName = 0, raceDate = 0, raceNumberText = 0, raceName = 0, gradedText = 0, courseName = 0,
                         distanceText = 0, firstText = 0, secondText = 0, firstLine = 0, secondLine = 0, payoutText = 0,
                         payoutLine = 0, proposed = 0, tipsterNames = 0, tipsterMarks = 0;
    } textIds;
    QStringView text(OutcomeTexts::Id id) const { return texts ? texts->text(id) : QStringView(); }

    QStringView fileName() const { return text(textIds.fileName); }
    QStringView raceDate() const { return text(textIds.raceDate); }             // as stored, normally "YY/MM/DD"
    QStringView raceNumberText() const { return text(textIds.raceNumberText); } // line 2, for an unreadable file
    QStringView raceName() const { return text(textIds.raceName); }
    QStringView gradedText() const { return text(textIds.gradedText); }
    QStringView courseName() const { return text(textIds.courseName); }
    QStringView distanceText() const { return text(textIds.distanceText); }
    // The result pair as the file records it: first the winner (line 10 + 7N), then the second (line 11 + 7N). A line
    // holding a number shows it in plain decimal ("7" for "07"), a line holding hand-written text keeps its text.
    QStringView firstText() const { return text(textIds.firstText); }
    QStringView secondText() const { return text(textIds.secondText); }
    // The same pair as the lines hold it ("07", "+4", "3番"), for the record screen's list.
    QStringView firstLine() const { return text(textIds.firstLine); }
    QStringView secondLine() const { return text(textIds.secondLine); }
    QStringView payoutText() const { return text(textIds.payoutText); } // a number in plain decimal, or its text
    QStringView payoutLine() const { return text(textIds.payoutLine); } // the payout line as it holds it

    // The proposed tickets (ticketsAsked of them, or what the engine gave), one code unit each in the table.
    int proposedCount() const { return static_cast<int>(text(textIds.proposed).size()); }
    HorsePair proposedTicket(int t) const
    {
        const char16_t unit = text(textIds.proposed).utf16()[t];
        return {unit >> 8, unit & 0xFF};
    }
    std::vector<HorsePair> proposed() const;
    // The tipsters who marked a runner, read from the table (none without a grid, or when the tally kept none).
    RaceTipsters tipsters() const { return {text(textIds.tipsterNames), text(textIds.tipsterMarks)}; }
    double stake() const { return proposedCount() * yenPerTicket; } // every proposed ticket bought for 100 yen
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

// Builds a tally's text table from the reading threads at once. Texts that many races of a folder hold alike
// (dates, race numbers, classes, courses, distances, result lines) are kept once: every race holding a spelling holds
// the one copy of it.
class OutcomeTextsBuilder {
public:
    // findRepeats false: every text is added as it comes (the table of a single race).
    explicit OutcomeTextsBuilder(bool findRepeats = true) : findRepeats_(findRepeats) {}
    // Adds to a table given (emptied first).
    OutcomeTextsBuilder(QExplicitlySharedDataPointer<OutcomeTexts> table, bool findRepeats);
    // Puts the texts of a race in the table: each shared one found or added, the others added.
    struct Entry {
        OutcomeTexts::Id* id;
        QStringView text;
        const QString* shared; // the text as a QString when it is one that repeats, else null
    };
    void keep(RaceOutcome& race, std::initializer_list<Entry> entries);
    OutcomeTexts::Id keepOne(RaceOutcome& race, QStringView text);
    // Once every race is in: the table keeps only the room its texts take, and the list of repeats goes.
    void finish();

private:
    QMutex mutex_;
    QExplicitlySharedDataPointer<OutcomeTexts> table_{new OutcomeTexts};
    QHash<QString, OutcomeTexts::Id> shared_;
    bool findRepeats_;
};

// The outcome of one catalogued race, read whole (through the balance lines). names, when given, numbers the race's
// tipsters; without it the grid is not kept. texts, when given, is the table of the folder's races; without it the race
// gets a table of its own.
RaceOutcome outcomeOf(const CataloguedRace& item, TipsterNames* names = nullptr, OutcomeTextsBuilder* texts = nullptr);

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

#pragma once

#include "prediction/mark_sheet.h"
#include "racefile/tipster_block.h"

#include <QStringView>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The texts of a folder's races, each distinct text once: a race holds numbers, and the ten courses, the few classes
// and the dates a folder repeats are held once, not once a race. Text n is units[starts[n] .. starts[n + 1]); text 0
// is the empty text.
class FolderTexts {
public:
    using Number = std::uint32_t;
    static constexpr Number empty = 0;

    QStringView text(Number n) const
    {
        return {units_.data() + starts_[n], static_cast<qsizetype>(starts_[n + 1] - starts_[n])};
    }
    // Appends a text under a new number (the empty text is always number 0). Throws std::bad_alloc past 2^32 code
    // units.
    Number add(QStringView text);
    std::size_t size() const { return starts_.size() - 1; }
    // Gives back the room beyond the texts, once no more are added.
    void squeeze();

private:
    std::vector<char16_t> units_;
    std::vector<std::uint32_t> starts_{0, 0};
};

// How a race came out on one count of tickets: where the recorded finishers stood in the program's rankings, as the
// prediction result shows them. The rankings and grades come before the tickets, so they are the same for every
// ticket count.
struct RankFacts {
    bool marked = false; // any mark at all: a race without one has no ranking to speak of
    // The 0-based place of the winner [0] and of the second [1] in the favourite and the quinella order; -1 when the
    // finisher is no runner (and for the second, when it is the winner's number again).
    std::int8_t favPlace[2] = {-1, -1};
    std::int8_t quinellaPlace[2] = {-1, -1};
    // The grades the result screen shows beside the leading runners: favTop, favTopTwo, quinellaTop, quinellaTopTwo.
    char grades[4] = {'C', 'C', 'C', 'C'};
};

// The mark counts of a race, by runner and kind (0..25 each).
using MarkCounts = std::array<std::array<std::uint8_t, markKindCount>, maxRunners>;
// A tipster's marks in a race as the grid holds them: the kind (0..5) given to each runner, or -1 for none.
using TipsterMarks = std::array<std::int8_t, maxRunners>;

// The texts a race holds, each a column of text numbers.
enum class RaceText {
    FileName,
    RaceDate,       // as stored, normally "YY/MM/DD"
    RaceNumberText, // line 2, for an unreadable file
    RaceName,
    GradedText,
    CourseName,
    DistanceText,
    FirstText, // the result lines as shown: a number in plain decimal ("7" for "07"), or the text
    SecondText,
    FirstLine, // the result lines as they hold it ("07", "+4", "3番")
    SecondLine,
    PayoutText, // a number in plain decimal, or its text
    PayoutLine, // the payout line as it holds it
};
inline constexpr int raceTextCount = 13;

// The races of one folder as the tally reads them, read-only once made: one array per field, race i at index i in
// every array (catalogue order). Numbers are kept as the integer types they are; texts are numbers into the folder's
// texts; the proposed tickets and the tipsters' marks of every race lie in one array each, a race's part of it found by
// its start and count. Adding a field is adding an array here and a line in forEachRaceColumn.
struct RaceTable {
    // False for a file that cannot be read as a race: it is listed, with the date, race number and name as far as
    // they could be read, but nothing else of it is known and no total counts it.
    std::vector<std::uint8_t> readable; // bytes, not vector<bool>: the reading threads fill races side by side
    std::vector<std::int16_t> raceNumber;
    std::vector<std::int16_t> runnerCount;
    std::vector<std::int16_t> ticketsAsked;
    std::vector<std::int8_t> axisPattern; // 1..4 from the engine
    // Both finishers read as horse numbers (1 or more).
    std::vector<std::uint8_t> resultRecorded;
    std::vector<std::uint8_t> hit;
    // The values of the result lines and the payout line (0 for none).
    std::vector<double> firstValue;
    std::vector<double> secondValue;
    std::vector<double> payout;
    // The user's own amounts as the balance screen sums them.
    std::vector<double> ownStake;
    std::vector<double> ownIncome;
    std::vector<std::uint8_t> amountsRecorded;
    std::vector<std::uint8_t> amountsCountable;
    // The engine's run for the spinner's largest count: its ticket total and the place of the recorded pair in it.
    std::vector<std::uint8_t> largestRunTickets;
    std::vector<std::int8_t> resultPlaceInLargestRun; // -1: not proposed
    std::vector<GridBlock> tipsterGrid;
    std::vector<RankFacts> ranks;
    std::vector<MarkCounts> markCounts;
    std::array<std::vector<FolderTexts::Number>, raceTextCount> textOf;
    // The race's proposed tickets: proposedCount pairs from ticketStart in tickets.
    std::vector<std::uint32_t> ticketStart;
    std::vector<std::uint8_t> proposedCount;
    // The race's tipsters who marked a runner, in column order: tipsterCount entries from tipsterStart in
    // tipsterName and tipsterMarks.
    std::vector<std::uint32_t> tipsterStart;
    std::vector<std::uint8_t> tipsterCount;

    // Shared by the races.
    FolderTexts texts;
    std::vector<std::array<std::uint8_t, 2>> tickets; // horse numbers, lower first as the engine lists them
    std::vector<std::uint32_t> tipsterName;           // the tipster's name number in the folder's names
    std::vector<TipsterMarks> tipsterMarks;

    std::size_t size() const { return readable.size(); }
    bool empty() const { return readable.empty(); }
    QStringView text(RaceText field, std::size_t race) const
    {
        return texts.text(textOf[static_cast<std::size_t>(field)][race]);
    }

    // Every per-race array, for what is done to all of them alike.
    template <typename F>
    void forEachRaceColumn(F f)
    {
        f(readable), f(raceNumber), f(runnerCount), f(ticketsAsked), f(axisPattern), f(resultRecorded), f(hit);
        f(firstValue), f(secondValue), f(payout), f(ownStake), f(ownIncome), f(amountsRecorded), f(amountsCountable);
        f(largestRunTickets), f(resultPlaceInLargestRun), f(tipsterGrid), f(ranks), f(markCounts);
        for (auto& column : textOf)
            f(column);
        f(ticketStart), f(proposedCount), f(tipsterStart), f(tipsterCount);
    }
};

// The tipsters of one race who marked a runner, in column order, as the table keeps them: the one reader of a race's
// tipster marks. Every mark it gives is a kind 0..5 on a runner of the race.
class RaceTipsters {
public:
    RaceTipsters() = default;
    RaceTipsters(const RaceTable& table, std::size_t race)
        : names_(table.tipsterName.data() + table.tipsterStart[race], table.tipsterCount[race]),
          marks_(table.tipsterMarks.data() + table.tipsterStart[race], table.tipsterCount[race]),
          runners_(table.runnerCount[race])
    {
    }

    bool empty() const { return names_.empty(); }
    int size() const { return static_cast<int>(names_.size()); }
    // The name number of column c (in the folder's tipster names).
    int name(int c) const { return static_cast<int>(names_[static_cast<std::size_t>(c)]); }
    // The marks of column c: f(runner, kind) for each runner it marked, in runner order.
    template <typename F>
    void forEachMark(int c, F f) const
    {
        const TipsterMarks& marks = marks_[static_cast<std::size_t>(c)];
        for (int r = 0; r < runners_; ++r) {
            if (marks[static_cast<std::size_t>(r)] >= 0)
                f(r, static_cast<int>(marks[static_cast<std::size_t>(r)]));
        }
    }

private:
    std::span<const std::uint32_t> names_;
    std::span<const TipsterMarks> marks_;
    int runners_ = 0;
};

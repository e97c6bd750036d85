#pragma once

#include "prediction/mark_sheet.h"
#include "racefile/catalogue.h"
#include "racefile/race_file.h"
#include "record/race_table.h"
#include "record/race_tipsters.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
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

// One race of a tally, read through the table's arrays (a view: the table must outlive it).
class RaceOutcome {
public:
    RaceOutcome(const RaceTable& table, std::size_t race) : t_(&table), i_(race) {}
    std::size_t index() const { return i_; }

    // False for a file that cannot be read as a race: it is listed, with the date, race number and name as far as
    // they could be read, but nothing else of it is known and no total counts it.
    bool readable() const { return t_->readable[i_] != 0; }

    std::int16_t raceNumber() const { return t_->raceNumber[i_]; }
    std::int16_t runnerCount() const { return t_->runnerCount[i_]; }
    std::int16_t ticketsAsked() const { return t_->ticketsAsked[i_]; }
    std::int8_t axisPattern() const { return t_->axisPattern[i_]; } // 1..4 from the engine

    // Both finishers read as horse numbers (1 or more). A race written with empty boxes holds 0 and 0, which no
    // ticket can match: it has no result, as a race never written.
    bool resultRecorded() const { return t_->resultRecorded[i_] != 0; }
    bool hit() const { return t_->hit[i_] != 0; }
    // The values of the result lines: the number each line starts with (0 for none), which is what the hit rule
    // compares.
    double firstValue() const { return t_->firstValue[i_]; }
    double secondValue() const { return t_->secondValue[i_]; }

    double payout() const { return t_->payout[i_]; } // the payout line's value, whether or not the race was a hit
    double proposalPayout() const { return hit() ? payout() : 0; }
    double proposalProfit() const { return proposalPayout() - stake(); }

    // The user's own amounts as the balance screen sums them (a line that holds no number counts 0); 0 when the
    // race was read through its results only.
    double ownStake() const { return t_->ownStake[i_]; }
    double ownIncome() const { return t_->ownIncome[i_]; }
    // The balance screen has written amounts: the stake line is no longer empty (a fresh save leaves it empty), or
    // an income was entered.
    bool amountsRecorded() const { return t_->amountsRecorded[i_] != 0; }
    double ownDifference() const { return ownIncome() - ownStake(); }
    // The payout, the stake and the income are each whole yen from 0 to maxAmountYen, so that any sum of them is
    // exact. A race that holds another amount is listed and counted by the screens as it stands, but the analysis
    // leaves it out of its money figures.
    bool amountsCountable() const { return t_->amountsCountable[i_] != 0; }

    // The engine's run for the spinner's largest count holds the proposal for every count of the spinner (the first k
    // of its tickets), so the what-if of a race needs only its ticket total and where the recorded pair is in it.
    int largestRunTickets() const { return t_->largestRunTickets[i_]; }
    int resultPlaceInLargestRun() const { return t_->resultPlaceInLargestRun[i_]; } // -1: not proposed
    // The tickets and the hit had k tickets been asked, k = 1..largestSpinnerCount.
    int ticketsIfAsked(int k) const { return k < largestRunTickets() ? k : largestRunTickets(); }
    bool hitIfAsked(int k) const { return resultPlaceInLargestRun() >= 0 && resultPlaceInLargestRun() < k; }

    // The tipster grid kept after the income line: whether there is one and could be read, and, read, the tipsters
    // who marked a runner (fitted to the counts as a load fits them, so that every tipster mark is in the counts).
    GridBlock tipsterGrid() const { return t_->tipsterGrid[i_]; }
    const RankFacts& ranks() const { return t_->ranks[i_]; }

    int markCount(int runner, int kind) const
    {
        return t_->markCounts[i_][static_cast<std::size_t>(runner)][static_cast<std::size_t>(kind)];
    }
    MarkSheet markSheet() const;

    QStringView text(RaceText field) const { return t_->text(field, i_); }
    QStringView fileName() const { return text(RaceText::FileName); }
    QStringView raceDate() const { return text(RaceText::RaceDate); }             // as stored, normally "YY/MM/DD"
    QStringView raceNumberText() const { return text(RaceText::RaceNumberText); } // line 2, for an unreadable file
    QStringView raceName() const { return text(RaceText::RaceName); }
    QStringView gradedText() const { return text(RaceText::GradedText); }
    QStringView courseName() const { return text(RaceText::CourseName); }
    QStringView distanceText() const { return text(RaceText::DistanceText); }
    // The result pair as the file records it: first the winner (line 10 + 7N), then the second (line 11 + 7N). A line
    // holding a number shows it in plain decimal ("7" for "07"), a line holding hand-written text keeps its text.
    QStringView firstText() const { return text(RaceText::FirstText); }
    QStringView secondText() const { return text(RaceText::SecondText); }
    // The same pair as the lines hold it ("07", "+4", "3番"), for the record screen's list.
    QStringView firstLine() const { return text(RaceText::FirstLine); }
    QStringView secondLine() const { return text(RaceText::SecondLine); }
    QStringView payoutText() const { return text(RaceText::PayoutText); } // a number in plain decimal, or its text
    QStringView payoutLine() const { return text(RaceText::PayoutLine); } // the payout line as it holds it

    // The proposed tickets (ticketsAsked of them, or what the engine gave).
    int proposedCount() const { return t_->proposedCount[i_]; }
    HorsePair proposedTicket(int t) const
    {
        const std::array<std::uint8_t, 2>& ticket = t_->tickets[t_->ticketStart[i_] + static_cast<std::size_t>(t)];
        return {ticket[0], ticket[1]};
    }
    std::vector<HorsePair> proposed() const;
    // The tipsters who marked a runner (none without a grid, or when the tally kept none).
    RaceTipsters tipsters() const { return {*t_, i_}; }
    double stake() const { return proposedCount() * yenPerTicket; } // every proposed ticket bought for 100 yen

private:
    const RaceTable* t_;
    std::size_t i_;
};

// The races of a tally: the table, and each race read through it as a RaceOutcome.
class RaceList : public RaceTable {
public:
    RaceOutcome operator[](std::size_t race) const { return {*this, race}; }
    RaceOutcome at(std::size_t race) const;
    RaceOutcome back() const { return {*this, size() - 1}; }

    class const_iterator {
    public:
        using value_type = RaceOutcome;
        using difference_type = std::ptrdiff_t;
        const_iterator(const RaceTable* table, std::size_t race) : table_(table), race_(race) {}
        RaceOutcome operator*() const { return {*table_, race_}; }
        const_iterator& operator++()
        {
            ++race_;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return race_ == other.race_; }

    private:
        const RaceTable* table_;
        std::size_t race_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }
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
    RaceList races; // catalogue order: date text, then race number
    RecordTotals record;
    BalanceTotals balance;
    // The names of the tipsters the races' grids hold, numbered as RaceTipsters numbers them.
    QStringList tipsterNames;
};

// The hit rule, for the record and every replay of a race alike: one of the proposed tickets is the pair of
// finishers, whichever of the two came first. first and second are horse numbers (the values of the result lines).
bool proposesResult(const PredictionResult& prediction, double first, double second);
// The place of that ticket in the list, -1 for none.
int placeOfResult(const PredictionResult& prediction, double first, double second);

RecordTotals recordTotals(const RaceList& races);
BalanceTotals balanceTotals(const RaceList& races);
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

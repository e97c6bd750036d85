#pragma once

#include "analysis/tipster_data.h"
#include "prediction/prediction.h"
#include "record/race_record.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

// What the analysis knows of a folder once it has been read: every race's outcome and the facts the filters, tables
// and charts group by, worked out once so that a change of filter only has to pick and add.

enum class GradeClass { G1, G2, G3, Jpn1, Jpn2, Jpn3, Other };
inline constexpr int gradeClassCount = 7;

// The class of a graded-class text as typed: the pick list's "ＧⅠ" and the typed "G1", "GI", "Ｇ１" and "G 1" alike,
// "ＪｐｎⅠ", "JpnII", "Jpn3", "ＪＰＮ３" likewise (compared after width folding, without blanks, letter case
// ignored); any other text, an empty one too, is その他.
GradeClass gradeClassOf(const QString& gradedText);
QString gradeClassName(GradeClass grade);

// The racecourse a course text names: "東京競馬場" (the pick list) and "東京" (typed) are the same course, so the
// word 競馬場 at the end is dropped; widths are folded and blanks removed. Empty for no course.
QString courseKeyOf(const QString& courseName);

// The ways the races are broken down, in the order the screen shows them.
enum class Breakdown { Year, Month, Course, Grade, Distance, Runners, Axis, Asked, Proposed };
inline constexpr int breakdownCount = 9;
QString breakdownObjectName(Breakdown breakdown); // "breakdown.year" …
QString breakdownKeyTitle(Breakdown breakdown);   // the heading of the key column: 年, 月, 競馬場 …

// The row of each race in one breakdown (-1: none), in as few bytes a race as the breakdown's rows need: most
// breakdowns have a few dozen rows, and the analysis keeps nine of these for every race of the folder.
class RaceRows {
public:
    // races rows of -1, for rows 0..rows-1.
    void assign(std::size_t races, int rows);
    std::size_t size() const { return bytes_.size() / width_; }
    int operator[](std::size_t race) const
    {
        const std::uint8_t* at = bytes_.data() + race * width_;
        std::uint32_t stored = at[0];
        for (std::size_t b = 1; b < width_; ++b)
            stored |= std::uint32_t{at[b]} << (8 * b);
        return static_cast<int>(stored) - 1;
    }
    void set(std::size_t race, int row)
    {
        const auto stored = static_cast<std::uint32_t>(row + 1);
        for (std::size_t b = 0; b < width_; ++b)
            bytes_[race * width_ + b] = static_cast<std::uint8_t>(stored >> (8 * b));
    }

private:
    std::size_t width_ = 1;
    std::vector<std::uint8_t> bytes_;
};

// The rows a breakdown can have, in their order, and which row each race falls in.
struct BreakdownKeys {
    QStringList labels; // "1999年", "1月", "東京", "ＧⅠ", "1600m", "8頭以下", "1本軸", "4点"; 日付不明 last
    std::vector<double> values; // what a row sorts by
    RaceRows rowOfRace;         // per race; -1 for an unreadable file
};

// The outcome of the engine had the race been asked for k tickets, k = 1..12.
inline constexpr int whatIfCounts = largestSpinnerCount;
struct WhatIfCell {
    std::uint8_t tickets = 0;
    bool hit = false;
};

// (A race's course is keys(Breakdown::Course).rowOfRace, a row of courseKeys().)
struct AnalysedRace {
    QDate date; // invalid when the stored text is not a date (日付不明)
    GradeClass grade = GradeClass::Other;
    int distanceMetres = 0; // the number the distance text starts with, 0 for none
};

// The two series the analysis shows side by side.
enum class Series { Proposals, Own };

// What one race put in and got back in a series, in whole yen: the proposals' 100 yen per ticket and payout on a hit,
// or the user's own stake and income. Only for races whose amounts can be counted (the filter leaves the others out).
std::int64_t stakeIn(Series series, const RaceOutcome& race);
std::int64_t returnIn(Series series, const RaceOutcome& race);

// When the tipsters' replays (an engine run with and without each tipster of each race) are worked out: at once,
// or by the caller with fillReplays, so that a screen can show the rest of the analysis meanwhile.
enum class ReplayFill { Now, Later };

class AnalysisData {
public:
    explicit AnalysisData(FolderRecord record, ReplayFill fill = ReplayFill::Now);

    const FolderRecord& record() const { return record_; }
    int raceCount() const { return static_cast<int>(record_.races.size()); }
    RaceOutcome outcome(int race) const { return record_.races[static_cast<std::size_t>(race)]; }
    const RaceList& races() const { return record_.races; }
    const AnalysedRace& facts(int race) const { return facts_[static_cast<std::size_t>(race)]; }
    // stakeIn and returnIn of every race, worked out once and kept side by side: every figure, breakdown and chart of
    // a filter reads them, and reading them from the outcomes would walk through far more memory.
    std::int64_t stake(Series series, int race) const
    {
        const auto i = static_cast<std::size_t>(race);
        return series == Series::Proposals ? std::int64_t{record_.races.proposedCount[i]} * ticketYen : ownStake_[i];
    }
    std::int64_t returned(Series series, int race) const
    {
        const auto i = static_cast<std::size_t>(race);
        return series == Series::Proposals ? proposalReturn_[i] : ownReturn_[i];
    }
    // A hit in the series: the proposals' recorded pair was proposed; the user's race had an income.
    bool hitIn(Series series, int race) const
    {
        return series == Series::Proposals ? record_.races.hit[static_cast<std::size_t>(race)] != 0
                                           : returned(series, race) > 0;
    }

    // Readable races in time order: by date, then race number, then catalogue order; races without a readable date
    // follow in catalogue order.
    const std::vector<int>& timeOrder() const { return timeOrder_; }
    // The place of each race in timeOrder (-1 for an unreadable file).
    int timeRank(int race) const { return timeRank_[static_cast<std::size_t>(race)]; }

    // Whether any race of the folder has its result recorded.
    bool anyResult() const { return anyResult_; }

    const BreakdownKeys& keys(Breakdown breakdown) const { return keys_[static_cast<std::size_t>(breakdown)]; }

    // The folder's tipsters, and each race's tipsters with the engine's proposals with and without them (for the races
    // with a result; none for the others).
    const TipsterList& tipsters() const { return tipsters_; }
    std::span<const TipsterReplay> replays(int race) const
    {
        const auto i = static_cast<std::size_t>(race);
        return {replays_.data() + replayStart_[i], replays_.data() + replayStart_[i + 1]};
    }

    // Fills the replays of every parts-th race from race part on (each race's slots are its own, so parts can be
    // filled on as many threads at once); stops early when stop is set. With ReplayFill::Later, replays() and
    // tipsters' figures must not be read until every part is filled.
    void fillReplays(std::size_t part, std::size_t parts, const std::atomic<bool>& stop);

    // Choices for the filters: the years and the courses that occur, in order.
    std::vector<int> years() const;
    const QStringList& courseKeys() const { return courseKeys_; } // as courseKeyOf gives them, "" for none

private:
    // Works out the replays of race i into its slots.
    void replayRace(std::size_t i);

    static constexpr std::int64_t ticketYen = static_cast<std::int64_t>(yenPerTicket);

    FolderRecord record_;
    std::vector<AnalysedRace> facts_;
    // The amounts of each race in whole yen (0 for a race the money figures leave out).
    std::vector<std::int64_t> proposalReturn_;
    std::vector<std::int64_t> ownStake_;
    std::vector<std::int64_t> ownReturn_;
    std::vector<int> timeOrder_;
    std::vector<int> timeRank_;
    std::array<BreakdownKeys, breakdownCount> keys_;
    QStringList courseKeys_;
    TipsterList tipsters_;
    std::vector<TipsterReplay> replays_;
    std::vector<std::uint32_t> replayStart_; // per race and one past the last: where its replays begin
    bool anyResult_ = false;
};

// The k-ticket outcome of one race: for k = 1..whatIfCounts cut from the tally's one run, for any other count the
// engine run again on the race's saved marks.
WhatIfCell whatIfOutcome(const RaceOutcome& race, int tickets);

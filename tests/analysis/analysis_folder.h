#pragma once

#include "race_folder.h"

#include "analysis/analysis.h"
#include "analysis/model_roles.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>

#include <memory>

// The tipsters of the hand-computed races, each one mark a runner within the worked example's counts (what the counts
// hold beyond them are marks without a tipster):
//   A  ◎1 ○2 ▲3 △4 ×5 ★6      B  ◎2 ○4 △3 ▲5 ★7      C  ◎3 ○4 △6 ▲7
// A and B mark every race but R3, which has no grid; C marks R1, R5 and R6 only. Over the counted races (a result and
// a grid: R1 R2 R4 R6 R7; finishers 4-1, 5-6, 6-8, 3-4, 1-4):
//   A  ◎ 5: 1着 1 (R7) 2着 1 (R1); ○ 5: none; ▲ 5: 1着 1; △ 5: 1着 1 2着 2; × 5: 1着 1; ★ 5: 1着 1 2着 1.
//      ◎–○ 1-2 in 5 races, no hit. Recorded 3 hits (R1 R6 R7), 1,400 yen, 3,200 back; only A 14 tickets, no hit;
//      without A the same proposals as recorded: adds nothing.
//   B  ◎ 5: none; ○ 5: 1着 1 2着 2; △ 5: 1着 1; ▲ 5: 1着 1; ★ 5: none. ◎–○ 2-4 in 5 races, no hit. Only B 14 tickets,
//      no hit; without B 1 hit (R1: 1-2 1-4), 1,400 yen, 500 back: B made R6 and R7 hits, adds 228.6 - 35.7 points.
//   C  ◎ 2: 1着 1 (R6); ○ 2: 1着 1 2着 1; △ ▲ 2: none. ◎–○ 3-4 in 2 races, R6 a hit (2,000 yen). Recorded 2 hits,
//      500 yen, 2,500 back; only C R6 (3-4 3-6 3-7), 500 yen, 2,000 back; without C R1 only (1-2 1-4), 500 back:
//      C made R6 a hit, adds 500.0 - 100.0 points.
inline TipsterGrid handComputedTipsters(bool withC)
{
    TipsterGrid grid;
    grid.columns.push_back(tipsterColumn(QStringLiteral("A"), QStringLiteral("◎○▲△×★・・")));
    grid.columns.push_back(tipsterColumn(QStringLiteral("B"), QStringLiteral("・◎△○▲・★・")));
    if (withC)
        grid.columns.push_back(tipsterColumn(QStringLiteral("C"), QStringLiteral("・・◎○・△▲・")));
    return grid;
}

// The hand-computed folder of the analysis tests. Every race is the engine's worked example, which proposes
// 1-4 2-4 3-4 1-2 1-5 1-3 2-3 2-5 2-6 2-7 in that order (k tickets: the first k, ten at most).
//
//      date       no course grade asked result payout  proposals       own stake/income
// R1   99/12/26    1 東京   ＧⅠ   2     4-1    500     hit   +300      1000 / 2500
// R2   99/12/26    2 中山   ＧⅡ   4     5-6    3000    miss  -400      2000 / 0
// R3   00/01/05    3 中山   —     4     7-8    5000    miss  -400      1000 / 0
// R4   00/01/05    4 東京   ＧⅢ   4     6-8    800     miss  -400       500 / 0
// R5   00/02/10    5 東京   ＧⅠ   4     none           (no result)     1000 / 4000
// R6   00/02/11    6 京都   ＧⅠ   3     3-4    2000    hit   +1700     (no amounts)
// R7   日付なし     7 東京   ＧⅠ   1     1-4    700     hit   +600       100 / 700
// The classes are typed ＧⅠ, ＧⅡ, (none), G3, Ｇ１, GI and "G 1"; results as the finishers came in.
// and one file that cannot be read.
//
// Proposals (R5 left out): 6 races, 3 hits, stake 1800, payout 3200; dated in time order the profits run
// +300 -400 -400 -400 +1700: longest losing streak 3, cumulative 300 -100 -500 -900 800, drawdown 1200.
// Own (R6 left out): 6 races, stake 5600, income 7200; dated +1500 -2000 -1000 -500 +3000: streak 3, drawdown 3500.
inline std::vector<TestRace> handComputedRaces()
{
    auto race = [](const char* date, int number, const char* course, const char* grade, int asked, TailValue first,
                   TailValue second, TailValue payout, TailValue stake, TailValue income) {
        TestRace entry;
        entry.date = QString::fromUtf8(date);
        entry.number = number;
        entry.course = QString::fromUtf8(course);
        entry.grade = QString::fromUtf8(grade);
        entry.asked = asked;
        entry.first = first;
        entry.second = second;
        entry.payout = payout;
        entry.stake = stake;
        entry.income = income;
        return entry;
    };
    std::vector<TestRace> races = {
        race("99/12/26", 1, "東京競馬場", "ＧⅠ", 2, num(4), num(1), num(500), num(1000), num(2500)),
        race("99/12/26", 2, "中山", "ＧⅡ", 4, num(5), num(6), num(3000), num(2000), num(0)),
        race("00/01/05", 3, "中山競馬場", "", 4, num(7), num(8), num(5000), num(1000), num(0)),
        race("00/01/05", 4, "東京", "G3", 4, num(6), num(8), num(800), num(500), num(0)),
        race("00/02/10", 5, "東京", "Ｇ１", 4, none, none, none, num(1000), num(4000)),
        race("00/02/11", 6, "京都競馬場", "GI", 3, num(3), num(4), num(2000), none, num(0)),
        race("日付なし", 7, "東京", "G 1", 1, num(1), num(4), num(700), num(100), num(700)),
    };
    for (std::size_t i = 0; i < races.size(); ++i) {
        if (i != 2)
            races[i].tipsters = handComputedTipsters(i == 0 || i == 4 || i == 5);
    }
    return races;
}

// The hand-computed races before their results came in: none has one, or only R1 (its hit, 4-1).
inline std::vector<TestRace> firstSeasonRaces(bool withR1Result)
{
    std::vector<TestRace> races = handComputedRaces();
    for (std::size_t i = withR1Result ? 1 : 0; i < races.size(); ++i)
        races[i].first = races[i].second = races[i].payout = none;
    return races;
}

// A folder written for one test, and the analysis of it.
struct AnalysedFolder {
    QTemporaryDir dir;
    std::unique_ptr<Analysis> analysis;

    explicit AnalysedFolder(const std::vector<TestRace>& races, bool withUnreadable = false)
    {
        if (!writeRaces(dir.path(), races) || (withUnreadable && !writeUnreadableRace(dir.filePath("zz.tkr"))))
            qFatal("cannot write the test folder");
        reanalyse();
    }
    // Reads the folder again, after a test changed its files.
    void reanalyse()
    {
        analysis = std::make_unique<Analysis>(tallyFolder(dir.path()));
        testModels(*analysis);
        analysis->waitForIntervals();
    }
    // Every model of an analysis under Qt's model tester, through whatever the test does to it (filters, sorts,
    // searches, the intervals coming in).
    static void testModels(Analysis& analysis)
    {
        for (QAbstractItemModel* model : analysis.findChildren<QAbstractItemModel*>())
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
    }
    Analysis* operator->() { return analysis.get(); }
};

// The rows of a race table (source or view), top to bottom, named by race number: "R1" … "R7".
inline QStringList raceRows(const QAbstractItemModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows.append(u'R' + model.index(row, RaceTableModel::Number).data(AnalysisRole::Csv).toString());
    return rows;
}

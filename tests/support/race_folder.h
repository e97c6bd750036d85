#pragma once

#include "racefile/race_file.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <array>
#include <vector>

// Race folders for the tests of the record tally and the analysis, written through the race-file library.

// The engine's worked example: eight runners whose marks make it propose, in this order,
// 1-4 2-4 3-4 1-2 1-5 1-3 2-3 2-5 2-6 2-7 (axis pattern 3; ten tickets at most).
inline RaceState exampleRace(int ticketsAsked)
{
    static const int marks[8][6] = {{2, 1, 0, 0, 0, 0}, {1, 2, 1, 0, 0, 0}, {1, 0, 2, 1, 0, 0}, {0, 2, 1, 1, 0, 0},
                                    {0, 1, 0, 1, 1, 0}, {0, 0, 1, 0, 1, 1}, {0, 0, 0, 1, 0, 1}, {0, 0, 0, 0, 0, 0}};
    RaceState race;
    race.raceDate = QStringLiteral("99/05/16");
    race.raceNumber = 11;
    race.raceName = QStringLiteral("例題");
    race.gradedText = QStringLiteral("ＧⅠ");
    race.courseName = QStringLiteral("東京競馬場");
    race.distanceText = QStringLiteral("1600m");
    race.runnerCount = 8;
    race.ticketCount = static_cast<std::int16_t>(ticketsAsked);
    for (int r = 0; r < 8; ++r) {
        race.runnerNames[static_cast<std::size_t>(r)] = QStringLiteral("ウマ%1").arg(r + 1);
        for (int k = 0; k < 6; ++k)
            race.markSheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] =
                static_cast<std::int16_t>(marks[r][k]);
    }
    return race;
}

// Tail values in short: a number, a text, or nothing.
inline TailValue num(double value) { return TailValue::ofNumber(value); }
inline TailValue txt(const QString& value) { return TailValue::ofText(value); }
inline const TailValue none = TailValue::unset();

// One race of a test folder: the worked example with its header and tail changed.
struct TestRace {
    QString date = QStringLiteral("99/05/16");
    int number = 11;
    int asked = 4;
    TailValue first = none;
    TailValue second = none;
    TailValue payout = none;
    TailValue stake = none;
    TailValue income = num(0);
    QString course = QStringLiteral("東京競馬場");
    QString grade = QStringLiteral("ＧⅠ");
    QString name = QStringLiteral("例題");
    QString distance = QStringLiteral("1600m");
    bool marked = true; // false: no marks at all, so the engine proposes nothing
    // When given, the race has these runners and marks (◎ ○ △ ▲ × ★ per runner) instead of the example's.
    std::vector<std::array<int, 6>> marks = {};
    // The tipsters' columns kept after the income line; their marks must be within the counts.
    TipsterGrid tipsters = {};
};

// A tipster's column from one character a runner, horse 1 first: ◎ ○ △ ▲ × ★, or ・ for none.
inline TipsterColumn tipsterColumn(const QString& name, const QString& marks)
{
    TipsterColumn column(name);
    for (qsizetype r = 0; r < marks.size() && r < maxRunners; ++r) {
        for (int kind = 0; kind < markKindCount; ++kind) {
            if (markSymbol(kind) == marks[r])
                column.marks[static_cast<std::size_t>(r)] = static_cast<std::int8_t>(kind);
        }
    }
    return column;
}

inline RaceState raceOf(const TestRace& entry)
{
    RaceState race = exampleRace(entry.asked);
    race.raceDate = entry.date;
    race.raceNumber = static_cast<std::int16_t>(entry.number);
    race.courseName = entry.course;
    race.gradedText = entry.grade;
    race.raceName = entry.name;
    race.distanceText = entry.distance;
    if (!entry.marked || !entry.marks.empty())
        race.markSheet = {};
    race.tipsters = entry.tipsters;
    if (!entry.marks.empty()) {
        race.runnerCount = static_cast<std::int16_t>(entry.marks.size());
        for (std::size_t r = 0; r < entry.marks.size(); ++r) {
            race.runnerNames[r] = QStringLiteral("ウマ%1").arg(r + 1);
            for (std::size_t k = 0; k < 6; ++k)
                race.markSheet[r][k] = static_cast<std::int16_t>(entry.marks[r][k]);
        }
    }
    return race;
}

// Writes the races as r00.tkr, r01.tkr … into folder; false (and a test failure) when one cannot be written.
inline bool writeRaces(const QString& folder, const std::vector<TestRace>& races)
{
    for (std::size_t i = 0; i < races.size(); ++i) {
        const TestRace& entry = races[i];
        const FileResult written =
            writeRaceFile(QDir(folder).filePath(QStringLiteral("r%1.tkr").arg(i, 2, 10, QLatin1Char('0'))),
                          raceOf(entry), {entry.first, entry.second, entry.payout, entry.stake, entry.income});
        if (!written.ok) {
            qWarning() << written.error;
            return false;
        }
    }
    return true;
}

// A file the catalogue lists but cannot read as a race (its runner count is not a number).
inline bool writeUnreadableRace(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly)
           && file.write("99/05/17\r\n 3 \r\nbroken\r\n\r\n\r\n\r\n 4 \r\nmany\r\n") > 0;
}

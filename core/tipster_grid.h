#pragma once

#include "prediction/mark_sheet.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

struct RaceState;

// The marks of each tipster (予想家) of a race: one column per tipster, at most one mark per runner.
//
// The mark sheet's counts stay the one truth the engine reads: every tipster mark is also counted there, and what the
// counts hold beyond the tipsters' marks are marks given without a tipster (on the mark sheet itself, or by another
// program). So a count is never below the tipsters' sum for the same runner and kind, and the functions below keep it
// so: each change of a tipster mark changes the count with it.

inline constexpr int maxTipsters = 16;
inline constexpr std::int8_t noMark = -1;

struct TipsterColumn {
    QString name;
    // marks[r]: the MarkKind (0..5) this tipster gave runner r, or noMark.
    std::array<std::int8_t, maxRunners> marks;

    TipsterColumn() { marks.fill(noMark); }
    explicit TipsterColumn(QString tipster) : name(std::move(tipster)) { marks.fill(noMark); }
    bool operator==(const TipsterColumn&) const = default;
};

struct TipsterGrid {
    std::vector<TipsterColumn> columns;
    bool empty() const { return columns.empty(); }
    bool operator==(const TipsterGrid&) const = default;
};

// How many tipsters gave runner r a mark of kind k.
int tipsterMarks(const TipsterGrid& grid, int runner, int kind);
// The marks of kind k that runner r holds without a tipster: the count beyond the tipsters' marks.
int marksWithoutTipster(const RaceState& race, int runner, int kind);
// All marks of runner r, of every kind.
int runnerMarkTotal(const RaceState& race, int runner);

enum class MarkChange {
    Done,
    Unchanged, // the cell already held that
    Full,      // the runner holds 25 marks already
    Refused,   // no such tipster or runner, or a kind outside 0..5
};

// Sets (kind 0..5) or clears (noMark) tipster t's mark on runner r, and the count with it.
MarkChange setTipsterMark(RaceState& race, int tipster, int runner, int kind);

// A mark given on the mark sheet: one more of kind k for runner r, without a tipster.
MarkChange addMarkWithoutTipster(RaceState& race, int runner, int kind);

// What removing one mark of kind k from runner r on the mark sheet takes.
struct MarkRemoval {
    enum class Kind { WithoutTipster, FromTipster, Nothing };
    Kind kind = Kind::Nothing;
    int tipster = -1; // FromTipster: the last column (in column order) that gave the mark
};
// Marks without a tipster go first; only when none is left is a tipster's mark named, for the caller to ask about.
MarkRemoval markToRemove(const RaceState& race, int runner, int kind);
// Carries out a removal that markToRemove named.
void removeMark(RaceState& race, int runner, int kind, const MarkRemoval& removal);

// Column operations. Removing a column takes its marks off the counts too.
bool addTipster(RaceState& race, const QString& name);
bool removeTipster(RaceState& race, int tipster);
bool moveTipster(RaceState& race, int from, int to);
// The number of marks a column holds.
int marksOfTipster(const TipsterGrid& grid, int tipster, int runners);

// Replaces a tipster's whole column (marks[r] for r < runners; noMark clears). All or nothing: refused (false, nothing
// changed) when a runner would go beyond 25 marks.
bool setTipsterColumn(RaceState& race, int tipster, const std::vector<int>& marks);

// After the counts and the grid were read from a file: counts below the tipsters' marks (the counts were changed by
// another program) win, and the tipster marks beyond them are taken off, last column first. Returns how many were
// taken. Counts above the tipsters' marks stay as marks without a tipster.
int fitGridToCounts(RaceState& race);

// Who a tipster is, however a race spells the name: 記者Ｂ and 記者B, 本紙 and 本 紙 are one tipster.
QString tipsterIdentity(const QString& name);

// The same columns (names and order) with no mark: what a new race starts with.
TipsterGrid emptyColumnsOf(const TipsterGrid& grid);

// Marks that a tipster gives one runner only (◎, ○, ▲) and that this column gives several runners.
std::vector<int> repeatedKinds(const TipsterGrid& grid, int tipster, int runners);
bool isGivenOnce(int kind);

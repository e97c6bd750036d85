#include "core/tipster_grid.h"

#include "core/race_state.h"

#include <algorithm>

namespace {

bool validRunner(const RaceState& race, int runner) { return runner >= 0 && runner < race.runnerCount; }
bool validKind(int kind) { return kind >= 0 && kind < markKindCount; }

std::int16_t& countOf(RaceState& race, int runner, int kind)
{
    return race.markSheet[static_cast<std::size_t>(runner)][static_cast<std::size_t>(kind)];
}

} // namespace

int tipsterMarks(const TipsterGrid& grid, int runner, int kind)
{
    if (runner < 0 || runner >= maxRunners)
        return 0;
    int count = 0;
    for (const TipsterColumn& column : grid.columns)
        count += column.marks[static_cast<std::size_t>(runner)] == kind;
    return count;
}

int marksWithoutTipster(const RaceState& race, int runner, int kind)
{
    if (!validRunner(race, runner) || !validKind(kind))
        return 0;
    return std::max(0, race.markSheet[static_cast<std::size_t>(runner)][static_cast<std::size_t>(kind)]
                           - tipsterMarks(race.tipsters, runner, kind));
}

int runnerMarkTotal(const RaceState& race, int runner)
{
    if (runner < 0 || runner >= markSheetRows)
        return 0;
    int sum = 0;
    for (int k = 0; k < markKindCount; ++k)
        sum += race.markSheet[static_cast<std::size_t>(runner)][static_cast<std::size_t>(k)];
    return sum;
}

MarkChange setTipsterMark(RaceState& race, int tipster, int runner, int kind)
{
    if (tipster < 0 || tipster >= static_cast<int>(race.tipsters.columns.size()) || !validRunner(race, runner)
        || (kind != noMark && !validKind(kind)))
        return MarkChange::Refused;
    std::int8_t& cell =
        race.tipsters.columns[static_cast<std::size_t>(tipster)].marks[static_cast<std::size_t>(runner)];
    if (cell == kind)
        return MarkChange::Unchanged;
    // A mark that takes the place of another keeps the runner's total; only a new one can reach the limit.
    if (cell == noMark && runnerMarkTotal(race, runner) >= maxMarksPerRunner)
        return MarkChange::Full;
    if (cell != noMark)
        --countOf(race, runner, cell);
    if (kind != noMark)
        ++countOf(race, runner, kind);
    cell = static_cast<std::int8_t>(kind);
    return MarkChange::Done;
}

MarkChange addMarkWithoutTipster(RaceState& race, int runner, int kind)
{
    if (!validRunner(race, runner) || !validKind(kind))
        return MarkChange::Refused;
    if (runnerMarkTotal(race, runner) >= maxMarksPerRunner)
        return MarkChange::Full;
    ++countOf(race, runner, kind);
    return MarkChange::Done;
}

MarkRemoval markToRemove(const RaceState& race, int runner, int kind)
{
    if (!validRunner(race, runner) || !validKind(kind))
        return {};
    if (marksWithoutTipster(race, runner, kind) > 0)
        return {MarkRemoval::Kind::WithoutTipster, -1};
    const auto& columns = race.tipsters.columns;
    for (int t = static_cast<int>(columns.size()) - 1; t >= 0; --t) {
        if (columns[static_cast<std::size_t>(t)].marks[static_cast<std::size_t>(runner)] == kind)
            return {MarkRemoval::Kind::FromTipster, t};
    }
    return {};
}

void removeMark(RaceState& race, int runner, int kind, const MarkRemoval& removal)
{
    switch (removal.kind) {
    case MarkRemoval::Kind::WithoutTipster:
        if (marksWithoutTipster(race, runner, kind) > 0)
            --countOf(race, runner, kind);
        break;
    case MarkRemoval::Kind::FromTipster: setTipsterMark(race, removal.tipster, runner, noMark); break;
    case MarkRemoval::Kind::Nothing: break;
    }
}

bool addTipster(RaceState& race, const QString& name)
{
    if (static_cast<int>(race.tipsters.columns.size()) >= maxTipsters)
        return false;
    race.tipsters.columns.emplace_back(name);
    return true;
}

bool removeTipster(RaceState& race, int tipster)
{
    auto& columns = race.tipsters.columns;
    if (tipster < 0 || tipster >= static_cast<int>(columns.size()))
        return false;
    for (int r = 0; r < race.runnerCount; ++r)
        setTipsterMark(race, tipster, r, noMark);
    columns.erase(columns.begin() + tipster);
    return true;
}

bool moveTipster(RaceState& race, int from, int to)
{
    auto& columns = race.tipsters.columns;
    const int size = static_cast<int>(columns.size());
    if (from < 0 || from >= size || to < 0 || to >= size)
        return false;
    TipsterColumn moved = std::move(columns[static_cast<std::size_t>(from)]);
    columns.erase(columns.begin() + from);
    columns.insert(columns.begin() + to, std::move(moved));
    return true;
}

int marksOfTipster(const TipsterGrid& grid, int tipster, int runners)
{
    if (tipster < 0 || tipster >= static_cast<int>(grid.columns.size()))
        return 0;
    const auto& marks = grid.columns[static_cast<std::size_t>(tipster)].marks;
    return static_cast<int>(std::count_if(marks.begin(), marks.begin() + std::clamp(runners, 0, maxRunners),
                                          [](std::int8_t mark) { return mark != noMark; }));
}

bool setTipsterColumn(RaceState& race, int tipster, const std::vector<int>& marks)
{
    if (tipster < 0 || tipster >= static_cast<int>(race.tipsters.columns.size()))
        return false;
    RaceState trial = race;
    // Cleared first, so that a mark moving from one runner to another never counts twice against the limit.
    for (int r = 0; r < race.runnerCount; ++r)
        setTipsterMark(trial, tipster, r, noMark);
    for (int r = 0; r < race.runnerCount; ++r) {
        const int kind = r < static_cast<int>(marks.size()) ? marks[static_cast<std::size_t>(r)] : noMark;
        if (kind == noMark)
            continue;
        if (setTipsterMark(trial, tipster, r, kind) != MarkChange::Done)
            return false;
    }
    race = std::move(trial);
    return true;
}

int fitGridToCounts(RaceState& race)
{
    int taken = 0;
    auto& columns = race.tipsters.columns;
    for (int r = 0; r < race.runnerCount; ++r) {
        for (int k = 0; k < markKindCount; ++k) {
            int excess = tipsterMarks(race.tipsters, r, k)
                         - race.markSheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
            for (int t = static_cast<int>(columns.size()) - 1; t >= 0 && excess > 0; --t) {
                std::int8_t& cell = columns[static_cast<std::size_t>(t)].marks[static_cast<std::size_t>(r)];
                if (cell == k) {
                    cell = noMark;
                    --excess;
                    ++taken;
                }
            }
        }
    }
    // Rows beyond the runners hold nothing.
    for (TipsterColumn& column : columns)
        std::fill(column.marks.begin() + std::clamp<int>(race.runnerCount, 0, maxRunners), column.marks.end(), noMark);
    return taken;
}

QString tipsterIdentity(const QString& name)
{
    QString key = name.normalized(QString::NormalizationForm_KC).toCaseFolded();
    key.removeIf([](QChar c) { return c.isSpace(); });
    return key;
}

TipsterGrid emptyColumnsOf(const TipsterGrid& grid)
{
    TipsterGrid empty;
    for (const TipsterColumn& column : grid.columns)
        empty.columns.emplace_back(column.name);
    return empty;
}

bool isGivenOnce(int kind)
{
    return kind == static_cast<int>(MarkKind::DoubleCircle) || kind == static_cast<int>(MarkKind::Circle)
           || kind == static_cast<int>(MarkKind::BlackTriangle);
}

std::vector<int> repeatedKinds(const TipsterGrid& grid, int tipster, int runners)
{
    std::vector<int> repeated;
    if (tipster < 0 || tipster >= static_cast<int>(grid.columns.size()))
        return repeated;
    const auto& marks = grid.columns[static_cast<std::size_t>(tipster)].marks;
    for (int kind = 0; kind < markKindCount; ++kind) {
        if (isGivenOnce(kind)
            && std::count(marks.begin(), marks.begin() + std::clamp(runners, 0, maxRunners), kind) > 1)
            repeated.push_back(kind);
    }
    return repeated;
}

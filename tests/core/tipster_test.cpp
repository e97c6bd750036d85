#include "core/race_state.h"
#include "core/tipster_grid.h"
#include "core_test_main.h"

#include <QtTest>

namespace {

// A race of n runners with the named tipster columns, no marks.
RaceState raceWith(int runners, const QStringList& tipsters)
{
    RaceState race;
    race.runnerCount = static_cast<std::int16_t>(runners);
    for (const QString& name : tipsters)
        addTipster(race, name);
    return race;
}

int count(const RaceState& race, int runner, MarkKind kind)
{
    return race.markSheet[static_cast<std::size_t>(runner)][static_cast<std::size_t>(kind)];
}

} // namespace

// The tipster grid beside the counts.
class TipsterTest : public QObject {
    Q_OBJECT

private slots:
    void tipsterMarksMoveTheCounts()
    {
        RaceState race = raceWith(3, {QStringLiteral("本紙"), QStringLiteral("記者A")});
        QCOMPARE(setTipsterMark(race, 0, 1, 0), MarkChange::Done);
        QCOMPARE(setTipsterMark(race, 1, 1, 0), MarkChange::Done);
        QCOMPARE(count(race, 1, MarkKind::DoubleCircle), 2);
        // Another mark in the same cell takes the old one's place.
        QCOMPARE(setTipsterMark(race, 1, 1, 3), MarkChange::Done);
        QCOMPARE(count(race, 1, MarkKind::DoubleCircle), 1);
        QCOMPARE(count(race, 1, MarkKind::BlackTriangle), 1);
        QCOMPARE(setTipsterMark(race, 1, 1, 3), MarkChange::Unchanged);
        QCOMPARE(setTipsterMark(race, 1, 1, noMark), MarkChange::Done);
        QCOMPARE(runnerMarkTotal(race, 1), 1);
        QCOMPARE(setTipsterMark(race, 2, 0, 0), MarkChange::Refused);
        QCOMPARE(setTipsterMark(race, 0, 3, 0), MarkChange::Refused);
        // Removing a column takes its marks off the counts.
        QVERIFY(removeTipster(race, 0));
        QCOMPARE(runnerMarkTotal(race, 1), 0);
        QCOMPARE(race.tipsters.columns.size(), std::size_t(1));
    }

    void limitOfTwentyFiveHolds()
    {
        RaceState race = raceWith(2, {QStringLiteral("本紙")});
        for (int i = 0; i < 24; ++i)
            QCOMPARE(addMarkWithoutTipster(race, 0, 4), MarkChange::Done);
        QCOMPARE(setTipsterMark(race, 0, 0, 0), MarkChange::Done);
        QCOMPARE(addMarkWithoutTipster(race, 0, 4), MarkChange::Full);
        // At 25 a tipster's mark can still change kind, but a new one cannot come.
        QCOMPARE(setTipsterMark(race, 0, 0, 1), MarkChange::Done);
        QCOMPARE(runnerMarkTotal(race, 0), 25);
        // The column moves its mark to runner 2: runner 1 is back at 24, and one more without a tipster fills it.
        QVERIFY(setTipsterColumn(race, 0, {noMark, 2}));
        QCOMPARE(runnerMarkTotal(race, 0), 24);
        QCOMPARE(addMarkWithoutTipster(race, 0, 4), MarkChange::Done);
        QCOMPARE(setTipsterMark(race, 0, 0, 0), MarkChange::Full);
        // A whole column that would pass the limit changes nothing.
        const RaceState full = race;
        QVERIFY(!setTipsterColumn(race, 0, {0, 0}));
        QCOMPARE(race.markSheet, full.markSheet);
        QCOMPARE(race.tipsters, full.tipsters);
    }

    void removalTakesMarksWithoutTipsterFirst()
    {
        RaceState race = raceWith(2, {QStringLiteral("本紙"), QStringLiteral("記者A"), QStringLiteral("記者B")});
        setTipsterMark(race, 0, 0, 0);
        setTipsterMark(race, 2, 0, 0);
        addMarkWithoutTipster(race, 0, 0);
        QCOMPARE(marksWithoutTipster(race, 0, 0), 1);
        MarkRemoval removal = markToRemove(race, 0, 0);
        QCOMPARE(removal.kind, MarkRemoval::Kind::WithoutTipster);
        removeMark(race, 0, 0, removal);
        QCOMPARE(count(race, 0, MarkKind::DoubleCircle), 2);
        // Then the last column that gave it is named; the caller asks before it goes.
        removal = markToRemove(race, 0, 0);
        QCOMPARE(removal.kind, MarkRemoval::Kind::FromTipster);
        QCOMPARE(removal.tipster, 2);
        removeMark(race, 0, 0, removal);
        QCOMPARE(count(race, 0, MarkKind::DoubleCircle), 1);
        QCOMPARE(race.tipsters.columns[2].marks[0], noMark);
        QCOMPARE(markToRemove(race, 1, 0).kind, MarkRemoval::Kind::Nothing);
    }

    void countsWinOverTheGrid()
    {
        RaceState race = raceWith(2, {QStringLiteral("本紙"), QStringLiteral("記者A")});
        setTipsterMark(race, 0, 0, 0);
        setTipsterMark(race, 1, 0, 0);
        setTipsterMark(race, 1, 1, 1);
        // Another program lowered runner 1's ◎ to 1 and raised runner 2's ○ to 3.
        race.markSheet[0][0] = 1;
        race.markSheet[1][1] = 3;
        QCOMPARE(fitGridToCounts(race), 1);
        QCOMPARE(race.tipsters.columns[0].marks[0], std::int8_t(0));
        QCOMPARE(race.tipsters.columns[1].marks[0], noMark);
        QCOMPARE(marksWithoutTipster(race, 1, 1), 2);
        QCOMPARE(count(race, 0, MarkKind::DoubleCircle), 1);
    }

    void columnsMoveAndCarryOver()
    {
        RaceState race = raceWith(3, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        setTipsterMark(race, 0, 2, 5);
        QVERIFY(moveTipster(race, 0, 2));
        QCOMPARE(race.tipsters.columns[2].name, QStringLiteral("A"));
        QCOMPARE(race.tipsters.columns[2].marks[2], std::int8_t(5));
        QVERIFY(!moveTipster(race, 0, 3));
        const TipsterGrid carried = emptyColumnsOf(race.tipsters);
        QCOMPARE(carried.columns.size(), std::size_t(3));
        QCOMPARE(carried.columns[2].name, QStringLiteral("A"));
        QCOMPARE(marksOfTipster(carried, 2, 3), 0);
        for (int i = 0; i < maxTipsters - 3; ++i)
            QVERIFY(addTipster(race, QStringLiteral("X")));
        QVERIFY(!addTipster(race, QStringLiteral("17人目")));
    }

    void repeatedMarksAreFound()
    {
        RaceState race = raceWith(4, {QStringLiteral("本紙")});
        QVERIFY(setTipsterColumn(race, 0, {0, 0, 2, 2}));
        // Two ◎ is shown; two △ is how papers mark.
        QCOMPARE(repeatedKinds(race.tipsters, 0, 4), std::vector<int>{0});
    }
};

TOKIRO_CORE_TEST_MAIN(TipsterTest)
#include "tipster_test.moc"

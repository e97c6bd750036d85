#include "prediction/prediction.h"

#include <QStringList>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

// Marks written runner by runner as "◎ ○ △ ▲ × ★" counts, runners separated by ';' (missing counts are 0):
// "2 1; 0 0 3" is horse 1 with ◎2 ○1 and horse 2 with △3.
MarkSheet sheetFrom(const QString& marks)
{
    MarkSheet sheet{};
    if (marks.isEmpty())
        return sheet;
    const QStringList runners = marks.split(u';');
    for (int r = 0; r < runners.size(); ++r) {
        const QStringList counts = runners[r].split(u' ', Qt::SkipEmptyParts);
        for (int k = 0; k < counts.size(); ++k)
            sheet[r][k] = static_cast<std::int16_t>(counts[k].toInt());
    }
    return sheet;
}

int runnersIn(const QString& marks) { return marks.isEmpty() ? 0 : static_cast<int>(marks.count(u';')) + 1; }

// Runner indexes of an order as horse numbers, "4 2 5".
QString horses(const RunnerTable& order, int runnerCount)
{
    QStringList out;
    for (int k = 0; k < runnerCount; ++k)
        out << QString::number(order[k] + 1);
    return out.join(u' ');
}

// Ranks by horse as shown ("順位", 1-based).
QString shownRanks(const RunnerTable& rank, int runnerCount)
{
    QStringList out;
    for (int r = 0; r < runnerCount; ++r)
        out << QString::number(rank[r] + 1);
    return out.join(u' ');
}

QString values(const RunnerTable& table, int runnerCount)
{
    QStringList out;
    for (int r = 0; r < runnerCount; ++r)
        out << QString::number(table[r]);
    return out.join(u' ');
}

// Tickets as horse-number pairs in order of creation, "1-4 2-4".
QString tickets(const PredictionResult& result)
{
    QStringList out;
    for (int t = 0; t < result.ticketTotal; ++t)
        out << QStringLiteral("%1-%2").arg(result.ticketFirst[t] + 1).arg(result.ticketSecond[t] + 1);
    return out.join(u' ');
}

QString grades(const PredictionResult& result)
{
    const char letters[] = {result.favTopGrade, result.favTopTwoGrade, result.quinellaTopGrade,
                            result.quinellaTopTwoGrade};
    return QString::fromLatin1(letters, 4);
}

// The example race used throughout: eight runners, the last without marks.
const QString exampleMarks = QStringLiteral("2 1 0 0 0 0; 1 2 1 0 0 0; 1 0 2 1 0 0; 0 2 1 1 0 0; 0 1 0 1 1 0; "
                                            "0 0 1 0 1 1; 0 0 0 1 0 1; 0 0 0 0 0 0");

// A runner with ◎25 and 30 others with one △ each: pattern 1 can give 30 tickets.
QString thirtyPartnersMarks()
{
    QStringList runners{QStringLiteral("25")};
    for (int r = 1; r < markSheetRows; ++r)
        runners << QStringLiteral("0 0 1");
    return runners.join(u';');
}

// A random sheet of 0..21 runners with sparse marks, so that zero scores, ties and every grade come up.
MarkSheet generatedSheet(std::mt19937& random, int& n)
{
    n = std::uniform_int_distribution(0, maxRunners)(random);
    const double density = std::uniform_real_distribution(0.05, 0.9)(random);
    MarkSheet sheet{};
    for (int r = 0; r < n; ++r) {
        int left = maxMarksPerRunner;
        for (int k = 0; k < markKindCount && left > 0; ++k) {
            if (std::uniform_real_distribution(0.0, 1.0)(random) > density)
                continue;
            const int count = std::uniform_int_distribution(0, std::min(left, 6))(random);
            sheet[r][k] = static_cast<std::int16_t>(count);
            left -= count;
        }
    }
    return sheet;
}

} // namespace

class PredictionTest : public QObject {
    Q_OBJECT

private slots:
    void example_everyFigure();
    void example_tickets_data();
    void example_tickets();
    void exchangeSort_tieOrder_data();
    void exchangeSort_tieOrder();
    void exchangeSort_sameAsPlainSort();
    void grades_onBounds_data();
    void grades_onBounds();
    void gradeRate_fullPrecision();
    void patterns_data();
    void patterns();
    void fewRunners_readsNothingBeyondRace_data();
    void fewRunners_readsNothingBeyondRace();
    void ticketCountOutsideSpinner_listNeverOverflows_data();
    void ticketCountOutsideSpinner_listNeverOverflows();
    void repeatedCalls_keepNothing();
    void generatedSheets_ticketRulesHold();
    void everySpinnerCount_isCutFromTheLargestRun();
};

void PredictionTest::example_everyFigure()
{
    const PredictionResult r = runPrediction(sheetFrom(exampleMarks), 8, 6);

    QCOMPARE(r.runnerCount, 8);
    QCOMPARE(values(r.doubleCircleCount, 8), QStringLiteral("2 1 1 0 0 0 0 0"));
    QCOMPARE(values(r.circleCount, 8), QStringLiteral("1 2 0 2 1 0 0 0"));
    QCOMPARE(values(r.otherMarkCount, 8), QStringLiteral("0 1 3 2 2 3 2 0"));
    QCOMPARE(values(r.favScore, 8), QStringLiteral("5 4 2 2 1 0 0 0"));
    QCOMPARE(values(r.quinellaScore, 8), QStringLiteral("2 5 3 6 4 3 2 0"));

    QCOMPARE(horses(r.favOrder, 8), QStringLiteral("1 2 3 4 5 6 7 8"));
    QCOMPARE(horses(r.favSortIndex, 8), QStringLiteral("1 2 3 4 5 6 7 8"));
    QCOMPARE(values(r.favSorted, 8), QStringLiteral("5 4 2 2 1 0 0 0"));
    QCOMPARE(shownRanks(r.favRank, 8), QStringLiteral("1 2 3 4 5 6 7 8"));
    QCOMPARE(horses(r.quinellaOrder, 8), QStringLiteral("4 2 5 3 6 1 7 8"));
    QCOMPARE(horses(r.quinellaSortIndex, 8), QStringLiteral("4 2 5 3 6 1 7 8"));
    QCOMPARE(values(r.quinellaSorted, 8), QStringLiteral("6 5 4 3 3 2 2 0"));
    QCOMPARE(shownRanks(r.quinellaRank, 8), QStringLiteral("6 2 4 1 3 5 7 8"));

    QCOMPARE(r.favScoreSum, 14);
    QCOMPARE(r.quinellaScoreSum, 25);
    QVERIFY(r.favTopRate && r.favTopTwoRate && r.quinellaTopRate && r.quinellaTopTwoRate);
    QCOMPARE(*r.favTopRate, 5.0 / 14.0);
    QCOMPARE(*r.favTopTwoRate, 9.0 / 14.0);
    QCOMPARE(*r.quinellaTopRate, 0.24);
    QCOMPARE(*r.quinellaTopTwoRate, 0.44);
    QCOMPARE(grades(r), QStringLiteral("CCBB"));

    QCOMPARE(r.axisPattern, 3);
    QCOMPARE(r.usedTable, 'Y');
}

void PredictionTest::example_tickets_data()
{
    QTest::addColumn<int>("ticketCount");
    QTest::addColumn<QString>("expected");

    // Pass 1 (horse 4 over the favourite order) stops at its cap of 3; pass 2 (horse 1) skips 1-4 as a repeat.
    QTest::newRow("6 asked") << 6 << QStringLiteral("1-4 2-4 3-4 1-2 1-5 1-3");
    // Pass 3 (horse 2) stops as soon as the count is reached.
    QTest::newRow("7 asked") << 7 << QStringLiteral("1-4 2-4 3-4 1-2 1-5 1-3 2-3");
    // Pass 4 finds only 2-7: horse 8 has no quinella score. Ten tickets, fewer than asked.
    QTest::newRow("12 asked") << 12 << QStringLiteral("1-4 2-4 3-4 1-2 1-5 1-3 2-3 2-5 2-6 2-7");
    QTest::newRow("2 asked") << 2 << QStringLiteral("1-4 2-4");
}

void PredictionTest::example_tickets()
{
    QFETCH(int, ticketCount);
    QFETCH(QString, expected);
    const PredictionResult r = runPrediction(sheetFrom(exampleMarks), 8, ticketCount);
    QCOMPARE(tickets(r), expected);
    QCOMPARE(r.ticketTotal, static_cast<int>(expected.count(u'-')));
}

void PredictionTest::exchangeSort_tieOrder_data()
{
    QTest::addColumn<int>("markColumn");
    QTest::addColumn<QString>("counts");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("ranks");

    // Equal scores are not kept in runner order: horse 3 comes before horse 2.
    QTest::newRow("favourite 1 2 2 3") << 0 << QStringLiteral("1 2 2 3") << QStringLiteral("4 3 2 1")
                                       << QStringLiteral("4 3 2 1");
    QTest::newRow("quinella 1 2 2 3") << 2 << QStringLiteral("1 2 2 3") << QStringLiteral("4 3 2 1")
                                      << QStringLiteral("4 3 2 1");
    QTest::newRow("favourite all 0") << 0 << QStringLiteral("0 0 0") << QStringLiteral("1 2 3")
                                     << QStringLiteral("1 2 3");
    QTest::newRow("quinella all 0") << 2 << QStringLiteral("0 0 0") << QStringLiteral("1 2 3")
                                    << QStringLiteral("1 2 3");
    QTest::newRow("quinella of the example") << 2 << QStringLiteral("2 5 3 6 4 3 2 0")
                                             << QStringLiteral("4 2 5 3 6 1 7 8") << QStringLiteral("6 2 4 1 3 5 7 8");
}

void PredictionTest::exchangeSort_tieOrder()
{
    QFETCH(int, markColumn);
    QFETCH(QString, counts);
    QFETCH(QString, order);
    QFETCH(QString, ranks);

    const QStringList list = counts.split(u' ');
    const int n = static_cast<int>(list.size());
    MarkSheet sheet{};
    for (int r = 0; r < n; ++r)
        sheet[r][markColumn] = static_cast<std::int16_t>(list[r].toInt());
    const PredictionResult result = runPrediction(sheet, n, 4);

    const bool fav = markColumn == 0;
    QCOMPARE(horses(fav ? result.favOrder : result.quinellaOrder, n), order);
    QCOMPARE(shownRanks(fav ? result.favRank : result.quinellaRank, n), ranks);
}

// The engine's ranking leaves out steps and branches of the plain exchange sort; its orders must be the plain sort's
// on every kind of sheet: many ties, few marks, every row of the sheet, and extreme and negative counts.
void PredictionTest::exchangeSort_sameAsPlainSort()
{
    auto plainOrder = [](const RunnerTable& scores, int n) {
        RunnerTable sorted = scores;
        RunnerTable index{};
        for (int r = 0; r < n; ++r)
            index[r] = r;
        for (int i = 0; i < n; ++i) {
            for (int j = i; j < n; ++j) {
                if (sorted[i] < sorted[j]) {
                    std::swap(sorted[i], sorted[j]);
                    std::swap(index[i], index[j]);
                }
            }
        }
        return index;
    };
    auto inverse = [](const RunnerTable& order, int n) {
        RunnerTable rank{};
        for (int k = 0; k < n; ++k)
            rank[order[k]] = k;
        return rank;
    };
    std::mt19937 random(20261209);
    for (int sheetNumber = 0; sheetNumber < 20000; ++sheetNumber) {
        const int n = std::uniform_int_distribution(0, markSheetRows)(random);
        const int kind = sheetNumber % 4;
        // Kinds: a few small counts (many ties), mostly blank rows, any count of the type, a sheet mostly one value.
        const int high = kind == 0 ? 2 : kind == 1 ? 1 : kind == 2 ? 32767 : 3;
        const int low = kind == 2 ? -32768 : 0;
        MarkSheet sheet{};
        for (int r = 0; r < n; ++r) {
            for (int k = 0; k < markKindCount; ++k) {
                const bool blank = (kind == 1 || kind == 3) && std::uniform_int_distribution(0, 4)(random) > 0;
                sheet[r][k] = static_cast<std::int16_t>(blank ? 0 : std::uniform_int_distribution(low, high)(random));
            }
        }
        const PredictionResult result = runPrediction(sheet, n, 12);
        const QByteArray where = QByteArray("sheet ") + QByteArray::number(sheetNumber);
        const RunnerTable fav = plainOrder(result.favScore, n);
        const RunnerTable quinella = plainOrder(result.quinellaScore, n);
        for (int k = 0; k < n; ++k) {
            QVERIFY2(result.favOrder[k] == fav[k] && result.favSortIndex[k] == fav[k], where);
            QVERIFY2(result.quinellaOrder[k] == quinella[k] && result.quinellaSortIndex[k] == quinella[k], where);
            QVERIFY2(result.favSorted[k] == result.favScore[fav[k]], where);
            QVERIFY2(result.quinellaSorted[k] == result.quinellaScore[quinella[k]], where);
        }
        QVERIFY2(result.favRank == inverse(fav, n) && result.quinellaRank == inverse(quinella, n), where);
    }
}

void PredictionTest::grades_onBounds_data()
{
    QTest::addColumn<QString>("marks");
    QTest::addColumn<double>("favTop"); // -1: absent
    QTest::addColumn<double>("favTopTwo");
    QTest::addColumn<double>("quinellaTop");
    QTest::addColumn<double>("quinellaTopTwo");
    QTest::addColumn<QString>("grades");

    // favourite scores 10 6 4: 10 of 20 and 16 of 20, both exactly on the upper bounds.
    QTest::newRow("favourite on upper bounds")
        << QStringLiteral("5; 3; 2") << 0.5 << 0.8 << -1.0 << -1.0 << QStringLiteral("AACC");
    // favourite scores 4 3 2 1: 4 of 10 and 7 of 10, on the lower bounds.
    QTest::newRow("favourite on lower bounds")
        << QStringLiteral("2; 1 1; 1; 0 1") << 0.4 << 0.7 << 0.5 << 1.0 << QStringLiteral("BBAA");
    // quinella scores 3 2 2 2 1: 3 of 10 and 5 of 10.
    QTest::newRow("quinella on upper bounds")
        << QStringLiteral("0 0 3; 0 0 2; 0 0 2; 0 0 2; 0 0 1") << -1.0 << -1.0 << 0.3 << 0.5 << QStringLiteral("CCAA");
    // quinella scores 2 2 2 2 2: 2 of 10 and 4 of 10.
    QTest::newRow("quinella on lower bounds")
        << QStringLiteral("0 0 2; 0 0 2; 0 0 2; 0 0 2; 0 0 2") << -1.0 << -1.0 << 0.2 << 0.4 << QStringLiteral("CCBB");
    // favourite scores 5 5 5 5 4 (5/24, 10/24), quinella scores 2 2 2 2 0 (2/8, 4/8).
    QTest::newRow("below lower bounds") << QStringLiteral("2 1; 2 1; 2 1; 2 1; 2") << 5.0 / 24 << 10.0 / 24 << 0.25
                                        << 0.5 << QStringLiteral("CCBA");
}

void PredictionTest::grades_onBounds()
{
    QFETCH(QString, marks);
    QFETCH(double, favTop);
    QFETCH(double, favTopTwo);
    QFETCH(double, quinellaTop);
    QFETCH(double, quinellaTopTwo);
    QFETCH(QString, grades);

    const PredictionResult r = runPrediction(sheetFrom(marks), runnersIn(marks), 4);
    const auto check = [](const std::optional<double>& rate, double expected) {
        if (expected < 0)
            return !rate.has_value();
        return rate.has_value() && *rate == expected;
    };
    QVERIFY(check(r.favTopRate, favTop));
    QVERIFY(check(r.favTopTwoRate, favTopTwo));
    QVERIFY(check(r.quinellaTopRate, quinellaTop));
    QVERIFY(check(r.quinellaTopTwoRate, quinellaTopTwo));
    QCOMPARE(::grades(r), grades);
}

void PredictionTest::gradeRate_fullPrecision()
{
    // A rate that "0.000" would show as 0.500 but that lies below the bound grades lower.
    QCOMPARE(gradeRate(std::nextafter(0.5, 0.0), favTopUpper, favTopLower), 'B');
    QCOMPARE(gradeRate(0.5, favTopUpper, favTopLower), 'A');
    QCOMPARE(gradeRate(std::nextafter(0.4, 0.0), favTopUpper, favTopLower), 'C');
    QCOMPARE(gradeRate(std::nullopt, quinellaTopUpper, quinellaTopLower), 'C');
    QCOMPARE(gradeRate(1.0, quinellaTopTwoUpper, quinellaTopTwoLower), 'A');
}

void PredictionTest::patterns_data()
{
    QTest::addColumn<QString>("marks");
    QTest::addColumn<int>("ticketCount");
    QTest::addColumn<QString>("grades");
    QTest::addColumn<int>("pattern");
    QTest::addColumn<char>("table");
    QTest::addColumn<QString>("favOrder");
    QTest::addColumn<QString>("quinellaOrder");
    QTest::addColumn<QString>("tickets");

    // Favourite scores 10 3 1 0…, quinella scores 0 2 3 3 2 2 1 0: only favTopGrade is "A". The axis (horse 1) has
    // no quinella score and is still paired; horse 8 (score 0) is not.
    const QString strongFavourite = QStringLiteral("5; 1 1; 0 1 1; 0 0 3; 0 0 2; 0 0 2; 0 0 1; 0");
    QTest::newRow("1, favourite axis, 4 asked")
        << strongFavourite << 4 << QStringLiteral("AABB") << 1 << '-' << QStringLiteral("1 2 3 4 5 6 7 8")
        << QStringLiteral("3 4 2 5 6 7 1 8") << QStringLiteral("1-3 1-4 1-2 1-5");
    QTest::newRow("1, favourite axis, 12 asked")
        << strongFavourite << 12 << QStringLiteral("AABB") << 1 << '-' << QStringLiteral("1 2 3 4 5 6 7 8")
        << QStringLiteral("3 4 2 5 6 7 1 8") << QStringLiteral("1-3 1-4 1-2 1-5 1-6 1-7");

    // Quinella leader horse 4 (6 of 10); partners need a favourite score, which horse 5 lacks.
    const QString strongQuinella = QStringLiteral("1; 1; 1; 0 1 4; 0 0 2; 0 1");
    QTest::newRow("1, quinella axis, 12 asked")
        << strongQuinella << 12 << QStringLiteral("CCAA") << 1 << '-' << QStringLiteral("1 2 3 4 6 5")
        << QStringLiteral("4 5 6 1 2 3") << QStringLiteral("1-4 2-4 3-4 4-6");
    QTest::newRow("1, quinella axis, 2 asked")
        << strongQuinella << 2 << QStringLiteral("CCAA") << 1 << '-' << QStringLiteral("1 2 3 4 6 5")
        << QStringLiteral("4 5 6 1 2 3") << QStringLiteral("1-4 2-4");

    // Both top grades "A" with different leaders: the favourite leader is the axis.
    QTest::newRow("1, both A") << QStringLiteral("3; 0 0 5; 0 1 1; 0 0 2") << 4 << QStringLiteral("AAAA") << 1 << '-'
                               << QStringLiteral("1 3 2 4") << QStringLiteral("2 3 4 1")
                               << QStringLiteral("1-2 1-3 1-4");

    // No ◎ or ○ at all: the quinella leader is the axis, but no candidate has a favourite score.
    QTest::newRow("1, no favourite marks")
        << QStringLiteral("0 0 3; 0 0 1; 0 0 0 0 0 1") << 4 << QStringLiteral("CCAA") << 1 << '-'
        << QStringLiteral("1 2 3") << QStringLiteral("1 2 3") << QString();

    QTest::newRow("2, no marks") << QStringLiteral("0; 0; 0") << 4 << QStringLiteral("CCCC") << 2 << 'X'
                                 << QStringLiteral("1 2 3") << QStringLiteral("1 2 3") << QString();

    // Horses 1 and 2 lead both orders; favOrder(2) is horse 4, whose quinella score is 0, so pass 3 adds nothing.
    const QString sameLeaders = QStringLiteral("1 2; 1 1 1; 0 1; 1; 0 0 2; 0 0 2; 0 0 1; 0 0 1");
    QTest::newRow("2X, 12 asked") << sameLeaders << 12 << QStringLiteral("BBBB") << 2 << 'X'
                                  << QStringLiteral("1 2 4 3 5 6 7 8") << QStringLiteral("1 2 3 5 6 7 8 4")
                                  << QStringLiteral("1-2 1-3 1-5 1-6 2-3 2-5 2-6 2-7 3-5 3-6");
    QTest::newRow("2X, 5 asked") << sameLeaders << 5 << QStringLiteral("BBBB") << 2 << 'X'
                                 << QStringLiteral("1 2 4 3 5 6 7 8") << QStringLiteral("1 2 3 5 6 7 8 4")
                                 << QStringLiteral("1-2 1-3 1-5 1-6 2-3");

    // The third places differ (horse 3 by favourite score, horse 4 by quinella score) and both passes add tickets.
    QTest::newRow("2X, third places") << QStringLiteral("1 2; 1 1 1; 1 0 1; 0 0 2; 0 0 1; 0 0 1; 0 0 1; 0 0 1") << 12
                                      << QStringLiteral("BBBA") << 2 << 'X' << QStringLiteral("1 2 3 4 5 6 7 8")
                                      << QStringLiteral("1 2 4 3 5 6 7 8")
                                      << QStringLiteral("1-2 1-4 1-3 1-5 2-4 2-3 2-5 2-6 3-4 3-5 4-5 4-6");
    QTest::newRow("2Y, third places") << QStringLiteral(
        "1 2; 1 1 1; 1 0 1; 0 0 2; 1; 1; 0 0 1; 0 0 1; 0 0 1; 0 0 1; 0 0 1")
                                      << 12 << QStringLiteral("CCBB") << 2 << 'Y'
                                      << QStringLiteral("1 2 3 5 6 4 7 8 9 10 11")
                                      << QStringLiteral("1 2 4 3 7 8 9 10 11 6 5")
                                      << QStringLiteral("1-2 1-3 1-4 1-7 2-3 2-4 2-7 2-8 3-4 4-7 3-7 3-8");

    // The leaders swap places between the orders; favourite grade "C" against quinella "B" picks table Y.
    const QString swappedLeaders = QStringLiteral("2 1 1; 1 2; 1 1; 1; 0 0 2; 0 0 2; 0 0 1");
    QTest::newRow("2Y, 12 asked") << swappedLeaders << 12 << QStringLiteral("CCBA") << 2 << 'Y'
                                  << QStringLiteral("1 2 3 4 5 6 7") << QStringLiteral("2 1 3 5 6 7 4")
                                  << QStringLiteral("1-2 2-3 2-5 2-6 1-3 1-5 1-6 1-7 3-5 3-6 3-7");
    QTest::newRow("2Y, 3 asked") << swappedLeaders << 3 << QStringLiteral("CCBA") << 2 << 'Y'
                                 << QStringLiteral("1 2 3 4 5 6 7") << QStringLiteral("2 1 3 5 6 7 4")
                                 << QStringLiteral("1-2 2-3 2-5");

    // Leading pairs (1, 2) and (1, 3); every pass reaches its cap of 3.
    const QString oneShared = QStringLiteral("1 2; 1 1; 0 1 1; 1; 0 0 2; 0 0 2; 0 0 1; 0 0 1");
    QTest::newRow("3X, 12 asked") << oneShared << 12 << QStringLiteral("BBBB") << 3 << 'X'
                                  << QStringLiteral("1 2 4 3 5 6 7 8") << QStringLiteral("1 3 2 5 6 7 8 4")
                                  << QStringLiteral("1-3 1-2 1-5 1-6 1-7 1-8 2-3 2-5 2-6 3-5 3-6 3-7");
    QTest::newRow("3X, 4 asked") << oneShared << 4 << QStringLiteral("BBBB") << 3 << 'X'
                                 << QStringLiteral("1 2 4 3 5 6 7 8") << QStringLiteral("1 3 2 5 6 7 8 4")
                                 << QStringLiteral("1-3 1-2 1-5 1-6");
    // The shared runner leads the quinella order and is second by favourite score.
    QTest::newRow("3X, favourite second leads quinella")
        << QStringLiteral("3; 2 1 1; 1 0 2; 0 0 2; 0 0 2; 0 0 1; 0 0 1") << 12 << QStringLiteral("BABB") << 3 << 'X'
        << QStringLiteral("1 2 3 4 5 6 7") << QStringLiteral("2 3 4 5 6 7 1")
        << QStringLiteral("2-3 2-4 2-5 2-6 2-7 3-4 3-5 3-6");
    // The favourite leader is second by quinella score.
    QTest::newRow("3X, favourite leader second in quinella")
        << QStringLiteral("2 1 1; 2; 0 0 4; 1 0 2; 0 0 2; 0 0 2; 0 0 1") << 12 << QStringLiteral("BABA") << 3 << 'X'
        << QStringLiteral("1 2 4 3 5 6 7") << QStringLiteral("3 1 4 5 6 7 2")
        << QStringLiteral("1-3 1-4 1-5 3-4 3-5 3-6 1-6 1-7");
    QTest::newRow("3Y, the example") << exampleMarks << 6 << QStringLiteral("CCBB") << 3 << 'Y'
                                     << QStringLiteral("1 2 3 4 5 6 7 8") << QStringLiteral("4 2 5 3 6 1 7 8")
                                     << QStringLiteral("1-4 2-4 3-4 1-2 1-5 1-3");

    // Leading pairs (1, 2) and (3, 4).
    QTest::newRow("4X, 12 asked") << QStringLiteral("3 0 1; 2 1; 0 1 3; 0 0 4; 1 0 1; 0 0 3; 0 0 3") << 12
                                  << QStringLiteral("BBBB") << 4 << 'X' << QStringLiteral("1 2 5 3 4 6 7")
                                  << QStringLiteral("3 4 6 7 2 1 5")
                                  << QStringLiteral("1-3 1-4 1-6 2-3 3-5 3-4 2-4 2-6 2-7 4-5 4-6 4-7");
    // The favourite leader has no quinella score, so pass 2 adds nothing.
    QTest::newRow("4Y, 12 asked") << QStringLiteral("2; 1 1; 0 0 5; 0 0 4; 1; 1; 0 1 1; 0 0 3; 0 0 2") << 12
                                  << QStringLiteral("CCBB") << 4 << 'Y' << QStringLiteral("1 2 5 6 7 4 3 8 9")
                                  << QStringLiteral("3 4 7 8 2 9 1 5 6")
                                  << QStringLiteral("2-3 3-7 3-4 2-4 4-7 4-8 2-7 2-8 2-9");
}

void PredictionTest::patterns()
{
    QFETCH(QString, marks);
    QFETCH(int, ticketCount);
    QFETCH(QString, grades);
    QFETCH(int, pattern);
    QFETCH(char, table);
    QFETCH(QString, favOrder);
    QFETCH(QString, quinellaOrder);
    QFETCH(QString, tickets);

    const int n = runnersIn(marks);
    const PredictionResult r = runPrediction(sheetFrom(marks), n, ticketCount);
    QCOMPARE(::grades(r), grades);
    QCOMPARE(horses(r.favOrder, n), favOrder);
    QCOMPARE(horses(r.quinellaOrder, n), quinellaOrder);
    QCOMPARE(r.axisPattern, pattern);
    QCOMPARE(r.usedTable, table);
    QCOMPARE(::tickets(r), tickets);
}

void PredictionTest::fewRunners_readsNothingBeyondRace_data()
{
    QTest::addColumn<int>("runnerCount");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<int>("favScoreSum");
    QTest::addColumn<int>("quinellaScoreSum");
    QTest::addColumn<double>("favTopTwo"); // -1: absent
    QTest::addColumn<QString>("grades");
    QTest::addColumn<int>("pattern");
    QTest::addColumn<QString>("tickets");

    // Rows beyond the race hold marks; none of them may count.
    const QString marked = QStringLiteral("2 1 1; 1 0 1; 0 1 3; 3 3 3");
    QTest::newRow("no runner") << 0 << marked << 0 << 0 << -1.0 << QStringLiteral("CCCC") << 2 << QString();
    QTest::newRow("negative count") << -3 << marked << 0 << 0 << -1.0 << QStringLiteral("CCCC") << 2 << QString();
    // The missing second place adds 0: 5 of 5.
    QTest::newRow("one runner") << 1 << marked << 5 << 3 << 1.0 << QStringLiteral("AAAA") << 1 << QString();
    QTest::newRow("one runner, no marks")
        << 1 << QStringLiteral("0") << 0 << 0 << -1.0 << QStringLiteral("CCCC") << 2 << QString();
    // Favourite scores 5 2: the favourite leader with horse 2 and no one else.
    QTest::newRow("two runners") << 2 << marked << 7 << 4 << 1.0 << QStringLiteral("AAAA") << 1
                                 << QStringLiteral("1-2");
    // Both orders are horses 1 and 2; the third places of passes 3 and 4 do not exist.
    QTest::newRow("two runners, no marks")
        << 2 << QStringLiteral("0; 0") << 0 << 0 << -1.0 << QStringLiteral("CCCC") << 2 << QString();
    // Only the mark sheet's 31 rows exist; a larger count uses them all (the last row's △ included).
    QTest::newRow("count above the table") << 40 << thirtyPartnersMarks() << 50 << 30 << 1.0 << QStringLiteral("AACC")
                                           << 1 << QStringLiteral("1-2 1-3 1-4 1-5");
}

void PredictionTest::fewRunners_readsNothingBeyondRace()
{
    QFETCH(int, runnerCount);
    QFETCH(QString, marks);
    QFETCH(int, favScoreSum);
    QFETCH(int, quinellaScoreSum);
    QFETCH(double, favTopTwo);
    QFETCH(QString, grades);
    QFETCH(int, pattern);
    QFETCH(QString, tickets);

    const PredictionResult r = runPrediction(sheetFrom(marks), runnerCount, 4);
    QCOMPARE(r.runnerCount, std::clamp(runnerCount, 0, markSheetRows));
    QCOMPARE(r.favScoreSum, favScoreSum);
    QCOMPARE(r.quinellaScoreSum, quinellaScoreSum);
    if (favTopTwo < 0)
        QVERIFY(!r.favTopTwoRate.has_value());
    else
        QCOMPARE(r.favTopTwoRate.value_or(-1), favTopTwo);
    QCOMPARE(::grades(r), grades);
    QCOMPARE(r.axisPattern, pattern);
    QCOMPARE(::tickets(r), tickets);
}

void PredictionTest::ticketCountOutsideSpinner_listNeverOverflows_data()
{
    QTest::addColumn<QString>("marks");
    QTest::addColumn<int>("ticketCount");
    QTest::addColumn<int>("ticketTotal");

    // Pattern 1 with six eligible partners: a count it never meets gives all six.
    const QString strongFavourite = QStringLiteral("5; 1 1; 0 1 1; 0 0 3; 0 0 2; 0 0 2; 0 0 1; 0");
    for (int count : {0, -1, 17, 100})
        QTest::addRow("pattern 1, 6 partners, %d asked", count) << strongFavourite << count << 6;
    // Pattern 1 with 30 eligible partners: the list holds all of them.
    const QString thirty = thirtyPartnersMarks();
    QTest::newRow("pattern 1, 30 partners, 16 asked") << thirty << 16 << 16;
    for (int count : {0, -1, 17, 30, 100})
        QTest::addRow("pattern 1, 30 partners, %d asked", count) << thirty << count << (count == 17 ? 17 : 30);
    // Patterns 2 to 4 keep their caps whatever the count.
    const QString sameLeaders = QStringLiteral("1 2; 1 1 1; 0 1; 1; 0 0 2; 0 0 2; 0 0 1; 0 0 1");
    for (int count : {0, -1, 17, 100})
        QTest::addRow("pattern 2, %d asked", count) << sameLeaders << count << 10;
}

void PredictionTest::ticketCountOutsideSpinner_listNeverOverflows()
{
    QFETCH(QString, marks);
    QFETCH(int, ticketCount);
    QFETCH(int, ticketTotal);

    const PredictionResult r = runPrediction(sheetFrom(marks), runnersIn(marks), ticketCount);
    QCOMPARE(r.ticketTotal, ticketTotal);
    QVERIFY(r.ticketTotal <= ticketListCapacity);
    QCOMPARE(r.ticketCount, ticketCount);
    std::set<std::pair<int, int>> seen;
    for (int t = 0; t < r.ticketTotal; ++t) {
        QVERIFY(r.ticketFirst[t] < r.ticketSecond[t]);
        QVERIFY(seen.insert({r.ticketFirst[t], r.ticketSecond[t]}).second);
    }
}

void PredictionTest::repeatedCalls_keepNothing()
{
    const MarkSheet example = sheetFrom(exampleMarks);
    const PredictionResult first = runPrediction(example, 8, 12);
    const PredictionResult other = runPrediction(sheetFrom(thirtyPartnersMarks()), markSheetRows, 0);
    QCOMPARE(other.ticketTotal, 30);
    const PredictionResult again = runPrediction(example, 8, 12);
    QVERIFY(first == again);
    QCOMPARE(again.ticketTotal, 10);
    // A race without runners gives what a default result holds.
    PredictionResult empty;
    empty.ticketCount = 4;
    QVERIFY(runPrediction(example, 0, 4) == empty);
}

void PredictionTest::generatedSheets_ticketRulesHold()
{
    std::mt19937 random(20240607);
    std::array<int, 5> patternsSeen{};
    int tablesY = 0;
    for (int sheetNumber = 0; sheetNumber < 4000; ++sheetNumber) {
        int n = 0;
        const MarkSheet sheet = generatedSheet(random, n);
        const int ticketCount = std::uniform_int_distribution(1, 16)(random);
        const PredictionResult r = runPrediction(sheet, n, ticketCount);
        const QByteArray where = QByteArray("sheet ") + QByteArray::number(sheetNumber);

        QVERIFY2(r.axisPattern >= 1 && r.axisPattern <= 4, where);
        ++patternsSeen[r.axisPattern];
        tablesY += r.usedTable == 'Y';
        QVERIFY2(r.ticketTotal >= 0 && r.ticketTotal <= ticketCount, where);
        if (r.axisPattern != 1)
            QVERIFY2(r.ticketTotal <= 12, where);

        // Orders are descending permutations and ranks their inverses.
        for (int k = 0; k < n; ++k) {
            QVERIFY2(r.favRank[r.favOrder[k]] == k && r.quinellaRank[r.quinellaOrder[k]] == k, where);
            QVERIFY2(r.favSorted[k] == r.favScore[r.favOrder[k]], where);
            QVERIFY2(r.quinellaSorted[k] == r.quinellaScore[r.quinellaOrder[k]], where);
            if (k > 0)
                QVERIFY2(r.favSorted[k - 1] >= r.favSorted[k] && r.quinellaSorted[k - 1] >= r.quinellaSorted[k], where);
        }

        const int axis = r.favTopGrade == 'A' ? r.favOrder[0] : r.quinellaOrder[0];
        std::set<std::pair<int, int>> seen;
        for (int t = 0; t < r.ticketTotal; ++t) {
            const int a = r.ticketFirst[t];
            const int b = r.ticketSecond[t];
            QVERIFY2(a >= 0 && a < b && b < n, where);
            QVERIFY2(seen.insert({a, b}).second, where);
            if (r.axisPattern == 1)
                QVERIFY2(a == axis || b == axis, where);
            else
                QVERIFY2(r.quinellaScore[a] != 0 && r.quinellaScore[b] != 0, where);
        }
        QVERIFY2(runPrediction(sheet, n, ticketCount) == r, where);
    }
    // The generator must reach every pattern and both tables, or the checks above prove little.
    for (int pattern = 1; pattern <= 4; ++pattern)
        QVERIFY2(patternsSeen[pattern] > 50, QByteArray::number(pattern));
    QVERIFY(tablesY > 50);
}

// The tally and the what-if run the engine once per race, for the largest count, and cut the list for every smaller
// one. That is only sound if a run for k equals the run for 12 with its list cut to k tickets: checked on every count,
// on the example race, on races of 0 to 2 runners and on generated sheets that reach every pattern and both tables.
void PredictionTest::everySpinnerCount_isCutFromTheLargestRun()
{
    std::vector<std::pair<MarkSheet, int>> races = {{sheetFrom(exampleMarks), 8},
                                                    {MarkSheet{}, 0},
                                                    {sheetFrom(QStringLiteral("2 1")), 1},
                                                    {sheetFrom(QStringLiteral("1; 0 1")), 2},
                                                    {sheetFrom(thirtyPartnersMarks()), maxRunners}};
    std::mt19937 random(20261209);
    for (int i = 0; i < 6000; ++i) {
        int n = 0;
        MarkSheet sheet = generatedSheet(random, n);
        races.emplace_back(sheet, n);
    }
    std::array<int, 5> patternsSeen{};
    int tablesY = 0;
    int shortLists = 0;
    for (std::size_t i = 0; i < races.size(); ++i) {
        const auto& [sheet, n] = races[i];
        const PredictionResult largest = runPrediction(sheet, n, largestSpinnerCount);
        ++patternsSeen[largest.axisPattern];
        tablesY += largest.usedTable == 'Y';
        shortLists += largest.ticketTotal < largestSpinnerCount;
        for (int k = 1; k <= largestSpinnerCount; ++k) {
            QVERIFY(cutFromLargestRun(k));
            PredictionResult cut = largest;
            cut.ticketCount = k;
            cut.ticketTotal = std::min(k, largest.ticketTotal);
            std::fill(cut.ticketFirst.begin() + cut.ticketTotal, cut.ticketFirst.end(), 0);
            std::fill(cut.ticketSecond.begin() + cut.ticketTotal, cut.ticketSecond.end(), 0);
            QVERIFY2(runPrediction(sheet, n, k) == cut,
                     QByteArray("race ") + QByteArray::number(qulonglong(i)) + " count " + QByteArray::number(k));
        }
    }
    for (int pattern = 1; pattern <= 4; ++pattern)
        QVERIFY2(patternsSeen[pattern] > 50, QByteArray::number(pattern));
    QVERIFY(tablesY > 50);
    QVERIFY(shortLists > 50);
    // Counts outside the spinner are not cut: pattern 1 may give more than 12 tickets for them.
    for (const int count : {0, -1, 13, 16, 40})
        QVERIFY(!cutFromLargestRun(count));
    QCOMPARE(runPrediction(sheetFrom(thirtyPartnersMarks()), markSheetRows, 16).ticketTotal, 16);
}

QTEST_APPLESS_MAIN(PredictionTest)

#include "prediction_test.moc"

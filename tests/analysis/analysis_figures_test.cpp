#include "analysis_folder.h"

#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

Q_DECLARE_METATYPE(AnalysisFilter)

namespace {

AnalysisFilter filterOf(std::function<void(AnalysisFilter&)> change)
{
    AnalysisFilter filter;
    change(filter);
    return filter;
}

// Races of the pattern, one a day from 2001-01-01: H a hit (one ticket 1-4, payout 500: +400), L a miss (one ticket,
// result 5-6: -100), 0 a race that proposed nothing (its result is recorded; it stakes nothing).
std::vector<TestRace> patternRaces(const QString& pattern)
{
    std::vector<TestRace> races;
    QDate date(2001, 1, 1);
    for (const QChar c : pattern) {
        TestRace entry;
        entry.date = date.toString(QStringLiteral("yy/MM/dd"));
        entry.asked = 1;
        entry.first = num(c == u'H' ? 1 : 5);
        entry.second = num(c == u'H' ? 4 : 6);
        entry.payout = num(500);
        entry.marked = c != u'0';
        races.push_back(entry);
        date = date.addDays(1);
    }
    return races;
}

std::vector<DatedValue> dated(std::initializer_list<std::pair<QDate, double>> points)
{
    std::vector<DatedValue> values;
    for (const auto& [date, value] : points)
        values.push_back({date, value});
    return values;
}

// The return rate of every redraw with replacement of the races (n^n of them, all alike), sorted; a redraw that
// stakes nothing has none.
std::vector<double> everyRedraw(const std::vector<double>& stakes, const std::vector<double>& returns)
{
    const std::size_t n = stakes.size();
    std::vector<double> rates;
    std::vector<std::size_t> drawn(n, 0);
    for (std::size_t d = 0; d < n;) {
        double staked = 0;
        double returned = 0;
        for (const std::size_t race : drawn) {
            staked += stakes[race];
            returned += returns[race];
        }
        if (staked != 0)
            rates.push_back(100.0 * returned / staked);
        for (d = 0; d < n && ++drawn[d] == n; ++d)
            drawn[d] = 0;
    }
    std::sort(rates.begin(), rates.end());
    return rates;
}

// Whether a bound lies at the share's percentile of the sorted rates, within three Monte Carlo errors of a percentile
// of bootstrapResamples draws: the rates below it are at most that share, those up to it at least.
bool atPercentile(const std::vector<double>& rates, double share, double bound)
{
    const double error = 3 * std::sqrt(share * (1 - share) / bootstrapResamples);
    const auto size = static_cast<double>(rates.size());
    const double below = static_cast<double>(std::lower_bound(rates.begin(), rates.end(), bound) - rates.begin());
    const double upTo = static_cast<double>(std::upper_bound(rates.begin(), rates.end(), bound) - rates.begin());
    return below / size <= share + error && upTo / size >= share - error;
}

} // namespace

// Filters, figures and chart data of the analysis, on folders whose every number is worked out by hand.
class AnalysisFiguresTest : public QObject {
    Q_OBJECT

private slots:
    void figuresOfBothSeries()
    {
        AnalysedFolder folder(handComputedRaces(), true);
        const SeriesFigures& p = folder->figures(Series::Proposals);
        QCOMPARE(p.races, 6);
        QCOMPARE(p.hits, 3);
        QCOMPARE(p.hitRatePercent(), 50.0);
        QCOMPARE(p.stake, std::int64_t(1800));
        QCOMPARE(p.returned, std::int64_t(3200));
        QCOMPARE(p.returnRatePercent().value(), 3200.0 / 1800.0 * 100);
        QCOMPARE(p.profit(), std::int64_t(1400));
        QCOMPARE(p.profitPerRace().value(), 1400.0 / 6);
        QCOMPARE(p.highestReturn, std::int64_t(2000));
        QCOMPARE(p.longestLosingStreak, 3);
        QCOMPARE(p.maxDrawdown, std::int64_t(1200));
        QVERIFY(p.indicative());

        const SeriesFigures& own = folder->figures(Series::Own);
        QCOMPARE(own.races, 6);
        QCOMPARE(own.hits, 3);
        QCOMPARE(own.stake, std::int64_t(5600));
        QCOMPARE(own.returned, std::int64_t(7200));
        QCOMPARE(own.profit(), std::int64_t(1600));
        QCOMPARE(own.highestReturn, std::int64_t(4000));
        QCOMPARE(own.longestLosingStreak, 3);
        QCOMPARE(own.maxDrawdown, std::int64_t(3500));

        // The figures model shows the same, Japanese and with separators.
        const FiguresModel& model = folder->figuresModel();
        QCOMPARE(model.objectName(), QStringLiteral("analysisFigures"));
        QCOMPARE(model.headerData(FiguresModel::Proposals, Qt::Horizontal).toString(), QStringLiteral("予想の成績"));
        QCOMPARE(model.headerData(FiguresModel::Own, Qt::Horizontal).toString(), QStringLiteral("あなたの収支"));
        auto shown = [&model](int row, int column) { return model.index(row, column).data().toString(); };
        QCOMPARE(shown(FiguresModel::ReturnRate, FiguresModel::Proposals), QStringLiteral("177.8%"));
        QCOMPARE(shown(FiguresModel::Stake, FiguresModel::Own), QStringLiteral("5,600円"));
        QCOMPARE(shown(FiguresModel::MaxDrawdown, FiguresModel::Own), QStringLiteral("3,500円"));
        QCOMPARE(shown(FiguresModel::LongestLosingStreak, FiguresModel::Proposals), QStringLiteral("3レース"));
        QVERIFY(shown(FiguresModel::ReturnInterval95, FiguresModel::Own).endsWith(QStringLiteral("（参考値）")));
        QVERIFY(model.index(FiguresModel::ReturnRate, FiguresModel::Own).data(AnalysisRole::Indicative).toBool());
    }

    void filters_data()
    {
        QTest::addColumn<AnalysisFilter>("filter");
        // proposals: races, hits, stake, payout; own: races, stake, income
        QTest::addColumn<QList<double>>("figures");
        // undated, outside period, other course, other class, matching, without result, without amounts
        QTest::addColumn<QList<int>>("leftOut");
        QTest::newRow("everything") << AnalysisFilter{} << QList<double>{6, 3, 1800, 3200, 6, 5600, 7200}
                                    << QList<int>{0, 0, 0, 0, 7, 1, 1};
        QTest::newRow("the year 2000") << filterOf([](AnalysisFilter& f) {
            f.period = AnalysisFilter::Period::Year;
            f.year = 2000;
        }) << QList<double>{3, 1, 1100, 2000, 3, 2500, 4000}
                                       << QList<int>{1, 2, 0, 0, 4, 1, 1};
        QTest::newRow("December 1999 to January 2000") << filterOf([](AnalysisFilter& f) {
            f.period = AnalysisFilter::Period::Months;
            f.fromMonth = QDate(1999, 12, 1);
            f.toMonth = QDate(2000, 1, 31);
        }) << QList<double>{4, 1, 1400, 500, 4, 4500, 2500}
                                                       << QList<int>{1, 2, 0, 0, 4, 0, 0};
        QTest::newRow("東京, with or without 競馬場")
            << filterOf([](AnalysisFilter& f) { f.course = QStringLiteral("東京"); })
            << QList<double>{3, 2, 700, 1200, 4, 2600, 7200} << QList<int>{0, 0, 3, 0, 4, 1, 0};
        QTest::newRow("a course no race has") << filterOf([](AnalysisFilter& f) { f.course = QStringLiteral("札幌"); })
                                              << QList<double>{0, 0, 0, 0, 0, 0, 0} << QList<int>{0, 0, 7, 0, 0, 0, 0};
        QTest::newRow("ＧⅠ, typed GI too")
            << filterOf([](AnalysisFilter& f) { f.grade = GradeClass::G1; })
            << QList<double>{3, 3, 600, 3200, 3, 2100, 7200} << QList<int>{0, 0, 0, 3, 4, 1, 1};
        QTest::newRow("class left empty is その他")
            << filterOf([](AnalysisFilter& f) { f.grade = GradeClass::Other; })
            << QList<double>{1, 0, 400, 0, 1, 1000, 0} << QList<int>{0, 0, 0, 6, 1, 0, 0};
        QTest::newRow("with the race without result")
            << filterOf([](AnalysisFilter& f) { f.includeWithoutResult = true; })
            << QList<double>{7, 3, 2200, 3200, 6, 5600, 7200} << QList<int>{0, 0, 0, 0, 7, 1, 1};
        QTest::newRow("with the race without amounts")
            << filterOf([](AnalysisFilter& f) { f.includeWithoutAmounts = true; })
            << QList<double>{6, 3, 1800, 3200, 7, 5600, 7200} << QList<int>{0, 0, 0, 0, 7, 1, 1};
    }
    void filters()
    {
        QFETCH(AnalysisFilter, filter);
        QFETCH(QList<double>, figures);
        QFETCH(QList<int>, leftOut);
        AnalysedFolder folder(handComputedRaces(), true);
        folder->setFilter(filter);
        const SeriesFigures& p = folder->figures(Series::Proposals);
        const SeriesFigures& own = folder->figures(Series::Own);
        QCOMPARE((QList<double>{double(p.races), double(p.hits), double(p.stake), double(p.returned), double(own.races),
                                double(own.stake), double(own.returned)}),
                 figures);
        const FilterCounts& c = folder->counts();
        QCOMPARE((QList<int>{c.undated, c.outsidePeriod, c.otherCourse, c.otherClass, c.matching, c.withoutResult,
                             c.withoutAmounts}),
                 leftOut);
        QCOMPARE(c.files, 8);
        QCOMPARE(c.unreadableFiles, 1);
        QCOMPARE(c.proposalRaces, p.races);
        QCOMPARE(c.ownRaces, own.races);
        // The figures model follows the filter.
        QCOMPARE(folder->figuresModel().index(FiguresModel::Races, FiguresModel::Proposals).data(AnalysisRole::Sort),
                 QVariant(static_cast<long long>(p.races)));
    }

    // A race holding an amount no sum can count exactly (negative, not whole yen, beyond 999,999,999,999円) is left out
    // of every money figure and counted as left out; the largest amount is counted.
    void amountsBeyondCountingAreLeftOut_data()
    {
        QTest::addColumn<TailValue>("payout");
        QTest::addColumn<TailValue>("stake");
        QTest::addColumn<TailValue>("income");
        QTest::addColumn<bool>("leftOut");
        QTest::newRow("largest amounts") << num(999999999999) << num(999999999999) << num(999999999999) << false;
        QTest::newRow("payout 2^63 on a hit") << num(9223372036854775808.0) << num(100) << num(0) << true;
        QTest::newRow("payout 1e19 - 1200") << txt("9999999999999998800") << num(100) << num(0) << true;
        QTest::newRow("negative stake") << num(500) << num(-500) << num(0) << true;
        QTest::newRow("income one more than the largest") << num(500) << num(0) << num(1000000000000) << true;
        QTest::newRow("a fraction of a yen") << txt("870.5") << num(100) << num(0) << true;
    }
    void amountsBeyondCountingAreLeftOut()
    {
        QFETCH(TailValue, payout);
        QFETCH(TailValue, stake);
        QFETCH(TailValue, income);
        QFETCH(bool, leftOut);
        std::vector<TestRace> races = handComputedRaces();
        // A hit of R1's pair on a day of its own.
        races.push_back({.date = "00/03/01",
                         .number = 8,
                         .asked = 2,
                         .first = num(4),
                         .second = num(1),
                         .payout = payout,
                         .stake = stake,
                         .income = income});
        AnalysedFolder folder(races, true);
        const FilterCounts& counts = folder->counts();
        QCOMPARE(counts.amountsOutOfRange, leftOut ? 1 : 0);
        QCOMPARE(counts.matching, leftOut ? 7 : 8);
        const SeriesFigures& p = folder->figures(Series::Proposals);
        const SeriesFigures& own = folder->figures(Series::Own);
        if (leftOut) {
            // Exactly the hand-computed figures of the other races.
            QCOMPARE((QList<std::int64_t>{p.stake, p.returned, own.stake, own.returned}),
                     (QList<std::int64_t>{1800, 3200, 5600, 7200}));
            QVERIFY(!folder->races().table.empty());
            for (const int race : folder->races().table)
                QVERIFY(folder->data().outcome(race).amountsCountable());
        } else {
            QCOMPARE(p.returned, 3200 + std::int64_t(999999999999));
            QCOMPARE(own.stake, 5600 + std::int64_t(999999999999));
            QCOMPARE(own.returned, 7200 + std::int64_t(999999999999));
        }
        QVERIFY(p.returnInterval && p.returnInterval->low >= 0);
        QVERIFY(own.returnInterval && own.returnInterval->low >= 0);
    }

    void losingStreakAndDrawdown_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("streak");
        QTest::addColumn<std::int64_t>("drawdown");
        QTest::addColumn<bool>("indicative");
        // Cumulative 400 300 200 100 0 0 -100 -200 200: six losses in a row, the race without tickets in between.
        QTest::newRow("streak through a race without tickets") << "HLLLL0LLH" << 6 << std::int64_t(600) << true;
        QTest::newRow("falling from the start") << "LLH" << 2 << std::int64_t(200) << true;
        QTest::newRow("only hits") << "HHH" << 0 << std::int64_t(0) << true;
        QTest::newRow("a long losing streak") << "H" + QString(35, u'L') + "H" << 35 << std::int64_t(3500) << false;
        QTest::newRow("29 races are indicative") << QString(29, u'L') << 29 << std::int64_t(2900) << true;
        QTest::newRow("30 races are not") << QString(30, u'L') << 30 << std::int64_t(3000) << false;
    }
    void losingStreakAndDrawdown()
    {
        QFETCH(QString, pattern);
        AnalysedFolder folder(patternRaces(pattern));
        const SeriesFigures& p = folder->figures(Series::Proposals);
        QCOMPARE(p.races, pattern.size());
        QTEST(p.longestLosingStreak, "streak");
        QTEST(p.maxDrawdown, "drawdown");
        QTEST(p.indicative(), "indicative");
    }

    void chartSeries()
    {
        AnalysedFolder folder(handComputedRaces(), true);
        const AnalysisCharts& charts = folder->charts();
        // One point per race day, in time order across the century; the race without a date is left out.
        QCOMPARE(charts.cumulativeProposals,
                 dated({{QDate(1999, 12, 26), -100}, {QDate(2000, 1, 5), -900}, {QDate(2000, 2, 11), 800}}));
        QCOMPARE(charts.cumulativeOwn,
                 dated({{QDate(1999, 12, 26), -500}, {QDate(2000, 1, 5), -2000}, {QDate(2000, 2, 10), 1000}}));
        QCOMPARE(charts.monthLabels, (QStringList{"1999年12月", "2000年1月", "2000年2月"}));
        QCOMPARE(charts.monthlyProposals, (std::vector<double>{-100, -800, 1700}));
        QCOMPARE(charts.monthlyOwn, (std::vector<double>{-500, -1500, 3000}));
        // Fewer than twenty races: every point is the rate of all races so far, R1 200 in, 500 back … R6 1,700 in,
        // 2,500 back; all of them indicative.
        QCOMPARE(charts.returnTrend.size(), std::size_t(5));
        QCOMPARE(charts.returnTrendIndicative, std::size_t(5));
        QCOMPARE(charts.returnTrend.front().value, 250.0);
        QCOMPARE(charts.returnTrend.back(), (DatedValue{QDate(2000, 2, 11), 2500.0 / 1700 * 100}));
        QCOMPARE(charts.referenceRate, 77.5);
        const QList<QPointF> points = chartPoints(charts.cumulativeOwn);
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(qint64(points[1].x()), Qt::UTC).date(), QDate(2000, 1, 5));
        QCOMPARE(points[1].y(), -2000.0);
    }

    void returnTrend_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QList<double>>("rates"); // at races 1, 19, 20 and 21 where there are so many
        QTest::addColumn<int>("indicative");
        // A hit (500 back on 100) and then misses: the rate of all races so far until the 19th race, then of the last
        // 20, which leave the hit behind at the 21st.
        const QString hitThenMisses = u'H' + QString(20, u'L');
        QTest::newRow("1 race") << hitThenMisses.left(1) << QList<double>{500} << 1;
        QTest::newRow("19 races") << hitThenMisses.left(19) << QList<double>{500, 500.0 / 19} << 19;
        QTest::newRow("20 races") << hitThenMisses.left(20) << QList<double>{500, 500.0 / 19, 25} << 19;
        QTest::newRow("21 races") << hitThenMisses << QList<double>{500, 500.0 / 19, 25, 0} << 19;
        // Nineteen misses and five hits: the windows ending at races 20 … 24 hold 1 … 5 hits.
        QTest::newRow("24 races") << QString(19, u'L') + "HHHHH" << QList<double>{0, 0, 25, 50} << 19;
    }
    void returnTrend()
    {
        QFETCH(QString, pattern);
        QFETCH(QList<double>, rates);
        AnalysedFolder folder(patternRaces(pattern));
        const AnalysisCharts& charts = folder->charts();
        const std::vector<DatedValue>& trend = charts.returnTrend;
        QCOMPARE(trend.size(), std::size_t(pattern.size())); // a point from the first race on
        QTEST(int(charts.returnTrendIndicative), "indicative");
        const int races[] = {1, 19, 20, 21};
        for (qsizetype i = 0; i < rates.size(); ++i) {
            const DatedValue& point = trend[std::size_t(races[i] - 1)];
            QCOMPARE(point.date, QDate(2001, 1, races[i]));
            QCOMPARE(point.value, rates[i]);
        }
    }

    void bootstrap()
    {
        // Forty races: one in four paid 500 on 100.
        std::vector<double> stakes(40, 100);
        std::vector<double> returns(40, 0);
        for (std::size_t i = 0; i < returns.size(); i += 4)
            returns[i] = 500;
        const auto first = bootstrapReturnInterval(stakes, returns);
        QVERIFY(first);
        QCOMPARE(bootstrapReturnInterval(stakes, returns), first); // same races, same interval
        QVERIFY(first->low < 125 && 125 < first->high);
        QVERIFY(first->low > 0 && first->high < 500);
        QVERIFY(bootstrapReturnInterval(stakes, returns, bootstrapResamples, bootstrapSeed + 1) != first);
        QVERIFY(!bootstrapReturnInterval({}, {}));
        QVERIFY(!bootstrapReturnInterval({0, 0}, {0, 0})); // nothing staked: no rate to draw
        // Draws asked whether they are still wanted give the same interval, or stop with none once they are not.
        int asked = 0;
        QCOMPARE(bootstrapReturnInterval(stakes, returns, bootstrapResamples, bootstrapSeed,
                                         [&asked] {
                                             ++asked;
                                             return false;
                                         }),
                 first);
        QVERIFY(asked > 1);
        QVERIFY(!bootstrapReturnInterval(stakes, returns, bootstrapResamples, bootstrapSeed, [] { return true; }));

        // The folder's figures carry it, and the interval holds the figure.
        AnalysedFolder folder(handComputedRaces(), true);
        const SeriesFigures& p = folder->figures(Series::Proposals);
        QVERIFY(p.returnInterval);
        QVERIFY(p.returnInterval->low <= *p.returnRatePercent() && *p.returnRatePercent() <= p.returnInterval->high);
        AnalysedFolder again(handComputedRaces(), true);
        QCOMPARE(again->figures(Series::Proposals).returnInterval, p.returnInterval);
    }

    // A handful of races: the interval is that of every redraw of them with replacement. Each bound must lie where
    // the exact distribution of the n^n redraws has its 2.5th or 97.5th percentile.
    void bootstrap_fewRacesAsEveryRedraw_data()
    {
        QTest::addColumn<std::vector<double>>("stakes");
        QTest::addColumn<std::vector<double>>("returns");
        QTest::newRow("one race") << std::vector<double>{200} << std::vector<double>{500};
        QTest::newRow("two races") << std::vector<double>{100, 500} << std::vector<double>{800, 0};
        QTest::newRow("three races") << std::vector<double>{100, 200, 300} << std::vector<double>{0, 900, 0};
        QTest::newRow("four races") << std::vector<double>{200, 400, 400, 400} << std::vector<double>{500, 0, 0, 0};
        QTest::newRow("five races, one staking nothing")
            << std::vector<double>{100, 0, 200, 400, 300} << std::vector<double>{0, 0, 0, 2000, 1500};
        QTest::newRow("six races") << std::vector<double>{300, 100, 200, 100, 400, 100}
                                   << std::vector<double>{0, 1500, 0, 0, 900, 0};
    }
    void bootstrap_fewRacesAsEveryRedraw()
    {
        QFETCH(std::vector<double>, stakes);
        QFETCH(std::vector<double>, returns);
        const std::vector<double> rates = everyRedraw(stakes, returns);
        const std::optional<ReturnInterval> interval = bootstrapReturnInterval(stakes, returns);
        QVERIFY(interval);
        QVERIFY2(atPercentile(rates, 0.025, interval->low) && atPercentile(rates, 0.975, interval->high),
                 qPrintable(QStringLiteral("%1～%2").arg(interval->low).arg(interval->high)));
    }

    // The four races of 1999-12..2000-01: the proposals staked 200 on R1 for 500 back and 400 on each of R2..R4 for
    // nothing. A redraw holding R1 k times returns 500k / (200k + 400(4 − k)): 0% for k = 0 in 81 of the 256 redraws,
    // 150% for k = 3 in 12 and 250% for k = 4 in one, so the 97.5th percentile is 150%. Poisson weights, which draw
    // one race alone in many resamples, put it at 250%.
    void bootstrap_fourRaceFolder()
    {
        AnalysedFolder folder(handComputedRaces(), true);
        AnalysisFilter months;
        months.period = AnalysisFilter::Period::Months;
        months.fromMonth = QDate(1999, 12, 1);
        months.toMonth = QDate(2000, 1, 1);
        folder->setFilter(months);
        folder->waitForIntervals();
        const SeriesAmounts amounts = seriesAmounts(folder->data(), Series::Proposals, folder->races().proposals);
        QCOMPARE(amounts.stakes, (std::vector<double>{200, 400, 400, 400}));
        QCOMPARE(amounts.returns, (std::vector<double>{500, 0, 0, 0}));
        const std::vector<double> rates = everyRedraw(amounts.stakes, amounts.returns);
        QCOMPARE(rates.size(), std::size_t(256));
        QCOMPARE(rates[std::size_t(std::ceil(0.975 * 256)) - 1], 150.0);
        QCOMPARE(folder->figures(Series::Proposals).returnInterval, (ReturnInterval{0, 150}));
        QCOMPARE(
            folder->figuresModel().index(FiguresModel::ReturnInterval95, FiguresModel::Proposals).data().toString(),
            QStringLiteral("0.0%～150.0%（参考値）"));
        // Poisson weights on the same races miss the exact distribution.
        setPoissonDrawsFrom(0);
        const std::optional<ReturnInterval> poisson = bootstrapReturnInterval(amounts.stakes, amounts.returns);
        setPoissonDrawsFrom(poissonDrawsFrom);
        QCOMPARE(poisson, (ReturnInterval{0, 250}));
        QVERIFY(!atPercentile(rates, 0.975, poisson->high));
    }

    // Up to poissonDrawsFrom races the races are drawn with replacement, from there on with Poisson weights; the two
    // give other intervals on these races.
    void bootstrap_poissonFromTheThreshold_data()
    {
        QTest::addColumn<int>("races");
        QTest::addColumn<bool>("poisson");
        QTest::newRow("one below") << poissonDrawsFrom - 1 << false;
        QTest::newRow("at the threshold") << poissonDrawsFrom << true;
    }
    void bootstrap_poissonFromTheThreshold()
    {
        QFETCH(int, races);
        QFETCH(bool, poisson);
        std::vector<double> stakes;
        std::vector<double> returns;
        for (int race = 0; race < races; ++race) {
            stakes.push_back(100.0 * (1 + race % 5));
            returns.push_back(race % 3 == 1 ? 300.0 * (1 + race % 7) : 0);
        }
        const std::optional<ReturnInterval> interval = bootstrapReturnInterval(stakes, returns);
        std::optional<ReturnInterval> way[2];
        for (const bool weights : {false, true}) {
            setPoissonDrawsFrom(weights ? 0 : std::numeric_limits<int>::max());
            way[weights] = bootstrapReturnInterval(stakes, returns);
        }
        setPoissonDrawsFrom(poissonDrawsFrom);
        QVERIFY(way[0] && way[1] && way[0] != way[1]);
        QCOMPARE(interval, way[poisson]);
    }

    // The three ways drawn together give each way the interval it has alone, and the difference of two equal ways is
    // none in every draw.
    void threeWays()
    {
        std::vector<double> stakes[3];
        std::vector<double> returns[3];
        std::vector<double> amounts;
        for (int race = 0; race < 37; ++race) {
            const double way[3][2] = {
                {100, race % 4 == 0 ? 500.0 : 0}, {300, race % 7 == 0 ? 2000.0 : 0}, {100, race % 4 == 0 ? 500.0 : 0}};
            for (int w = 0; w < 3; ++w) {
                stakes[w].push_back(way[w][0]);
                returns[w].push_back(way[w][1]);
                amounts.insert(amounts.end(), {way[w][0], way[w][1]});
            }
        }
        const ThreeWayIntervals intervals = bootstrapThreeWays(amounts);
        for (int w = 0; w < 3; ++w)
            QCOMPARE(intervals.ways[std::size_t(w)], bootstrapReturnInterval(stakes[w], returns[w]));
        QVERIFY(intervals.ways[0] != intervals.ways[1]);
        QCOMPARE(intervals.firstLessLast, (ReturnInterval{0, 0}));
        QVERIFY(!bootstrapThreeWays({}).ways[0]);
        QVERIFY(!bootstrapThreeWays(amounts, bootstrapResamples, bootstrapSeed, [] { return true; }).firstLessLast);
    }

    // The digits of the intervals, drawn once by the plain loop that looks each weight up in a table: however they
    // are drawn (with the processor's vector instructions or the plain loop, on one thread or two, any number of
    // resamples), the same races must give these same doubles. Races without a stake are among them.
    void bootstrap_sameDigitsEverywhere_data()
    {
        QTest::addColumn<int>("races");
        QTest::addColumn<int>("resamples");
        QTest::addColumn<QList<double>>("bounds"); // the return rate's, then the three ways' difference
        QTest::newRow("40 races") << 40 << 2000
                                  << QList<double>{0.46296296296296297, 489.3491124260355, -141.76094441711757,
                                                   366.13712374581939};
        QTest::newRow("300 races, 1003 resamples")
            << 300 << 1003
            << QList<double>{213.71204701273263, 488.90330953926025, 85.912079629918395, 359.31068230189192};
        QTest::newRow("50 races, 4 resamples")
            << 50 << 4 << QList<double>{118.78980891719745, 316.84587813620072, 62.995169082125585, 236.93739140182728};
        QTest::newRow("25000 races, two halves")
            << 25000 << 2000
            << QList<double>{327.96312643616199, 358.37750851950017, 201.81480742126865, 233.9613625201909};
    }

    void bootstrap_sameDigitsEverywhere()
    {
        QFETCH(int, races);
        QFETCH(int, resamples);
        QFETCH(QList<double>, bounds);
        std::vector<double> stakes;
        std::vector<double> returns;
        std::vector<double> amounts;
        for (int i = 0; i < races; ++i) {
            const double stake = i % 11 == 5 ? 0 : 100.0 * (1 + i * 7 % 12);
            const double returned = stake > 0 && i * 37 % 9 == 0 ? 100.0 * (i * 13 % 400 + 1) : 0;
            stakes.push_back(stake);
            returns.push_back(returned);
            amounts.insert(amounts.end(), {stake, returned, 300, i % 5 == 0 ? 1800.0 : 0, 100, i % 4 == 0 ? 500.0 : 0});
        }
        for (const bool vector : {true, false}) {
            allowVectorDraws(vector);
            const std::optional<ReturnInterval> rate = bootstrapReturnInterval(stakes, returns, resamples);
            const std::optional<ReturnInterval> difference = bootstrapThreeWays(amounts, resamples).firstLessLast;
            allowVectorDraws(true);
            QVERIFY(rate && difference);
            const QList<double> drawn{rate->low, rate->high, difference->low, difference->high};
            QVERIFY2(drawn == bounds, qPrintable(QStringLiteral("%1: %2 %3 %4 %5")
                                                     .arg(vector ? "vector" : "plain")
                                                     .arg(drawn[0], 0, 'g', 17)
                                                     .arg(drawn[1], 0, 'g', 17)
                                                     .arg(drawn[2], 0, 'g', 17)
                                                     .arg(drawn[3], 0, 'g', 17)));
        }
    }

    // Wilson's interval in per cent: it keeps a width at no hit and at all hits and stays within 0..100.
    void wilson_data()
    {
        QTest::addColumn<int>("hits");
        QTest::addColumn<int>("trials");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("no hit") << 0 << 5 << 0.0 << 43.448;
        QTest::newRow("all hits") << 5 << 5 << 56.552 << 100.0;
        QTest::newRow("one of five") << 1 << 5 << 3.622 << 62.447;
        QTest::newRow("half of thirty") << 15 << 30 << 33.154 << 66.846;
        QTest::newRow("one of one") << 1 << 1 << 20.655 << 100.0;
    }

    void wilson()
    {
        QFETCH(int, hits);
        QFETCH(int, trials);
        QFETCH(double, low);
        QFETCH(double, high);
        const std::optional<ReturnInterval> interval = wilsonInterval(hits, trials);
        QVERIFY(interval);
        QVERIFY2(std::abs(interval->low - low) < 0.001 && std::abs(interval->high - high) < 0.001,
                 qPrintable(QStringLiteral("%1～%2").arg(interval->low).arg(interval->high)));
        QVERIFY(!wilsonInterval(0, 0));
        QVERIFY(!wilsonInterval(6, 5));
    }

    // The interval's level, on races whose resampled return rate has a distribution known exactly: 400 races of one
    // 100-yen ticket, 100 of them paying 400. A resample's rate is then 400·H / (400·100) × 100 = H per cent, H the
    // hits drawn, H ~ Binomial(400, 1/4). The bounds must be the distribution's 2.5% and 97.5% points, within three
    // standard errors of the order statistic the bound is (rank 50 or 1950 of 2,000 draws): sqrt(a(1−a)/2000) over
    // the probability at the point, about half a hit, so a tolerance of about 1.5 hits. The 5% and 95% points, the
    // bounds of a 90% interval, lie three hits inside, and the test checks that they would fail.
    void intervalLevel()
    {
        const int n = 400;
        std::vector<double> stakes(n, 100);
        std::vector<double> returns(n, 0);
        for (int i = 0; i < n; i += 4)
            returns[std::size_t(i)] = 400;
        std::vector<double> probability(n + 1);
        for (int h = 0; h <= n; ++h)
            probability[std::size_t(h)] =
                std::exp(std::lgamma(n + 1.0) - std::lgamma(h + 1.0) - std::lgamma(n - h + 1.0) + h * std::log(0.25)
                         + (n - h) * std::log(0.75));
        auto point = [&probability](double share) {
            double below = 0;
            for (std::size_t h = 0; h < probability.size(); ++h) {
                below += probability[h];
                if (below >= share)
                    return int(h);
            }
            return int(probability.size()) - 1;
        };
        auto tolerance = [&](double share) {
            return 3 * std::sqrt(share * (1 - share) / bootstrapResamples) / probability[std::size_t(point(share))];
        };
        const std::optional<ReturnInterval> interval = bootstrapReturnInterval(stakes, returns);
        QVERIFY(interval);
        for (const auto& [share, narrower, bound] :
             {std::tuple{0.025, 0.05, interval->low}, std::tuple{0.975, 0.95, interval->high}}) {
            QVERIFY2(std::abs(bound - point(share)) <= tolerance(share),
                     qPrintable(QStringLiteral("%1 against %2").arg(bound).arg(point(share))));
            QVERIFY(std::abs(point(narrower) - point(share)) > tolerance(share));
        }
    }

    void intervalsComeInTheBackground()
    {
        AnalysedFolder folder(handComputedRaces(), true);
        QSignalSpy ready(folder.analysis.get(), &Analysis::intervalsReady);
        AnalysisFilter year2000;
        year2000.period = AnalysisFilter::Period::Year;
        year2000.year = 2000;
        folder->setFilter(year2000);
        folder->setFilter(AnalysisFilter{}); // the draws for 2000 no longer count
        QVERIFY(folder->intervalsPending());
        QCOMPARE(folder->figuresModel().index(FiguresModel::ReturnInterval95, FiguresModel::Own).data().toString(),
                 QStringLiteral("計算中"));
        QVERIFY(ready.wait());
        QTRY_VERIFY(!folder->intervalsPending());
        QCOMPARE(ready.count(), 1);
        const SeriesAmounts own = seriesAmounts(folder->data(), Series::Own, folder->races().own);
        QCOMPARE(folder->figures(Series::Own).returnInterval, bootstrapReturnInterval(own.stakes, own.returns));
        QVERIFY(folder->figuresModel()
                    .index(FiguresModel::ReturnInterval95, FiguresModel::Own)
                    .data()
                    .toString()
                    .contains(u'～'));
    }
};

QTEST_GUILESS_MAIN(AnalysisFiguresTest)
#include "analysis_figures_test.moc"

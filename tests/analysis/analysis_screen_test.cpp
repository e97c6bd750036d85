#include "analysis_folder.h"
#include "app_harness.h"
#include "racefile/save_file.h"
#include "temp_folder.h"
#include "test_main.h"
#include "typing.h"

#include "analysis/csv_export.h"
#include "analysis/display_text.h"
#include "screens/analysis_charts.h"
#include "screens/analysis_screen.h"
#include "screens/help_window.h"

#include <QIdentityProxyModel>

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolTip>
#include <QValueAxis>

namespace {

// The hand-computed folder of the analysis tests, and twenty misses at 阪神 in March 2001 after it, so that the
// return-rate trend (20 races) has points: proposals 26 races (R5 without result left out), own 26 (R6 without
// amounts left out), 27 rows in the race table.
std::vector<TestRace> screenRaces()
{
    std::vector<TestRace> races = handComputedRaces();
    for (int day = 1; day <= 20; ++day) {
        TestRace miss;
        miss.date = QStringLiteral("01/03/%1").arg(day, 2, 10, QLatin1Char('0'));
        miss.number = 8 + day;
        miss.course = QStringLiteral("阪神競馬場");
        miss.grade = QString();
        miss.first = num(5);
        miss.second = num(6);
        miss.payout = num(1000);
        miss.stake = num(500);
        races.push_back(miss);
    }
    return races;
}

QList<QPointF> seriesPoints(QWidget* screen, const char* name)
{
    auto* series = screen->findChild<QLineSeries*>(QString::fromLatin1(name));
    return series ? series->points() : QList<QPointF>{{-1, -1}};
}

std::vector<double> barValues(QWidget* screen, const char* name)
{
    std::vector<double> values;
    if (auto* set = screen->findChild<QBarSet*>(QString::fromLatin1(name))) {
        for (int i = 0; i < set->count(); ++i)
            values.push_back(set->at(i));
    }
    return values;
}

// The time charts' series over count months from January 2019 (race days on the 1st and the 15th), their values
// varied by seed.
AnalysisCharts timeCharts(int count, int seed)
{
    AnalysisCharts charts;
    double proposals = 0;
    for (int i = 0; i < count; ++i) {
        const QDate month = QDate(2019, 1, 1).addMonths(i);
        charts.months.push_back(month);
        charts.monthLabels.append(QStringLiteral("%1年%2月").arg(month.year()).arg(month.month()));
        charts.monthlyProposals.push_back(((i * 37 + seed * 11) % 41 - 20) * 500.0);
        charts.monthlyOwn.push_back(((i * 53 + seed * 29) % 31 - 12) * 700.0);
        for (const QDate day : {month, month.addDays(14)}) {
            proposals += charts.monthlyProposals.back() / 2;
            charts.cumulativeProposals.push_back({day, proposals});
            charts.cumulativeOwn.push_back({day, -proposals / 3});
            charts.returnTrend.push_back({day, 40.0 + (i * 17 + seed * 5) % 90});
        }
    }
    charts.returnTrendIndicative = std::min<std::size_t>(19, charts.returnTrend.size());
    charts.referenceRate = 77.5;
    return charts;
}

// A time chart shown once with the series of before months and then with those of after months, and the same chart
// drawn anew with the latter, both laid out.
template <typename Chart>
void drawChangedAndAnew(Chart& changed, Chart& anew, int before, int after)
{
    for (Chart* chart : {&changed, &anew}) {
        chart->resize(600, 400);
        chart->show();
    }
    changed.setData(timeCharts(before, 1));
    QCoreApplication::processEvents();
    changed.grab();
    changed.setData(timeCharts(after, 2));
    anew.setData(timeCharts(after, 2));
    QCoreApplication::processEvents();
}

QString figure(QAbstractItemModel* figures, int row, int column)
{
    return figures->index(row, column).data(AnalysisRole::Csv).toString();
}

} // namespace

// The analysis screen over a real folder: reached from the record and balance screens and back, its models and
// charts following the filters set through its controls, the race table sorted and searched through its header and
// box, and the CSV of the table in view through the save dialog.
class AnalysisScreenTest : public QObject {
    Q_OBJECT

private:
    // The program on a folder of the given races, with the analysis opened from the record screen.
    struct Opened {
        TempFolder folder;
        AppHarness app;
        AnalysisScreen* screen = nullptr;

        // waitForIntervals: the figures drawn in the background are in before the test looks.
        explicit Opened(const std::vector<TestRace>& races, bool waitForIntervals = true)
        {
            if (!writeRaces(folder.path(), races))
                return;
            app.nav().show(ScreenId::Form7);
            app.click(ScreenId::Form7, QStringLiteral("Command2"));
            screen = qobject_cast<AnalysisScreen*>(app.nav().screen(ScreenId::Analysis));
            if (screen) {
                // The analysis's models and the screen's own views of them, under Qt's model tester.
                AnalysedFolder::testModels(*screen->analysis());
                for (QIdentityProxyModel* shown : screen->findChildren<QIdentityProxyModel*>())
                    new QAbstractItemModelTester(shown, QAbstractItemModelTester::FailureReportingMode::QtTest, shown);
            }
            if (screen && waitForIntervals)
                screen->analysis()->waitForIntervals();
        }
        template <typename Widget = QWidget>
        Widget* find(const char* name) const
        {
            return screen->findChild<Widget*>(QString::fromLatin1(name));
        }
        QAbstractItemModel* model(const char* name) const { return find<QAbstractItemModel>(name); }
        void showPage(AnalysisScreen::Page page) const { find<QTabWidget>("analysisPages")->setCurrentIndex(page); }
    };

private slots:
    void buttonOpensTheScreenAndBackReturns_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key"); // 0: a mouse click
        QTest::newRow("record, click") << int(ScreenId::Form7) << "Command2" << 0;
        QTest::newRow("record, Enter") << int(ScreenId::Form7) << "Command2" << int(Qt::Key_Return);
        QTest::newRow("balance, Space") << int(ScreenId::Form8) << "Command3" << int(Qt::Key_Space);
        QTest::newRow("balance, click") << int(ScreenId::Form8) << "Command3" << 0;
    }

    // The screen opens over the one it came from, which stays loaded; 戻ります shows that screen again with the
    // focus back on the button, and that screen's own 戻ります still goes to the menu.
    void buttonOpensTheScreenAndBackReturns()
    {
        QFETCH(int, from);
        QFETCH(QString, button);
        QFETCH(int, key);
        const auto origin = static_cast<ScreenId>(from);
        TempFolder folder;
        QVERIFY(writeRaces(folder.path(), screenRaces()));
        AppHarness app;
        app.nav().show(origin);
        auto* open = app.find<QPushButton>(origin, button);
        QVERIFY(open && open->isVisible());
        QCOMPARE(open->text(), QStringLiteral("分析とグラフ"));
        if (key == 0) {
            QTest::mouseClick(open, Qt::LeftButton);
        } else {
            open->setFocus(Qt::TabFocusReason);
            QTest::keyClick(open, static_cast<Qt::Key>(key));
        }
        QCoreApplication::processEvents();

        Screen* analysis = app.nav().front();
        QVERIFY(analysis && analysis->screenId() == ScreenId::Analysis);
        QVERIFY(app.nav().isLoaded(origin));
        QCOMPARE(analysis->findChild<QAbstractItemModel*>("analysisRaces")->rowCount(), 27);

        QVERIFY(app.click(ScreenId::Analysis, QStringLiteral("backButton")));
        QVERIFY(!app.nav().isLoaded(ScreenId::Analysis));
        QCOMPARE(app.nav().front(), app.nav().screen(origin));
        QTRY_COMPARE(QApplication::focusWidget(), open);

        QVERIFY(app.click(origin, QStringLiteral("Command1")));
        QCOMPARE(app.nav().front(), app.nav().screen(ScreenId::Form2));
        QVERIFY(!app.nav().isLoaded(origin));
    }

    // Races holding amounts no sum can count are left out of the money figures, and the screen says how many.
    void racesWithAmountsBeyondCountingAreNamed()
    {
        std::vector<TestRace> races = handComputedRaces();
        races.push_back({.date = "00/03/01", .number = 8, .stake = num(1000), .income = num(1e19)});
        races.push_back({.date = "00/03/02", .number = 9, .first = num(4), .second = num(1), .payout = num(-870)});
        Opened opened(races);
        QVERIFY(opened.screen);
        const QString summary = opened.find<QLabel>("leftOutSummary")->text();
        QVERIFY2(summary.contains(QStringLiteral("\n　金額が範囲外　2")), qPrintable(summary));
        // The span of dates is that of the races that match, said under them, not under the count of files.
        QVERIFY2(summary.contains(QStringLiteral(
                     "条件に合うレース　7\n　その日付\n　　1999年12月26日から\n　　2000年2月11日まで\n")),
                 qPrintable(summary));
        QAbstractItemModel* figures = opened.model("analysisFigures");
        QCOMPARE(figure(figures, FiguresModel::Returned, FiguresModel::Own), QStringLiteral("7200"));
        QCOMPARE(figure(figures, FiguresModel::Returned, FiguresModel::Proposals), QStringLiteral("3200"));
        QCOMPARE(opened.model("analysisRaces")->rowCount(), 7);
    }

    void filtersReachEveryModelAndChart_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("choice"); // an item's text, or "check"
        QTest::addColumn<int>("proposalRaces");
        QTest::addColumn<int>("ownRaces");
        QTest::addColumn<int>("tableRows");
        QTest::newRow("everything") << ""
                                    << "" << 26 << 26 << 27;
        QTest::newRow("one course") << "courseFilter"
                                    << "中山" << 2 << 2 << 2;
        QTest::newRow("ＧⅠ") << "gradeFilter"
                             << "ＧⅠ" << 3 << 3 << 4;
        QTest::newRow("one year") << "periodKind"
                                  << "1年" << 20 << 20 << 20; // the latest year: 2001
        QTest::newRow("months") << "periodTo"
                                << "2000年1月" << 4 << 4 << 4; // from the first month, 1999年12月
        QTest::newRow("races without result") << "includeWithoutResult"
                                              << "check" << 27 << 26 << 27;
        QTest::newRow("races without amounts") << "includeWithoutAmounts"
                                               << "check" << 26 << 27 << 27;
    }

    // A filter set through the screen's controls reaches the figures, the race table, the breakdowns, the what-if
    // table and every chart series, each showing the analysis of the filtered races.
    void filtersReachEveryModelAndChart()
    {
        QFETCH(QString, control);
        QFETCH(QString, choice);
        Opened opened(screenRaces());
        QVERIFY(opened.screen);
        if (control == "periodTo")
            opened.find<QComboBox>("periodKind")->setCurrentIndex(2);
        if (choice == "check") {
            auto* box = opened.screen->findChild<QCheckBox*>(control);
            QVERIFY(box->text().contains(QStringLiteral("1レース")));
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        } else if (!control.isEmpty()) {
            auto* box = opened.screen->findChild<QComboBox*>(control);
            const int item = box->findText(choice);
            QVERIFY2(item >= 0, qPrintable(choice));
            box->setCurrentIndex(item);
        }
        Analysis* analysis = opened.screen->analysis();
        analysis->waitForIntervals();

        QAbstractItemModel* figures = opened.model("analysisFigures");
        QTEST(figure(figures, FiguresModel::Races, FiguresModel::Proposals).toInt(), "proposalRaces");
        QTEST(figure(figures, FiguresModel::Races, FiguresModel::Own).toInt(), "ownRaces");
        QVERIFY(!figure(figures, FiguresModel::ReturnInterval95, FiguresModel::Proposals).contains("計算中"));
        QTEST(opened.model("analysisRaces")->rowCount(), "tableRows");
        QFETCH(int, proposalRaces);
        QCOMPARE(opened.model("whatIf")->index(0, WhatIfModel::Races).data(AnalysisRole::Sort).toInt(), proposalRaces);
        int byYear = 0;
        QAbstractItemModel* years = opened.model("breakdown.year");
        for (int row = 0; row < years->rowCount(); ++row)
            byYear += years->index(row, BreakdownModel::Races).data(AnalysisRole::Sort).toInt();
        QCOMPARE(byYear, proposalRaces);

        const AnalysisCharts& charts = analysis->charts();
        QCOMPARE(seriesPoints(opened.screen, "cumulativeProposals"), chartPoints(charts.cumulativeProposals));
        QCOMPARE(seriesPoints(opened.screen, "cumulativeOwn"), chartPoints(charts.cumulativeOwn));
        // The trend's first points (fewer than 20 races) are drawn faint, running on to the first full point.
        const auto split = charts.returnTrend.begin() + std::ptrdiff_t(charts.returnTrendIndicative);
        QCOMPARE(seriesPoints(opened.screen, "returnTrend"), chartPoints({split, charts.returnTrend.end()}));
        QCOMPARE(seriesPoints(opened.screen, "returnTrendIndicative"),
                 chartPoints({charts.returnTrend.begin(), split == charts.returnTrend.end() ? split : split + 1}));
        QCOMPARE(barValues(opened.screen, "monthlyProposals"), charts.monthlyProposals);
        QCOMPARE(barValues(opened.screen, "monthlyOwn"), charts.monthlyOwn);
        QVERIFY(!charts.cumulativeProposals.empty());
        // Full twenty-race points only where twenty races are counted.
        QVERIFY(!charts.returnTrend.empty());
        QCOMPARE(charts.returnTrendIndicative < charts.returnTrend.size(), proposalRaces >= 20);
    }

    void timeChartsChangedAsDrawnAnew_data()
    {
        QTest::addColumn<QString>("chart");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("monthly, the same months") << "monthly" << 24 << 24;
        QTest::newRow("monthly, fewer") << "monthly" << 24 << 7;
        QTest::newRow("monthly, more") << "monthly" << 7 << 30;
        QTest::newRow("monthly, none left") << "monthly" << 24 << 0;
        QTest::newRow("monthly, from none") << "monthly" << 0 << 24;
        QTest::newRow("cumulative, fewer") << "cumulative" << 40 << 9;
        QTest::newRow("cumulative, from none") << "cumulative" << 0 << 30;
        QTest::newRow("trend, more") << "trend" << 9 << 40;
        QTest::newRow("trend, the same months") << "trend" << 30 << 30;
    }

    // The time charts keep their graphics through a change of filter: what they show afterwards, bars, lines, labels
    // and tooltips, is what the chart shows drawn anew with the new series.
    void timeChartsChangedAsDrawnAnew()
    {
        QFETCH(QString, chart);
        QFETCH(int, before);
        QFETCH(int, after);
        const AnalysisCharts charts = timeCharts(after, 2);
        QImage changedImage;
        QImage anewImage;
        auto draw = [&](auto& changed, auto& anew) {
            drawChangedAndAnew(changed, anew, before, after);
            changedImage = changed.grab().toImage();
            anewImage = anew.grab().toImage();
        };
        if (chart == "cumulative") {
            CumulativeProfitChart changed;
            CumulativeProfitChart anew;
            draw(changed, anew);
            QCOMPARE(seriesPoints(&changed, "cumulativeProposals"), seriesPoints(&anew, "cumulativeProposals"));
        } else if (chart == "trend") {
            ReturnTrendChart changed;
            ReturnTrendChart anew;
            draw(changed, anew);
            QCOMPARE(seriesPoints(&changed, "returnTrendIndicative"), seriesPoints(&anew, "returnTrendIndicative"));
        } else {
            MonthlyProfitChart changed;
            MonthlyProfitChart anew;
            draw(changed, anew);
            QCOMPARE(changed.findChild<QCategoryAxis*>()->categoriesLabels(),
                     anew.findChild<QCategoryAxis*>()->categoriesLabels());
            QCOMPARE(barValues(&changed, "monthlyProposals"), charts.monthlyProposals);
            QCOMPARE(barValues(&changed, "monthlyOwn"), charts.monthlyOwn);
            // Emptied, the chart keeps no grid line of its last months. Qt Charts 6.4 draws the empty month axis's
            // own line a shade apart, so the plot area is compared above it.
            if (after == 0) {
                const QRect plot =
                    changed.mapFromScene(changed.chart()->plotArea()).boundingRect().adjusted(1, 0, 0, -3);
                QCOMPARE(changedImage.copy(plot), anewImage.copy(plot));
                return;
            }
            emit changed.findChild<QBarSet*>(QStringLiteral("monthlyOwn"))->hovered(true, after - 1);
            QTRY_VERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(),
                     plainTip(QStringLiteral("%1　あなたの収支\nこの月の収支：%2")
                                  .arg(charts.monthLabels.back(), displaytext::yen(charts.monthlyOwn.back()))));
            QToolTip::hideText();
        }
        QCOMPARE(changedImage, anewImage);
    }

    // A first season, before any result: the race table shows every race with its proposal, counted as a miss, the
    // box that counts them is ticked, and the screen says why. After the first result the box starts empty.
    void firstSeasonShowsEveryRace_data()
    {
        QTest::addColumn<bool>("anyResult");
        QTest::newRow("no result yet") << false;
        QTest::newRow("one result") << true;
    }
    void firstSeasonShowsEveryRace()
    {
        QFETCH(bool, anyResult);
        const std::vector<TestRace> races = firstSeasonRaces(anyResult);
        Opened opened(races);
        QVERIFY(opened.screen);
        opened.showPage(AnalysisScreen::RacesPage);
        QCOMPARE(opened.find<QCheckBox>("includeWithoutResult")->isChecked(), !anyResult);
        QCOMPARE(opened.find<QLabel>("firstSeasonNote")->isVisible(), !anyResult);
        QCOMPARE(opened.find<QLabel>("leftOutSummary")->text().contains(QStringLiteral("まだどのレースにも結果")),
                 !anyResult);
        QCOMPARE(opened.model("analysisRaces")->rowCount(), anyResult ? 6 : 7);
        QCOMPARE(figure(opened.model("analysisFigures"), FiguresModel::Races, FiguresModel::Proposals).toInt(),
                 anyResult ? 1 : 7);
        // Unticked by the user, the races without result leave the proposals and the note goes.
        if (!anyResult) {
            auto* box = opened.find<QCheckBox>("includeWithoutResult");
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
            QVERIFY(!opened.find<QLabel>("firstSeasonNote")->isVisible());
            QCOMPARE(opened.screen->analysis()->figures(Series::Proposals).races, 0);
        }
    }

    // Texts from race files are shown as they are, markup and all: in the race table, on the breakdown chart's axis
    // and in its tooltips.
    void raceTextsAreShownAsPlainText()
    {
        const QString course = QStringLiteral("<b>x</b>");
        std::vector<TestRace> races = handComputedRaces();
        races[0].course = course;
        Opened opened(races);
        QVERIFY(opened.screen);
        QCOMPARE(opened.model("analysisRaces")->index(0, RaceTableModel::Course).data().toString(), course);
        opened.showPage(AnalysisScreen::BreakdownPage);
        opened.find<QComboBox>("breakdownPicker")->setCurrentIndex(int(Breakdown::Course));
        auto* chart = opened.find<QWidget>("breakdownChart");
        auto* axis = chart->findChild<QBarCategoryAxis*>();
        QVERIFY(axis);
        QVERIFY(axis->categories().contains(course.toHtmlEscaped()));

        auto* bars = opened.find<QBarSet>("breakdownChart.first");
        emit bars->hovered(true, int(axis->categories().indexOf(course.toHtmlEscaped())));
        QTRY_VERIFY(QToolTip::isVisible());
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        QVERIFY2(shown.toPlainText().startsWith(course), qPrintable(shown.toPlainText()));
        QToolTip::hideText();
    }

    // 48 tipsters more with long names alike but for their ends, markup among them: the table draws each name cut
    // short, whole in a plain tooltip and in the CSV file; the chart draws the table's first 10 rows, says so, and
    // keeps the labels apart.
    void tipsterPagesWithManyLongNames()
    {
        const QString stem = QStringLiteral("とても長い名前の<b>予想家</b>でございます");
        std::vector<TestRace> races = handComputedRaces();
        for (const std::size_t race : {0, 1, 3}) {
            races[race].marks = std::vector<std::array<int, 6>>(8, std::array<int, 6>{});
            races[race].marks[0][0] = maxTipsters; // every tipster's ◎ on horse 1, ○ on horse 2
            races[race].marks[1][1] = maxTipsters;
            races[race].tipsters = {};
            for (int t = 0; t < maxTipsters; ++t)
                races[race].tipsters.columns.push_back(
                    tipsterColumn(stem + QString::number(100 + int(race) * maxTipsters + t), QStringLiteral("◎○")));
        }
        Opened opened(races);
        QVERIFY(opened.screen);
        opened.showPage(AnalysisScreen::TipstersPage);
        QAbstractItemModel* model = opened.model("tipsters");
        QCOMPARE(model->rowCount(), 3 * maxTipsters + 3); // and A B C of R6 and R7, first
        const QModelIndex name = model->index(3, TipsterTableModel::Name);
        const QString whole = name.data(AnalysisRole::Csv).toString();
        QVERIFY2(whole.startsWith(stem) && whole.size() == stem.size() + 3, qPrintable(whole));
        QCOMPARE(name.data().toString(), whole.first(displaytext::shownNameLength - 1) + u'…');
        QCOMPARE(name.data(Qt::ToolTipRole).toString(), whole);
        auto* view = opened.find<QTableView>("tipstersView");
        const QRect cell = view->visualRect(view->model()->index(3, TipsterTableModel::Name));
        QHelpEvent help(QEvent::ToolTip, cell.center(), view->viewport()->mapToGlobal(cell.center()));
        QCoreApplication::sendEvent(view->viewport(), &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        QCOMPARE(shown.toPlainText(), whole);
        QToolTip::hideText();

        auto* chart = opened.find<IntervalBarChart>("tipsterChart");
        QCOMPARE(chart->chart()->title(), QStringLiteral("表の上から10行を描いています（全51行）"));
        QCOMPARE(chart->intervalsDrawn(), 10);
        auto* axis = chart->findChild<QBarCategoryAxis*>();
        QVERIFY(axis);
        QCOMPARE(axis->count(), 10);
        QVERIFY(axis->categories().front().startsWith(
            displaytext::shownName(whole).toHtmlEscaped())); // cut short alike, told apart by what cannot be seen
    }

    // A click on a header sorts the race table by that column, a second click the other way; the search box keeps
    // the rows that hold its words.
    void raceTableSortsAndSearchesThroughItsControls()
    {
        Opened opened(screenRaces());
        QVERIFY(opened.screen);
        opened.showPage(AnalysisScreen::RacesPage);
        auto* view = opened.find<QTableView>("racesView");
        QAbstractItemModel* races = opened.model("analysisRaces");
        QCOMPARE(view->model(), races);
        const QStringList timeOrder = raceRows(*races);
        QCOMPARE(timeOrder.first(), QStringLiteral("R1"));

        QHeaderView* header = view->horizontalHeader();
        view->scrollTo(races->index(0, RaceTableModel::Payout));
        auto clickHeader = [header](int column) {
            const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        };
        clickHeader(RaceTableModel::Payout);
        QCOMPARE(static_cast<RaceTableModel*>(races)->sortColumn(), int(RaceTableModel::Payout));
        const QStringList once = raceRows(*races);
        clickHeader(RaceTableModel::Payout);
        const QStringList twice = raceRows(*races);
        // The payouts 5000 (R3), 3000 (R2) … at one end, the race without result (R5) last both ways.
        QCOMPARE(once.size(), 27);
        QVERIFY(once != twice);
        QCOMPARE(once.last(), QStringLiteral("R5"));
        QCOMPARE(twice.last(), QStringLiteral("R5"));
        QVERIFY((once.first() == "R3") != (twice.first() == "R3"));

        auto* search = opened.find<QLineEdit>("raceSearch");
        search->setFocus();
        typeText(search, QStringLiteral("中山"));
        QCOMPARE(raceRows(*races).size(), 2);
        QVERIFY(opened.find<QLabel>("raceCount")->text().contains(QStringLiteral("27レースのうち2レース")));
        search->clear();
        QCOMPARE(races->rowCount(), 27);
    }

    void csvSavesTheTableInView_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("proposedName");
        QTest::addColumn<bool>("replaysPending"); // saved while the tipsters' figures are still worked out
        QTest::newRow("figures page: the race table") << int(AnalysisScreen::OverviewPage) << "analysisRaces"
                                                      << "分析_レース一覧.csv" << false;
        QTest::newRow("race table") << int(AnalysisScreen::RacesPage) << "analysisRaces"
                                    << "分析_レース一覧.csv" << false;
        QTest::newRow("breakdown picked") << int(AnalysisScreen::BreakdownPage) << "breakdown.course"
                                          << "分析_内訳_競馬場別.csv" << false;
        QTest::newRow("what-if") << int(AnalysisScreen::WhatIfPage) << "whatIf"
                                 << "分析_もしも.csv" << false;
        QTest::newRow("tipsters") << int(AnalysisScreen::TipstersPage) << "tipsters"
                                  << "分析_予想家.csv" << false;
        QTest::newRow("tipsters, still worked out") << int(AnalysisScreen::TipstersPage) << "tipsters"
                                                    << "分析_予想家.csv" << true;
        QTest::newRow("ranks") << int(AnalysisScreen::RanksPage) << "proposalRanks"
                               << "分析_順位と等級.csv" << false;
        QTest::newRow("what tipsters add") << int(AnalysisScreen::AddsPage) << "tipsterWhatIf"
                                           << "分析_予想家の貢献.csv" << false;
        QTest::newRow("what tipsters add, still worked out") << int(AnalysisScreen::AddsPage) << "tipsterWhatIf"
                                                             << "分析_予想家の貢献.csv" << true;
    }

    // 「CSVで保存」 writes the table the user sees, exactly as the model makes it, where the save dialog says.
    void csvSavesTheTableInView()
    {
        QFETCH(int, page);
        QFETCH(QString, model);
        QFETCH(bool, replaysPending);
        holdBackgroundReplays(replaysPending);
        Opened opened(screenRaces(), !replaysPending);
        QVERIFY(opened.screen);
        opened.showPage(static_cast<AnalysisScreen::Page>(page));
        opened.find<QComboBox>("breakdownPicker")->setCurrentIndex(int(Breakdown::Course));
        typeText(opened.find<QLineEdit>("raceSearch"), QStringLiteral("中山"));
        // Until the replays are in, the page says the figures are being worked out, and nothing else waits.
        const char* chart = page == AnalysisScreen::TipstersPage ? "tipsterChart" : "addsChart";
        const char* counts = page == AnalysisScreen::TipstersPage ? "tipsterLeftOut" : "addsLeftOut";
        if (replaysPending) {
            QCOMPARE(opened.model(model.toLatin1().constData())->rowCount(), 0);
            QCOMPARE(opened.find<QLabel>(counts)->text(), QStringLiteral("計算中"));
            QCOMPARE(opened.find<IntervalBarChart>(chart)->chart()->title(), QStringLiteral("計算中"));
            QVERIFY(opened.screen->analysis()->tipstersPending());
            QVERIFY(opened.find<QLabel>("csvTarget")->text().endsWith(QStringLiteral("（計算中）")));
            holdBackgroundReplays(false);
        }

        const QString path = opened.folder.filePath(QStringLiteral("出力"));
        opened.app.dialogs.fileAnswers.push_back(path);
        QVERIFY(opened.app.click(ScreenId::Analysis, QStringLiteral("saveCsvButton")));
        const ScriptedDialogs::Asked& asked = opened.app.dialogs.asked.back();
        QCOMPARE(asked.kind, QStringLiteral("save"));
        QTEST(asked.proposedName, "proposedName");

        QFile file(path + QStringLiteral(".csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes, csvBytes(*opened.screen->findChild<QAbstractItemModel*>(model)));
        QVERIFY(!bytes.contains("計算中"));
        if (replaysPending) {                 // saved once the figures were in, and the page shows them
            QCOMPARE(bytes.count("\r\n"), 4); // the header and A B C
            QVERIFY(opened.find<QLabel>(counts)->text().startsWith(QStringLiteral("数えたレース 5")));
            QVERIFY(opened.find<IntervalBarChart>(chart)->chart()->title().isEmpty());
            QVERIFY(opened.find<QLabel>("csvTarget")->text().endsWith(QStringLiteral("（3人）を保存しました。")));
        }
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        if (model == "analysisRaces") // the search holds: two races of 中山, and the header
            QCOMPARE(bytes.count("\r\n"), 3);
        QCOMPARE(opened.app.dialogs.count("error"), 0);
        QVERIFY(opened.find<QLabel>("csvTarget")->text().contains(QStringLiteral("保存しました")));
    }

    // The pages on tipsters and rankings show their models: the chart of ◎ 連対率 follows the table's order and the
    // filter, the races without tipsters' marks are counted and named, 区分 picks the rows in view, and F1 opens
    // each page's own help section.
    void tipsterPages()
    {
        Opened opened(screenRaces());
        QVERIFY(opened.screen);
        opened.showPage(AnalysisScreen::TipstersPage);
        // R3 and the twenty races at 阪神 have no grid; R5 no result.
        auto* leftOut = opened.find<QLabel>("tipsterLeftOut");
        QCOMPARE(leftOut->text(),
                 QStringLiteral("数えたレース 5　外したレース：予想家の印がない21レース、結果が未入力1レース"));
        QVERIFY2(leftOut->toolTip().contains(QStringLiteral("00/01/05　3R")), qPrintable(leftOut->toolTip()));
        QVERIFY(leftOut->toolTip().contains(QStringLiteral("ほか1レース")));
        // Bars run bottom up: C, B, A as the table holds A, B, C; all on fewer than 30 races.
        auto* chart = opened.find<IntervalBarChart>("tipsterChart");
        QCOMPARE(barValues(opened.screen, "tipsterChart.indicative"), (std::vector<double>{50, 0, 40}));
        QCOMPARE(chart->intervalsDrawn(), 3);
        auto* view = opened.find<QTableView>("tipstersView");
        view->horizontalHeader()->setSortIndicator(TipsterTableModel::markColumn(0, TipsterTableModel::PlaceRate),
                                                   Qt::DescendingOrder);
        QCOMPARE(barValues(opened.screen, "tipsterChart.indicative"), (std::vector<double>{0, 40, 50}));
        // △ × ★ come into view when asked for.
        const int triangles = TipsterTableModel::markColumn(3, TipsterTableModel::Count);
        QVERIFY(view->isColumnHidden(triangles));
        opened.find<QCheckBox>("tipsterAllMarks")->setChecked(true);
        QVERIFY(!view->isColumnHidden(triangles));
        QVERIFY(view->isColumnHidden(TipsterTableModel::markColumn(3, TipsterTableModel::WinLow)));

        // 中山: R2 alone has a grid (A and B) and a result.
        auto* course = opened.find<QComboBox>("courseFilter");
        course->setCurrentIndex(course->findText(QStringLiteral("中山")));
        QCOMPARE(barValues(opened.screen, "tipsterChart.indicative").size(), std::size_t(2));
        QCOMPARE(opened.model("tipsterWhatIf")->rowCount(), 2);
        QVERIFY(leftOut->text().startsWith(QStringLiteral("数えたレース 1　")));
        course->setCurrentIndex(0);

        opened.showPage(AnalysisScreen::RanksPage);
        auto* group = opened.find<QComboBox>("rankGroupPicker");
        group->setCurrentIndex(group->findText(QStringLiteral("◎の数")));
        auto* ranks = opened.find<QTableView>("ranksView");
        QCOMPARE(ranks->model()->objectName(), QStringLiteral("markKinds"));
        int shown = 0;
        for (int row = 0; row < ranks->model()->rowCount(); ++row)
            shown += !ranks->isRowHidden(row);
        QCOMPARE(shown, 5);
        // 連対率 by the number of ◎ over 26 races, bottom up: no ◎ 49 of 130 runners (the twenty misses went to
        // horses 5 and 6), one ◎ 1 of 52; two ◎ (26 runners) is indicative, drawn in the other colour.
        QCOMPARE(barValues(opened.screen, "rankChart.bars"), (std::vector<double>{0, 0, 0, 100.0 / 52, 4900.0 / 130}));

        for (const auto& [page, anchor] : {std::pair{AnalysisScreen::TipstersPage, "analysis-tipsters"},
                                           std::pair{AnalysisScreen::RanksPage, "analysis-ranks"},
                                           std::pair{AnalysisScreen::AddsPage, "analysis-adds"},
                                           std::pair{AnalysisScreen::WhatIfPage, "analysis"}}) {
            opened.showPage(page);
            QWidget* focused = QApplication::focusWidget();
            QTest::keyClick(focused ? focused : opened.screen, Qt::Key_F1);
            auto* help = opened.app.window->findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
            QVERIFY(help && help->isVisible());
            QCOMPARE(help->browser()->source().fragment(), QString::fromLatin1(anchor));
            QVERIFY(help->browser()->toHtml().contains(QStringLiteral("name=\"%1\"").arg(anchor)));
            help->close();
        }
    }

    // A file that cannot be written is told to the user in Japanese and nothing is left behind; an existing file is
    // replaced only after the user agreed.
    // Tab and Shift+Tab go round every control of the screen, the filters among them, whichever page is shown.
    void tabGoesRoundTheFilters_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Tab") << int(Qt::Key_Tab);
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab);
    }
    void tabGoesRoundTheFilters()
    {
        QFETCH(int, key);
        Opened opened(handComputedRaces());
        opened.showPage(AnalysisScreen::RacesPage);
        auto* back = opened.find("backButton");
        back->setFocus(Qt::TabFocusReason);
        QSet<QString> reached;
        for (int i = 0; i < 40 && !reached.contains(QStringLiteral("courseFilter")); ++i) {
            QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
            QVERIFY(QApplication::focusWidget());
            reached.insert(QApplication::focusWidget()->objectName());
        }
        QVERIFY2(reached.contains(QStringLiteral("courseFilter")),
                 qPrintable(QStringList(reached.values()).join(u',')));
    }

    void csvFailureAndOverwrite()
    {
        Opened opened(screenRaces());
        QVERIFY(opened.screen);
        ScriptedDialogs& dialogs = opened.app.dialogs;

        const QString missing = opened.folder.filePath(QStringLiteral("ない/一覧.csv"));
        dialogs.fileAnswers.push_back(missing);
        QVERIFY(opened.app.click(ScreenId::Analysis, QStringLiteral("saveCsvButton")));
        QCOMPARE(dialogs.count("error"), 1);
        QCOMPARE(dialogs.asked.back().title, QStringLiteral("CSVで保存"));
        // Japanese words around the folder's name, no system text in English.
        const QString told =
            QString(dialogs.asked.back().text).remove(opened.folder.path()).remove(QStringLiteral("CSV"));
        QVERIFY2(!told.isEmpty() && !told.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(told));
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(opened.find<QLabel>("csvTarget")->text().contains(QStringLiteral("保存できませんでした")));

        const QString existing = opened.folder.filePath(QStringLiteral("前の.csv"));
        QFile old(existing);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        dialogs.fileAnswers.push_back(existing);
        dialogs.confirmAnswers.push_back(false);
        QVERIFY(opened.app.click(ScreenId::Analysis, QStringLiteral("saveCsvButton")));
        QCOMPARE(dialogs.asked.back().kind, QStringLiteral("confirm"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        old.close();
        dialogs.fileAnswers.push_back(existing);
        dialogs.confirmAnswers.push_back(true);
        QVERIFY(opened.app.click(ScreenId::Analysis, QStringLiteral("saveCsvButton")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), csvBytes(*opened.model("analysisRaces")));

        // Another program holding the folder's lock: the save waits with the notice, and stopping it saves nothing.
        const QString waited = opened.folder.filePath(QStringLiteral("待った.csv"));
        const FolderLock held(opened.folder.path(), std::chrono::milliseconds(0));
        QVERIFY(held.held());
        dialogs.fileAnswers.push_back(waited);
        dialogs.folderWaitAnswer = [](int) { return false; };
        QVERIFY(opened.app.click(ScreenId::Analysis, QStringLiteral("saveCsvButton")));
        dialogs.folderWaitAnswer = {};
        QCOMPARE(dialogs.count("wait"), 1);
        QVERIFY2(dialogs.asked.back().text.startsWith(QStringLiteral("待つのをやめたため")),
                 qPrintable(dialogs.asked.back().text));
        QVERIFY(!QFileInfo::exists(waited));
    }
};

TOKIRO_TEST_MAIN(AnalysisScreenTest)
#include "analysis_screen_test.moc"

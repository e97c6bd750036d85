#include "analysis_folder.h"
#include "temp_folder.h"
#include "test_main.h"

#include "screens/analysis_filter_bar.h"
#include "screens/analysis_races_page.h"
#include "screens/analysis_state.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>

// The filter bar and a page of the analysis screen built on their own, sharing only an AnalysisState: what the bar
// picks is the state's filter, and the page follows it without the screen in between.
class AnalysisPagesTest : public QObject {
    Q_OBJECT

private slots:
    void pageFollowsTheFilterTheBarSets_data()
    {
        QTest::addColumn<QString>("picker");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("races");
        // The hand-computed races: 東京 R1 R4 R5 R7, 中山 R2 R3, 京都 R6; ＧⅠ typed four ways (R1 R5 R6 R7).
        QTest::newRow("course 東京") << "courseFilter"
                                     << "東京" << 4;
        QTest::newRow("course 中山") << "courseFilter"
                                     << "中山" << 2;
        QTest::newRow("course 京都") << "courseFilter"
                                     << "京都" << 1;
        QTest::newRow("grade ＧⅠ") << "gradeFilter"
                                   << "ＧⅠ" << 4;
        QTest::newRow("grade ＧⅢ") << "gradeFilter"
                                   << "ＧⅢ" << 1;
        QTest::newRow("grade ＪｐｎⅠ, none") << "gradeFilter"
                                             << "ＪｐｎⅠ" << 0;
    }

    void pageFollowsTheFilterTheBarSets()
    {
        QFETCH(QString, picker);
        QFETCH(QString, item);
        QFETCH(int, races);
        TempFolder folder;
        QVERIFY(writeRaces(folder.path(), handComputedRaces()));
        AnalysisState state;
        state.open(folder.path());
        QVERIFY(state.analysis());
        AnalysedFolder::testModels(*state.analysis());
        AnalysisFilterBar bar(state, nullptr);
        AnalysisRacesPage page(state);
        bar.load();
        page.load();
        state.showAll();
        auto* count = page.findChild<QLabel*>(QStringLiteral("raceCount"));
        auto* view = page.findChild<QTableView*>(QStringLiteral("racesView"));
        QVERIFY(count && view);
        QCOMPARE(count->text(), QStringLiteral("7レース"));

        const QSignalSpy csvChanged(&page, &AnalysisPage::csvTableChanged);
        auto* box = bar.findChild<QComboBox*>(picker);
        QVERIFY(box);
        const int index = box->findText(item, Qt::MatchStartsWith);
        QVERIFY(index > 0);
        box->setCurrentIndex(index);

        const AnalysisFilter& filter = state.filter();
        if (picker == QStringLiteral("courseFilter"))
            QCOMPARE(filter.course.value_or(QString()), box->currentData().toString());
        else
            QCOMPARE(filter.grade, std::optional(static_cast<GradeClass>(box->currentData().toInt())));
        QCOMPARE(view->model()->rowCount(), races);
        QCOMPARE(count->text(), QStringLiteral("%1レース").arg(races));
        // The race table's row count changed: the CSV button's text names the table anew.
        QCOMPARE(csvChanged.count(), 1);

        // Back to every course and class: all seven again.
        box->setCurrentIndex(0);
        QVERIFY(!state.filter().course && !state.filter().grade);
        QCOMPARE(count->text(), QStringLiteral("7レース"));
    }
};

TOKIRO_TEST_MAIN(AnalysisPagesTest)
#include "analysis_pages_test.moc"

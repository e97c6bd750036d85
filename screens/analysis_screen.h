#pragma once

#include "screens/screen.h"

#include <QSet>
#include <QString>

class Analysis;
class CumulativeProfitChart;
class IntervalBarChart;
class MonthlyProfitChart;
class RateBarChart;
class ReturnTrendChart;
class QAbstractItemModel;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QIdentityProxyModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTableView;

// 「分析とグラフ」: every saved race of the folder analysed in two series side by side, the program's proposals at 100
// yen a ticket and the user's own stake and income. Filters on top that every page follows, five pages (概要 the
// figures, グラフ the three charts over time, レース一覧 the table of every race, 内訳 the breakdowns, もしも the
// what-if counts, 予想家 each tipster's marks and how they finished, 印と順位 how the runners fared by the program's
// ranks, grades and mark counts, 予想家の貢献 what each tipster's marks add to the proposals), and the CSV export of
// the table in view. Opened over the record or the balance screen, which stays
// loaded; 戻ります closes it and that screen is seen again.
//
// The computing is all in Analysis and its models (found by object name: analysisRaces, analysisFigures,
// breakdown.*, whatIf, tipsters, proposalRanks, markKinds, tipsterWhatIf); this screen only shows them and turns its
// controls into a filter.
class AnalysisScreen final : public Screen {
    Q_OBJECT
public:
    AnalysisScreen(Module1& module, Navigation& navigation, Dialogs& dialogs);
    ~AnalysisScreen() override;

    // Reads the race folder once and shows everything for the whole folder.
    void Form_Load() override;

    // The section of the page in view: the pages on tipsters and rankings have their own.
    QString helpSection() const override;

    // The folder the screen reads, the one the other saved-race screens list.
    QString raceFolder() const;

    // The analysis of the folder, after Form_Load.
    Analysis* analysis() const { return analysis_; }

    // The pages in their order on the tab bar.
    enum Page { OverviewPage, ChartsPage, RacesPage, BreakdownPage, WhatIfPage, TipstersPage, RanksPage, AddsPage };

private:
    void buildFilters();
    QWidget* buildOverviewPage();
    QWidget* buildChartsPage();
    QWidget* buildRacesPage();
    QWidget* buildBreakdownPage();
    QWidget* buildWhatIfPage();
    QWidget* buildTipstersPage();
    QWidget* buildRanksPage();
    QWidget* buildAddsPage();
    void fillFilterChoices();

    // Handlers.
    void filterChanged();
    void periodKindChanged();
    void monthRangeChanged(bool fromChanged);
    void searchChanged();
    void breakdownPicked();
    void rankGroupPicked();
    void pageChanged();
    void saveCsvClicked();
    void backClicked();

    // After the analysis has been recomputed: charts, counts and the texts that name them.
    void showRecomputed();
    void showCounts();
    void showBreakdownChart();
    void showCsvTarget();
    // The tipster pages: which columns are in view, the charts in the tables' order, what was left out.
    void showTipsterColumns();
    void showTipsterChart();
    void showAddsChart(); // with the table's columns
    void showTipsterCounts();
    void showRankGroup();
    // Sizes a small table's columns to their texts, now or when it comes into view.
    void fitColumns(QTableView* view);

    // The table the CSV button saves and the name it proposes.
    struct CsvTable {
        QAbstractItemModel* model = nullptr;
        QString what;         // shown beside the button
        QString proposedName; // without folder
    };
    CsvTable csvTable() const;

    Analysis* analysis_ = nullptr;
    bool filling_ = false; // choices being filled: no filter change yet
    QSet<QTableView*> unfitted_;

    QLabel* titleLabel;
    QLabel* productLabel;

    QComboBox* periodKind;
    QStackedWidget* periodDetails;
    QComboBox* periodYear;
    QComboBox* periodFrom;
    QComboBox* periodTo;
    QComboBox* courseFilter;
    QComboBox* gradeFilter;
    QCheckBox* includeWithoutResult;
    QCheckBox* includeWithoutAmounts;

    QTabWidget* pages;

    QTableView* figuresView;
    QLabel* leftOutSummary;

    QButtonGroup* chartChoice;
    QStackedWidget* chartStack;
    CumulativeProfitChart* cumulativeChart;
    MonthlyProfitChart* monthlyChart;
    ReturnTrendChart* trendChart;

    QLineEdit* raceSearch;
    QLabel* raceCount;
    QLabel* firstSeasonNote; // why races without a result are counted, while none has one
    QTableView* racesView;

    QComboBox* breakdownPicker;
    QTableView* breakdownView;
    QIdentityProxyModel* breakdownShown; // the picked breakdown with the screen's headers
    RateBarChart* breakdownChart;

    QTableView* whatIfView;
    QIdentityProxyModel* whatIfShown;
    RateBarChart* whatIfChart;

    QCheckBox* tipsterAllMarks;
    QTableView* tipstersView;
    IntervalBarChart* tipsterChart;
    QLabel* tipsterLeftOut;

    QComboBox* rankGroupPicker;
    QTableView* ranksView;
    IntervalBarChart* rankChart;
    QLabel* rankCounts;

    QTableView* addsView;
    IntervalBarChart* addsChart;
    QLabel* addsLeftOut;

    QPushButton* saveCsvButton;
    QLabel* csvTarget;
    QPushButton* backButton;
};

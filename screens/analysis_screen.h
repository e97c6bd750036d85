#pragma once

#include "screens/screen.h"

#include <QSet>
#include <QString>

class Analysis;
class CumulativeProfitChart;
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
// what-if counts), and the CSV export of the table in view. Opened over the record or the balance screen, which stays
// loaded; 戻ります closes it and that screen is seen again.
//
// The computing is all in Analysis and its models (found by object name: analysisRaces, analysisFigures,
// breakdown.*, whatIf); this screen only shows them and turns its controls into a filter.
class AnalysisScreen final : public Screen {
    Q_OBJECT
public:
    AnalysisScreen(Module1& module, Navigation& navigation, Dialogs& dialogs);
    ~AnalysisScreen() override;

    // Reads the race folder once and shows everything for the whole folder.
    void Form_Load() override;

    QString helpSection() const override { return QStringLiteral("analysis"); }

    // The folder the screen reads, the one the other saved-race screens list.
    QString raceFolder() const;

    // The analysis of the folder, after Form_Load.
    Analysis* analysis() const { return analysis_; }

    // The pages in their order on the tab bar.
    enum Page { OverviewPage, ChartsPage, RacesPage, BreakdownPage, WhatIfPage };

private:
    void buildFilters();
    QWidget* buildOverviewPage();
    QWidget* buildChartsPage();
    QWidget* buildRacesPage();
    QWidget* buildBreakdownPage();
    QWidget* buildWhatIfPage();
    void fillFilterChoices();

    // Handlers.
    void filterChanged();
    void periodKindChanged();
    void monthRangeChanged(bool fromChanged);
    void searchChanged();
    void breakdownPicked();
    void pageChanged();
    void saveCsvClicked();
    void backClicked();

    // After the analysis has been recomputed: charts, counts and the texts that name them.
    void showRecomputed();
    void showCounts();
    void showBreakdownChart();
    void showCsvTarget();
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

    QPushButton* saveCsvButton;
    QLabel* csvTarget;
    QPushButton* backButton;
};

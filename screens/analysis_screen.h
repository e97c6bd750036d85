#pragma once

#include "screens/screen.h"

#include <QString>

class Analysis;
class AnalysisFilterBar;
class AnalysisPages;
class AnalysisState;
class QLabel;
class QPushButton;
struct CsvTable;

// 「分析とグラフ」: every saved race of the folder analysed in two series side by side, the program's proposals at 100
// yen a ticket and the user's own stake and income. Filters on top that every page follows, eight pages (概要 the
// figures, グラフ the three charts over time, レース一覧 the table of every race, 内訳 the breakdowns, もしも the
// what-if counts, 予想家 each tipster's marks and how they finished, 印と順位 how the runners fared by the program's
// ranks, grades and mark counts, 予想家の貢献 what each tipster's marks add to the proposals), and the CSV export of
// the table in view. Opened over the record or the balance screen, which stays loaded; 戻ります closes it and that
// screen is seen again.
//
// The computing is all in Analysis and its models (found by object name: analysisRaces, analysisFigures,
// breakdown.*, whatIf, tipsters, proposalRanks, markKinds, tipsterWhatIf). The filter bar and each page are classes
// of their own, sharing one AnalysisState; this screen lays them out, orders the focus and saves the CSV.
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
    Analysis* analysis() const;

    // The pages in their order on the tab bar.
    enum Page { OverviewPage, ChartsPage, RacesPage, BreakdownPage, WhatIfPage, TipstersPage, RanksPage, AddsPage };

private:
    // Handlers.
    void saveCsvClicked();
    void backClicked();

    // The table the CSV button saves: the one of the page in view.
    CsvTable csvTable() const;
    void showCsvTarget();

    AnalysisState* state;

    QLabel* titleLabel;
    QLabel* productLabel;
    AnalysisFilterBar* filterBar;
    AnalysisPages* pages;
    QPushButton* saveCsvButton;
    QLabel* csvTarget;
    QPushButton* backButton;
};

#pragma once

#include "screens/analysis_page.h"

class IntervalBarChart;
class QComboBox;
class QLabel;
class QTableView;

// 印と順位: how the runners fared by the program's ranks and grades and by their counts of marks, a group at a time,
// the table and its chart side by side.
class AnalysisRanksPage final : public AnalysisPage {
    Q_OBJECT
public:
    explicit AnalysisRanksPage(AnalysisState& state);

    void load() override;
    QList<QWidget*> focusOrder() const override { return {rankGroupPicker, ranksView}; }
    CsvTable csvTable() const override;
    QString helpSection() const override { return QStringLiteral("analysis-ranks"); }

private:
    // The picked group is of the mark counts (the others are of the ranks and grades).
    bool markCountsPicked() const;
    void rankGroupPicked();
    void showRankGroup();
    void showRankCounts();

    QComboBox* rankGroupPicker;
    QTableView* ranksView;
    IntervalBarChart* rankChart;
    QLabel* rankCounts;
};

#pragma once

#include <QList>
#include <QWidget>

class AnalysisState;
class QCheckBox;
class QComboBox;
class QStackedWidget;

// The filters on top of the analysis screen, which every page follows: the period (all, a year, a stretch of
// months), the course, the grade, and whether races without a result or without amounts are counted. Each change
// sets the shared filter.
class AnalysisFilterBar final : public QWidget {
    Q_OBJECT
public:
    AnalysisFilterBar(AnalysisState& state, QWidget* parent);

    // Fills the choices from the folder read: its years, its months, its courses.
    void load();
    // The bar's controls in their tab order.
    QList<QWidget*> focusOrder() const;

private:
    void periodKindChanged();
    void monthRangeChanged(bool fromChanged);
    void filterChanged();
    // The check boxes say how many races they let in.
    void showCounts();

    AnalysisState& state;
    bool filling_ = false; // choices being filled: no filter change yet

    QComboBox* periodKind;
    QStackedWidget* periodDetails;
    QComboBox* periodYear;
    QComboBox* periodFrom;
    QComboBox* periodTo;
    QComboBox* courseFilter;
    QComboBox* gradeFilter;
    QCheckBox* includeWithoutResult;
    QCheckBox* includeWithoutAmounts;
};

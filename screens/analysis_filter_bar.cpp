#include "screens/analysis_filter_bar.h"

#include "analysis/display_text.h"
#include "screens/analysis_state.h"
#include "screens/analysis_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace analysisview;

AnalysisFilterBar::AnalysisFilterBar(AnalysisState& state, QWidget* parent) : QWidget(parent), state(state)
{
    setObjectName(QStringLiteral("filterBar"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(4);

    auto* first = new QHBoxLayout;
    first->setSpacing(6);
    first->addWidget(caption(QStringLiteral("競馬場"), this));
    courseFilter = pickBox("courseFilter", this, 100);
    first->addWidget(courseFilter);
    first->addSpacing(8);
    first->addWidget(caption(QStringLiteral("重賞"), this));
    gradeFilter = pickBox("gradeFilter", this, 80);
    first->addWidget(gradeFilter);
    first->addSpacing(8);
    first->addWidget(caption(QStringLiteral("期間"), this));
    periodKind = pickBox("periodKind", this, 120);
    periodKind->addItems({QStringLiteral("すべての期間"), QStringLiteral("1年"), QStringLiteral("月から月まで")});
    first->addWidget(periodKind);

    // The details of the period chosen, at one place whatever the choice.
    periodDetails = new QStackedWidget(this);
    periodDetails->setObjectName(QStringLiteral("periodDetails"));
    periodDetails->addWidget(new QWidget(periodDetails));
    auto* yearPage = new QWidget(periodDetails);
    auto* yearRow = new QHBoxLayout(yearPage);
    yearRow->setContentsMargins(0, 0, 0, 0);
    periodYear = pickBox("periodYear", yearPage, 96);
    yearRow->addWidget(periodYear);
    yearRow->addStretch();
    periodDetails->addWidget(yearPage);
    auto* monthsPage = new QWidget(periodDetails);
    auto* monthsRow = new QHBoxLayout(monthsPage);
    monthsRow->setContentsMargins(0, 0, 0, 0);
    monthsRow->setSpacing(4);
    periodFrom = pickBox("periodFrom", monthsPage, 114);
    periodTo = pickBox("periodTo", monthsPage, 114);
    monthsRow->addWidget(periodFrom);
    monthsRow->addWidget(caption(QStringLiteral("から"), monthsPage));
    monthsRow->addWidget(periodTo);
    monthsRow->addWidget(caption(QStringLiteral("まで"), monthsPage));
    monthsRow->addStretch();
    periodDetails->addWidget(monthsPage);
    first->addWidget(periodDetails, 1);
    rows->addLayout(first);

    auto* second = new QHBoxLayout;
    second->setSpacing(16);
    includeWithoutResult = choice<QCheckBox>("includeWithoutResult", QString(), this);
    includeWithoutAmounts = choice<QCheckBox>("includeWithoutAmounts", QString(), this);
    second->addWidget(includeWithoutResult);
    second->addWidget(includeWithoutAmounts);
    second->addStretch();
    rows->addLayout(second);

    connect(periodKind, &QComboBox::currentIndexChanged, this, [this] { periodKindChanged(); });
    connect(periodYear, &QComboBox::currentIndexChanged, this, [this] { filterChanged(); });
    connect(periodFrom, &QComboBox::currentIndexChanged, this, [this] { monthRangeChanged(true); });
    connect(periodTo, &QComboBox::currentIndexChanged, this, [this] { monthRangeChanged(false); });
    connect(courseFilter, &QComboBox::currentIndexChanged, this, [this] { filterChanged(); });
    connect(gradeFilter, &QComboBox::currentIndexChanged, this, [this] { filterChanged(); });
    connect(includeWithoutResult, &QCheckBox::toggled, this, [this] { filterChanged(); });
    connect(includeWithoutAmounts, &QCheckBox::toggled, this, [this] { filterChanged(); });
}

QList<QWidget*> AnalysisFilterBar::focusOrder() const
{
    return {periodKind,   periodYear,  periodFrom,           periodTo,
            courseFilter, gradeFilter, includeWithoutResult, includeWithoutAmounts};
}

void AnalysisFilterBar::load()
{
    filling_ = true;
    const Analysis& analysis = *state.analysis();
    const AnalysisData& data = analysis.data();
    for (const int year : data.years())
        periodYear->addItem(yearText(year), year);
    if (periodYear->count() > 0)
        periodYear->setCurrentIndex(periodYear->count() - 1);

    // Every month from the first race month to the last, so that any stretch can be picked.
    QDate first;
    QDate last;
    for (const int race : data.timeOrder()) {
        const QDate date = data.facts(race).date;
        if (!date.isValid())
            continue;
        if (!first.isValid())
            first = date;
        last = date;
    }
    if (first.isValid()) {
        for (QDate month(first.year(), first.month(), 1); month <= last; month = month.addMonths(1)) {
            periodFrom->addItem(monthText(month), month);
            periodTo->addItem(monthText(month), month);
        }
        periodTo->setCurrentIndex(periodTo->count() - 1);
    }
    // Without a readable date there is no period to pick.
    periodKind->setEnabled(first.isValid());

    courseFilter->addItem(QStringLiteral("すべて"));
    for (const QString& key : data.courseKeys())
        courseFilter->addItem(key.isEmpty() ? QStringLiteral("（未入力）") : key, key);
    gradeFilter->addItem(QStringLiteral("すべて"));
    for (int grade = 0; grade < gradeClassCount; ++grade)
        gradeFilter->addItem(gradeClassName(static_cast<GradeClass>(grade)), grade);
    // The analysis opens with its own choice: in a first season, races without a result are counted.
    includeWithoutResult->setChecked(analysis.filter().includeWithoutResult);
    includeWithoutAmounts->setChecked(analysis.filter().includeWithoutAmounts);
    filling_ = false;
    connect(&state, &AnalysisState::recomputed, this, [this] { showCounts(); });
}

void AnalysisFilterBar::periodKindChanged()
{
    periodDetails->setCurrentIndex(periodKind->currentIndex());
    filterChanged();
}

void AnalysisFilterBar::monthRangeChanged(bool fromChanged)
{
    // The stretch always runs forwards: moving one end past the other takes the other along.
    if (periodFrom->currentIndex() > periodTo->currentIndex()) {
        QComboBox* other = fromChanged ? periodTo : periodFrom;
        const QSignalBlocker quiet(other);
        other->setCurrentIndex(fromChanged ? periodFrom->currentIndex() : periodTo->currentIndex());
    }
    filterChanged();
}

void AnalysisFilterBar::filterChanged()
{
    if (filling_ || !state.analysis())
        return;
    AnalysisFilter filter;
    switch (periodKind->currentIndex()) {
    case 1:
        filter.period = AnalysisFilter::Period::Year;
        filter.year = periodYear->currentData().toInt();
        break;
    case 2:
        filter.period = AnalysisFilter::Period::Months;
        filter.fromMonth = periodFrom->currentData().toDate();
        filter.toMonth = periodTo->currentData().toDate();
        break;
    default: break;
    }
    if (courseFilter->currentIndex() > 0)
        filter.course = courseFilter->currentData().toString();
    if (gradeFilter->currentIndex() > 0)
        filter.grade = static_cast<GradeClass>(gradeFilter->currentData().toInt());
    filter.includeWithoutResult = includeWithoutResult->isChecked();
    filter.includeWithoutAmounts = includeWithoutAmounts->isChecked();
    state.setFilter(filter);
}

void AnalysisFilterBar::showCounts()
{
    const FilterCounts& counts = state.analysis()->counts();
    includeWithoutResult->setText(
        QStringLiteral("結果が未入力の%1レースも予想に入れる").arg(displaytext::count(counts.withoutResult)));
    includeWithoutAmounts->setText(
        QStringLiteral("金額が未入力の%1レースも収支に入れる").arg(displaytext::count(counts.withoutAmounts)));
}

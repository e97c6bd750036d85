#include "screens/analysis_overview_page.h"

#include "analysis/analysis.h"
#include "analysis/display_text.h"
#include "screens/analysis_charts.h"
#include "screens/analysis_state.h"
#include "screens/analysis_widgets.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

using namespace analysisview;

AnalysisOverviewPage::AnalysisOverviewPage(AnalysisState& state) : AnalysisPage("overviewPage", state)
{
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(4, 8, 4, 4);
    columns->setSpacing(12);

    auto* left = new QVBoxLayout;
    figuresView = table("figuresView", this);
    // The figures in the look of the record screen's: yellow on black, their names in white.
    setColours(figuresView, yellow, black);
    QPalette dark = figuresView->palette();
    dark.setColor(QPalette::AlternateBase, QColor(24, 24, 48));
    dark.setColor(QPalette::Highlight, QColor(60, 60, 110));
    dark.setColor(QPalette::HighlightedText, QColor::fromRgb(static_cast<QRgb>(yellow)));
    figuresView->setPalette(dark);
    paintAnalysisCells(figuresView, Qt::white, QColor::fromRgb(static_cast<QRgb>(yellow)));
    QFont figuresFont = screenFont(11, false, gothicFamily);
    figuresView->setFont(figuresFont);
    figuresView->verticalHeader()->setDefaultSectionSize(QFontMetrics(figuresFont).height() + 7);
    figuresView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figuresView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont headerFont = screenFont(11.25);
    figuresView->horizontalHeader()->setFont(headerFont);
    figuresView->setFixedWidth(566);
    left->addWidget(figuresView);
    left->addWidget(
        note("figuresNote",
             QStringLiteral("回収率の95%区間：レースの顔ぶれが違っていたら回収率がどのあたりに来ていたかの目安です。"
                            "オレンジ色の数字は30レース未満の参考値です。"),
             this));
    left->addStretch();
    columns->addLayout(left);

    leftOutSummary = new QLabel(this);
    leftOutSummary->setObjectName(QStringLiteral("leftOutSummary"));
    leftOutSummary->setWordWrap(true);
    leftOutSummary->setTextFormat(Qt::PlainText);
    leftOutSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    leftOutSummary->setFont(screenFont(10.5, false, gothicFamily));
    setColours(leftOutSummary, white, noColour);
    columns->addWidget(leftOutSummary, 1);
}

void AnalysisOverviewPage::load()
{
    figuresView->setModel(&analysis().figuresModel());
    figuresView->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    figuresView->setColumnWidth(FiguresModel::Name, 180);
    figuresView->setColumnWidth(FiguresModel::Proposals, 192);
    figuresView->setColumnWidth(FiguresModel::Own, 192);
    figuresView->setFixedHeight(figuresView->horizontalHeader()->sizeHint().height()
                                + FiguresModel::RowCount * figuresView->verticalHeader()->defaultSectionSize() + 4);
    connect(&state, &AnalysisState::recomputed, this, [this] { showCounts(); });
}

void AnalysisOverviewPage::showCounts()
{
    const Analysis& analysis = this->analysis();
    const FilterCounts& counts = analysis.counts();
    const AnalysisFilter& filter = state.filter();
    QStringList lines;
    if (state.firstSeason())
        lines << firstSeasonText() << QString();
    lines << QStringLiteral("レースファイル　%1件").arg(displaytext::count(counts.files));
    // The days the races that match the filter span (the table's rows are in time order, undated ones last).
    QDate first;
    QDate last;
    for (const int race : analysis.races().table) {
        const QDate date = analysis.data().facts(race).date;
        if (!date.isValid())
            break;
        if (!first.isValid())
            first = date;
        last = date;
    }
    lines << QStringLiteral("条件に合うレース　%1").arg(displaytext::count(counts.matching));
    // Under the races it belongs to, and said to be theirs: the files counted above may reach further.
    if (first.isValid())
        lines << QStringLiteral("　その日付\n　　%1から\n　　%2まで").arg(dateText(first), dateText(last));
    lines << QStringLiteral("　うち予想に数えた　%1").arg(displaytext::count(counts.proposalRaces));
    lines << QStringLiteral("　うち収支に数えた　%1").arg(displaytext::count(counts.ownRaces));
    QStringList out;
    if (counts.unreadableFiles > 0)
        out << QStringLiteral("　読めないファイル　%1件").arg(displaytext::count(counts.unreadableFiles));
    if (counts.undated > 0)
        out << QStringLiteral("　日付が読めない　%1").arg(displaytext::count(counts.undated));
    if (counts.outsidePeriod > 0)
        out << QStringLiteral("　期間の外　%1").arg(displaytext::count(counts.outsidePeriod));
    if (counts.otherCourse > 0)
        out << QStringLiteral("　ほかの競馬場　%1").arg(displaytext::count(counts.otherCourse));
    if (counts.otherClass > 0)
        out << QStringLiteral("　ほかの重賞　%1").arg(displaytext::count(counts.otherClass));
    // Amounts no sum can count exactly (negative, not whole yen, or beyond 999,999,999,999円).
    if (counts.amountsOutOfRange > 0)
        out << QStringLiteral("　金額が範囲外　%1").arg(displaytext::count(counts.amountsOutOfRange));
    if (counts.withoutResult > 0 && !filter.includeWithoutResult)
        out << QStringLiteral("　結果が未入力（予想から）　%1").arg(displaytext::count(counts.withoutResult));
    if (counts.withoutAmounts > 0 && !filter.includeWithoutAmounts)
        out << QStringLiteral("　金額が未入力（収支から）　%1").arg(displaytext::count(counts.withoutAmounts));
    lines << QString();
    if (out.isEmpty()) {
        lines << QStringLiteral("外したレースはありません。");
    } else {
        lines << QStringLiteral("外したレース");
        lines << out;
    }
    leftOutSummary->setText(lines.join(u'\n'));
}

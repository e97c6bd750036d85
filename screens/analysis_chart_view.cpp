#include "screens/analysis_chart_view.h"

#include <QBarCategoryAxis>
#include <QChart>
#include <QCursor>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QPen>
#include <QShowEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QValueAxis>

namespace {

const QColor gridColour(70, 70, 70);
const QColor axisColour(150, 150, 150);

QFont chartFont(double pointSize, bool bold = false) { return screenFont(pointSize, bold, gothicFamily); }

void hideFromLegend(QChart* chart, QAbstractSeries* series)
{
    for (QLegendMarker* marker : chart->legend()->markers(series))
        marker->setVisible(false);
}

} // namespace

namespace chartstyle {

void styleAxis(QAbstractAxis* axis)
{
    axis->setLabelsFont(chartFont(9));
    axis->setLabelsColor(textColour);
    axis->setGridLineColor(gridColour);
    axis->setLinePenColor(axisColour);
    axis->setMinorGridLineVisible(false);
}

QPen linePen(const QColor& colour, double width, Qt::PenStyle style)
{
    QPen pen(colour, width, style);
    pen.setCosmetic(true);
    return pen;
}

// A range made round by the axis. Its nice numbers start from the tick count the last range left, so every range
// starts from the same count: a chart shows the same ticks after a change of filter as drawn anew.
void setRoundRange(QValueAxis* axis, double low, double high)
{
    static const int ticksOfNewAxis = QValueAxis().tickCount();
    axis->setTickCount(ticksOfNewAxis);
    axis->setRange(low, high);
    axis->applyNiceNumbers();
}

// A value range that holds every value and the given ones, made round by the axis.
void setValueRange(QValueAxis* axis, double low, double high)
{
    if (low == high) {
        low -= 1000;
        high += 1000;
    }
    const double margin = (high - low) * 0.05;
    setRoundRange(axis, low - margin, high + margin);
}

void showTipText(QWidget* view, const QString& text)
{
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(QCursor::pos(), plainTip(text), view);
}

// The axis draws its labels as HTML: texts from race files are escaped to be shown as they are.
void setEscapedLabels(QBarCategoryAxis* axis, const QStringList& labels)
{
    QStringList shown;
    shown.reserve(labels.size());
    for (const QString& label : labels)
        shown.append(label.toHtmlEscaped());
    axis->clear();
    axis->append(shown);
}

} // namespace chartstyle

using namespace chartstyle;

QString plainTip(const QString& text)
{
    // A tooltip is shown as rich text whenever it looks like markup; as HTML made from the plain text, a course
    // written "<h1>東京</h1>" in a race file shows as those very characters.
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

QString dateText(const QDate& date)
{
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

QString tipOfDay(const QString& seriesName, const QDate& date, const QString& what, const QString& value)
{
    return QStringLiteral("%1　%2\n%3：%4").arg(dateText(date), seriesName, what, value);
}

// AnalysisChartView ----------------------------------------------------------------------------------------------

AnalysisChartView::AnalysisChartView(const QString& objectName, QWidget* parent) : QChartView(parent)
{
    setObjectName(objectName);
    auto* chart = new QChart();
    // The chart belongs to the view's scene; as the view's child as well, its series are found from the screen.
    setChart(chart);
    chart->setParent(this);
    chart->setTheme(QChart::ChartThemeDark);
    chart->setBackgroundBrush(Qt::black);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 2, 8, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    chart->setTitleFont(chartFont(10.5, true));
    chart->setTitleBrush(textColour);
    chart->legend()->setFont(chartFont(10, true));
    chart->legend()->setLabelColor(textColour);
    chart->legend()->setAlignment(Qt::AlignTop);
    // Drawing into the view only when something changed keeps a filter change quick.
    chart->setAnimationOptions(QChart::NoAnimation);
    setRenderHint(QPainter::Antialiasing);
    setFrameShape(QFrame::NoFrame);
    setBackgroundBrush(Qt::black);
    setFocusPolicy(Qt::NoFocus);
}

QValueAxis* AnalysisChartView::addValueAxis(const char* labelFormat)
{
    auto* axis = new QValueAxis(this);
    axis->setLabelFormat(QString::fromUtf8(labelFormat));
    styleAxis(axis);
    chart()->addAxis(axis, Qt::AlignLeft);
    return axis;
}

void AnalysisChartView::place(QAbstractSeries* series, std::initializer_list<QAbstractAxis*> axes, bool inLegend)
{
    series->setParent(this);
    placed_.push_back({series, axes, inLegend});
    if (isVisible())
        putOnChart(placed_.back());
}

void AnalysisChartView::putOnChart(const Placed& placed)
{
    chart()->addSeries(placed.series);
    for (QAbstractAxis* axis : placed.axes)
        placed.series->attachAxis(axis);
    if (!placed.inLegend)
        hideFromLegend(chart(), placed.series);
}

void AnalysisChartView::showEvent(QShowEvent* event)
{
    if (chart()->series().isEmpty()) {
        for (const Placed& placed : placed_)
            putOnChart(placed);
    }
    QChartView::showEvent(event);
}

void AnalysisChartView::hideEvent(QHideEvent* event)
{
    // Off the chart the series keep their data and stay the view's children, and a change of filter builds no
    // graphics for a chart nobody sees; it is built once, when the chart comes into view.
    for (const Placed& placed : placed_) {
        chart()->removeSeries(placed.series);
        placed.series->setParent(this);
    }
    QChartView::hideEvent(event);
}

int AnalysisChartView::plotColumns() const
{
    // Before the first layout the plot has no size yet; the page's width stands in.
    const int plot = static_cast<int>(chart()->plotArea().width());
    return plot > 100 ? plot : 800;
}

void AnalysisChartView::setEmptyNote(bool empty, const QString& note) { chart()->setTitle(empty ? note : QString()); }

#pragma once

#include "screens/control_table.h"

#include <QChartView>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <vector>

class QAbstractAxis;
class QAbstractSeries;
class QBarCategoryAxis;
class QDate;
class QValueAxis;

// A chart view on a black page: no frame, no focus (the tables and filters take the keyboard), the chart's theme,
// fonts and colours set once.
class AnalysisChartView : public QChartView {
    Q_OBJECT
public:
    explicit AnalysisChartView(const QString& objectName, QWidget* parent = nullptr);

protected:
    // Puts a series on the chart, on the given axes, while the view is in sight; a hidden view keeps it aside.
    void place(QAbstractSeries* series, std::initializer_list<QAbstractAxis*> axes, bool inLegend = true);
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    // A value axis on the left, its labels in yen ("10,000円") or in per cent ("80%"): the format is printf's, and the
    // chart's Japanese locale puts in the separators (Qt Charts 6.4 does so for a floating-point format only).
    QValueAxis* addValueAxis(const char* labelFormat);
    // The width of the plot in pixels, the resolution its lines are drawn at.
    int plotColumns() const;
    // Says in the chart's title that there is nothing to draw, or clears it.
    void setEmptyNote(bool empty, const QString& note);

private:
    struct Placed {
        QAbstractSeries* series;
        std::vector<QAbstractAxis*> axes;
        bool inLegend;
    };
    void putOnChart(const Placed& placed);
    std::vector<Placed> placed_;
};

// The texts of the charts' tooltips. plainTip makes a text show as it is, markup and all.
QString plainTip(const QString& text);
QString dateText(const QDate& date); // "2024年3月10日"
QString tipOfDay(const QString& seriesName, const QDate& date, const QString& what, const QString& value);

// The style the charts share, for the charts' own files.
namespace chartstyle {
inline const QColor proposalsColour = QColor::fromRgb(static_cast<QRgb>(yellow));
inline const QColor ownColour = QColor::fromRgb(static_cast<QRgb>(cyan));
inline const QColor askedColour = QColor::fromRgb(static_cast<QRgb>(orange));
inline const QColor textColour{230, 230, 230};
inline const QString proposalsName = QStringLiteral("予想の成績");
inline const QString ownName = QStringLiteral("あなたの収支");

void styleAxis(QAbstractAxis* axis);
QPen linePen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine);
// A range made round by the axis, the same ticks however often it is set.
void setRoundRange(QValueAxis* axis, double low, double high);
// A value range that holds every value and the given ones, made round by the axis.
void setValueRange(QValueAxis* axis, double low, double high);
// Shows a tooltip of plain text at the mouse, or hides it for an empty text.
void showTipText(QWidget* view, const QString& text);
// The axis draws its labels as HTML: texts from race files are escaped to be shown as they are.
void setEscapedLabels(QBarCategoryAxis* axis, const QStringList& labels);
} // namespace chartstyle

#include "screens/analysis_widgets.h"

#include "analysis/analysis.h"
#include "analysis/display_text.h"
#include "analysis/model_roles.h"
#include "screens/analysis_chart_view.h"
#include "screens/control_table.h"

#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>

namespace analysisview {
namespace {

const QColor indicativeColour = QColor::fromRgb(static_cast<QRgb>(orange));
const QColor askedBackground = QColor::fromRgb(static_cast<QRgb>(peach));

class AnalysisCellDelegate final : public QStyledItemDelegate {
public:
    AnalysisCellDelegate(QColor nameColour, QColor valueColour, QObject* parent)
        : QStyledItemDelegate(parent), nameColour_(nameColour), valueColour_(valueColour)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (nameColour_.isValid())
            option->palette.setColor(QPalette::Text, index.column() == 0 ? nameColour_ : valueColour_);
        if (index.data(AnalysisRole::Asked).toBool()) {
            option->font.setBold(true);
            option->backgroundBrush = askedBackground;
        }
        if (index.data(AnalysisRole::Indicative).toBool())
            option->palette.setColor(QPalette::Text, indicativeColour);
    }

    // Tooltips carry texts of race files (a tipster's whole name): shown as they are, never as markup.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString tip = index.data(Qt::ToolTipRole).toString();
        QToolTip::showText(event->globalPos(), tip.isEmpty() ? QString() : plainTip(tip), view);
        event->setAccepted(!tip.isEmpty());
        return !tip.isEmpty();
    }

private:
    QColor nameColour_;
    QColor valueColour_;
};

QFont noteFont() { return screenFont(10, false, gothicFamily); }

} // namespace

QFont captionFont() { return screenFont(12); }
QFont boxFont() { return screenFont(11, false, gothicFamily); }
QFont tableFont() { return screenFont(10, false, gothicFamily); }

QStringList utf8List(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

QLabel* caption(const QString& text, QWidget* parent, int fore)
{
    auto* label = new QLabel(text, parent);
    label->setFont(captionFont());
    label->setTextFormat(Qt::PlainText);
    setColours(label, fore, noColour);
    return label;
}

QLabel* note(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setWordWrap(true);
    label->setFont(noteFont());
    setColours(label, cyan, noColour);
    return label;
}

QLabel* countsLine(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(noteFont());
    setColours(label, cyan, noColour);
    return label;
}

QComboBox* pickBox(const char* name, QWidget* parent, int width)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setFont(boxFont());
    useStandardPalette(box);
    box->setFixedWidth(width);
    box->setMaxVisibleItems(16);
    return box;
}

void styleChoice(QWidget* button)
{
    button->setFont(screenFont(11));
    QPalette palette = button->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    button->setPalette(palette);
}

QTableView* table(const char* name, QWidget* parent)
{
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromUtf8(name));
    useStandardPalette(view);
    view->setFont(tableFont());
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Tab leaves the table for the next control, as on the other screens; the arrows move inside it.
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(QFontMetrics(view->font()).height() + 6);
    QFont header = tableFont();
    header.setBold(true);
    view->horizontalHeader()->setFont(header);
    view->horizontalHeader()->setHighlightSections(false);
    paintAnalysisCells(view);
    return view;
}

void paintAnalysisCells(QTableView* view, QColor nameColour, QColor valueColour)
{
    view->setItemDelegate(new AnalysisCellDelegate(nameColour, valueColour, view));
}

QVariant ScreenHeaders::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section > 0 && section < headers_.size())
        return headers_[section];
    return QIdentityProxyModel::headerData(section, orientation, role);
}

QString yearText(int year) { return QStringLiteral("%1年").arg(year); }

QString monthText(const QDate& month) { return QStringLiteral("%1年%2月").arg(month.year()).arg(month.month()); }

QString firstSeasonText()
{
    return QStringLiteral("まだどのレースにも結果が入っていないので、結果が未入力のレースも「はずれ」として予想の成績に"
                          "入れ、提案した買い目が見られるようにしています（上のチェックで外せます）。");
}

QString noTipsterRaces() { return QStringLiteral("予想家の印と結果の入ったレースがありません。"); }

TipsterLeftOut tipsterLeftOut(const Analysis& analysis)
{
    if (analysis.tipstersPending())
        return {displaytext::pending(), QString()};
    const TipsterCounts& counts = analysis.tipsterFigures().counts;
    QStringList out;
    if (counts.withoutGrid > 0)
        out << QStringLiteral("予想家の印がない%1レース").arg(displaytext::count(counts.withoutGrid));
    if (counts.unreadableGrid > 0)
        out << QStringLiteral("予想家の印が読めない%1レース").arg(displaytext::count(counts.unreadableGrid));
    if (counts.withoutResult > 0)
        out << QStringLiteral("結果が未入力%1レース").arg(displaytext::count(counts.withoutResult));
    TipsterLeftOut leftOut;
    leftOut.text = QStringLiteral("数えたレース %1").arg(displaytext::count(counts.counted));
    if (!out.isEmpty())
        leftOut.text += QStringLiteral("　外したレース：") + out.join(QStringLiteral("、"));
    // The races left out for their grid by name, in the tooltip: the first twenty.
    QStringList names;
    const AnalysisData& data = analysis.data();
    for (std::size_t i = 0; i < counts.leftOut.size() && i < 20; ++i) {
        const RaceOutcome race = data.outcome(counts.leftOut[i]);
        const bool unreadable =
            race.tipsterGrid() == GridBlock::Damaged || race.tipsterGrid() == GridBlock::UnknownVersion;
        names << QStringLiteral("%1　%2R　%3%4")
                     .arg(race.raceDate().toString())
                     .arg(race.raceNumber())
                     .arg(race.raceName().toString(), unreadable ? QStringLiteral("（印が読めない）") : QString());
    }
    if (counts.leftOut.size() > 20)
        names << QStringLiteral("ほか%1レース").arg(counts.leftOut.size() - 20);
    if (!names.isEmpty())
        leftOut.tip = plainTip(QStringLiteral("予想家の印がないので数えなかったレース\n") + names.join(u'\n'));
    return leftOut;
}

} // namespace analysisview

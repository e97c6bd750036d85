#include "screens/analysis_screen.h"

#include "analysis/analysis.h"
#include "analysis/csv_export.h"
#include "analysis/display_text.h"
#include "analysis/model_roles.h"
#include "core/race_state.h"
#include "record/race_record.h"
#include "screens/analysis_charts.h"
#include "screens/control_table.h"
#include "screens/folder_wait.h"
#include "screens/twips.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

namespace {
constexpr double formFont = 14.25;

// The frame of the page in twips: the title, the filters under it, the pages, and the buttons along the bottom.
// clang-format off
const ControlLine controls[] = {
    {.name = "titleLabel", .kind = ControlKind::Label, .caption = "分析とグラフ",
     .left = 240, .top = 120, .width = 3000, .height = 495, .fore = black, .back = lightBlue, .pointSize = 18,
     .border = true, .align = Align::Centre},
    {.name = "productLabel", .kind = ControlKind::Label, .caption = "トキロ  Ver.2.0",
     .left = 8640, .top = 150, .width = 3120, .height = 435, .fore = green, .pointSize = 15.75, .align = Align::Right},
    {.name = "saveCsvButton", .kind = ControlKind::Button, .caption = "CSVで保存",
     .left = 240, .top = 8280, .width = 1815, .height = 495, .pointSize = 12},
    {.name = "csvTarget", .kind = ControlKind::Label, .left = 2220, .top = 8280, .width = 7320, .height = 495,
     .fore = cyan, .pointSize = 10.5, .wordWrap = false},
    {.name = "backButton", .kind = ControlKind::Button, .caption = "戻ります",
     .left = 9720, .top = 8280, .width = 1215, .height = 495, .pointSize = 12},
};
// clang-format on
const QRect filterArea = twipsRect(240, 660, 11520, 900);
const QRect pagesArea = twipsRect(120, 1620, 11760, 6540);

const QColor indicativeColour = QColor::fromRgb(static_cast<QRgb>(orange));
const QColor askedBackground = QColor::fromRgb(static_cast<QRgb>(peach));
const QString noTipsterRaces = QStringLiteral("予想家の印と結果の入ったレースがありません。");

QFont captionFont() { return screenFont(12); }
QFont boxFont() { return screenFont(11, false, gothicFamily); }
QFont tableFont() { return screenFont(10, false, gothicFamily); }

// Paints the marks the analysis models give their cells: an indicative figure (fewer than 30 races) in orange, the
// what-if rows of the counts the user really asked in bold on peach.
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

// A table's headers as the screen shows them: on two lines, so that the columns stay as narrow as their numbers. The
// model keeps its own one-line headers for the CSV file.
class ScreenHeaders final : public QIdentityProxyModel {
public:
    ScreenHeaders(QStringList headers, QObject* parent) : QIdentityProxyModel(parent), headers_(std::move(headers)) {}

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section > 0 && section < headers_.size())
            return headers_[section];
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

private:
    QStringList headers_;
};

QStringList utf8List(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

QLabel* caption(const QString& text, QWidget* parent, int fore = white)
{
    auto* label = new QLabel(text, parent);
    label->setFont(captionFont());
    label->setTextFormat(Qt::PlainText);
    setColours(label, fore, noColour);
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

// A check box or option button: white text on the black page, its box or circle white as on the other screens' boxes.
template <typename Button>
Button* choice(const char* name, const QString& text, QWidget* parent)
{
    auto* button = new Button(text, parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setFont(screenFont(11));
    QPalette palette = button->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    button->setPalette(palette);
    return button;
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
    view->setItemDelegate(new AnalysisCellDelegate({}, {}, view));
    return view;
}

QString yearText(int year) { return QStringLiteral("%1年").arg(year); }

QString firstSeasonText()
{
    return QStringLiteral("まだどのレースにも結果が入っていないので、結果が未入力のレースも「はずれ」として予想の成績に"
                          "入れ、提案した買い目が見られるようにしています（上のチェックで外せます）。");
}
QString monthText(const QDate& month) { return QStringLiteral("%1年%2月").arg(month.year()).arg(month.month()); }

const char* const breakdownNames[breakdownCount] = {"年別",   "月別", "競馬場別",   "重賞別",    "距離別",
                                                    "頭数別", "軸別", "希望点数別", "予想点数別"};

// The race table's columns are fixed: sizing 10,000 rows to their contents would cost more than the filter change.
// Widths in characters of the table's font, the header's width taken when wider.
const int raceColumnChars[RaceTableModel::ColumnCount] = {10, 5, 16, 5, 8,  7,  4,  4,  6,  22,
                                                          4,  4, 10, 6, 10, 10, 10, 10, 10, 10};
} // namespace

AnalysisScreen::AnalysisScreen(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(ScreenId::Analysis, module, navigation, dialogs)
{
    titleLabel = build<QLabel>(this, controls, "titleLabel", formFont);
    productLabel = build<QLabel>(this, controls, "productLabel", formFont);
    buildFilters();

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("analysisPages"));
    pages->setGeometry(pagesArea);
    pages->setDocumentMode(true);
    pages->tabBar()->setFont(screenFont(12));
    pages->tabBar()->setFocusPolicy(Qt::StrongFocus);
    // Dark tabs with the light blue of the screens' headings on the page shown; the sheet is the tab bar's alone.
    pages->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { color: white; background: rgb(40, 40, 40); border: 1px solid rgb(128, 128, 128);"
                       " border-bottom: none; padding: 3px 18px; margin-right: 3px; }"
                       "QTabBar::tab:selected { color: black; background: rgb(192, 192, 255); }"
                       "QTabBar::tab:!selected:hover { background: rgb(72, 72, 72); }"));
    pages->addTab(buildOverviewPage(), QStringLiteral("概要"));
    pages->addTab(buildChartsPage(), QStringLiteral("グラフ"));
    pages->addTab(buildRacesPage(), QStringLiteral("レース一覧"));
    pages->addTab(buildBreakdownPage(), QStringLiteral("内訳"));
    pages->addTab(buildWhatIfPage(), QStringLiteral("もしも"));
    pages->addTab(buildTipstersPage(), QStringLiteral("予想家"));
    pages->addTab(buildRanksPage(), QStringLiteral("印と順位"));
    pages->addTab(buildAddsPage(), QStringLiteral("予想家の貢献"));

    saveCsvButton = build<QPushButton>(this, controls, "saveCsvButton", formFont);
    csvTarget = build<QLabel>(this, controls, "csvTarget", formFont);
    csvTarget->setFont(screenFont(10.5, true));
    backButton = build<QPushButton>(this, controls, "backButton", formFont);

    // Filters, then the page switcher and the page's own controls, then the buttons along the bottom.
    QWidget* order[] = {periodKind,
                        periodYear,
                        periodFrom,
                        periodTo,
                        courseFilter,
                        gradeFilter,
                        includeWithoutResult,
                        includeWithoutAmounts,
                        pages->tabBar(),
                        figuresView,
                        chartChoice->button(0),
                        chartChoice->button(1),
                        chartChoice->button(2),
                        raceSearch,
                        racesView,
                        breakdownPicker,
                        breakdownView,
                        whatIfView,
                        tipsterAllMarks,
                        tipstersView,
                        rankGroupPicker,
                        ranksView,
                        addsView,
                        saveCsvButton,
                        backButton};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    setFirstFocus(pages->tabBar());

    connect(pages, &QTabWidget::currentChanged, this, [this] { pageChanged(); });
    connect(saveCsvButton, &QPushButton::clicked, this, [this] { saveCsvClicked(); });
    connect(backButton, &QPushButton::clicked, this, [this] { backClicked(); });
}

AnalysisScreen::~AnalysisScreen() = default;

QString AnalysisScreen::raceFolder() const
{
    // The folder the result entry, record and balance screens list.
    return module.raceFolder;
}

void AnalysisScreen::buildFilters()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("filterBar"));
    bar->setGeometry(filterArea);
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(4);

    auto* first = new QHBoxLayout;
    first->setSpacing(6);
    first->addWidget(caption(QStringLiteral("競馬場"), bar));
    courseFilter = pickBox("courseFilter", bar, 100);
    first->addWidget(courseFilter);
    first->addSpacing(8);
    first->addWidget(caption(QStringLiteral("重賞"), bar));
    gradeFilter = pickBox("gradeFilter", bar, 80);
    first->addWidget(gradeFilter);
    first->addSpacing(8);
    first->addWidget(caption(QStringLiteral("期間"), bar));
    periodKind = pickBox("periodKind", bar, 120);
    periodKind->addItems({QStringLiteral("すべての期間"), QStringLiteral("1年"), QStringLiteral("月から月まで")});
    first->addWidget(periodKind);

    // The details of the period chosen, at one place whatever the choice.
    periodDetails = new QStackedWidget(bar);
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
    includeWithoutResult = choice<QCheckBox>("includeWithoutResult", QString(), bar);
    includeWithoutAmounts = choice<QCheckBox>("includeWithoutAmounts", QString(), bar);
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

QWidget* AnalysisScreen::buildOverviewPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("overviewPage"));
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(4, 8, 4, 4);
    columns->setSpacing(12);

    auto* left = new QVBoxLayout;
    figuresView = table("figuresView", page);
    // The figures in the look of the record screen's: yellow on black, their names in white.
    setColours(figuresView, yellow, black);
    QPalette dark = figuresView->palette();
    dark.setColor(QPalette::AlternateBase, QColor(24, 24, 48));
    dark.setColor(QPalette::Highlight, QColor(60, 60, 110));
    dark.setColor(QPalette::HighlightedText, QColor::fromRgb(static_cast<QRgb>(yellow)));
    figuresView->setPalette(dark);
    figuresView->setItemDelegate(
        new AnalysisCellDelegate(Qt::white, QColor::fromRgb(static_cast<QRgb>(yellow)), figuresView));
    QFont figuresFont = screenFont(11, false, gothicFamily);
    figuresView->setFont(figuresFont);
    figuresView->verticalHeader()->setDefaultSectionSize(QFontMetrics(figuresFont).height() + 7);
    figuresView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figuresView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont headerFont = screenFont(11.25);
    figuresView->horizontalHeader()->setFont(headerFont);
    figuresView->setFixedWidth(566);
    left->addWidget(figuresView);
    auto* note = new QLabel(
        QStringLiteral("回収率の95%区間：レースの顔ぶれが違っていたら回収率がどのあたりに来ていたかの目安です。"
                       "オレンジ色の数字は30レース未満の参考値です。"),
        page);
    note->setObjectName(QStringLiteral("figuresNote"));
    note->setWordWrap(true);
    note->setFont(screenFont(10, false, gothicFamily));
    setColours(note, cyan, noColour);
    left->addWidget(note);
    left->addStretch();
    columns->addLayout(left);

    leftOutSummary = new QLabel(page);
    leftOutSummary->setObjectName(QStringLiteral("leftOutSummary"));
    leftOutSummary->setWordWrap(true);
    leftOutSummary->setTextFormat(Qt::PlainText);
    leftOutSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    leftOutSummary->setFont(screenFont(10.5, false, gothicFamily));
    setColours(leftOutSummary, white, noColour);
    columns->addWidget(leftOutSummary, 1);
    return page;
}

QWidget* AnalysisScreen::buildChartsPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("chartsPage"));
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(4, 6, 4, 0);
    rows->setSpacing(2);
    auto* choices = new QHBoxLayout;
    choices->setSpacing(24);
    chartChoice = new QButtonGroup(page);
    const char* const names[] = {"cumulativeOption", "monthlyOption", "trendOption"};
    const QString texts[] = {QStringLiteral("累積収支"), QStringLiteral("月ごとの収支"),
                             QStringLiteral("直近%1レースの回収率").arg(returnTrendWindow)};
    for (int i = 0; i < 3; ++i) {
        auto* option = choice<QRadioButton>(names[i], texts[i], page);
        chartChoice->addButton(option, i);
        choices->addWidget(option);
    }
    chartChoice->button(0)->setChecked(true);
    choices->addStretch();
    rows->addLayout(choices);

    chartStack = new QStackedWidget(page);
    chartStack->setObjectName(QStringLiteral("chartStack"));
    cumulativeChart = new CumulativeProfitChart(chartStack);
    monthlyChart = new MonthlyProfitChart(chartStack);
    trendChart = new ReturnTrendChart(chartStack);
    chartStack->addWidget(cumulativeChart);
    chartStack->addWidget(monthlyChart);
    chartStack->addWidget(trendChart);
    rows->addWidget(chartStack, 1);
    connect(chartChoice, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            chartStack->setCurrentIndex(id);
    });
    return page;
}

QWidget* AnalysisScreen::buildRacesPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("racesPage"));
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(4, 6, 4, 4);
    rows->setSpacing(6);
    auto* top = new QHBoxLayout;
    top->addWidget(caption(QStringLiteral("検索"), page));
    raceSearch = new QLineEdit(page);
    raceSearch->setObjectName(QStringLiteral("raceSearch"));
    raceSearch->setFont(boxFont());
    useStandardPalette(raceSearch);
    raceSearch->setFixedWidth(300);
    raceSearch->setClearButtonEnabled(true);
    raceSearch->setPlaceholderText(QStringLiteral("レース名、競馬場、日付、的中など"));
    top->addWidget(raceSearch);
    top->addSpacing(12);
    raceCount = new QLabel(page);
    raceCount->setObjectName(QStringLiteral("raceCount"));
    raceCount->setFont(screenFont(10.5, false, gothicFamily));
    setColours(raceCount, white, noColour);
    top->addWidget(raceCount, 1);
    rows->addLayout(top);
    firstSeasonNote = new QLabel(firstSeasonText(), page);
    firstSeasonNote->setObjectName(QStringLiteral("firstSeasonNote"));
    firstSeasonNote->setTextFormat(Qt::PlainText);
    firstSeasonNote->setWordWrap(true);
    firstSeasonNote->setFont(screenFont(10, false, gothicFamily));
    setColours(firstSeasonNote, cyan, noColour);
    firstSeasonNote->hide();
    rows->addWidget(firstSeasonNote);
    racesView = table("racesView", page);
    rows->addWidget(racesView, 1);
    connect(raceSearch, &QLineEdit::textChanged, this, [this] { searchChanged(); });
    return page;
}

QWidget* AnalysisScreen::buildBreakdownPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("breakdownPage"));
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(4, 6, 4, 0);
    rows->setSpacing(4);
    auto* top = new QHBoxLayout;
    top->addWidget(caption(QStringLiteral("内訳"), page));
    breakdownPicker = pickBox("breakdownPicker", page, 128);
    for (const char* name : breakdownNames)
        breakdownPicker->addItem(QString::fromUtf8(name));
    top->addWidget(breakdownPicker);
    top->addSpacing(12);
    top->addWidget(caption(QStringLiteral("下のグラフは行ごとの回収率です。"), page, cyan), 1);
    rows->addLayout(top);
    breakdownView = table("breakdownView", page);
    breakdownView->setFixedHeight(172);
    breakdownShown = new ScreenHeaders(utf8List({"", "予想\nレース数", "予想\n的中数", "予想\n的中率", "予想\n購入額",
                                                 "予想\n払戻額", "予想\n回収率", "予想\n収支", "あなた\nレース数",
                                                 "あなた\n購入額", "あなた\n収入", "あなた\n回収率", "あなた\n差額"}),
                                       breakdownView);
    rows->addWidget(breakdownView);
    breakdownChart = new RateBarChart(RateBarChart::Kind::Breakdown, QStringLiteral("breakdownChart"), page);
    rows->addWidget(breakdownChart, 1);
    connect(breakdownPicker, &QComboBox::currentIndexChanged, this, [this] { breakdownPicked(); });
    return page;
}

QWidget* AnalysisScreen::buildWhatIfPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("whatIfPage"));
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(4, 6, 4, 0);
    columns->setSpacing(6);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    auto* heading = new QLabel(QStringLiteral("もしも全レースをこの点数で買っていたら（予想の成績）"), page);
    heading->setFont(screenFont(11));
    setColours(heading, white, noColour);
    left->addWidget(heading);
    whatIfView = table("whatIfView", page);
    whatIfShown = new ScreenHeaders(
        utf8List({"点数", "レース数", "的中数", "的中率", "購入額", "払戻額", "回収率", "収支", "希望した\nレース数"}),
        whatIfView);
    left->addWidget(whatIfView, 1);
    auto* note =
        new QLabel(QStringLiteral("色のついた行は、あなたが実際に希望した点数です（右端はそのレース数）。"), page);
    note->setObjectName(QStringLiteral("whatIfNote"));
    note->setWordWrap(true);
    note->setFont(screenFont(10, false, gothicFamily));
    setColours(note, cyan, noColour);
    left->addWidget(note);
    columns->addLayout(left, 1);
    whatIfChart = new RateBarChart(RateBarChart::Kind::WhatIf, QStringLiteral("whatIfChart"), page);
    whatIfChart->setFixedWidth(250);
    columns->addWidget(whatIfChart);
    return page;
}

QWidget* AnalysisScreen::buildTipstersPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tipstersPage"));
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(4, 6, 4, 2);
    rows->setSpacing(4);
    auto* top = new QHBoxLayout;
    auto* heading = caption(QStringLiteral("予想家ごとの印と着順（結果の入ったレース）"), page);
    heading->setFont(screenFont(11));
    top->addWidget(heading);
    top->addStretch(1);
    tipsterAllMarks = choice<QCheckBox>("tipsterAllMarks", QStringLiteral("△×★の列も表示"), page);
    top->addWidget(tipsterAllMarks);
    rows->addLayout(top);
    tipstersView = table("tipstersView", page);
    tipstersView->setFixedHeight(176);
    rows->addWidget(tipstersView);
    tipsterChart = new IntervalBarChart(
        QStringLiteral("tipsterChart"), QStringLiteral("◎の連対率"),
        [](double value) { return displaytext::percent(value); }, "%.0f%", page);
    tipsterChart->setEmptyText(noTipsterRaces);
    rows->addWidget(tipsterChart, 1);
    tipsterLeftOut = new QLabel(page);
    tipsterLeftOut->setObjectName(QStringLiteral("tipsterLeftOut"));
    tipsterLeftOut->setTextFormat(Qt::PlainText);
    tipsterLeftOut->setFont(screenFont(10, false, gothicFamily));
    setColours(tipsterLeftOut, cyan, noColour);
    rows->addWidget(tipsterLeftOut);
    connect(tipsterAllMarks, &QCheckBox::toggled, this, [this] { showTipsterColumns(); });
    return page;
}

QWidget* AnalysisScreen::buildRanksPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("ranksPage"));
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(4, 6, 4, 2);
    rows->setSpacing(4);
    auto* top = new QHBoxLayout;
    top->addWidget(caption(QStringLiteral("区分"), page));
    rankGroupPicker = pickBox("rankGroupPicker", page, 190);
    for (const QString& group : rankGroups() + markCountGroups())
        rankGroupPicker->addItem(group);
    top->addWidget(rankGroupPicker);
    top->addSpacing(12);
    top->addWidget(caption(QStringLiteral("予想結果の順位・等級と印の数で、馬がどう走ったか"), page, cyan), 1);
    rows->addLayout(top);
    // The table and the chart side by side: a group has up to 21 rows, each a bar.
    auto* sides = new QHBoxLayout;
    sides->setSpacing(6);
    ranksView = table("ranksView", page);
    ranksView->setFixedWidth(424);
    sides->addWidget(ranksView);
    rankChart = new IntervalBarChart(
        QStringLiteral("rankChart"), QStringLiteral("連対率"), [](double value) { return displaytext::percent(value); },
        "%.0f%", page);
    rankChart->setEmptyText(QStringLiteral("結果の入ったレースがありません。"));
    sides->addWidget(rankChart, 1);
    rows->addLayout(sides, 1);
    rankCounts = new QLabel(page);
    rankCounts->setObjectName(QStringLiteral("rankCounts"));
    rankCounts->setTextFormat(Qt::PlainText);
    rankCounts->setFont(screenFont(10, false, gothicFamily));
    setColours(rankCounts, cyan, noColour);
    rows->addWidget(rankCounts);
    connect(rankGroupPicker, &QComboBox::currentIndexChanged, this, [this] { rankGroupPicked(); });
    return page;
}

QWidget* AnalysisScreen::buildAddsPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("addsPage"));
    auto* rows = new QVBoxLayout(page);
    rows->setContentsMargins(4, 6, 4, 2);
    rows->setSpacing(4);
    auto* heading =
        caption(QStringLiteral("もしもトキロが、この予想家の印だけで／この予想家の印を抜いて予想していたら"), page);
    heading->setFont(screenFont(11));
    rows->addWidget(heading);
    addsView = table("addsView", page);
    addsView->setFixedHeight(150);
    rows->addWidget(addsView);
    addsChart = new IntervalBarChart(
        QStringLiteral("addsChart"), QStringLiteral("加えた回収率"),
        [](double points) {
            return (points > 0 ? QStringLiteral("+") : QString()) + displaytext::csvPercent(points)
                   + QStringLiteral("ポイント");
        },
        "%.0f", page);
    addsChart->setEmptyText(noTipsterRaces);
    rows->addWidget(addsChart, 1);
    auto* note =
        new QLabel(QStringLiteral("加えた回収率＝記録どおりの回収率－この予想家抜きの回収率（ポイント）。"
                                  "線は95%区間で、0をまたいでいるうちは、足したのか引いたのかまだ分かりません。"),
                   page);
    note->setObjectName(QStringLiteral("addsNote"));
    note->setWordWrap(true);
    note->setFont(screenFont(10, false, gothicFamily));
    setColours(note, cyan, noColour);
    rows->addWidget(note);
    addsLeftOut = new QLabel(page);
    addsLeftOut->setObjectName(QStringLiteral("addsLeftOut"));
    addsLeftOut->setTextFormat(Qt::PlainText);
    addsLeftOut->setFont(screenFont(10, false, gothicFamily));
    setColours(addsLeftOut, cyan, noColour);
    rows->addWidget(addsLeftOut);
    return page;
}

void AnalysisScreen::Form_Load()
{
    // Thousands of races take a moment to read and predict again.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The tipsters' replays are worked out while the screen is built and shown; their pages show 計算中 until then.
    analysis_ = new Analysis(tallyFolder(raceFolder()), ReplayFill::Later, this);
    QApplication::restoreOverrideCursor();

    fillFilterChoices();
    figuresView->setModel(&analysis_->figuresModel());
    figuresView->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    figuresView->setColumnWidth(FiguresModel::Name, 180);
    figuresView->setColumnWidth(FiguresModel::Proposals, 192);
    figuresView->setColumnWidth(FiguresModel::Own, 192);
    figuresView->setFixedHeight(figuresView->horizontalHeader()->sizeHint().height()
                                + FiguresModel::RowCount * figuresView->verticalHeader()->defaultSectionSize() + 4);

    racesView->setModel(&analysis_->raceTable());
    const QFontMetrics metrics(racesView->font());
    const QFontMetrics headerMetrics(racesView->horizontalHeader()->font());
    for (int column = 0; column < RaceTableModel::ColumnCount; ++column) {
        const QString header = analysis_->raceTable().headerData(column, Qt::Horizontal).toString();
        racesView->setColumnWidth(column, std::max(metrics.horizontalAdvance(u'0') * raceColumnChars[column] + 10,
                                                   headerMetrics.horizontalAdvance(header) + 24));
    }
    // No column is sorted at first: the rows stay in time order until a header is clicked.
    racesView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    racesView->setSortingEnabled(true);

    breakdownShown->setSourceModel(&analysis_->breakdownModel(Breakdown::Year));
    breakdownView->setModel(breakdownShown);
    whatIfShown->setSourceModel(&analysis_->whatIfModel());
    whatIfView->setModel(whatIfShown);

    // The tipster pages: their tables sort themselves on a clicked header; the charts follow the tables' order, and
    // the columns in view are set again whenever a table takes new rows.
    for (QTableView* view : {tipstersView, ranksView, addsView})
        view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    tipstersView->setModel(&analysis_->tipsterModel());
    tipstersView->setSortingEnabled(true);
    addsView->setModel(&analysis_->tipsterWhatIfModel());
    addsView->setSortingEnabled(true);
    ranksView->setModel(&analysis_->proposalRanksModel());
    for (QTableView* view : {tipstersView, addsView}) {
        for (int column = 0; column < view->model()->columnCount(); ++column)
            view->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Interactive);
    }
    connect(&analysis_->tipsterModel(), &QAbstractItemModel::modelReset, this, [this] {
        showTipsterColumns();
        showTipsterChart();
    });
    connect(&analysis_->tipsterWhatIfModel(), &QAbstractItemModel::modelReset, this, [this] { showAddsChart(); });
    for (PlaceTableModel* model : {&analysis_->proposalRanksModel(), &analysis_->markKindsModel()})
        connect(model, &QAbstractItemModel::modelReset, this, [this, model] {
            if (ranksView->model() == model)
                showRankGroup();
        });
    showTipsterColumns();
    showTipsterChart();
    showAddsChart();
    showRankGroup();

    connect(analysis_, &Analysis::recomputed, this, [this] { showRecomputed(); });
    connect(analysis_, &Analysis::tipstersReady, this, [this] {
        showTipsterCounts();
        showCsvTarget();
    });
    showRecomputed();
}

void AnalysisScreen::fillFilterChoices()
{
    filling_ = true;
    const AnalysisData& data = analysis_->data();
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
    includeWithoutResult->setChecked(analysis_->filter().includeWithoutResult);
    includeWithoutAmounts->setChecked(analysis_->filter().includeWithoutAmounts);
    filling_ = false;
}

void AnalysisScreen::periodKindChanged()
{
    periodDetails->setCurrentIndex(periodKind->currentIndex());
    filterChanged();
}

void AnalysisScreen::monthRangeChanged(bool fromChanged)
{
    // The stretch always runs forwards: moving one end past the other takes the other along.
    if (periodFrom->currentIndex() > periodTo->currentIndex()) {
        QComboBox* other = fromChanged ? periodTo : periodFrom;
        const QSignalBlocker quiet(other);
        other->setCurrentIndex(fromChanged ? periodFrom->currentIndex() : periodTo->currentIndex());
    }
    filterChanged();
}

void AnalysisScreen::filterChanged()
{
    if (filling_ || !analysis_)
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
    analysis_->setFilter(filter);
}

void AnalysisScreen::showRecomputed()
{
    const AnalysisCharts& charts = analysis_->charts();
    cumulativeChart->setData(charts);
    monthlyChart->setData(charts);
    trendChart->setData(charts);
    showBreakdownChart();
    whatIfChart->setWhatIf(analysis_->whatIfModel().rows());
    fitColumns(whatIfView);
    showCounts();
    showTipsterCounts();
    searchChanged();
}

void AnalysisScreen::showBreakdownChart()
{
    const auto breakdown = static_cast<Breakdown>(std::max(0, breakdownPicker->currentIndex()));
    breakdownChart->setBreakdown(analysis_->breakdownModel(breakdown).rows());
    fitColumns(breakdownView);
}

void AnalysisScreen::showCounts()
{
    const FilterCounts& counts = analysis_->counts();
    const AnalysisFilter& filter = analysis_->filter();
    includeWithoutResult->setText(
        QStringLiteral("結果が未入力の%1レースも予想に入れる").arg(displaytext::count(counts.withoutResult)));
    includeWithoutAmounts->setText(
        QStringLiteral("金額が未入力の%1レースも収支に入れる").arg(displaytext::count(counts.withoutAmounts)));

    // Before any result, the races without one are counted so that they and their proposals are seen; say so.
    const bool firstSeason = !analysis_->data().anyResult() && filter.includeWithoutResult && counts.withoutResult > 0;
    firstSeasonNote->setVisible(firstSeason);

    QStringList lines;
    if (firstSeason)
        lines << firstSeasonText() << QString();
    lines << QStringLiteral("レースファイル　%1件").arg(displaytext::count(counts.files));
    // The days the races that match the filter span (the table's rows are in time order, undated ones last).
    QDate first;
    QDate last;
    for (const int race : analysis_->races().table) {
        const QDate date = analysis_->data().facts(race).date;
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

void AnalysisScreen::searchChanged()
{
    RaceTableModel& races = analysis_->raceTable();
    if (races.searchText() != raceSearch->text())
        races.setSearchText(raceSearch->text());
    const auto all = static_cast<long long>(analysis_->races().table.size());
    const long long shown = races.rowCount();
    raceCount->setText(shown == all ? QStringLiteral("%1レース").arg(displaytext::count(all))
                                    : QStringLiteral("%1レースのうち%2レースが検索に合います")
                                          .arg(displaytext::count(all), displaytext::count(shown)));
    showCsvTarget();
}

void AnalysisScreen::showTipsterColumns()
{
    const TipsterTableModel& model = analysis_->tipsterModel();
    // ◎ ○ ▲ are the marks a tipster gives one runner; △ × ★ come into view when asked for.
    const int firstWide = TipsterTableModel::markColumn(3, TipsterTableModel::Count);
    const int lastWide = TipsterTableModel::ticketColumn(TipsterTableModel::TicketRaces);
    for (int column = 0; column < model.columnCount(); ++column) {
        const bool wide = column >= firstWide && column < lastWide;
        tipstersView->setColumnHidden(column, !model.shownOnScreen(column) || (wide && !tipsterAllMarks->isChecked()));
    }
    fitColumns(tipstersView);
}

void AnalysisScreen::showTipsterChart()
{
    tipsterChart->setEmptyText(analysis_->tipstersPending() ? displaytext::pending() : noTipsterRaces);
    const TipsterTableModel& model = analysis_->tipsterModel();
    std::vector<IntervalBarChart::Bar> bars;
    for (int row = 0; row < model.rowCount(); ++row) {
        const TipsterRow& tipster = model.rows()[static_cast<std::size_t>(model.sourceRow(row))];
        const PlaceTally& marks = tipster.marks[static_cast<std::size_t>(MarkKind::DoubleCircle)];
        bars.push_back({tipster.name, marks.placeRatePercent(), marks.placeInterval(), marks.indicative(),
                        QStringLiteral("◎%1頭：1着%2、2着%3").arg(marks.runners).arg(marks.first).arg(marks.second)});
    }
    const PlaceTally& leader = analysis_->tipsterFigures().favouriteLeader;
    tipsterChart->setBars(
        bars, leader.placeRatePercent(),
        QStringLiteral("トキロの本命人気1位 %1").arg(displaytext::percent(leader.placeRatePercent())));
}

void AnalysisScreen::showAddsChart()
{
    addsChart->setEmptyText(analysis_->tipstersPending() ? displaytext::pending() : noTipsterRaces);
    const TipsterWhatIfModel& model = analysis_->tipsterWhatIfModel();
    for (int column = 0; column < model.columnCount(); ++column)
        addsView->setColumnHidden(column, !model.shownOnScreen(column));
    fitColumns(addsView);
    std::vector<IntervalBarChart::Bar> bars;
    for (int row = 0; row < model.rowCount(); ++row) {
        const TipsterWhatIfRow& tipster = model.rows()[static_cast<std::size_t>(model.sourceRow(row))];
        bars.push_back({tipster.name, tipster.addedPoints(), tipster.addedInterval, tipster.indicative(),
                        QStringLiteral("%1レース：加えて的中になった%2、外れになった%3")
                            .arg(tipster.recorded.races)
                            .arg(tipster.gained)
                            .arg(tipster.lost)});
    }
    addsChart->setBars(bars);
}

void AnalysisScreen::showTipsterCounts()
{
    const TipsterCounts& counts = analysis_->tipsterFigures().counts;
    QStringList out;
    if (counts.withoutGrid > 0)
        out << QStringLiteral("予想家の印がない%1レース").arg(displaytext::count(counts.withoutGrid));
    if (counts.unreadableGrid > 0)
        out << QStringLiteral("予想家の印が読めない%1レース").arg(displaytext::count(counts.unreadableGrid));
    if (counts.withoutResult > 0)
        out << QStringLiteral("結果が未入力%1レース").arg(displaytext::count(counts.withoutResult));
    QString text = QStringLiteral("数えたレース %1").arg(displaytext::count(counts.counted));
    if (!out.isEmpty())
        text += QStringLiteral("　外したレース：") + out.join(QStringLiteral("、"));
    // The races left out for their grid by name, in the tooltip: the first twenty.
    QStringList names;
    const AnalysisData& data = analysis_->data();
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
    const QString tip = names.isEmpty()
                            ? QString()
                            : plainTip(QStringLiteral("予想家の印がないので数えなかったレース\n") + names.join(u'\n'));
    const bool pending = analysis_->tipstersPending();
    for (QLabel* label : {tipsterLeftOut, addsLeftOut}) {
        label->setText(pending ? displaytext::pending() : text);
        label->setToolTip(pending ? QString() : tip);
    }
    const RankFigures& ranks = analysis_->rankFigures();
    QString rankText = QStringLiteral("数えたレース %1").arg(displaytext::count(ranks.races));
    QStringList rankOut;
    if (ranks.unmarked > 0)
        rankOut << QStringLiteral("印がひとつもない%1レース").arg(displaytext::count(ranks.unmarked));
    if (ranks.withoutResult > 0)
        rankOut << QStringLiteral("結果が未入力%1レース").arg(displaytext::count(ranks.withoutResult));
    if (!rankOut.isEmpty())
        rankText += QStringLiteral("　外したレース：") + rankOut.join(QStringLiteral("、"));
    rankCounts->setText(rankText);
}

void AnalysisScreen::rankGroupPicked()
{
    if (!analysis_)
        return;
    const bool markCounts = rankGroupPicker->currentIndex() >= rankGroups().size();
    PlaceTableModel* model = markCounts ? &analysis_->markKindsModel() : &analysis_->proposalRanksModel();
    if (ranksView->model() != model)
        ranksView->setModel(model);
    showRankGroup();
    showCsvTarget();
}

void AnalysisScreen::showRankGroup()
{
    const auto* model = static_cast<const PlaceTableModel*>(ranksView->model());
    const QString group = rankGroupPicker->currentText();
    std::vector<IntervalBarChart::Bar> bars;
    for (int row = 0; row < model->rowCount(); ++row) {
        const PlaceRow& place = model->rows()[static_cast<std::size_t>(model->sourceRow(row))];
        const bool shown = place.group == group;
        ranksView->setRowHidden(row, !shown);
        if (shown)
            bars.push_back({place.label, place.tally.placeRatePercent(), place.tally.placeInterval(),
                            place.tally.indicative(),
                            QStringLiteral("%1頭：1着%2、2着%3")
                                .arg(place.tally.runners)
                                .arg(place.tally.first)
                                .arg(place.tally.second)});
    }
    for (int column = 0; column < model->columnCount(); ++column)
        ranksView->setColumnHidden(column, column == PlaceTableModel::Group || !model->shownOnScreen(column));
    rankChart->setBars(bars);
    fitColumns(ranksView);
}

void AnalysisScreen::breakdownPicked()
{
    if (!analysis_)
        return;
    const auto breakdown = static_cast<Breakdown>(std::max(0, breakdownPicker->currentIndex()));
    breakdownShown->setSourceModel(&analysis_->breakdownModel(breakdown));
    showBreakdownChart();
    showCsvTarget();
}

void AnalysisScreen::fitColumns(QTableView* view)
{
    // Sizing a hundred rows to their texts is work for a table in sight only; a hidden one is sized as it is shown.
    if (view->isVisible())
        view->resizeColumnsToContents();
    else
        unfitted_.insert(view);
}

void AnalysisScreen::pageChanged()
{
    for (QTableView* view : {breakdownView, whatIfView, tipstersView, ranksView, addsView}) {
        if (view->isVisible() && unfitted_.remove(view))
            view->resizeColumnsToContents();
    }
    showCsvTarget();
}

AnalysisScreen::CsvTable AnalysisScreen::csvTable() const
{
    CsvTable chosen;
    if (!analysis_)
        return chosen;
    // How many tipsters the table holds, or that they are still being worked out.
    auto tipsterCount = [this] {
        return analysis_->tipstersPending() ? displaytext::pending()
                                            : QStringLiteral("%1人").arg(analysis_->tipsterModel().rowCount());
    };
    switch (pages->currentIndex()) {
    case BreakdownPage: {
        const int picked = std::max(0, breakdownPicker->currentIndex());
        const QString name = QString::fromUtf8(breakdownNames[picked]);
        chosen.model = &analysis_->breakdownModel(static_cast<Breakdown>(picked));
        chosen.what = QStringLiteral("内訳（%1）").arg(name);
        chosen.proposedName = QStringLiteral("分析_内訳_%1.csv").arg(name);
        break;
    }
    case TipstersPage:
        chosen.model = &analysis_->tipsterModel();
        chosen.what = QStringLiteral("予想家の成績（%1）").arg(tipsterCount());
        chosen.proposedName = QStringLiteral("分析_予想家.csv");
        break;
    case RanksPage: {
        const bool markCounts = rankGroupPicker->currentIndex() >= rankGroups().size();
        chosen.model = markCounts ? static_cast<QAbstractItemModel*>(&analysis_->markKindsModel())
                                  : &analysis_->proposalRanksModel();
        chosen.what =
            markCounts ? QStringLiteral("印の数（すべての印）") : QStringLiteral("順位と等級（すべての区分）");
        chosen.proposedName = markCounts ? QStringLiteral("分析_印の数.csv") : QStringLiteral("分析_順位と等級.csv");
        break;
    }
    case AddsPage:
        chosen.model = &analysis_->tipsterWhatIfModel();
        chosen.what = QStringLiteral("予想家の貢献（%1）").arg(tipsterCount());
        chosen.proposedName = QStringLiteral("分析_予想家の貢献.csv");
        break;
    case WhatIfPage:
        chosen.model = &analysis_->whatIfModel();
        chosen.what = QStringLiteral("もしもの表（1点～%1点）").arg(whatIfCounts);
        chosen.proposedName = QStringLiteral("分析_もしも.csv");
        break;
    default:
        chosen.model = &analysis_->raceTable();
        chosen.what = QStringLiteral("レース一覧（%1レース）").arg(displaytext::count(chosen.model->rowCount()));
        chosen.proposedName = QStringLiteral("分析_レース一覧.csv");
        break;
    }
    return chosen;
}

void AnalysisScreen::showCsvTarget() { csvTarget->setText(QStringLiteral("保存する表：") + csvTable().what); }

void AnalysisScreen::saveCsvClicked()
{
    const CsvTable chosen = csvTable();
    if (!chosen.model)
        return;
    const QString title = QStringLiteral("CSVで保存");
    QString path = dialogs.saveFile(title, QStringLiteral("CSVファイル|*.csv"), chosen.proposedName);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    const QString name = QFileInfo(path).fileName();
    if (QFileInfo::exists(path)
        && !dialogs.confirm(QStringLiteral("「%1」はもうあります。置き換えますがよろしいですか？").arg(name), title))
        return;
    // Figures still being worked out (the tipsters' replays, the intervals) are waited for: a file holds no 計算中.
    if (analysis_->intervalsPending()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        analysis_->waitForIntervals();
        QApplication::restoreOverrideCursor();
    }
    // A CSV saved into the race folder waits for another program's lock there as a race does, with the notice.
    FolderWait wait(dialogs);
    const FileResult saved = saveCsvFile(path, csvBytes(*chosen.model), {}, &wait);
    if (!saved.ok) {
        dialogs.reportError(saved.error, title);
        csvTarget->setText(QStringLiteral("保存できませんでした：") + name);
        return;
    }
    csvTarget->setText(QStringLiteral("「%1」に%2を保存しました。").arg(name, csvTable().what));
}

QString AnalysisScreen::helpSection() const
{
    switch (pages->currentIndex()) {
    case TipstersPage: return QStringLiteral("analysis-tipsters");
    case RanksPage: return QStringLiteral("analysis-ranks");
    case AddsPage: return QStringLiteral("analysis-adds");
    default: return QStringLiteral("analysis");
    }
}

void AnalysisScreen::backClicked() { navigation.close(ScreenId::Analysis); }

#include "screens/analysis_screen.h"

#include "analysis/analysis.h"
#include "analysis/csv_export.h"
#include "screens/analysis_adds_page.h"
#include "screens/analysis_breakdown_page.h"
#include "screens/analysis_charts_page.h"
#include "screens/analysis_filter_bar.h"
#include "screens/analysis_overview_page.h"
#include "screens/analysis_page.h"
#include "screens/analysis_races_page.h"
#include "screens/analysis_ranks_page.h"
#include "screens/analysis_state.h"
#include "screens/analysis_tipsters_page.h"
#include "screens/analysis_what_if_page.h"
#include "screens/control_table.h"
#include "screens/folder_wait.h"
#include "screens/page_export.h"
#include "screens/twips.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>

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
} // namespace

AnalysisScreen::AnalysisScreen(Module1& module, Navigation& navigation, Dialogs& dialogs)
    : Screen(ScreenId::Analysis, module, navigation, dialogs), state(new AnalysisState)
{
    titleLabel = build<QLabel>(this, controls, "titleLabel", formFont);
    productLabel = build<QLabel>(this, controls, "productLabel", formFont);
    filterBar = new AnalysisFilterBar(*state, this);
    filterBar->setGeometry(filterArea);

    pages = new AnalysisPages(this);
    // The switcher passes the focus to its tab bar, which has a place of its own in the order below: left in the
    // chain, it took Tab from 戻ります straight to the tab bar, past the filters.
    pages->setFocusPolicy(Qt::NoFocus);
    pages->setGeometry(pagesArea);
    pages->addPage(new AnalysisOverviewPage(*state), QStringLiteral("概要"));
    pages->addPage(new AnalysisChartsPage(*state), QStringLiteral("グラフ"));
    pages->addPage(new AnalysisRacesPage(*state), QStringLiteral("レース一覧"));
    pages->addPage(new AnalysisBreakdownPage(*state), QStringLiteral("内訳"));
    pages->addPage(new AnalysisWhatIfPage(*state), QStringLiteral("もしも"));
    pages->addPage(new AnalysisTipstersPage(*state), QStringLiteral("予想家"));
    pages->addPage(new AnalysisRanksPage(*state), QStringLiteral("印と順位"));
    pages->addPage(new AnalysisAddsPage(*state), QStringLiteral("予想家の貢献"));

    saveCsvButton = build<QPushButton>(this, controls, "saveCsvButton", formFont);
    csvTarget = build<QLabel>(this, controls, "csvTarget", formFont);
    csvTarget->setFont(screenFont(10.5, true));
    backButton = build<QPushButton>(this, controls, "backButton", formFont);

    // Filters, then the page switcher and the pages' own controls, then the buttons along the bottom.
    QList<QWidget*> order = filterBar->focusOrder();
    order.append(pages->tabBar());
    for (int page = 0; page < pages->count(); ++page)
        order.append(pages->page(page)->focusOrder());
    order.append({saveCsvButton, backButton});
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    setFirstFocus(pages->tabBar());

    // The page in view as a picture or on paper, headed by the filter; the button stands on the title's line.
    installPageExport(*this, dialogs, QRect(6720, 150, 1695, 435),
                      {[this] {
                           return QStringLiteral("分析とグラフ・%1　%2")
                               .arg(pages->tabText(pages->currentIndex()),
                                    shownChoices(*findChild<QWidget*>(QStringLiteral("filterBar"))));
                       },
                       [this] { return QStringLiteral("分析_") + pages->tabText(pages->currentIndex()); }});
    connect(pages, &QTabWidget::currentChanged, this, [this] { showCsvTarget(); });
    for (int page = 0; page < pages->count(); ++page)
        connect(pages->page(page), &AnalysisPage::csvTableChanged, this, [this] { showCsvTarget(); });
    connect(saveCsvButton, &QPushButton::clicked, this, [this] { saveCsvClicked(); });
    connect(backButton, &QPushButton::clicked, this, [this] { backClicked(); });
    // The state, and the analysis it will hold, are the screen's last children: they are deleted after the views and
    // charts that show them.
    state->setParent(this);
}

AnalysisScreen::~AnalysisScreen() = default;

QString AnalysisScreen::raceFolder() const
{
    // The folder the result entry, record and balance screens list.
    return module.raceFolder;
}

Analysis* AnalysisScreen::analysis() const { return state->analysis(); }

void AnalysisScreen::Form_Load()
{
    // Thousands of races take a moment to read and predict again.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The tipsters' replays are worked out while the screen is built and shown; their pages show 計算中 until then.
    state->open(raceFolder());
    QApplication::restoreOverrideCursor();

    filterBar->load();
    for (int page = 0; page < pages->count(); ++page)
        pages->page(page)->load();
    // After every page has shown its part: the CSV button names the table it would save.
    connect(state, &AnalysisState::recomputed, this, [this] { showCsvTarget(); });
    connect(state, &AnalysisState::tipstersReady, this, [this] { showCsvTarget(); });
    state->showAll();
}

CsvTable AnalysisScreen::csvTable() const
{
    const AnalysisPage* page = pages->currentPage();
    return page ? page->csvTable() : CsvTable{};
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
    if (analysis()->intervalsPending()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        analysis()->waitForIntervals();
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
    const AnalysisPage* page = pages->currentPage();
    return page ? page->helpSection() : QStringLiteral("analysis");
}

void AnalysisScreen::backClicked() { navigation.close(ScreenId::Analysis); }

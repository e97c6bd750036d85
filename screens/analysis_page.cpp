#include "screens/analysis_page.h"

#include "analysis/display_text.h"
#include "screens/analysis_state.h"
#include "screens/control_table.h"

#include <QTabBar>
#include <QTableView>

AnalysisPage::AnalysisPage(const char* objectName, AnalysisState& state) : state(state)
{
    setObjectName(QString::fromUtf8(objectName));
}

Analysis& AnalysisPage::analysis() const { return *state.analysis(); }

CsvTable AnalysisPage::csvTable() const
{
    CsvTable chosen;
    if (!state.analysis())
        return chosen;
    chosen.model = &analysis().raceTable();
    chosen.what = QStringLiteral("レース一覧（%1レース）").arg(displaytext::count(chosen.model->rowCount()));
    chosen.proposedName = QStringLiteral("分析_レース一覧.csv");
    return chosen;
}

void AnalysisPage::fitColumns(QTableView* view)
{
    // Sizing a hundred rows to their texts is work for a table in sight only; a hidden one is sized as it is shown.
    if (view->isVisible())
        view->resizeColumnsToContents();
    else
        unfitted_.insert(view);
}

void AnalysisPage::fitPendingColumns()
{
    for (QTableView* view : findChildren<QTableView*>()) {
        if (view->isVisible() && unfitted_.remove(view))
            view->resizeColumnsToContents();
    }
}

QString AnalysisPage::tipsterCount() const
{
    return analysis().tipstersPending() ? displaytext::pending()
                                        : QStringLiteral("%1人").arg(analysis().tipsterModel().rowCount());
}

AnalysisPages::AnalysisPages(QWidget* parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("analysisPages"));
    setDocumentMode(true);
    tabBar()->setFont(screenFont(12));
    tabBar()->setFocusPolicy(Qt::StrongFocus);
    // Dark tabs with the light blue of the screens' headings on the page shown; the sheet is the tab bar's alone.
    tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { color: white; background: rgb(40, 40, 40); border: 1px solid rgb(128, 128, 128);"
                       " border-bottom: none; padding: 3px 18px; margin-right: 3px; }"
                       "QTabBar::tab:selected { color: black; background: rgb(192, 192, 255); }"
                       "QTabBar::tab:!selected:hover { background: rgb(72, 72, 72); }"));
    connect(this, &QTabWidget::currentChanged, this, [this] {
        if (AnalysisPage* shown = currentPage())
            shown->fitPendingColumns();
    });
}

void AnalysisPages::addPage(AnalysisPage* page, const QString& title) { addTab(page, title); }

AnalysisPage* AnalysisPages::page(int index) const { return static_cast<AnalysisPage*>(widget(index)); }

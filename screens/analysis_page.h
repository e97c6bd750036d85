#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QTabWidget>
#include <QWidget>

class Analysis;
class AnalysisState;
class QAbstractItemModel;
class QTableView;

// The table the CSV button saves from a page, and the name it proposes.
struct CsvTable {
    QAbstractItemModel* model = nullptr;
    QString what;         // shown beside the button
    QString proposedName; // without folder
};

// A page of the analysis screen: built at once, given the analysis when the folder has been read, and from then on
// following the shared state on its own.
class AnalysisPage : public QWidget {
    Q_OBJECT
public:
    AnalysisPage(const char* objectName, AnalysisState& state);

    // The folder has been read: the page takes the analysis's models into its views and follows its changes.
    virtual void load() = 0;
    // The page's controls in their tab order.
    virtual QList<QWidget*> focusOrder() const = 0;
    // The table the CSV button saves while the page is in view: the race table, unless the page has its own.
    virtual CsvTable csvTable() const;
    // The section of the help on the page.
    virtual QString helpSection() const { return QStringLiteral("analysis"); }

    // Sizes the tables that were left unsized while out of sight, now that the page is in view.
    void fitPendingColumns();

signals:
    // What the CSV button would save from this page changed (another table picked, another search).
    void csvTableChanged();

protected:
    Analysis& analysis() const;
    // Sizes a small table's columns to their texts, now or when it comes into view.
    void fitColumns(QTableView* view);
    // How many tipsters the tipster tables hold, or that they are still being worked out.
    QString tipsterCount() const;

    AnalysisState& state;

private:
    QSet<QTableView*> unfitted_;
};

// The page switcher: a tab a page, dark, with the light blue of the screens' headings on the page in view.
class AnalysisPages final : public QTabWidget {
    Q_OBJECT
public:
    explicit AnalysisPages(QWidget* parent);

    void addPage(AnalysisPage* page, const QString& title);
    AnalysisPage* page(int index) const;
    AnalysisPage* currentPage() const { return page(currentIndex()); }
};

#pragma once

#include "analysis/table_models.h"
#include "analysis/tipster_figures.h"

#include <functional>
#include <vector>

// The tables of the pages on tipsters and on the program's rankings. Each column is described once: its heading in a
// CSV file, its heading on screen (on two lines, so that the columns stay narrow), and what a row puts in it. A rate's
// 95% interval is one column on screen ("18.1～44.7") and two numbers in a CSV file (its lower and upper bound), so
// that a spreadsheet can use them.

// A table of rows that sorts itself: sort() (a clicked header) orders the rows by the column's raw value, empty cells
// last either way and equal values in the order the rows came in. A new set of rows keeps the sort.
class SortedTableModel : public AnalysisTableModel {
    Q_OBJECT
public:
    struct Column {
        QString csv;               // the CSV heading; empty: not written to files
        QString screen;            // the screen's heading
        bool onScreen = true;      // false: for files only
        QString indicativeGroup{}; // the 参考値 column of files that marks it; empty: the row's "参考値"
    };
    SortedTableModel(const QString& objectName, std::vector<Column> columns, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    // The row of the rows as they came in that a table row shows.
    int sourceRow(int row) const { return order_[static_cast<std::size_t>(row)]; }
    // Whether the screen shows the column (the bounds of an interval are for files only).
    bool shownOnScreen(int column) const;

protected:
    virtual int sourceRowCount() const = 0;
    virtual TableCell sourceCell(int row, int column) const = 0;
    TableCell cell(int row, int column) const final;
    // What the tooltip of a figure says that rests on too few to be more than indicative.
    virtual QString indicativeNote() const;
    QString csvIndicativeGroup(int column) const override;
    // Takes new rows (change puts them in place), sorted as before.
    void replaceRows(const std::function<void()>& change);

private:
    void order();

    std::vector<Column> columns_;
    std::vector<int> order_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

// A sorted table of rows of one kind; a new set of rows keeps the sort.
template <typename Row>
class SortedRowsModel : public SortedTableModel {
public:
    using SortedTableModel::SortedTableModel;
    void setRows(std::vector<Row> rows)
    {
        replaceRows([&] { rows_ = std::move(rows); });
    }
    const std::vector<Row>& rows() const { return rows_; }

protected:
    int sourceRowCount() const override { return static_cast<int>(rows_.size()); }
    std::vector<Row> rows_;
};

// 予想家 (object name "tipsters"): a row per tipster over the counted races they marked; for each mark kind (◎ ○ ▲
// △ × ★) how many, 1着, 2着, 勝率 and 連対率 with their intervals; then their ◎–○ ticket.
class TipsterTableModel : public SortedRowsModel<TipsterRow> {
    Q_OBJECT
public:
    // The columns of one mark kind, kind after kind in shownMarkKinds order after Name and Races.
    enum MarkColumn {
        Count,
        First,
        Second,
        WinRate,
        WinInterval,
        WinLow,
        WinHigh,
        PlaceRate,
        PlaceInterval,
        PlaceLow,
        PlaceHigh,
        MarkColumnCount
    };
    enum TicketColumn {
        TicketRaces,
        TicketHits,
        TicketHitRate,
        TicketStake,
        TicketPayout,
        TicketReturnRate,
        TicketInterval,
        TicketLow,
        TicketHigh,
        TicketProfit,
        TicketColumnCount
    };
    enum { Name, Races, FirstMarkColumn };
    // shown: the place of the kind in shownMarkKinds (0 ◎, 1 ○, 2 ▲, 3 △, 4 ×, 5 ★).
    static int markColumn(int shown, MarkColumn column) { return FirstMarkColumn + shown * MarkColumnCount + column; }
    static int ticketColumn(TicketColumn column) { return FirstMarkColumn + markKindCount * MarkColumnCount + column; }

    explicit TipsterTableModel(QObject* parent = nullptr);

protected:
    TableCell sourceCell(int row, int column) const override;
};

// 印と順位: how runners fared by a place or a count (object names "proposalRanks" and "markKinds"). Rows in their
// groups' order.
class PlaceTableModel : public SortedRowsModel<PlaceRow> {
    Q_OBJECT
public:
    enum Column {
        Group,
        Label,
        Runners,
        First,
        Second,
        WinRate,
        WinInterval,
        WinLow,
        WinHigh,
        PlaceRate,
        PlaceInterval,
        PlaceLow,
        PlaceHigh,
        ColumnCount
    };

    PlaceTableModel(const QString& objectName, QObject* parent = nullptr);

protected:
    TableCell sourceCell(int row, int column) const override;
};

// 予想家の貢献 (object name "tipsterWhatIf"): for each tipster over the counted races they marked, the proposals as
// recorded, with only their marks and with everyone's but theirs, and what their marks add.
class TipsterWhatIfModel : public SortedRowsModel<TipsterWhatIfRow> {
    Q_OBJECT
public:
    enum AddedColumn { Gained, Lost, AddedPoints, AddedInterval, AddedLow, AddedHigh, AddedProfit, AddedColumnCount };
    enum WayColumn { Hits, HitRate, ReturnRate, Interval, Low, High, Profit, WayColumnCount };
    enum Way { Recorded, Only, Without, WayCount };
    // What the tipster adds comes first, then the three ways.
    enum { Name, Races, FirstAddedColumn };
    static int addedColumn(AddedColumn column) { return FirstAddedColumn + int(column); }
    static int wayColumn(Way way, WayColumn column)
    {
        return FirstAddedColumn + int(AddedColumnCount) + int(way) * int(WayColumnCount) + int(column);
    }

    explicit TipsterWhatIfModel(QObject* parent = nullptr);

protected:
    TableCell sourceCell(int row, int column) const override;
};

#include "analysis/tipster_models.h"

#include "analysis/display_text.h"
#include "analysis/model_roles.h"
#include "core/race_state.h"

#include <algorithm>

using namespace displaytext;

namespace {

QStringList csvHeadings(const std::vector<SortedTableModel::Column>& columns)
{
    QStringList headings;
    for (const SortedTableModel::Column& column : columns)
        headings.append(column.csv);
    return headings;
}

// A rate, its interval on screen and its two bounds for files: four columns.
void addRateColumns(std::vector<SortedTableModel::Column>& columns, const QString& csv, const QString& screen)
{
    columns.push_back({csv + QStringLiteral("(%)"), screen});
    columns.push_back({{}, QStringLiteral("95%区間")});
    columns.push_back({csv + QStringLiteral("の95%区間の下限(%)"), {}, false});
    columns.push_back({csv + QStringLiteral("の95%区間の上限(%)"), {}, false});
}

// A tipster's name: drawn cut short when long, whole in the tooltip, in files and for sorting.
TableCell nameCell(const QString& name)
{
    TableCell cell;
    cell.display = shownName(name);
    cell.csv = name;
    cell.sort = name;
    if (cell.display.size() != name.size())
        cell.tip = name;
    return cell;
}

TableCell numberCell(TableCell cell, bool indicative)
{
    cell.indicative = indicative;
    return cell;
}

// The interval as the screen shows it: "18.1～44.7" (per cent or points, as the heading says), 計算中 while it is
// drawn, empty when there is none.
TableCell intervalCell(const std::optional<ReturnInterval>& interval, bool pending, bool indicative)
{
    TableCell cell;
    cell.indicative = indicative;
    cell.interval = interval;
    if (pending) {
        cell.display = displaytext::pending();
    } else if (interval) {
        cell.display = csvPercent(interval->low) + u'～' + csvPercent(interval->high);
        cell.sort = interval->low;
    }
    return cell;
}

TableCell boundCell(const std::optional<ReturnInterval>& interval, bool high, bool indicative)
{
    TableCell cell;
    cell.indicative = indicative;
    if (interval) {
        const double value = high ? interval->high : interval->low;
        cell.display = cell.csv = csvPercent(value);
        cell.sort = value;
        cell.csvNumber = true;
    }
    return cell;
}

} // namespace

// SortedTableModel ----------------------------------------------------------------------------------------------

SortedTableModel::SortedTableModel(const QString& objectName, std::vector<Column> columns, QObject* parent)
    : AnalysisTableModel(objectName, csvHeadings(columns), parent), columns_(std::move(columns))
{
}

int SortedTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

bool SortedTableModel::shownOnScreen(int column) const
{
    return column >= 0 && column < static_cast<int>(columns_.size())
           && columns_[static_cast<std::size_t>(column)].onScreen;
}

QVariant SortedTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < static_cast<int>(columns_.size())) {
        const Column& column = columns_[static_cast<std::size_t>(section)];
        if (role == AnalysisRole::Csv)
            return column.csv.isEmpty() ? QVariant() : QVariant(column.csv);
        if (role == Qt::DisplayRole)
            return column.screen;
    }
    return AnalysisTableModel::headerData(section, orientation, role);
}

QVariant SortedTableModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::ToolTipRole && index.isValid() && index.row() < rowCount()) {
        const TableCell c = cell(index.row(), index.column());
        return c.indicative ? QVariant(indicativeNote()) : c.tip.isEmpty() ? QVariant() : QVariant(c.tip);
    }
    return AnalysisTableModel::data(index, role);
}

QString SortedTableModel::csvIndicativeGroup(int column) const
{
    const QString& group = columns_[static_cast<std::size_t>(column)].indicativeGroup;
    return group.isEmpty() ? AnalysisTableModel::csvIndicativeGroup(column) : group;
}

QString SortedTableModel::indicativeNote() const
{
    return QStringLiteral("数えたのが%1に満たないので参考値です。").arg(indicativeBelow);
}

TableCell SortedTableModel::cell(int row, int column) const { return sourceCell(sourceRow(row), column); }

void SortedTableModel::sort(int column, Qt::SortOrder order)
{
    sortColumn_ = column >= 0 && column < columnCount() ? column : -1;
    sortOrder_ = order;
    beginResetModel();
    this->order();
    endResetModel();
}

void SortedTableModel::replaceRows(const std::function<void()>& change)
{
    beginResetModel();
    change();
    order();
    endResetModel();
}

void SortedTableModel::order()
{
    order_.resize(static_cast<std::size_t>(sourceRowCount()));
    for (std::size_t row = 0; row < order_.size(); ++row)
        order_[row] = static_cast<int>(row);
    if (sortColumn_ < 0)
        return;
    std::vector<QVariant> keys(order_.size());
    for (std::size_t row = 0; row < order_.size(); ++row)
        keys[row] = sourceCell(static_cast<int>(row), sortColumn_).sort;
    const bool descending = sortOrder_ == Qt::DescendingOrder;
    std::stable_sort(order_.begin(), order_.end(), [&keys, descending](int a, int b) {
        const QVariant& ka = keys[static_cast<std::size_t>(a)];
        const QVariant& kb = keys[static_cast<std::size_t>(b)];
        if (ka.isValid() != kb.isValid())
            return ka.isValid(); // empty cells last either way
        if (!ka.isValid())
            return false;
        const bool text = ka.typeId() == QMetaType::QString;
        const int compared = text ? QString::compare(ka.toString(), kb.toString())
                                  : (ka.toDouble() < kb.toDouble()   ? -1
                                     : kb.toDouble() < ka.toDouble() ? 1
                                                                     : 0);
        return descending ? compared > 0 : compared < 0;
    });
}

// TipsterTableModel ---------------------------------------------------------------------------------------------

namespace {

std::vector<SortedTableModel::Column> tipsterColumns()
{
    std::vector<SortedTableModel::Column> columns = {{QStringLiteral("予想家"), QStringLiteral("予想家")},
                                                     {QStringLiteral("レース数"), QStringLiteral("レース")}};
    // Each mark's figures rest on their own count, and so do the tipster's ◎-○ ticket's: each has its 参考値 column.
    auto group = [&columns](std::size_t from, const QString& what) {
        for (std::size_t column = from; column < columns.size(); ++column)
            columns[column].indicativeGroup = what + QStringLiteral("の参考値");
    };
    for (const int kind : shownMarkKinds) {
        const QString mark = markSymbol(kind);
        const std::size_t first = columns.size();
        columns.push_back({mark + QStringLiteral("の数"), mark + QStringLiteral("\n数")});
        columns.push_back({mark + QStringLiteral("の1着"), mark + QStringLiteral("\n1着")});
        columns.push_back({mark + QStringLiteral("の2着"), mark + QStringLiteral("\n2着")});
        addRateColumns(columns, mark + QStringLiteral("の勝率"), mark + QStringLiteral("\n勝率"));
        addRateColumns(columns, mark + QStringLiteral("の連対率"), mark + QStringLiteral("\n連対率"));
        group(first, mark);
    }
    const QString ticket = QStringLiteral("◎○馬連");
    const std::size_t ticketFirst = columns.size();
    columns.push_back({ticket + QStringLiteral("のレース数"), ticket + QStringLiteral("\nレース")});
    columns.push_back({ticket + QStringLiteral("の的中数"), ticket + QStringLiteral("\n的中")});
    columns.push_back({ticket + QStringLiteral("の的中率(%)"), ticket + QStringLiteral("\n的中率")});
    columns.push_back({ticket + QStringLiteral("の購入額"), ticket + QStringLiteral("\n購入額")});
    columns.push_back({ticket + QStringLiteral("の払戻額"), ticket + QStringLiteral("\n払戻額")});
    addRateColumns(columns, ticket + QStringLiteral("の回収率"), ticket + QStringLiteral("\n回収率"));
    columns.push_back({ticket + QStringLiteral("の収支"), ticket + QStringLiteral("\n収支")});
    group(ticketFirst, ticket);
    return columns;
}

} // namespace

TipsterTableModel::TipsterTableModel(QObject* parent)
    : SortedRowsModel(QStringLiteral("tipsters"), tipsterColumns(), parent)
{
}

TableCell TipsterTableModel::sourceCell(int row, int column) const
{
    const TipsterRow& r = rows_[static_cast<std::size_t>(row)];
    if (column == Name)
        return nameCell(r.name);
    if (column == Races)
        return numberCell(countCell(r.races), r.indicative());
    const int markColumns = markKindCount * MarkColumnCount;
    if (column < FirstMarkColumn + markColumns) {
        const int shown = (column - FirstMarkColumn) / MarkColumnCount;
        const PlaceTally& t = r.marks[static_cast<std::size_t>(shownMarkKinds[static_cast<std::size_t>(shown)])];
        const bool few = t.indicative();
        switch ((column - FirstMarkColumn) % MarkColumnCount) {
        case Count: return countCell(t.runners);
        case First: return countCell(t.first);
        case Second: return countCell(t.second);
        case WinRate: return numberCell(percentCell(t.winRatePercent()), few);
        case WinInterval: return intervalCell(t.winInterval(), false, few);
        case WinLow: return boundCell(t.winInterval(), false, few);
        case WinHigh: return boundCell(t.winInterval(), true, few);
        case PlaceRate: return numberCell(percentCell(t.placeRatePercent()), few);
        case PlaceInterval: return intervalCell(t.placeInterval(), false, few);
        case PlaceLow: return boundCell(t.placeInterval(), false, few);
        case PlaceHigh: return boundCell(t.placeInterval(), true, few);
        default: return {};
        }
    }
    const Tally& ticket = r.ticket;
    const bool few = ticket.races < indicativeBelow;
    switch (column - FirstMarkColumn - markColumns) {
    case TicketRaces: return countCell(ticket.races);
    case TicketHits: return countCell(ticket.hits);
    case TicketHitRate: return percentCell(ticket.hitRatePercent());
    case TicketStake: return wholeYenCell(ticket.stake);
    case TicketPayout: return wholeYenCell(ticket.returned);
    case TicketReturnRate: return numberCell(percentCell(ticket.returnRatePercent()), few);
    case TicketInterval: return intervalCell(r.ticketInterval, r.ticketIntervalPending, few);
    case TicketLow: return boundCell(r.ticketInterval, false, few);
    case TicketHigh: return boundCell(r.ticketInterval, true, few);
    case TicketProfit: return wholeYenCell(ticket.profit());
    default: return {};
    }
}

// PlaceTableModel -----------------------------------------------------------------------------------------------

namespace {

std::vector<SortedTableModel::Column> placeColumns()
{
    std::vector<SortedTableModel::Column> columns = {{QStringLiteral("区分"), QStringLiteral("区分")},
                                                     {QStringLiteral("項目"), QStringLiteral("")},
                                                     {QStringLiteral("頭数"), QStringLiteral("頭数")},
                                                     {QStringLiteral("1着"), QStringLiteral("1着")},
                                                     {QStringLiteral("2着"), QStringLiteral("2着")}};
    addRateColumns(columns, QStringLiteral("勝率"), QStringLiteral("勝率"));
    addRateColumns(columns, QStringLiteral("連対率"), QStringLiteral("連対率"));
    return columns;
}

} // namespace

PlaceTableModel::PlaceTableModel(const QString& objectName, QObject* parent)
    : SortedRowsModel(objectName, placeColumns(), parent)
{
}

TableCell PlaceTableModel::sourceCell(int row, int column) const
{
    const PlaceRow& r = rows_[static_cast<std::size_t>(row)];
    const PlaceTally& t = r.tally;
    const bool few = t.indicative();
    switch (column) {
    case Group: return textCell(r.group, row);
    case Label: return textCell(r.label, row);
    case Runners: return numberCell(countCell(t.runners), few);
    case First: return countCell(t.first);
    case Second: return countCell(t.second);
    case WinRate: return numberCell(percentCell(t.winRatePercent()), few);
    case WinInterval: return intervalCell(t.winInterval(), false, few);
    case WinLow: return boundCell(t.winInterval(), false, few);
    case WinHigh: return boundCell(t.winInterval(), true, few);
    case PlaceRate: return numberCell(percentCell(t.placeRatePercent()), few);
    case PlaceInterval: return intervalCell(t.placeInterval(), false, few);
    case PlaceLow: return boundCell(t.placeInterval(), false, few);
    case PlaceHigh: return boundCell(t.placeInterval(), true, few);
    default: return {};
    }
}

// TipsterWhatIfModel --------------------------------------------------------------------------------------------

namespace {

std::vector<SortedTableModel::Column> whatIfColumns()
{
    std::vector<SortedTableModel::Column> columns = {{QStringLiteral("予想家"), QStringLiteral("予想家")},
                                                     {QStringLiteral("レース数"), QStringLiteral("レース")}};
    columns.push_back({QStringLiteral("加えて的中になったレース"), QStringLiteral("加えて\n的中に")});
    columns.push_back({QStringLiteral("加えて外れになったレース"), QStringLiteral("加えて\n外れに")});
    columns.push_back({QStringLiteral("加えた回収率（ポイント）"), QStringLiteral("加えた\n回収率")});
    columns.push_back({{}, QStringLiteral("95%区間")});
    columns.push_back({QStringLiteral("加えた回収率の95%区間の下限（ポイント）"), {}, false});
    columns.push_back({QStringLiteral("加えた回収率の95%区間の上限（ポイント）"), {}, false});
    columns.push_back({QStringLiteral("加えた収支"), QStringLiteral("加えた\n収支")});
    const QString ways[] = {QStringLiteral("記録どおり"), QStringLiteral("この予想家だけ"),
                            QStringLiteral("この予想家抜き")};
    const QString shortWays[] = {QStringLiteral("記録"), QStringLiteral("だけ"), QStringLiteral("抜き")};
    for (std::size_t way = 0; way < std::size(ways); ++way) {
        columns.push_back({ways[way] + QStringLiteral("の的中数"), shortWays[way] + QStringLiteral("\n的中")});
        columns.push_back({ways[way] + QStringLiteral("の的中率(%)"), shortWays[way] + QStringLiteral("\n的中率")});
        addRateColumns(columns, ways[way] + QStringLiteral("の回収率"), shortWays[way] + QStringLiteral("\n回収率"));
        columns.push_back({ways[way] + QStringLiteral("の収支"), shortWays[way] + QStringLiteral("\n収支")});
    }
    return columns;
}

} // namespace

TipsterWhatIfModel::TipsterWhatIfModel(QObject* parent)
    : SortedRowsModel(QStringLiteral("tipsterWhatIf"), whatIfColumns(), parent)
{
}

TableCell TipsterWhatIfModel::sourceCell(int row, int column) const
{
    const TipsterWhatIfRow& r = rows_[static_cast<std::size_t>(row)];
    const bool few = r.indicative();
    if (column == Name)
        return nameCell(r.name);
    if (column == Races)
        return numberCell(countCell(r.recorded.races), few);
    if (column >= FirstAddedColumn + int(AddedColumnCount)) {
        const int offset = column - FirstAddedColumn - int(AddedColumnCount);
        const auto way = static_cast<Way>(offset / WayColumnCount);
        const Tally& t = way == Recorded ? r.recorded : way == Only ? r.only : r.without;
        const std::optional<ReturnInterval>& interval = way == Recorded ? r.recordedInterval
                                                        : way == Only   ? r.onlyInterval
                                                                        : r.withoutInterval;
        switch (offset % WayColumnCount) {
        case Hits: return countCell(t.hits);
        case HitRate: return numberCell(percentCell(t.hitRatePercent()), few);
        case ReturnRate: return numberCell(percentCell(t.returnRatePercent()), few);
        case Interval: return intervalCell(interval, r.intervalsPending, few);
        case Low: return boundCell(interval, false, few);
        case High: return boundCell(interval, true, few);
        case Profit: return wholeYenCell(t.profit());
        default: return {};
        }
    }
    switch (column - FirstAddedColumn) {
    case Gained: return countCell(r.gained);
    case Lost: return countCell(r.lost);
    case AddedPoints: {
        TableCell c = numberCell(percentCell(r.addedPoints()), few);
        // Points, not a share: "+3.2" and "-4.0" on screen.
        if (const std::optional<double> points = r.addedPoints())
            c.display = (*points > 0 ? QStringLiteral("+") : QString()) + csvPercent(points);
        return c;
    }
    case AddedInterval: return intervalCell(r.addedInterval, r.intervalsPending, few);
    case AddedLow: return boundCell(r.addedInterval, false, few);
    case AddedHigh: return boundCell(r.addedInterval, true, few);
    case AddedProfit: return wholeYenCell(r.recorded.profit() - r.without.profit());
    default: return {};
    }
}

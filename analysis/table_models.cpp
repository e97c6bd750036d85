#include "analysis/table_models.h"

#include "analysis/display_text.h"
#include "analysis/model_roles.h"

#include <array>
#include <cmath>

using namespace displaytext;

namespace {

QStringList utf8List(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

} // namespace

AnalysisTableModel::AnalysisTableModel(const QString& objectName, QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers))
{
    setObjectName(objectName);
}

int AnalysisTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant AnalysisTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < headers_.size()) {
        if (role == Qt::DisplayRole || role == AnalysisRole::Csv)
            return headers_[section];
        if (role == AnalysisRole::CsvIndicativeGroup || role == AnalysisRole::CsvSortHeader) {
            const QString text =
                role == AnalysisRole::CsvSortHeader ? csvSortHeader(section) : csvIndicativeGroup(section);
            return text.isEmpty() ? QVariant() : QVariant(text);
        }
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString AnalysisTableModel::csvIndicativeGroup(int) const { return QStringLiteral("参考値"); }

QString AnalysisTableModel::csvSortHeader(int) const { return {}; }

QVariant AnalysisTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole: return cell(index.row(), index.column()).display;
    case AnalysisRole::Csv: return cell(index.row(), index.column()).csv;
    case AnalysisRole::CsvNumber: return cell(index.row(), index.column()).csvNumber;
    case AnalysisRole::Sort: return cell(index.row(), index.column()).sort;
    case AnalysisRole::Indicative: return cell(index.row(), index.column()).indicative;
    case AnalysisRole::Asked: return cell(index.row(), index.column()).asked;
    case AnalysisRole::CsvSort: {
        const QString sort = cell(index.row(), index.column()).csvSort;
        return sort.isEmpty() ? QVariant() : QVariant(sort);
    }
    case AnalysisRole::IntervalLow:
    case AnalysisRole::IntervalHigh: {
        const std::optional<ReturnInterval> interval = cell(index.row(), index.column()).interval;
        if (!interval)
            return {};
        return role == AnalysisRole::IntervalLow ? interval->low : interval->high;
    }
    case Qt::ToolTipRole:
        if (cell(index.row(), index.column()).indicative)
            return QStringLiteral("%1レース未満の数字なので参考値です。").arg(indicativeBelow);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(index.column() == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                                       : Qt::AlignRight | Qt::AlignVCenter);
    default: return {};
    }
}

void AnalysisTableModel::reset(const std::function<void()>& change)
{
    beginResetModel();
    change();
    endResetModel();
}

TableCell AnalysisTableModel::countCell(long long value)
{
    return {count(value), QString::number(value), value, false, {}, false, true};
}

TableCell AnalysisTableModel::yenCell(double value)
{
    return {yen(value), csvNumber(value), value, false, {}, false, true};
}

// Sums go to the file digit for digit, never through a double.
TableCell AnalysisTableModel::wholeYenCell(std::int64_t value)
{
    return {wholeYen(value), csvWholeNumber(value), static_cast<double>(value), false, {}, false, true};
}

TableCell AnalysisTableModel::optionalYenCell(std::optional<double> value)
{
    return value ? yenCell(*value) : TableCell{};
}

TableCell AnalysisTableModel::percentCell(std::optional<double> value)
{
    return {percent(value), csvPercent(value), value ? QVariant(*value) : QVariant(), false, {}, false, true};
}

TableCell AnalysisTableModel::textCell(const QString& text, const QVariant& sort)
{
    return {text, text, sort, false, {}, false};
}

// Figures ------------------------------------------------------------------------------------------------------

FiguresModel::FiguresModel(QObject* parent)
    : AnalysisTableModel(QStringLiteral("analysisFigures"), utf8List({"項目", "予想の成績", "あなたの収支"}), parent)
{
}

int FiguresModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RowCount; }

void FiguresModel::setFigures(const SeriesFigures& proposals, const SeriesFigures& own)
{
    reset([&] {
        proposals_ = proposals;
        own_ = own;
    });
}

TableCell FiguresModel::cell(int row, int column) const
{
    static const char* const names[RowCount] = {"レース数",
                                                "的中数",
                                                "的中率",
                                                "購入額",
                                                "払戻・収入",
                                                "回収率",
                                                "回収率の95%区間",
                                                "収支",
                                                "1レースあたりの収支",
                                                "1レースの最高払戻",
                                                "最長連敗",
                                                "最大ドローダウン"};
    if (column == Name) {
        // In a file, a figure in per cent says so in its name.
        TableCell name = textCell(QString::fromUtf8(names[row]), row);
        if (row == HitRate || row == ReturnRate || row == ReturnInterval95)
            name.csv += QStringLiteral("(%)");
        return name;
    }
    const SeriesFigures& f = column == Proposals ? proposals_ : own_;
    switch (row) {
    case Races: return countCell(f.races);
    case Hits: return countCell(f.hits);
    case HitRate: return percentCell(f.hitRatePercent());
    case Stake: return wholeYenCell(f.stake);
    case Returned: return wholeYenCell(f.returned);
    case ReturnRate: {
        TableCell c = percentCell(f.returnRatePercent());
        c.indicative = f.indicative();
        c.interval = f.returnInterval;
        return c;
    }
    case ReturnInterval95: {
        TableCell c;
        c.indicative = f.indicative();
        c.interval = f.returnInterval;
        if (f.intervalPending) {
            c.display = displaytext::pending();
            c.csv = c.display;
        } else if (f.returnInterval) {
            c.display = percent(f.returnInterval->low) + u'～' + percent(f.returnInterval->high);
            c.csv = csvPercent(f.returnInterval->low) + u'～' + csvPercent(f.returnInterval->high);
            c.sort = f.returnInterval->low;
        }
        // A file marks it in its 参考値 column.
        if (c.indicative && f.races > 0 && !f.intervalPending)
            c.display += QStringLiteral("（参考値）");
        return c;
    }
    case Profit: return wholeYenCell(f.profit());
    case ProfitPerRace: return optionalYenCell(f.profitPerRace());
    case HighestReturn: return wholeYenCell(f.highestReturn);
    case LongestLosingStreak: {
        TableCell c = countCell(f.longestLosingStreak);
        c.display += QStringLiteral("レース");
        return c;
    }
    case MaxDrawdown: return wholeYenCell(f.maxDrawdown);
    default: return {};
    }
}

QString FiguresModel::csvIndicativeGroup(int column) const
{
    return column == Name
               ? QString()
               : headerData(column, Qt::Horizontal, AnalysisRole::Csv).toString() + QStringLiteral("の参考値");
}

// Breakdowns ---------------------------------------------------------------------------------------------------

BreakdownModel::BreakdownModel(Breakdown breakdown, QObject* parent)
    : AnalysisTableModel(breakdownObjectName(breakdown),
                         QStringList{breakdownKeyTitle(breakdown)}
                             + utf8List({"レース数", "的中数", "的中率(%)", "購入額", "払戻額", "回収率(%)", "収支",
                                         "収支のレース数", "馬券購入金額", "収入", "収支の回収率(%)", "差額"}),
                         parent),
      breakdown_(breakdown)
{
}

int BreakdownModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

void BreakdownModel::setRows(std::vector<BreakdownRow> rows)
{
    reset([&] { rows_ = std::move(rows); });
}

namespace {
// A rate over fewer races than it needs is only indicative; a rate over none is not shown at all.
TableCell fewOrNot(TableCell cell, const Tally& tally)
{
    cell.indicative = tally.races > 0 && tally.races < indicativeBelow;
    return cell;
}
} // namespace

QString BreakdownModel::csvSortHeader(int column) const
{
    if (column != Key)
        return {};
    switch (breakdown_) {
    case Breakdown::Month: return QStringLiteral("月の数字");
    case Breakdown::Runners: return QStringLiteral("頭数の下限");
    default: return {};
    }
}

QString BreakdownModel::csvIndicativeGroup(int column) const
{
    return column == Key       ? QString()
           : column < OwnRaces ? QStringLiteral("予想の参考値")
                               : QStringLiteral("収支の参考値");
}

TableCell BreakdownModel::cell(int row, int column) const
{
    const BreakdownRow& r = rows_[static_cast<std::size_t>(row)];
    switch (column) {
    case Key: {
        TableCell key = textCell(r.label, r.sortValue);
        // Months and runner bands sort wrongly as text ("10月" before "2月"): files give them a number.
        if (std::isfinite(r.sortValue) && breakdown_ == Breakdown::Month)
            key.csvSort = QString::number(static_cast<int>(r.sortValue));
        else if (std::isfinite(r.sortValue) && breakdown_ == Breakdown::Runners)
            key.csvSort = QString::number(std::array{1, 9, 13, 17}.at(static_cast<std::size_t>(r.sortValue)));
        return key;
    }
    case Races: return countCell(r.proposals.races);
    case Hits: return countCell(r.proposals.hits);
    case HitRate: return fewOrNot(percentCell(r.proposals.hitRatePercent()), r.proposals);
    case Stake: return wholeYenCell(r.proposals.stake);
    case Payout: return wholeYenCell(r.proposals.returned);
    case ReturnRate: return fewOrNot(percentCell(r.proposals.returnRatePercent()), r.proposals);
    case Profit: return wholeYenCell(r.proposals.profit());
    case OwnRaces: return countCell(r.own.races);
    case OwnStake: return wholeYenCell(r.own.stake);
    case OwnIncome: return wholeYenCell(r.own.returned);
    case OwnReturnRate: return fewOrNot(percentCell(r.own.returnRatePercent()), r.own);
    case OwnDifference: return wholeYenCell(r.own.profit());
    default: return {};
    }
}

// What if ------------------------------------------------------------------------------------------------------

WhatIfModel::WhatIfModel(QObject* parent)
    : AnalysisTableModel(QStringLiteral("whatIf"),
                         utf8List({"点数", "レース数", "的中数", "的中率(%)", "購入額", "払戻額", "回収率(%)", "収支",
                                   "この点数を希望したレース数"}),
                         parent)
{
}

int WhatIfModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

void WhatIfModel::setRows(std::vector<WhatIfRow> rows)
{
    reset([&] { rows_ = std::move(rows); });
}

TableCell WhatIfModel::cell(int row, int column) const
{
    const WhatIfRow& r = rows_[static_cast<std::size_t>(row)];
    TableCell c;
    switch (column) {
    case Tickets:
        c = textCell(QString::number(r.tickets) + QStringLiteral("点"), r.tickets);
        c.csv = QString::number(r.tickets);
        c.csvNumber = true;
        break;
    case Races: c = countCell(r.tally.races); break;
    case Hits: c = countCell(r.tally.hits); break;
    case HitRate: c = fewOrNot(percentCell(r.tally.hitRatePercent()), r.tally); break;
    case Stake: c = wholeYenCell(r.tally.stake); break;
    case Payout: c = wholeYenCell(r.tally.returned); break;
    case ReturnRate: c = fewOrNot(percentCell(r.tally.returnRatePercent()), r.tally); break;
    case Profit: c = wholeYenCell(r.tally.profit()); break;
    case AskedRaces: c = countCell(r.askedRaces); break;
    default: break;
    }
    c.asked = r.askedRaces > 0;
    return c;
}

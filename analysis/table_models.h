#pragma once

#include "analysis/breakdowns.h"
#include "analysis/figures.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// One cell of an analysis table in its three forms.
struct TableCell {
    QString display;
    QString csv;
    QVariant sort; // none for an empty cell
    bool indicative = false;
    std::optional<ReturnInterval> interval;
    bool asked = false;
    bool csvNumber = false; // the csv text is a number; any other is text
    QString tip{};          // the tooltip, as plain text (a name drawn cut short: the whole name)
    QString csvSort{};      // the number a CSV file sorts the row by, where the column has one (AnalysisRole)
};

// A read-only table of cells; subclasses say what each cell holds.
class AnalysisTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    AnalysisTableModel(const QString& objectName, QStringList headers, QObject* parent);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

protected:
    virtual TableCell cell(int row, int column) const = 0;
    // For CSV files: the 参考値 column that marks the column's indicative cells (one "参考値" for the whole row
    // unless a table says otherwise), and the heading of the sort number written after it (none unless said).
    virtual QString csvIndicativeGroup(int column) const;
    virtual QString csvSortHeader(int column) const;
    void reset(const std::function<void()>& change);

    static TableCell countCell(long long value);
    static TableCell yenCell(double value);
    static TableCell wholeYenCell(std::int64_t value);
    static TableCell optionalYenCell(std::optional<double> value);
    static TableCell percentCell(std::optional<double> value);
    static TableCell textCell(const QString& text, const QVariant& sort);

private:
    QStringList headers_;
};

// The figures of both series (object name "analysisFigures"): a row per figure; column 0 names it, columns 1 and 2
// hold 予想の成績 and あなたの収支.
class FiguresModel : public AnalysisTableModel {
    Q_OBJECT
public:
    enum Row {
        Races,
        Hits,
        HitRate,
        Stake,
        Returned,
        ReturnRate,
        ReturnInterval95,
        Profit,
        ProfitPerRace,
        HighestReturn,
        LongestLosingStreak,
        MaxDrawdown,
        RowCount
    };
    enum Column { Name, Proposals, Own, ColumnCount };

    explicit FiguresModel(QObject* parent = nullptr);
    void setFigures(const SeriesFigures& proposals, const SeriesFigures& own);
    int rowCount(const QModelIndex& parent = {}) const override;

protected:
    TableCell cell(int row, int column) const override;
    QString csvIndicativeGroup(int column) const override;

private:
    SeriesFigures proposals_;
    SeriesFigures own_;
};

// One breakdown of the filtered races (object name "breakdown.<name>"): a row per year, course, class …
class BreakdownModel : public AnalysisTableModel {
    Q_OBJECT
public:
    enum Column {
        Key,
        Races,
        Hits,
        HitRate,
        Stake,
        Payout,
        ReturnRate,
        Profit,
        OwnRaces,
        OwnStake,
        OwnIncome,
        OwnReturnRate,
        OwnDifference,
        ColumnCount
    };

    BreakdownModel(Breakdown breakdown, QObject* parent = nullptr);
    Breakdown breakdown() const { return breakdown_; }
    void setRows(std::vector<BreakdownRow> rows);
    const std::vector<BreakdownRow>& rows() const { return rows_; }
    int rowCount(const QModelIndex& parent = {}) const override;

protected:
    TableCell cell(int row, int column) const override;
    QString csvIndicativeGroup(int column) const override;
    QString csvSortHeader(int column) const override;

private:
    Breakdown breakdown_;
    std::vector<BreakdownRow> rows_;
};

// The proposals had every filtered race been asked for k = 1..12 tickets (object name "whatIf"). The Asked role
// marks the counts the user really asked for.
class WhatIfModel : public AnalysisTableModel {
    Q_OBJECT
public:
    enum Column { Tickets, Races, Hits, HitRate, Stake, Payout, ReturnRate, Profit, AskedRaces, ColumnCount };

    explicit WhatIfModel(QObject* parent = nullptr);
    void setRows(std::vector<WhatIfRow> rows);
    const std::vector<WhatIfRow>& rows() const { return rows_; }
    int rowCount(const QModelIndex& parent = {}) const override;

protected:
    TableCell cell(int row, int column) const override;

private:
    std::vector<WhatIfRow> rows_;
};

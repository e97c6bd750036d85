#pragma once

#include "analysis/analysis_filter.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <optional>
#include <vector>

// Every race the filter leaves, one row each (object name "analysisRaces"). Money of a series the race is not
// counted in is left empty, so that the columns add up to the figures.
//
// The model sorts and searches itself, so that a view shows it directly: sort() (a clicked header) orders the rows
// by the column's raw value (numbers as numbers, dates in time order, courses in the pick list's order), empty cells
// last either way and equal values in time order; setSearchText keeps the rows in which every word of the text
// occurs (widths and letter case folded), a word that reads as a class (ＧⅠ, G1, ＪｐｎⅢ …) keeping the races of
// exactly that class. Without a sort the rows are in time order. A proxy model would do the same at several times the
// cost: at 10,000 races it would spend more on each filter change than everything else together.
class RaceTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Date,
        Number,
        Name,
        Grade,
        Course,
        Distance,
        Runners,
        Asked,
        Axis,
        Proposed,
        First,
        Second,
        Payout,
        Hit,
        ProposalStake,
        ProposalPayout,
        ProposalProfit, // on screen only; a file can work it out from the two before it
        OwnStake,
        OwnIncome,
        OwnDifference,
        ColumnCount
    };

    RaceTableModel(const AnalysisData& data, QObject* parent = nullptr);

    // The races of a new filter; the model is reset, keeping its sort and search.
    void setRaces(const FilteredRaces* races);
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    void setSearchText(const QString& text);
    const QString& searchText() const { return searchText_; }
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    int raceAt(int row) const { return rows_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void rebuild();
    bool matchesSearch(int race) const;
    QString text(int race, int column, bool forCsv) const;
    // Whether the CSV cell is a number (written as it is) rather than text.
    bool csvIsNumber(int race, int column) const;
    // What a race sorts by in a column other than the race name; absent for an empty cell.
    std::optional<double> sortNumber(int race, int column) const;
    // The amount a money column shows for the race (the payout and the six columns of the two series), none for an
    // empty cell.
    std::optional<double> shownAmount(int race, int column) const;
    // Which series count the race under the current filter: its row's texts depend on it.
    int countedIn(int race) const;
    // Every text of the race's row, folded for a search.
    const QString& searchText(int race) const;

    const AnalysisData& data_;
    const FilteredRaces* races_ = nullptr;
    std::vector<int> rows_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    QString searchText_;
    QStringList words_;
    std::vector<GradeClass> gradeWords_;
    struct SearchEntry {
        QString text;
        int countedIn = -1; // which series the text was made for: the money columns depend on it
    };
    mutable std::vector<SearchEntry> search_;
};

// Width- and case-folded text, as the race search compares it.
QString searchFolded(const QString& text);

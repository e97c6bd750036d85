#pragma once

#include "analysis/analysis_filter.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <vector>

// Every race the filter leaves, one row each, in time order (object name "analysisRaces"). Money of a series the
// race is not counted in is left empty, so that the columns add up to the figures.
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

    // The rows of a new filter; the model is reset.
    void setRaces(const FilteredRaces* races);

    int raceAt(int row) const { return races_->table[static_cast<std::size_t>(row)]; }
    // Every text of the row, folded for a search (widths unified, letter case ignored).
    const QString& searchText(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString text(int race, int column, bool forCsv) const;
    QVariant sortValue(int race, int column) const;

    const AnalysisData& data_;
    const FilteredRaces* races_ = nullptr;
    struct SearchEntry {
        QString text;
        int countedIn = -1; // which series the text was made for: the money columns depend on it
    };
    mutable std::vector<SearchEntry> search_;
};

// Width- and case-folded text, as the race search compares it.
QString searchFolded(const QString& text);

// The race table as the view shows it (object name "analysisRacesView"): sorted by a clicked header (numbers as
// numbers, dates as dates, courses in the pick list's order) and narrowed by a search text, every word of which must
// occur somewhere in the row.
class RaceTableProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit RaceTableProxy(RaceTableModel& source, QObject* parent = nullptr);
    void setSearchText(const QString& text);
    const QString& searchText() const { return searchText_; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    // Empty cells go last whichever way the column is sorted.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    RaceTableModel& source_;
    QString searchText_;
    QStringList words_;
};

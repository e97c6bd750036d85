#pragma once

#include "racefile/folder_backup.h"

#include <QAbstractTableModel>

#include <array>
#include <vector>

// What a backup holds against the race folder, one row per file: the files that differ first (each is asked about),
// then the new ones, those that cannot be written, and those the folder already has; by name within each.
class RestoreComparisonModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { StateColumn, NameColumn, RaceColumn, ColumnCount };

    explicit RestoreComparisonModel(QObject* parent = nullptr);

    // Takes the comparison (compareWithFolder) in its own order; the rows show it sorted as above.
    void setItems(std::vector<RestoreItem> items);
    const std::vector<RestoreItem>& items() const { return items_; }
    // The item a row shows.
    const RestoreItem& itemAt(int row) const { return items_[order_[static_cast<std::size_t>(row)]]; }
    int count(RestoreState state) const { return counts_[static_cast<std::size_t>(state)]; }

    // "新しい", "同じ", "違う", "戻せない".
    static QString stateText(RestoreState state);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<RestoreItem> items_;
    std::vector<std::size_t> order_;
    std::array<int, 4> counts_{};
};

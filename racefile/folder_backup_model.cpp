#include "racefile/folder_backup_model.h"

#include "racefile/file_names.h"

#include <algorithm>
#include <numeric>

namespace {
int rank(RestoreState state)
{
    switch (state) {
    case RestoreState::Differs: return 0;
    case RestoreState::New: return 1;
    case RestoreState::Blocked: return 2;
    case RestoreState::Same: return 3;
    }
    return 4;
}
} // namespace

RestoreComparisonModel::RestoreComparisonModel(QObject* parent) : QAbstractTableModel(parent)
{
    setObjectName(QStringLiteral("restoreComparison"));
}

void RestoreComparisonModel::setItems(std::vector<RestoreItem> items)
{
    beginResetModel();
    items_ = std::move(items);
    std::vector<QString> names(items_.size());
    counts_ = {};
    for (std::size_t i = 0; i < items_.size(); ++i) {
        names[i] = shownFileName(items_[i].file.name);
        ++counts_[static_cast<std::size_t>(items_[i].state)];
    }
    order_.resize(items_.size());
    std::iota(order_.begin(), order_.end(), std::size_t{0});
    std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
        const int ra = rank(items_[a].state);
        const int rb = rank(items_[b].state);
        return ra != rb ? ra < rb : names[a] < names[b];
    });
    endResetModel();
}

QString RestoreComparisonModel::stateText(RestoreState state)
{
    switch (state) {
    case RestoreState::New: return QStringLiteral("新しい");
    case RestoreState::Same: return QStringLiteral("同じ");
    case RestoreState::Differs: return QStringLiteral("違う");
    case RestoreState::Blocked: return QStringLiteral("戻せない");
    }
    return {};
}

int RestoreComparisonModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int RestoreComparisonModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant RestoreComparisonModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const RestoreItem& item = itemAt(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case StateColumn: return stateText(item.state);
        case NameColumn: return shownFileName(item.file.name);
        case RaceColumn: return item.race;
        default: return {};
        }
    }
    return {};
}

QVariant RestoreComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case StateColumn: return QStringLiteral("状態");
    case NameColumn: return QStringLiteral("ファイル");
    case RaceColumn: return QStringLiteral("レース");
    default: return {};
    }
}

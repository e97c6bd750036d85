#include "analysis/race_table_model.h"

#include "analysis/display_text.h"
#include "analysis/model_roles.h"
#include "core/numbers.h"

#include <QRegularExpression>

using namespace displaytext;

namespace {

const char* const headers[RaceTableModel::ColumnCount] = {
    "日付", "レース", "レース名", "重賞", "競馬場",     "距離",     "頭数",     "希望点数",     "軸",   "予想買い目",
    "一着", "二着",   "配当金",   "的中", "予想購入額", "予想払戻", "予想収支", "馬券購入金額", "収入", "差額"};

QString ticketsText(const std::vector<HorsePair>& tickets)
{
    QStringList pairs;
    pairs.reserve(static_cast<qsizetype>(tickets.size()));
    for (const HorsePair& pair : tickets)
        pairs.append(QString::number(pair.first) + u'-' + QString::number(pair.second));
    return pairs.join(u' ');
}

} // namespace

QString searchFolded(const QString& text) { return text.normalized(QString::NormalizationForm_KC).toCaseFolded(); }

RaceTableModel::RaceTableModel(const AnalysisData& data, QObject* parent)
    : QAbstractTableModel(parent), data_(data), search_(static_cast<std::size_t>(data.raceCount()))
{
    setObjectName(QStringLiteral("analysisRaces"));
}

void RaceTableModel::setRaces(const FilteredRaces* races)
{
    beginResetModel();
    races_ = races;
    endResetModel();
}

int RaceTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !races_ ? 0 : static_cast<int>(races_->table.size());
}

int RaceTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant RaceTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(headers[section]);
    // The proposals' profit is for the screen; the file keeps the columns it is worked out from.
    if (role == AnalysisRole::Csv)
        return section == ProposalProfit ? QVariant() : QVariant(QString::fromUtf8(headers[section]));
    return {};
}

QString RaceTableModel::text(int race, int column, bool forCsv) const
{
    const RaceOutcome& r = data_.outcome(race);
    const AnalysedRace& facts = data_.facts(race);
    const bool proposals = races_->inProposals[static_cast<std::size_t>(race)];
    const bool own = races_->inOwn[static_cast<std::size_t>(race)];
    auto money = [forCsv](double value) { return forCsv ? csvNumber(value) : yen(value); };
    switch (column) {
    case Date:
        if (!facts.date.isValid())
            return forCsv ? r.raceDate : QStringLiteral("日付不明");
        return facts.date.toString(forCsv ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy/MM/dd"));
    case Number: return forCsv ? QString::number(r.raceNumber) : QString::number(r.raceNumber) + u'R';
    case Name: return r.raceName;
    case Grade: return r.gradedText;
    case Course: return r.courseName;
    case Distance: return forCsv && facts.distanceMetres > 0 ? QString::number(facts.distanceMetres) : r.distanceText;
    case Runners: return QString::number(r.runnerCount);
    case Asked: return QString::number(r.ticketsAsked);
    case Axis: return QString::number(r.axisPattern) + QStringLiteral("本軸");
    case Proposed: return ticketsText(r.proposed);
    case First: return r.firstText;
    case Second: return r.secondText;
    case Payout: return r.payoutText.isEmpty() ? QString() : money(r.payout);
    case Hit:
        if (r.hit)
            return QStringLiteral("的中");
        return r.resultRecorded ? QStringLiteral("はずれ") : QString();
    case ProposalStake: return proposals ? money(r.stake) : QString();
    case ProposalPayout: return proposals ? money(r.proposalPayout()) : QString();
    case ProposalProfit: return proposals ? money(r.proposalProfit()) : QString();
    case OwnStake: return own ? money(r.ownStake) : QString();
    case OwnIncome: return own ? money(r.ownIncome) : QString();
    case OwnDifference: return own ? money(r.ownDifference()) : QString();
    default: return {};
    }
}

QVariant RaceTableModel::sortValue(int race, int column) const
{
    const RaceOutcome& r = data_.outcome(race);
    const AnalysedRace& facts = data_.facts(race);
    const bool proposals = races_->inProposals[static_cast<std::size_t>(race)];
    const bool own = races_->inOwn[static_cast<std::size_t>(race)];
    switch (column) {
    // Time order: dates, then race numbers, then races whose date cannot be read.
    case Date: return data_.timeRank(race);
    case Number: return static_cast<int>(r.raceNumber);
    case Grade: return static_cast<int>(facts.grade);
    case Course: return data_.keys(Breakdown::Course).rowOfRace[static_cast<std::size_t>(race)];
    case Distance: return facts.distanceMetres > 0 ? QVariant(facts.distanceMetres) : QVariant();
    case Runners: return r.runnerCount;
    case Asked: return r.ticketsAsked;
    case Axis: return r.axisPattern;
    case Proposed: return static_cast<int>(r.proposed.size());
    case First: return r.firstValue;
    case Second: return r.secondValue;
    case Payout: return r.payoutText.isEmpty() ? QVariant() : QVariant(r.payout);
    case Hit: return r.hit ? 2 : r.resultRecorded ? 1 : 0;
    case ProposalStake: return proposals ? QVariant(r.stake) : QVariant();
    case ProposalPayout: return proposals ? QVariant(r.proposalPayout()) : QVariant();
    case ProposalProfit: return proposals ? QVariant(r.proposalProfit()) : QVariant();
    case OwnStake: return own ? QVariant(r.ownStake) : QVariant();
    case OwnIncome: return own ? QVariant(r.ownIncome) : QVariant();
    case OwnDifference: return own ? QVariant(r.ownDifference()) : QVariant();
    default: return text(race, column, false);
    }
}

QVariant RaceTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return {};
    const int race = raceAt(index.row());
    switch (role) {
    case Qt::DisplayRole: return text(race, index.column(), false);
    case AnalysisRole::Csv: return text(race, index.column(), true);
    case AnalysisRole::Sort: return sortValue(race, index.column());
    case Qt::TextAlignmentRole:
        switch (index.column()) {
        case Name:
        case Grade:
        case Course:
        case Proposed: return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
    default: return {};
    }
}

const QString& RaceTableModel::searchText(int row) const
{
    const int race = raceAt(row);
    const int countedIn =
        races_->inProposals[static_cast<std::size_t>(race)] + 2 * races_->inOwn[static_cast<std::size_t>(race)];
    SearchEntry& entry = search_[static_cast<std::size_t>(race)];
    if (entry.countedIn != countedIn) {
        QStringList texts;
        for (int column = 0; column < ColumnCount; ++column)
            texts.append(text(race, column, false));
        // The date as stored, too: the user may look for "99/05" as it was typed.
        texts.append(data_.outcome(race).raceDate);
        entry.text = searchFolded(texts.join(u'\t'));
        entry.countedIn = countedIn;
    }
    return entry.text;
}

RaceTableProxy::RaceTableProxy(RaceTableModel& source, QObject* parent) : QSortFilterProxyModel(parent), source_(source)
{
    setObjectName(QStringLiteral("analysisRacesView"));
    setSourceModel(&source);
    setSortRole(AnalysisRole::Sort);
    setDynamicSortFilter(true);
}

void RaceTableProxy::setSearchText(const QString& text)
{
    if (text == searchText_)
        return;
    searchText_ = text;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    words_ = searchFolded(text).split(blanks, Qt::SkipEmptyParts);
    invalidateRowsFilter();
}

bool RaceTableProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const QVariant l = left.data(sortRole());
    const QVariant r = right.data(sortRole());
    const bool descending = sortOrder() == Qt::DescendingOrder;
    if (!l.isValid() || !r.isValid())
        return l.isValid() ? !descending : r.isValid() && descending;
    return QSortFilterProxyModel::lessThan(left, right);
}

bool RaceTableProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    if (words_.isEmpty())
        return true;
    const QString& row = source_.searchText(sourceRow);
    for (const QString& word : words_) {
        if (!row.contains(word))
            return false;
    }
    return true;
}

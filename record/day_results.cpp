#include "record/day_results.h"

#include "core/numbers.h"
#include "core/race_date.h"
#include "racefile/file_names.h"
#include "racefile/race_folder.h"
#include "racefile/save_file.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <optional>

namespace {

// A race's name for comparing: full width as half, without blanks and brackets.
QString nameKey(const QString& name)
{
    static const QRegularExpression dropped(QStringLiteral("[\\s()（）【】\\[\\]「」『』・]"));
    return name.normalized(QString::NormalizationForm_KC).remove(dropped);
}

bool sameName(const QString& pasted, const QString& saved)
{
    const QString a = nameKey(pasted);
    const QString b = nameKey(saved);
    return !a.isEmpty() && !b.isEmpty() && (a.contains(b) || b.contains(a));
}

QString yen(std::int64_t amount) { return QLocale().toString(qint64(amount)) + u'円'; }

// A lock wait passed on, noting whether the user stopped it.
class NotedWait final : public LockWait {
public:
    explicit NotedWait(LockWait& inner) : inner_(inner) {}
    bool waitFor(const LockHolder& holder, std::chrono::milliseconds pause) override
    {
        const bool keepWaiting = inner_.waitFor(holder, pause);
        stopped = stopped || !keepWaiting;
        return keepWaiting;
    }
    void waitOver() override { inner_.waitOver(); }
    bool stopped = false;

private:
    LockWait& inner_;
};

} // namespace

std::vector<DayMatch> matchPastedRaces(const std::vector<PastedRace>& pasted,
                                       const std::vector<CatalogueEntry>& catalogue, const RaceFolder& folder)
{
    std::vector<DayMatch> matches(pasted.size());
    // The races of each wanted number, found in one pass over the list: the list is the whole folder.
    std::map<int, std::vector<std::size_t>> wanted;
    for (std::size_t p = 0; p < pasted.size(); ++p) {
        if (pasted[p].result.raceNumber > 0)
            wanted[pasted[p].result.raceNumber];
        else
            matches[p].kind = DayMatch::Kind::NoNumber;
    }
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const CatalogueEntry& entry = catalogue[i];
        if (!entry.readable)
            continue;
        const auto found = wanted.find(QStringView(entry.raceNumberText).trimmed().toInt());
        if (found != wanted.end())
            found->second.push_back(i);
    }
    std::map<std::size_t, QString> courses;
    // A date as the program stores it ("YY/MM/DD") is compared as text; only a date typed some other way in an older
    // race is read as a date, which costs a hundred times more.
    const int year = raceDateCurrentYear();
    auto storedForm = [](QStringView text) {
        return text.size() == 8 && text[2] == u'/' && text[5] == u'/'
               && std::all_of(text.begin(), text.end(), [](QChar c) { return c == u'/' || (c >= u'0' && c <= u'9'); });
    };
    auto sameDate = [&](std::size_t i, const QDate& date, const QString& stored) {
        const QStringView text = QStringView(catalogue[i].raceDate).trimmed();
        return storedForm(text) ? text == stored : parseRaceDate(catalogue[i].raceDate, 0, year) == date;
    };
    auto courseOf = [&](std::size_t i) {
        const auto [at, added] = courses.try_emplace(i);
        if (added) {
            LoadedRace loaded;
            if (folder.read(catalogue[i].fileName, loaded, ReadScope::ThroughResults).ok)
                at->second = courseNamedIn(loaded.race.courseName.normalized(QString::NormalizationForm_KC));
        }
        return at->second;
    };
    // More races than this left by date and number are too many to tell apart by reading their courses.
    constexpr std::size_t mostRead = 40;
    for (std::size_t p = 0; p < pasted.size(); ++p) {
        const PastedResult& result = pasted[p].result;
        if (result.raceNumber <= 0)
            continue;
        // The date as a race of this program would hold it; none when its year cannot be written in two digits now.
        const QString stored =
            result.date.isValid() && fullYearOfTwoDigits(result.date.year() % 100, year) == result.date.year()
                ? result.date.toString(QStringLiteral("yy/MM/dd"))
                : QString();
        std::vector<std::size_t> left;
        for (const std::size_t i : wanted[result.raceNumber]) {
            if (!result.date.isValid() || sameDate(i, result.date, stored))
                left.push_back(i);
        }
        if (!result.course.isEmpty() && left.size() <= mostRead)
            std::erase_if(left, [&](std::size_t i) {
                const QString course = courseOf(i);
                return !course.isEmpty() && course != result.course;
            });
        if (left.size() > 1 && !pasted[p].name.isEmpty()) {
            std::vector<std::size_t> named;
            std::copy_if(left.begin(), left.end(), std::back_inserter(named),
                         [&](std::size_t i) { return sameName(pasted[p].name, catalogue[i].raceName); });
            if (!named.empty())
                left = std::move(named);
        }
        matches[p].kind = left.empty()      ? DayMatch::Kind::NoRace
                          : left.size() > 1 ? DayMatch::Kind::SeveralRaces
                                            : DayMatch::Kind::Matched;
        matches[p].races = std::move(left);
    }
    return matches;
}

std::vector<DayWriteOutcome> writeDayResults(const QString& folderPath, const std::vector<DayWrite>& writes,
                                             LockWait* lockWait)
{
    std::optional<NotedWait> noted;
    if (lockWait)
        noted.emplace(*lockWait);
    const RaceFolder folder(folderPath, noted ? &*noted : nullptr);
    std::vector<DayWriteOutcome> outcomes;
    for (const DayWrite& write : writes) {
        if (noted && noted->stopped) {
            outcomes.push_back({false, QStringLiteral("待つのをやめたため、書き込みませんでした。")});
            continue;
        }
        LoadedRace loaded;
        CatalogueEntry now;
        FileResult done = folder.read(write.fileName, loaded, ReadScope::ThroughResults, &now);
        if (done.ok
            && (now.firstPlace != write.heldFirst || now.secondPlace != write.heldSecond
                || now.payout != write.heldPayout))
            done = FileResult::failed(QStringLiteral("貼り付けたあとで、このレースの結果がほかから変えられました。"));
        PendingRewrite pending;
        if (done.ok)
            done = folder.prepareResults(write.fileName, write.first, write.second, write.payout, pending);
        if (done.ok)
            done = folder.commit(pending);
        outcomes.push_back({done.ok, done.error});
    }
    return outcomes;
}

QString savedRaceTitle(const CatalogueEntry& entry)
{
    return QStringLiteral("%1 %2R %3")
        .arg(entry.raceDate.trimmed())
        .arg(QStringView(entry.raceNumberText).trimmed())
        .arg(entry.raceName.trimmed());
}

DayResultsModel::DayResultsModel(QObject* parent) : QAbstractTableModel(parent)
{
    setObjectName(QStringLiteral("dayResults"));
}

void DayResultsModel::load(const PastedDay& day, const std::vector<CatalogueEntry>& catalogue, const RaceFolder& folder)
{
    const std::vector<DayMatch> matches = matchPastedRaces(day.races, catalogue, folder);
    beginResetModel();
    rows_.clear();
    for (std::size_t p = 0; p < day.races.size(); ++p) {
        Row row;
        row.pasted = day.races[p];
        if (row.pasted.result.ok)
            row.choices = resultChoices(row.pasted.result);
        row.chosen = row.choices.size() == 1 ? 0 : -1;
        row.match = matches[p].kind;
        if (row.match == DayMatch::Kind::Matched) {
            row.saved = catalogue[matches[p].races.front()];
            // The same saved race pasted twice is written once, from the first.
            row.duplicate = std::any_of(rows_.begin(), rows_.end(), [&](const Row& other) {
                return other.match == DayMatch::Kind::Matched && other.saved.fileName == row.saved.fileName;
            });
        }
        for (const std::size_t i : matches[p].races)
            row.candidates += savedRaceTitle(catalogue[i]);
        row.held = heldOf(row);
        row.ticked = tickable(row) && row.held == Held::None;
        rows_.push_back(std::move(row));
    }
    endResetModel();
}

bool DayResultsModel::tickable(const Row& row) const
{
    return row.pasted.result.ok && row.match == DayMatch::Kind::Matched && !row.duplicate && row.done != Done::Written
           && choiceOf(row);
}

bool DayResultsModel::tickable(int row) const
{
    return row >= 0 && row < rowCount() && tickable(rows_[static_cast<std::size_t>(row)]);
}

void DayResultsModel::clear()
{
    beginResetModel();
    rows_.clear();
    endResetModel();
}

bool DayResultsModel::holds(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < rowCount()
           && index.column() < ColumnCount;
}

int DayResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DayResultsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

const ResultChoice* DayResultsModel::choiceOf(const Row& row) const
{
    return row.chosen >= 0 && row.chosen < static_cast<int>(row.choices.size())
               ? &row.choices[static_cast<std::size_t>(row.chosen)]
               : nullptr;
}

DayResultsModel::Held DayResultsModel::heldOf(const Row& row) const
{
    const double first = numberValue(row.saved.firstPlace);
    const double second = numberValue(row.saved.secondPlace);
    const double payout = numberValue(row.saved.payout);
    if (first == 0 && second == 0 && payout == 0)
        return Held::None;
    const ResultChoice* choice = choiceOf(row);
    if (!choice)
        return Held::Different;
    const bool same = first == choice->first && second == choice->second
                      && (!choice->payoutKnown || payout == static_cast<double>(choice->payout));
    return same ? Held::Same : Held::Different;
}

DayWrite DayResultsModel::writeOf(const Row& row) const
{
    const ResultChoice& choice = *choiceOf(row);
    // A page without the 馬連 payout leaves the payout the race holds.
    const QString held = readTypedNumber(row.saved.payout).plain;
    return {row.saved.fileName,
            QString::number(choice.first),
            QString::number(choice.second),
            choice.payoutKnown ? QString::number(choice.payout) : (held.isEmpty() ? QStringLiteral("0") : held),
            row.saved.firstPlace,
            row.saved.secondPlace,
            row.saved.payout};
}

QString DayResultsModel::writtenText(const Row& row) const
{
    if (!row.pasted.result.ok)
        return {};
    auto pairText = [](const ResultChoice& choice) {
        return QStringLiteral("一着 %1　二着 %2　%3")
            .arg(choice.first)
            .arg(choice.second)
            .arg(choice.payoutKnown ? yen(choice.payout) : QStringLiteral("配当金は今のまま"));
    };
    if (const ResultChoice* choice = choiceOf(row))
        return pairText(*choice);
    QStringList pairs;
    for (const ResultChoice& choice : row.choices)
        pairs += QStringLiteral("%1-%2").arg(choice.first).arg(choice.second);
    return QStringLiteral("同着：") + pairs.join(QStringLiteral(" か "));
}

QString DayResultsModel::stateText(int index) const
{
    if (index < 0 || index >= rowCount())
        return {};
    const Row& row = rows_[static_cast<std::size_t>(index)];
    if (!row.pasted.result.ok)
        return QStringLiteral("結果が読めません：") + row.pasted.result.error;
    switch (row.match) {
    case DayMatch::Kind::NoNumber: return QStringLiteral("レース番号が読めないため、保存したレースを探せません。");
    case DayMatch::Kind::NoRace: return QStringLiteral("この日付・競馬場・レース番号の保存したレースがありません。");
    case DayMatch::Kind::SeveralRaces:
        return QStringLiteral("あてはまる保存したレースが%1件あり、決められません（%2）。")
            .arg(row.candidates.size())
            .arg(row.candidates.mid(0, 3).join(QStringLiteral("、")));
    case DayMatch::Kind::Matched: break;
    }
    if (row.duplicate)
        return QStringLiteral("同じレースが上の行にも貼り付けられています。上の行だけを書き込みます。");
    if (row.done == Done::Written)
        return QStringLiteral("書き込みました。");
    QString state;
    if (row.done == Done::Failed)
        state = QStringLiteral("書き込めませんでした：%1").arg(row.doneReason);
    else if (!choiceOf(row))
        return QStringLiteral("同着です。書き込む組を選んでください（選ぶまで書き込みません）。");
    else if (row.held == Held::Different)
        state = QStringLiteral("別の結果が入っています（一着 %1、二着 %2、配当金 %3円）。チェックすると書き換えます。")
                    .arg(row.saved.firstPlace.trimmed(), row.saved.secondPlace.trimmed(), row.saved.payout.trimmed());
    else if (row.held == Held::Same)
        state = QStringLiteral("同じ結果が入っています。");
    else
        state = row.ticked ? QStringLiteral("書き込みます。") : QStringLiteral("チェックがないため書き込みません。");
    if (row.choices.size() > 1) {
        QStringList others;
        for (std::size_t c = 0; c < row.choices.size(); ++c) {
            if (static_cast<int>(c) != row.chosen)
                others += QStringLiteral("%1-%2").arg(row.choices[c].first).arg(row.choices[c].second);
        }
        state = QStringLiteral("同着：選んだ組だけを書き込みます（%1 は残りません）。").arg(others.join(u'、')) + state;
    }
    return state;
}

QVariant DayResultsModel::data(const QModelIndex& index, int role) const
{
    if (!holds(index))
        return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::CheckStateRole && index.column() == TickColumn)
        return row.ticked ? Qt::Checked : Qt::Unchecked;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case TickColumn: return role == Qt::ToolTipRole ? stateText(index.row()) : QVariant();
    case PastedColumn: {
        // Short, as the saved race beside it is written: 「26/12/27 中山 9R グッドラックＨ」; the tip gives it whole.
        if (role == Qt::ToolTipRole || !row.pasted.result.date.isValid())
            return pastedRaceTitle(row.pasted);
        PastedRace undated = row.pasted;
        undated.result.date = {};
        return row.pasted.result.date.toString(QStringLiteral("yy/MM/dd ")) + pastedRaceTitle(undated);
    }
    case SavedColumn:
        if (row.match == DayMatch::Kind::Matched)
            return savedRaceTitle(row.saved);
        return row.match == DayMatch::Kind::SeveralRaces ? QStringLiteral("%1件").arg(row.candidates.size())
                                                         : QStringLiteral("なし");
    case WrittenColumn: return writtenText(row);
    case StateColumn: return stateText(index.row());
    default: return {};
    }
}

QVariant DayResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TickColumn: return QStringLiteral("書込");
    case PastedColumn: return QStringLiteral("貼り付けたレース");
    case SavedColumn: return QStringLiteral("保存したレース");
    case WrittenColumn: return QStringLiteral("書き込む結果");
    case StateColumn: return QStringLiteral("状態");
    default: return {};
    }
}

Qt::ItemFlags DayResultsModel::flags(const QModelIndex& index) const
{
    if (!holds(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == TickColumn && tickable(index.row()))
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool DayResultsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!holds(index) || role != Qt::CheckStateRole || index.column() != TickColumn || !tickable(index.row()))
        return false;
    Row& row = rows_[static_cast<std::size_t>(index.row())];
    row.ticked = value.toInt() == Qt::Checked;
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    return true;
}

bool DayResultsModel::ticked(int row) const
{
    return row >= 0 && row < rowCount() && rows_[static_cast<std::size_t>(row)].ticked;
}

int DayResultsModel::tickedCount() const
{
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const Row& row) { return row.ticked; }));
}

QStringList DayResultsModel::choices(int index) const
{
    QStringList texts;
    if (index < 0 || index >= rowCount())
        return texts;
    const Row& row = rows_[static_cast<std::size_t>(index)];
    if (row.choices.size() < 2)
        return texts;
    for (const ResultChoice& choice : row.choices)
        texts += QStringLiteral("一着 %1、二着 %2（配当金 %3）")
                     .arg(choice.first)
                     .arg(choice.second)
                     .arg(choice.payoutKnown ? yen(choice.payout) : QStringLiteral("不明"));
    return texts;
}

bool DayResultsModel::needsChoice(int index) const
{
    return index >= 0 && index < rowCount() && rows_[static_cast<std::size_t>(index)].choices.size() > 1
           && rows_[static_cast<std::size_t>(index)].done != Done::Written;
}

void DayResultsModel::choose(int index, int choice)
{
    if (!needsChoice(index) || choice < 0)
        return;
    Row& row = rows_[static_cast<std::size_t>(index)];
    if (choice >= static_cast<int>(row.choices.size()))
        return;
    row.chosen = choice;
    row.held = heldOf(row);
    row.ticked = tickable(row) && row.held == Held::None;
    emit dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
}

DayResultsModel::Written DayResultsModel::writeTicked(const QString& folder, LockWait* lockWait)
{
    std::vector<std::size_t> which;
    std::vector<DayWrite> writes;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].ticked && tickable(static_cast<int>(r))) {
            which.push_back(r);
            writes.push_back(writeOf(rows_[r]));
        }
    }
    const std::vector<DayWriteOutcome> outcomes = writeDayResults(folder, writes, lockWait);
    for (std::size_t w = 0; w < which.size(); ++w) {
        Row& row = rows_[which[w]];
        row.ticked = false;
        row.done = outcomes[w].written ? Done::Written : Done::Failed;
        row.doneReason = outcomes[w].reason;
        if (outcomes[w].written) {
            row.saved.firstPlace = writes[w].first;
            row.saved.secondPlace = writes[w].second;
            row.saved.payout = writes[w].payout;
            row.held = Held::Same;
        }
    }
    Written written;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const Row& row = rows_[r];
        if (row.done == Done::Written && std::find(which.begin(), which.end(), r) != which.end())
            ++written.count;
        else if (row.done != Done::Written)
            written.notWritten += pastedRaceTitle(row.pasted) + QStringLiteral("：") + stateText(static_cast<int>(r));
    }
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    return written;
}

#include "analysis/race_table_model.h"

#include "analysis/display_text.h"
#include "analysis/model_roles.h"
#include "core/numbers.h"

#include <QRegularExpression>
#include <QVarLengthArray>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <cmath>

using namespace displaytext;

namespace {

const char* const headers[RaceTableModel::ColumnCount] = {
    "日付", "レース", "レース名", "重賞", "競馬場",     "距離",     "頭数",     "希望点数",     "軸",   "予想買い目",
    "一着", "二着",   "配当金",   "的中", "予想購入額", "予想払戻", "予想収支", "馬券購入金額", "収入", "差額"};

// "1-4 2-4 3-4", written into one string: the search makes it for every row. A CSV file gets "1－4 2－4 3－4":
// spreadsheets (LibreOffice Calc, Excel) take a lone "3-10" for a date of this year.
QString ticketsText(const std::vector<HorsePair>& tickets, char16_t separator = u'-')
{
    QString text;
    text.reserve(static_cast<qsizetype>(6 * tickets.size()));
    for (const HorsePair& pair : tickets) {
        if (!text.isEmpty())
            text.append(u' ');
        text.append(QString::number(pair.first)).append(QChar(separator)).append(QString::number(pair.second));
    }
    return text;
}

// yyyy/MM/dd (yyyy-MM-dd for a file), as QDate::toString writes it, without reading a format every time.
QString dateText(const QDate& date, bool forCsv)
{
    const int year = date.year();
    if (year < 1000 || year > 9999)
        return date.toString(forCsv ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy/MM/dd"));
    const char16_t separator = forCsv ? u'-' : u'/';
    auto digit = [](int value) { return static_cast<char16_t>(u'0' + value % 10); };
    const char16_t text[10] = {digit(year / 1000),  digit(year / 100), digit(year / 10),
                               digit(year),         separator,         digit(date.month() / 10),
                               digit(date.month()), separator,         digit(date.day() / 10),
                               digit(date.day())};
    return QString(reinterpret_cast<const QChar*>(text), 10);
}

// One row's own texts for the search, written into one buffer without a string for each; tab() ends a column.
class SearchLine {
public:
    SearchLine& raw(QStringView piece)
    {
        for (const QChar c : piece)
            put(c.unicode());
        return *this;
    }
    // A whole number as QString::number writes it, or grouped by thousands as the yen columns write it.
    SearchLine& digits(std::int64_t value, bool grouped = false)
    {
        char16_t text[32];
        const char16_t* const start = writeDigits(value, grouped, text + 32);
        return raw(QStringView(start, text + 32));
    }
    // A typed text as searchFolded folds it. Most typed texts are ASCII, kana and kanji, which the folding leaves as
    // they are but for the case of ASCII letters: those are written straight in; any other text is folded whole.
    SearchLine& folded(QStringView text)
    {
        const qsizetype start = buffer_.size();
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x80) {
                put(u >= u'A' && u <= u'Z' ? static_cast<char16_t>(u + (u'a' - u'A')) : u);
            } else if (!keptByFolding(u)) {
                buffer_.resize(start);
                return raw(searchFolded(text.toString()));
            } else {
                put(u);
            }
        }
        return *this;
    }
    SearchLine& tab()
    {
        put(u'\t');
        return *this;
    }
    QString result() const { return QString(reinterpret_cast<const QChar*>(buffer_.data()), buffer_.size()); }

private:
    // Kana and kanji that width folding and case folding leave as they are, and that join no neighbour when
    // composed: hiragana and katakana without the sound marks (which join the kana before them) and the few kana
    // that fold to others, 々, and the common kanji.
    static bool keptByFolding(char16_t u)
    {
        return (u >= 0x3041 && u <= 0x3096) || (u >= 0x30A1 && u <= 0x30FA) || u == 0x30FC || u == 0x3005
               || (u >= 0x4E00 && u <= 0x9FFF);
    }
    void put(char16_t c) { buffer_.append(c); }
    QVarLengthArray<char16_t, 768> buffer_; // room for any row of whole-yen amounts without a heap block
};

} // namespace

QString searchFolded(const QString& text) { return text.normalized(QString::NormalizationForm_KC).toCaseFolded(); }

RaceTableModel::RaceTableModel(const AnalysisData& data, QObject* parent) : QAbstractTableModel(parent), data_(data)
{
    setObjectName(QStringLiteral("analysisRaces"));
}

void RaceTableModel::setRaces(const FilteredRaces* races)
{
    races_ = races;
    rebuild();
}

void RaceTableModel::sort(int column, Qt::SortOrder order)
{
    sortColumn_ = column >= 0 && column < ColumnCount ? column : -1;
    sortOrder_ = order;
    rebuild();
}

void RaceTableModel::setSearchText(const QString& text)
{
    searchText_ = text;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    words_.clear();
    gradeWords_.clear();
    // A word that reads as a class (ＧⅠ, G1, Jpn3 …) is the class itself: folded, "GI" is part of "GIII".
    for (const QString& word : searchFolded(text).split(blanks, Qt::SkipEmptyParts)) {
        if (const GradeClass grade = gradeClassOf(word); grade != GradeClass::Other)
            gradeWords_.push_back(grade);
        else
            words_.append(word);
    }
    rebuild();
}

bool RaceTableModel::matchesSearch(int race) const
{
    for (const GradeClass grade : gradeWords_) {
        if (data_.facts(race).grade != grade)
            return false;
    }
    if (words_.isEmpty())
        return true;
    const QString& row = searchText(race);
    for (const QString& word : words_) {
        if (!row.contains(word))
            return false;
    }
    return true;
}

void RaceTableModel::rebuild()
{
    beginResetModel();
    rows_.clear();
    if (races_ && !words_.isEmpty()) {
        // The first search of a filter makes the texts of every row: on all cores, each race's entry its own. Their
        // entries are made at the first search, not before: a table nobody searches holds no text.
        search_.resize(static_cast<std::size_t>(data_.raceCount()));
        std::vector<int> missing;
        for (const int race : races_->table) {
            if (search_[static_cast<std::size_t>(race)].countedIn != countedIn(race))
                missing.push_back(race);
        }
        QtConcurrent::blockingMap(missing, [this](int race) { searchText(race); });
    }
    if (races_) {
        rows_.reserve(races_->table.size());
        for (const int race : races_->table) {
            if ((words_.isEmpty() && gradeWords_.empty()) || matchesSearch(race))
                rows_.push_back(race);
        }
    }
    const bool descending = sortOrder_ == Qt::DescendingOrder;
    if (sortColumn_ == Name) {
        std::stable_sort(rows_.begin(), rows_.end(), [this, descending](int a, int b) {
            const int byName = data_.outcome(a).raceName().compare(data_.outcome(b).raceName());
            return descending ? byName > 0 : byName < 0;
        });
    } else if (sortColumn_ >= 0) {
        // The keys worked out once, not at every comparison.
        std::vector<std::pair<std::optional<double>, int>> keyed;
        keyed.reserve(rows_.size());
        for (const int race : rows_)
            keyed.emplace_back(sortNumber(race, sortColumn_), race);
        std::stable_sort(keyed.begin(), keyed.end(), [descending](const auto& a, const auto& b) {
            if (a.first && b.first)
                return descending ? *a.first > *b.first : *a.first < *b.first;
            return a.first.has_value() && !b.first.has_value(); // empty cells last
        });
        for (std::size_t i = 0; i < keyed.size(); ++i)
            rows_[i] = keyed[i].second;
    }
    endResetModel();
}

int RaceTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
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
    const RaceOutcome r = data_.outcome(race);
    const AnalysedRace& facts = data_.facts(race);
    const bool proposals = races_->inProposals[static_cast<std::size_t>(race)];
    auto money = [forCsv](double value) { return forCsv ? csvNumber(value) : yen(value); };
    switch (column) {
    case Date:
        // A date that cannot be read shows the text the file holds, so that the user can find the race and mend it.
        if (!facts.date.isValid()) {
            if (forCsv)
                return r.raceDate().toString();
            return r.raceDate().trimmed().isEmpty() ? QStringLiteral("日付不明")
                                                    : QStringLiteral("日付不明（%1）").arg(r.raceDate());
        }
        return dateText(facts.date, forCsv);
    case Number: return forCsv ? QString::number(r.raceNumber()) : QString::number(r.raceNumber()) + u'R';
    case Name: return r.raceName().toString();
    case Grade: return r.gradedText().toString();
    case Course: return r.courseName().toString();
    case Distance:
        return forCsv && facts.distanceMetres > 0 ? QString::number(facts.distanceMetres) : r.distanceText().toString();
    case Runners: return QString::number(r.runnerCount());
    case Asked: return QString::number(r.ticketsAsked());
    case Axis: return QString::number(r.axisPattern()) + QStringLiteral("本軸");
    case Proposed: return ticketsText(r.proposed(), forCsv ? u'－' : u'-');
    case First: return r.firstText().toString();
    case Second: return r.secondText().toString();
    case Hit:
        if (r.hit())
            return QStringLiteral("的中");
        // A race without a result that the proposals count is counted as a miss, and says so.
        return r.resultRecorded() || proposals ? QStringLiteral("はずれ") : QString();
    case Payout:
    case ProposalStake:
    case ProposalPayout:
    case ProposalProfit:
    case OwnStake:
    case OwnIncome:
    case OwnDifference:
        if (const std::optional<double> amount = shownAmount(race, column))
            return money(*amount);
        return {};
    default: return {};
    }
}

std::optional<double> RaceTableModel::shownAmount(int race, int column) const
{
    const RaceOutcome r = data_.outcome(race);
    const bool proposals = races_->inProposals[static_cast<std::size_t>(race)];
    const bool own = races_->inOwn[static_cast<std::size_t>(race)];
    auto ifCounted = [](bool counted, double value) { return counted ? std::optional<double>(value) : std::nullopt; };
    switch (column) {
    case Payout: return ifCounted(!r.payoutText().isEmpty(), r.payout());
    case ProposalStake: return ifCounted(proposals, r.stake());
    case ProposalPayout: return ifCounted(proposals, r.proposalPayout());
    case ProposalProfit: return ifCounted(proposals, r.proposalProfit());
    case OwnStake: return ifCounted(own, r.ownStake());
    case OwnIncome: return ifCounted(own, r.ownIncome());
    case OwnDifference: return ifCounted(own, r.ownDifference());
    default: return std::nullopt;
    }
}

bool RaceTableModel::csvIsNumber(int race, int column) const
{
    const RaceOutcome r = data_.outcome(race);
    switch (column) {
    case Number:
    case Runners:
    case Asked:
    case Payout:
    case ProposalStake:
    case ProposalPayout:
    case ProposalProfit:
    case OwnStake:
    case OwnIncome:
    case OwnDifference: return true;
    case Distance: return data_.facts(race).distanceMetres > 0;
    // A result line holding a number; hand-written text ("3番") stays text.
    case First: return r.firstText() == numberText(r.firstValue());
    case Second: return r.secondText() == numberText(r.secondValue());
    default: return false;
    }
}

std::optional<double> RaceTableModel::sortNumber(int race, int column) const
{
    const RaceOutcome r = data_.outcome(race);
    const AnalysedRace& facts = data_.facts(race);
    const bool proposals = races_->inProposals[static_cast<std::size_t>(race)];
    auto ifCounted = [](bool counted, double value) { return counted ? std::optional<double>(value) : std::nullopt; };
    switch (column) {
    // Time order: dates, then race numbers, then races whose date cannot be read.
    case Date: return data_.timeRank(race);
    case Number: return r.raceNumber();
    case Grade: return static_cast<int>(facts.grade);
    // Courses in the pick list's order, whether typed with 競馬場 or without.
    case Course: return data_.keys(Breakdown::Course).rowOfRace[static_cast<std::size_t>(race)];
    case Distance: return ifCounted(facts.distanceMetres > 0, facts.distanceMetres);
    case Runners: return r.runnerCount();
    case Asked: return r.ticketsAsked();
    case Axis: return r.axisPattern();
    case Proposed: return static_cast<double>(r.proposedCount());
    case First: return r.firstValue();
    case Second: return r.secondValue();
    case Hit: return r.hit() ? 2 : r.resultRecorded() || proposals ? 1 : 0;
    default: return shownAmount(race, column);
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
    case AnalysisRole::CsvNumber: return csvIsNumber(race, index.column());
    case AnalysisRole::Sort:
        if (index.column() == Name)
            return data_.outcome(race).raceName().toString();
        if (const std::optional<double> number = sortNumber(race, index.column()))
            return *number;
        return {};
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

int RaceTableModel::countedIn(int race) const
{
    return races_->inProposals[static_cast<std::size_t>(race)] + 2 * races_->inOwn[static_cast<std::size_t>(race)];
}

const QString& RaceTableModel::searchText(int race) const
{
    const int countedIn = this->countedIn(race);
    SearchEntry& entry = search_[static_cast<std::size_t>(race)];
    if (entry.countedIn != countedIn) {
        // Words hold no blank, so a word is found in the row exactly when it is found in one column's text: each
        // column's text goes in, folded, between tabs. Only the typed texts need the width folding; the program's
        // own texts (digits, yen, 本軸, 的中 …) are already in that form, and are written straight into one buffer in
        // lower case, as folding leaves them, without a string for each.
        const RaceOutcome r = data_.outcome(race);
        SearchLine line;
        for (const QStringView typed : {r.raceName(), r.gradedText(), r.courseName(), r.distanceText(), r.firstText(),
                                        r.secondText(), r.raceDate()})
            line.folded(typed).tab();
        // An unreadable date is shown with the text the file holds.
        line.folded(text(race, Date, false)).tab();
        line.digits(r.raceNumber()).raw(u"r").tab();
        line.digits(r.runnerCount()).tab().digits(r.ticketsAsked()).tab().digits(r.axisPattern()).raw(u"本軸").tab();
        for (int t = 0; t < r.proposedCount(); ++t) {
            if (t > 0)
                line.raw(u" ");
            const HorsePair ticket = r.proposedTicket(t);
            line.digits(ticket.first).raw(u"-").digits(ticket.second);
        }
        line.tab().raw(text(race, Hit, false)).tab();
        for (const int column :
             {Payout, ProposalStake, ProposalPayout, ProposalProfit, OwnStake, OwnIncome, OwnDifference}) {
            const std::optional<double> amount = shownAmount(race, column);
            const double whole = amount ? std::round(*amount) : 0;
            if (amount && std::fabs(whole) < 0x1p53)
                line.digits(static_cast<std::int64_t>(whole), true).raw(u"円");
            else if (amount)
                line.raw(yen(*amount).toCaseFolded());
            line.tab();
        }
        entry.text = line.result();
        entry.countedIn = countedIn;
    }
    return entry.text;
}

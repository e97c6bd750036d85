#include "analysis/analysis_data.h"

#include "core/numbers.h"
#include "core/race_date.h"
#include "prediction/prediction.h"

#include <QHash>
#include <QtConcurrentMap>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <new>
#include <numeric>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

QString folded(const QString& text)
{
    QString out = text.normalized(QString::NormalizationForm_KC);
    out.removeIf([](QChar c) { return c.isSpace(); });
    return out;
}

const QString unknownDate = QStringLiteral("日付不明");
const QString notEntered = QStringLiteral("（未入力）");
constexpr double last = std::numeric_limits<double>::infinity();

// Rows from the distinct values of a whole-number key, in ascending order, with an optional row for "unknown".
template <typename KeyOf, typename LabelOf>
BreakdownKeys keysByValue(const RaceList& races, KeyOf keyOf, LabelOf labelOf)
{
    std::map<double, int> rows;
    std::vector<double> keyOfRace(races.size(), 0);
    for (std::size_t i = 0; i < races.size(); ++i) {
        if (!races.readable[i])
            continue;
        keyOfRace[i] = keyOf(i);
        rows.emplace(keyOfRace[i], 0);
    }
    BreakdownKeys keys;
    for (auto& [value, row] : rows) {
        row = static_cast<int>(keys.labels.size());
        keys.labels.append(labelOf(value));
        keys.values.push_back(value);
    }
    keys.rowOfRace.assign(races.size(), static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < races.size(); ++i) {
        if (races.readable[i])
            keys.rowOfRace.set(i, rows[keyOfRace[i]]);
    }
    return keys;
}

// What a text reads as, worked out once for each distinct text: read holds the texts met so far.
template <typename T, typename Read>
T readOnce(QHash<QStringView, T>& read, QStringView text, Read readText)
{
    auto found = read.constFind(text);
    if (found == read.cend())
        found = read.insert(text, readText(text.toString()));
    return *found;
}

} // namespace

GradeClass gradeClassOf(const QString& gradedText)
{
    // Width folding turns Ⅰ Ⅱ Ⅲ into I II III and full-width letters and digits into ASCII.
    const QString text = folded(gradedText).toUpper();
    const bool jpn = text.startsWith(u"JPN");
    if (!jpn && !text.startsWith(u'G'))
        return GradeClass::Other;
    const QStringView numeral = QStringView(text).mid(jpn ? 3 : 1);
    static const char16_t* const numerals[3][2] = {{u"1", u"I"}, {u"2", u"II"}, {u"3", u"III"}};
    for (int level = 0; level < 3; ++level) {
        if (numeral == QStringView(numerals[level][0]) || numeral == QStringView(numerals[level][1]))
            return static_cast<GradeClass>(static_cast<int>(jpn ? GradeClass::Jpn1 : GradeClass::G1) + level);
    }
    return GradeClass::Other;
}

QString gradeClassName(GradeClass grade)
{
    switch (grade) {
    case GradeClass::G1: return QStringLiteral("ＧⅠ");
    case GradeClass::G2: return QStringLiteral("ＧⅡ");
    case GradeClass::G3: return QStringLiteral("ＧⅢ");
    case GradeClass::Jpn1: return QStringLiteral("ＪｐｎⅠ");
    case GradeClass::Jpn2: return QStringLiteral("ＪｐｎⅡ");
    case GradeClass::Jpn3: return QStringLiteral("ＪｐｎⅢ");
    case GradeClass::Other: return QStringLiteral("その他");
    }
    return {};
}

QString courseKeyOf(const QString& courseName)
{
    QString key = folded(courseName);
    if (key.endsWith(u"競馬場"))
        key.chop(3);
    return key;
}

QString breakdownObjectName(Breakdown breakdown)
{
    static const char* const names[] = {"year",    "month", "course", "grade",   "distance",
                                        "runners", "axis",  "asked",  "proposed"};
    return QStringLiteral("breakdown.") + QLatin1String(names[static_cast<int>(breakdown)]);
}

QString breakdownKeyTitle(Breakdown breakdown)
{
    static const char* const titles[] = {"年", "月", "競馬場", "重賞", "距離", "頭数", "軸", "希望点数", "予想点数"};
    return QString::fromUtf8(titles[static_cast<int>(breakdown)]);
}

std::int64_t stakeIn(Series series, const RaceOutcome& race)
{
    return countableYen(series == Series::Proposals ? race.stake() : race.ownStake()).value_or(0);
}

std::int64_t returnIn(Series series, const RaceOutcome& race)
{
    return countableYen(series == Series::Proposals ? race.proposalPayout() : race.ownIncome()).value_or(0);
}

WhatIfCell whatIfOutcome(const RaceOutcome& race, int tickets)
{
    if (cutFromLargestRun(tickets))
        return {static_cast<std::uint8_t>(race.ticketsIfAsked(tickets)), race.hitIfAsked(tickets)};
    const PredictionResult p = runPrediction(race.markSheet(), race.runnerCount(), tickets);
    return {static_cast<std::uint8_t>(p.ticketTotal), proposesResult(p, race.firstValue(), race.secondValue())};
}

AnalysisData::AnalysisData(FolderRecord record, ReplayFill fill) : record_(std::move(record))
{
    const RaceList& races = record_.races;
    const std::size_t n = races.size();
    facts_.resize(n);
    proposalReturn_.assign(n, 0);
    ownStake_.assign(n, 0);
    ownReturn_.assign(n, 0);
    // Classes, courses and distances repeat from race to race: each distinct text is read once (its folding is what
    // costs), and the races of one course share its key.
    // The keys are views of the tally's texts, which live as long as this.
    QHash<QStringView, GradeClass> gradeOfText;
    QHash<QStringView, int> courseOfText;
    QHash<QStringView, int> metresOfText;
    QHash<QString, int> numberOfCourseKey;
    std::vector<int> courseOfRace(n, -1);
    // Two-digit years are read in the window of this year, looked up once.
    const int currentYear = raceDateCurrentYear();
    for (std::size_t i = 0; i < n; ++i) {
        const RaceOutcome race = races[i];
        if (!race.readable())
            continue;
        anyResult_ = anyResult_ || race.resultRecorded();
        AnalysedRace& facts = facts_[i];
        facts.date = parseRaceDate(race.raceDate().toString(), 0, currentYear);
        facts.grade = readOnce(gradeOfText, race.gradedText(), gradeClassOf);
        // The course as a number of its key, in the order first met: made the breakdown's row once the keys are
        // sorted (a key a race, kept as text, would cost far more memory than the number).
        courseOfRace[i] = readOnce(courseOfText, race.courseName(), [&numberOfCourseKey](const QString& text) {
            const QString key = courseKeyOf(text);
            const auto met = numberOfCourseKey.constFind(key);
            return met != numberOfCourseKey.cend() ? *met
                                                   : *numberOfCourseKey.insert(key, int(numberOfCourseKey.size()));
        });
        facts.distanceMetres = readOnce(metresOfText, race.distanceText(), [](const QString& text) {
            const double metres = numberValue(text);
            return metres >= 1 && metres < 1e6 ? static_cast<int>(std::lround(metres)) : 0;
        });
        proposalReturn_[i] = returnIn(Series::Proposals, race);
        ownStake_[i] = stakeIn(Series::Own, race);
        ownReturn_[i] = returnIn(Series::Own, race);
    }
    // Each race's tipsters, in one list for the folder, and the engine's proposals with and without each: the races
    // are independent, so they are shared among the cores (the replays are filled in place).
    tipsters_ = tipsterListOf(record_);
    // Only a race with a result counts for the tipsters: the others need no replay. The races' tipsters are counted
    // first, so that the replays take exactly their room (a vector grown as they come would hold up to twice it).
    std::vector<std::size_t> withTipsters;
    replayStart_.assign(n + 1, 0);
    std::uint64_t replayCount = 0;
    for (std::size_t i = 0; i < n; ++i) {
        replayStart_[i] = static_cast<std::uint32_t>(replayCount);
        if (races.readable[i] && races.resultRecorded[i]) {
            const std::size_t count = tipstersOfRace(races[i], tipsters_).size();
            replayCount += count;
            if (count > 0)
                withTipsters.push_back(i);
        }
        if (replayCount > UINT32_MAX)
            throw std::bad_alloc();
    }
    replayStart_[n] = static_cast<std::uint32_t>(replayCount);
    replays_.reserve(replayCount);
    for (const std::size_t i : withTipsters) {
        for (const int tipster : tipstersOfRace(races[i], tipsters_))
            replays_.push_back(TipsterReplay{.tipster = tipster});
    }
    if (fill == ReplayFill::Now) {
        QtConcurrent::blockingMap(withTipsters, [this](std::size_t i) { replayRace(i); });
    }

    for (std::size_t i = 0; i < n; ++i) {
        if (races.readable[i])
            timeOrder_.push_back(static_cast<int>(i));
    }
    std::stable_sort(timeOrder_.begin(), timeOrder_.end(), [this, &races](int a, int b) {
        const QDate& da = facts_[static_cast<std::size_t>(a)].date;
        const QDate& db = facts_[static_cast<std::size_t>(b)].date;
        if (da.isValid() != db.isValid())
            return da.isValid();
        if (!da.isValid())
            return false;
        if (da != db)
            return da < db;
        return races.raceNumber[static_cast<std::size_t>(a)] < races.raceNumber[static_cast<std::size_t>(b)];
    });
    timeRank_.assign(n, -1);
    for (std::size_t rank = 0; rank < timeOrder_.size(); ++rank)
        timeRank_[static_cast<std::size_t>(timeOrder_[rank])] = static_cast<int>(rank);

    auto dateKey = [this](auto part) {
        return [this, part](std::size_t i) {
            const QDate& date = facts_[i].date;
            return date.isValid() ? static_cast<double>(part(date)) : last;
        };
    };
    auto dateLabel = [](const char* unit) {
        return [unit](double value) {
            return value == last ? unknownDate : QString::number(static_cast<int>(value)) + QString::fromUtf8(unit);
        };
    };
    auto count = [](const char* unit) {
        return
            [unit](double value) { return QString::number(static_cast<long long>(value)) + QString::fromUtf8(unit); };
    };
    auto& keys = keys_;
    keys[int(Breakdown::Year)] = keysByValue(races, dateKey([](const QDate& d) { return d.year(); }), dateLabel("年"));
    keys[int(Breakdown::Month)] =
        keysByValue(races, dateKey([](const QDate& d) { return d.month(); }), dateLabel("月"));

    // Courses in the order of the race conditions screen's pick list, then any other course by its name, then races
    // without a course.
    {
        static const QStringList pickListOrder = {u"東京"_s, u"中山"_s, u"京都"_s, u"阪神"_s, u"函館"_s,
                                                  u"札幌"_s, u"新潟"_s, u"福島"_s, u"中京"_s, u"小倉"_s};
        courseKeys_ = numberOfCourseKey.keys();
        auto rank = [](const QString& key) {
            const qsizetype place = pickListOrder.indexOf(key);
            return place >= 0 ? int(place) : key.isEmpty() ? 2 * pickListOrder.size() : pickListOrder.size();
        };
        std::sort(courseKeys_.begin(), courseKeys_.end(), [&rank](const QString& a, const QString& b) {
            const int ra = rank(a);
            const int rb = rank(b);
            return ra != rb ? ra < rb : QString::compare(a, b, Qt::CaseSensitive) < 0;
        });
        BreakdownKeys& course = keys[int(Breakdown::Course)];
        std::vector<int> rowOfNumber(courseKeys_.size());
        for (qsizetype row = 0; row < courseKeys_.size(); ++row) {
            rowOfNumber[std::size_t(numberOfCourseKey.value(courseKeys_[row]))] = int(row);
            course.labels.append(courseKeys_[row].isEmpty() ? notEntered : courseKeys_[row]);
            course.values.push_back(double(row));
        }
        course.rowOfRace.assign(n, static_cast<int>(courseKeys_.size()));
        for (std::size_t i = 0; i < n; ++i) {
            if (courseOfRace[i] >= 0)
                course.rowOfRace.set(i, rowOfNumber[std::size_t(courseOfRace[i])]);
        }
    }
    keys[int(Breakdown::Grade)] = keysByValue(
        races, [this](std::size_t i) { return static_cast<double>(facts_[i].grade); },
        [](double value) { return gradeClassName(static_cast<GradeClass>(static_cast<int>(value))); });
    keys[int(Breakdown::Distance)] = keysByValue(
        races, [this](std::size_t i) { return facts_[i].distanceMetres > 0 ? double(facts_[i].distanceMetres) : last; },
        [](double value) {
            return value == last ? notEntered : QString::number(static_cast<long long>(value)) + QStringLiteral("m");
        });
    keys[int(Breakdown::Runners)] = keysByValue(
        races,
        [&races](std::size_t i) {
            const int runners = races.runnerCount[i];
            return runners <= 8 ? 0.0 : runners <= 12 ? 1.0 : runners <= 16 ? 2.0 : 3.0;
        },
        [](double value) {
            static const char* const bands[] = {"8頭以下", "9～12頭", "13～16頭", "17頭以上"};
            return QString::fromUtf8(bands[static_cast<int>(value)]);
        });
    keys[int(Breakdown::Axis)] = keysByValue(
        races, [&races](std::size_t i) { return double(races.axisPattern[i]); },
        [](double value) { return QString::number(static_cast<int>(value)) + QStringLiteral("本軸"); });
    keys[int(Breakdown::Asked)] = keysByValue(
        races, [&races](std::size_t i) { return double(races.ticketsAsked[i]); }, count("点"));
    keys[int(Breakdown::Proposed)] = keysByValue(
        races, [&races](std::size_t i) { return double(races.proposedCount[i]); }, count("点"));
}

void RaceRows::assign(std::size_t races, int rows)
{
    // A row is kept as row + 1, so that -1 is 0.
    width_ = rows < 0xFF ? 1 : rows < 0xFFFF ? 2 : 4;
    bytes_.assign(races * width_, 0);
}

void AnalysisData::fillReplays(std::size_t part, std::size_t parts, const std::atomic<bool>& stop)
{
    for (std::size_t i = part; i < record_.races.size() && !stop.load(std::memory_order_relaxed); i += parts) {
        if (replayStart_[i + 1] > replayStart_[i])
            replayRace(i);
    }
}

void AnalysisData::replayRace(std::size_t i)
{
    replayTipsters(record_.races[i], tipsters_,
                   std::span<TipsterReplay>(replays_.data() + replayStart_[i], replays_.data() + replayStart_[i + 1]));
}

std::vector<int> AnalysisData::years() const
{
    std::vector<int> years;
    for (const double value : keys(Breakdown::Year).values) {
        if (value != last)
            years.push_back(static_cast<int>(value));
    }
    return years;
}

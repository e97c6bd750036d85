#pragma once

// Pieces the benchmarks share: the baseline they are measured against, the median, and writing generated races.
#include "core/tipster_grid.h"
#include "racefile/race_bytes.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

namespace bench {

// What any screen over the saved races has to do at least: find the files and read their bytes.
inline qint64 plainRead(const QString& folder = QStringLiteral("."))
{
    const QDir dir(folder);
    qint64 total = 0;
    for (const QString& name : dir.entryList({QStringLiteral("*.tkr")}, QDir::Files, QDir::Unsorted)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            total += file.readAll().size();
    }
    return total;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Writes race number `index` of a generated folder as "NNNNN.tkr", with the library's own bytes.
inline bool writeNumberedRace(const QString& folder, int index, const RaceState& race, const TailLines& tail)
{
    QByteArray bytes;
    if (!raceFileBytes(race, tail, bytes).ok)
        return false;
    QFile file(QStringLiteral("%1/%2.tkr").arg(folder).arg(index, 5, 10, QLatin1Char('0')));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A small deterministic generator, so that every run measures the same folder.
class Lcg {
public:
    explicit Lcg(unsigned seed) : state_(seed) {}
    int below(int n)
    {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int>((state_ >> 16) % static_cast<unsigned>(n));
    }

private:
    unsigned state_;
};

// Race i of a generated folder: 18 runners with random marks, 1..12 tickets wanted, dated over a hundred years.
// varied: the courses, classes and distances of the pick lists in turn instead of one of each.
inline RaceState raceNumbered(int i, Lcg& random, bool varied = false)
{
    static const char* const courses[] = {"東京競馬場", "中山競馬場", "京都競馬場", "阪神競馬場", "函館競馬場",
                                          "札幌競馬場", "新潟競馬場", "福島競馬場", "中京競馬場", "小倉競馬場"};
    static const char* const grades[] = {"ＧⅠ", "ＧⅡ", "ＧⅢ", ""};
    static const char* const distances[] = {"1200m", "1400m", "1600m", "1800m", "2000m", "2400m", "3000m"};
    RaceState race;
    race.raceDate = QStringLiteral("%1/%2/%3")
                        .arg(i % 100, 2, 10, QLatin1Char('0'))
                        .arg(i / 100 % 12 + 1, 2, 10, QLatin1Char('0'))
                        .arg(i / 1200 % 28 + 1, 2, 10, QLatin1Char('0'));
    race.raceNumber = static_cast<std::int16_t>(i % 12 + 1);
    race.raceName = QStringLiteral("第%1回記録記念").arg(i);
    race.gradedText = varied ? QString::fromUtf8(grades[i % 4]) : QStringLiteral("ＧⅡ");
    race.courseName = varied ? QString::fromUtf8(courses[i % 10]) : QStringLiteral("中山");
    race.distanceText = varied ? QString::fromUtf8(distances[i % 7]) : QStringLiteral("2000m");
    race.ticketCount = static_cast<std::int16_t>(1 + random.below(12));
    race.runnerCount = 18;
    for (std::size_t r = 0; r < 18; ++r) {
        race.runnerNames[r] = QStringLiteral("ハシルウマ%1").arg(r + 1);
        int left = random.below(26);
        for (std::size_t k = 0; k < 6 && left > 0; ++k) {
            const int count = random.below(left + 1);
            race.markSheet[r][k] = static_cast<std::int16_t>(count);
            left -= count;
        }
    }
    return race;
}

// The grid of tipsters columns for a race, drawn from the marks its counts hold so that its proposal stays the same:
// each tipster gives ◎ ○ ▲ △ △ × to runners that still have such a mark to give. The tipsters are named 予想家N from
// N = firstName + 1 on.
inline TipsterGrid tipstersFor(const RaceState& race, int tipsters, Lcg& random, int firstName = 0)
{
    static const int kinds[] = {0, 1, 3, 2, 2, 4};
    MarkSheet left = race.markSheet;
    TipsterGrid grid;
    for (int t = 0; t < tipsters; ++t) {
        TipsterColumn column(QStringLiteral("予想家%1").arg(firstName + t + 1));
        for (const int kind : kinds) {
            for (int tries = 0; tries < 30; ++tries) {
                const auto r = static_cast<std::size_t>(random.below(race.runnerCount));
                if (column.marks[r] == noMark && left[r][static_cast<std::size_t>(kind)] > 0) {
                    column.marks[r] = static_cast<std::int8_t>(kind);
                    --left[r][static_cast<std::size_t>(kind)];
                    break;
                }
            }
        }
        grid.columns.push_back(std::move(column));
    }
    return grid;
}

// A folder of count races "00000.tkr" …; two in three have a result and a stake of 1000 yen. varied: courses,
// classes and distances vary, and one race in five with a result also has an income. tipsters: so many tipsters'
// columns in every race; distinctTipsters: named differently in every race (count × tipsters names), else the same in
// every race.
inline bool makeFolder(const QString& path, int count, bool varied = false, int tipsters = 0,
                       bool distinctTipsters = false)
{
    Lcg random(20240601u + static_cast<unsigned>(count));
    Lcg incomes(7u);
    Lcg marks(11u);
    for (int i = 0; i < count; ++i) {
        RaceState race = raceNumbered(i, random, varied);
        if (tipsters > 0)
            race.tipsters = tipstersFor(race, tipsters, marks, distinctTipsters ? i * tipsters : 0);
        TailLines tail;
        if (i % 3 != 2) { // two races in three have a result
            const int first = 1 + random.below(18);
            const int second = 1 + random.below(18);
            const int payout = 500 + random.below(90000);
            const int income = varied && incomes.below(5) == 0 ? 100 * incomes.below(100) : 0;
            tail = {TailValue::ofNumber(first), TailValue::ofNumber(second), TailValue::ofNumber(payout),
                    TailValue::ofNumber(1000), TailValue::ofNumber(income)};
        }
        if (!writeNumberedRace(path, i, race, tail))
            return false;
    }
    return true;
}

} // namespace bench

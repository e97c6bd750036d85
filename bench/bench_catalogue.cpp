// Time to build the saved-race catalogue with every balance-screen summary line, against a plain read of the same
// files' bytes, for folders of 500 and 10,000 races of 18 runners. Prints the medians and their ratio.
#include "bench_support.h"
#include "racefile/catalogue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

RaceState raceNumbered(int i)
{
    RaceState race;
    race.raceDate = QStringLiteral("%1/%2/%3")
                        .arg(i % 100, 2, 10, QLatin1Char('0'))
                        .arg(i / 100 % 12 + 1, 2, 10, QLatin1Char('0'))
                        .arg(i / 1200 % 28 + 1, 2, 10, QLatin1Char('0'));
    race.raceNumber = static_cast<std::int16_t>(i % 12 + 1);
    race.raceName = QStringLiteral("第%1回テスト記念").arg(i);
    race.gradedText = QStringLiteral("ＧⅢ");
    race.courseName = QStringLiteral("東京競馬場");
    race.distanceText = QStringLiteral("1600m");
    race.ticketCount = 4;
    race.runnerCount = 18;
    for (int r = 0; r < 18; ++r) {
        race.runnerNames[static_cast<std::size_t>(r)] = QStringLiteral("ウマノナマエ%1").arg(r + 1);
        race.markSheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(r % 6)] = static_cast<std::int16_t>(r % 5);
    }
    return race;
}

bool makeFolder(const QString& path, int count)
{
    const TailLines tail{TailValue::ofNumber(3), TailValue::ofNumber(11), TailValue::ofText("2450"),
                         TailValue::ofNumber(1200), TailValue::ofNumber(2450)};
    for (int i = 0; i < count; ++i) {
        if (!bench::writeNumberedRace(path, i, raceNumbered(i), tail))
            return false;
    }
    return true;
}

qint64 catalogueWithLines(const QString& path)
{
    qint64 total = 0;
    for (const CatalogueEntry& entry : buildCatalogue(path))
        total += balanceSummaryLine(entry).size();
    return total;
}

template <typename Fn>
double timeMs(Fn fn, qint64& sink)
{
    QElapsedTimer timer;
    timer.start();
    sink += fn();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main()
{
    for (const int count : {500, 10000}) {
        QTemporaryDir dir;
        if (!dir.isValid() || !makeFolder(dir.path(), count)) {
            std::fprintf(stderr, "cannot make the race folder\n");
            return 1;
        }
        const int repetitions = count > 1000 ? 7 : 21;
        qint64 sink = 0;
        // One round of each first, so that both find the files in the page cache.
        timeMs([&] { return bench::plainRead(dir.path()); }, sink);
        timeMs([&] { return catalogueWithLines(dir.path()); }, sink);
        std::vector<double> plain, catalogue;
        for (int i = 0; i < repetitions; ++i) {
            plain.push_back(timeMs([&] { return bench::plainRead(dir.path()); }, sink));
            catalogue.push_back(timeMs([&] { return catalogueWithLines(dir.path()); }, sink));
        }
        const double plainMs = bench::median(plain);
        const double catalogueMs = bench::median(catalogue);
        std::printf("%5d races: catalogue + Form8 lines %8.2f ms, plain read (list + readAll) %8.2f ms, ratio %.2f"
                    "  (median of %d)\n",
                    count, catalogueMs, plainMs, catalogueMs / plainMs, repetitions);
        if (sink == 0)
            std::printf("(nothing read)\n");
    }
    return 0;
}

// Time to open the result-entry and balance screens (construction and load, until their lists hold one line per race)
// on folders of 10,000 races of 18 runners, against a plain read of the same files' bytes in the same run; also the
// library's part alone (catalogue and summary lines). Prints medians and their ratios to the plain read.
// TOKIRO_BENCH_LARGE=1 adds a folder of 100,000 races (a few minutes, about 400 MB in the temporary folder);
// TOKIRO_BENCH_RACES measures a folder of that many races instead.
#include "bench_screens.h"
#include "bench_support.h"
#include "racefile/race_folder.h"
#include "record/list_lines.h"
#include "screens/balance_screen.h"
#include "screens/control_table.h"
#include "screens/result_entry_screen.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <memory>
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

// Opens a saved-race screen on the folder and returns how many lines its list holds.
template <typename Form>
qint64 openScreen(const QString& folder)
{
    Module1 module;
    module.raceFolder = folder;
    bench::NoNavigation navigation;
    bench::NoDialogs dialogs;
    auto screen = std::make_unique<Form>(module, navigation, dialogs);
    screen->Form_Load();
    const auto* list = screen->template findChild<QListWidget*>(QStringLiteral("List1"));
    return list ? list->count() : -1;
}

qint64 catalogueWithLines(const QString& folder, QString (*line)(const CatalogueEntry&))
{
    qint64 total = 0;
    for (const CatalogueEntry& entry : RaceFolder(folder).catalogue())
        total += line(entry).size();
    return total;
}

struct Measure {
    const char* name;
    std::function<qint64()> run;
    std::vector<double> times;
};

double timeMs(const std::function<qint64()>& run, qint64& sink)
{
    QElapsedTimer timer;
    timer.start();
    sink += run();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerFontSubstitutions();

    std::vector<int> counts{10000};
    if (qEnvironmentVariableIntValue("TOKIRO_BENCH_LARGE") != 0)
        counts.push_back(100000);
    if (qEnvironmentVariableIsSet("TOKIRO_BENCH_RACES"))
        counts = {qEnvironmentVariableIntValue("TOKIRO_BENCH_RACES")};
    for (const int count : counts) {
        QTemporaryDir dir;
        if (!dir.isValid() || !makeFolder(dir.path(), count)) {
            std::fprintf(stderr, "cannot make the race folder\n");
            return 1;
        }
        const QString path = dir.path();
        std::vector<Measure> measures{
            {"plain read (list + readAll)", [&] { return bench::plainRead(path); }, {}},
            {"Form6 opened, list filled", [&] { return openScreen<Form6>(path); }, {}},
            {"Form8 opened, list filled", [&] { return openScreen<Form8>(path); }, {}},
            {"catalogue alone", [&] { return static_cast<qint64>(RaceFolder(path).catalogue().size()); }, {}},
            {"catalogue + Form6 lines", [&] { return catalogueWithLines(path, resultSummaryLine); }, {}},
            {"catalogue + Form8 lines", [&] { return catalogueWithLines(path, balanceSummaryLine); }, {}},
        };
        const int repetitions = count > 50000 ? 5 : 9;
        qint64 sink = 0;
        // One round of each first, so that all find the files in the page cache; then the rounds interleave, so that
        // a busy moment of the machine falls on all of them alike.
        for (Measure& measure : measures)
            timeMs(measure.run, sink);
        for (int i = 0; i < repetitions; ++i) {
            for (Measure& measure : measures)
                measure.times.push_back(timeMs(measure.run, sink));
        }
        const double plainMs = bench::median(measures[0].times);
        std::printf("%d races (median of %d):\n", count, repetitions);
        for (const Measure& measure : measures) {
            const double ms = bench::median(measure.times);
            std::printf("  %-30s %9.1f ms  ratio %.2f\n", measure.name, ms, ms / plainMs);
        }
        if (sink == 0)
            std::printf("(nothing read)\n");
    }
    return 0;
}

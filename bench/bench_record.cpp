// Time to open the win/loss record screen (construction, load, show and first paint, until its figures are filled)
// on folders of 500 and 10,000 races of 18 runners, against a plain read of the same files' bytes in the same run.
// Also prints where the screen's time goes: listing the folder, reading every race, predicting every race.
// Prints medians of several runs and the ratio to the plain read. TOKIRO_BENCH_LARGE=1 adds a folder of 100,000 races.
#include "bench_screens.h"
#include "bench_support.h"
#include "prediction/prediction.h"
#include "racefile/race_folder.h"
#include "screens/control_table.h"
#include "screens/record_screen.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

qint64 openRecordScreen()
{
    Module1 module;
    module.raceFolder = QDir::currentPath();
    bench::NoNavigation navigation;
    bench::NoDialogs dialogs;
    auto screen = std::make_unique<Form7>(module, navigation, dialogs);
    screen->Form_Load();
    screen->show();
    QCoreApplication::processEvents();
    const QLabel* races = screen->findChild<QLabel*>(QStringLiteral("Label6"));
    return races ? races->text().toLongLong() : -1;
}

qint64 listOnly() { return static_cast<qint64>(RaceFolder(QDir::currentPath()).catalogue().size()); }

// The listing with every race read, as the screen does it (one read of each file).
qint64 readEvery()
{
    qint64 ok = 0;
    for (const CataloguedRace& race : RaceFolder(QDir::currentPath()).races(ReadScope::ThroughResults))
        ok += race.read.ok;
    return ok;
}

qint64 predictEvery(const std::vector<RaceState>& races)
{
    qint64 tickets = 0;
    for (const RaceState& race : races)
        tickets += runPrediction(race.markSheet, race.runnerCount, race.ticketCount).ticketTotal;
    return tickets;
}

double timeMedian(int runs, const std::function<qint64()>& work, qint64& check)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        check = work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return bench::median(times);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerFontSubstitutions();

    std::printf("%8s %12s %12s %7s | %10s %10s %10s\n", "races", "screen ms", "plain ms", "ratio", "list ms", "read ms",
                "predict ms");
    std::vector<int> counts{500, 10000};
    if (qEnvironmentVariableIntValue("TOKIRO_BENCH_LARGE") != 0)
        counts.push_back(100000);
    for (const int count : counts) {
        QTemporaryDir dir;
        if (!dir.isValid() || !bench::makeFolder(dir.path(), count)) {
            std::fprintf(stderr, "cannot make the race folder\n");
            return 1;
        }
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());

        std::vector<RaceState> races;
        const RaceFolder folder(dir.path());
        for (const CatalogueEntry& entry : folder.catalogue()) {
            LoadedRace loaded;
            if (folder.read(entry.fileName, loaded, ReadScope::ThroughResults).ok)
                races.push_back(loaded.race);
        }

        const int runs = count <= 500 ? 9 : count <= 10000 ? 5 : 3;
        qint64 check = 0;
        timeMedian(
            1, [] { return bench::plainRead(); }, check); // warm the file cache for both
        const double plain = timeMedian(
            runs, [] { return bench::plainRead(); }, check);
        const double screen = timeMedian(runs, openRecordScreen, check);
        if (check != count) {
            std::fprintf(stderr, "the screen counted %lld races of %d\n", static_cast<long long>(check), count);
            return 1;
        }
        const double list = timeMedian(runs, listOnly, check);
        const double read = timeMedian(runs, readEvery, check);
        const double predict = timeMedian(
            runs, [&races] { return predictEvery(races); }, check);
        std::printf("%8d %12.1f %12.1f %7.2f | %10.1f %10.1f %10.1f\n", count, screen, plain, screen / plain, list,
                    read - list, predict);
        QDir::setCurrent(previous);
    }
    return 0;
}

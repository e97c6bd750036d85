// Time to open the win/loss record screen (construction, load, show and first paint, until its figures are filled)
// on folders of 500 and 10,000 races of 18 runners, against a plain read of the same files' bytes in the same run.
// Also prints where the screen's time goes: the catalogue alone (listing and reading every file) and the record list
// (reading every race up to its result lines, predicting it and making its line, what the screen's load computes).
// Prints medians of several runs and the ratio to the plain read, in wall time and in processor time (the screen reads
// on every core, so its wall time depends on how busy the machine's other cores are). TOKIRO_BENCH_LARGE=1 adds a
// folder of 100,000 races; TOKIRO_BENCH_RACES measures a folder of that many races instead.
#include "bench_screens.h"
#include "bench_support.h"
#include "racefile/race_folder.h"
#include "record/list_lines.h"
#include "record/race_record.h"
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
#include <ctime>
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

qint64 recordListOnly() { return recordListOf(QDir::currentPath()).totals.races; }

// The median wall time of work in milliseconds; cpu, when given, gets the median processor time of every thread of
// the process (which does not depend on what else the machine runs).
double timeMedian(int runs, const std::function<qint64()>& work, qint64& check, double* cpu = nullptr)
{
    std::vector<double> times;
    std::vector<double> cpuTimes;
    for (int run = 0; run < runs; ++run) {
        const std::clock_t startCpu = std::clock();
        QElapsedTimer timer;
        timer.start();
        check = work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpuTimes.push_back(1000.0 * static_cast<double>(std::clock() - startCpu) / CLOCKS_PER_SEC);
    }
    if (cpu)
        *cpu = bench::median(cpuTimes);
    return bench::median(times);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerFontSubstitutions();

    std::printf("%8s %10s %10s %6s | %11s %11s %6s | %12s %6s %14s %6s\n", "races", "screen ms", "plain ms", "ratio",
                "screen cpu", "plain cpu", "ratio", "catalogue ms", "ratio", "record list ms", "ratio");
    std::vector<int> counts{500, 10000};
    if (qEnvironmentVariableIntValue("TOKIRO_BENCH_LARGE") != 0)
        counts.push_back(100000);
    if (qEnvironmentVariableIsSet("TOKIRO_BENCH_RACES"))
        counts = {qEnvironmentVariableIntValue("TOKIRO_BENCH_RACES")};
    for (const int count : counts) {
        QTemporaryDir dir;
        if (!dir.isValid() || !bench::makeFolder(dir.path(), count)) {
            std::fprintf(stderr, "cannot make the race folder\n");
            return 1;
        }
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());

        const int runs = count <= 500 ? 9 : count <= 10000 ? 5 : 3;
        qint64 check = 0;
        timeMedian(
            1, [] { return bench::plainRead(); }, check); // warm the file cache for both
        double plainCpu = 0;
        double screenCpu = 0;
        const double plain = timeMedian(
            runs, [] { return bench::plainRead(); }, check, &plainCpu);
        const double screen = timeMedian(runs, openRecordScreen, check, &screenCpu);
        if (check != count) {
            std::fprintf(stderr, "the screen counted %lld races of %d\n", static_cast<long long>(check), count);
            return 1;
        }
        const double list = timeMedian(runs, listOnly, check);
        const double recordList = timeMedian(runs, recordListOnly, check);
        std::printf("%8d %10.1f %10.1f %6.2f | %11.1f %11.1f %6.2f | %12.1f %6.2f %14.1f %6.2f\n", count, screen, plain,
                    screen / plain, screenCpu, plainCpu, screenCpu / plainCpu, list, list / plain, recordList,
                    recordList / plain);
        QDir::setCurrent(previous);
    }
    return 0;
}

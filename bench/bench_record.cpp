// Time to open the win/loss record screen (construction, load, show and first paint, until its figures are filled)
// on folders of 500 and 10,000 races of 18 runners, against a plain read of the same files' bytes in the same run.
// Also prints where the screen's time goes: the catalogue alone (listing and reading every file), the record tally
// (reading every race whole and predicting it), and making the list lines of the tally.
// Prints medians of several runs and the ratio to the plain read. TOKIRO_BENCH_LARGE=1 adds a folder of 100,000 races.
#include "bench_screens.h"
#include "bench_support.h"
#include "racefile/race_folder.h"
#include "record/race_record.h"
#include "screens/control_table.h"
#include "screens/list_lines.h"
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

qint64 tallyOnly() { return tallyFolder(QDir::currentPath(), ReadScope::ThroughResults).record.races; }

qint64 linesOnly(const std::vector<RaceOutcome>& races) { return recordLines(races).size(); }

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

    std::printf("%8s %12s %12s %7s | %12s %10s %10s\n", "races", "screen ms", "plain ms", "ratio", "catalogue ms",
                "tally ms", "lines ms");
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

        const std::vector<RaceOutcome> outcomes = tallyFolder(dir.path(), ReadScope::ThroughResults).races;

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
        const double tally = timeMedian(runs, tallyOnly, check);
        const double lines = timeMedian(
            runs, [&outcomes] { return linesOnly(outcomes); }, check);
        std::printf("%8d %12.1f %12.1f %7.2f | %12.1f %10.1f %10.1f\n", count, screen, plain, screen / plain, list,
                    tally, lines);
        QDir::setCurrent(previous);
    }
    return 0;
}

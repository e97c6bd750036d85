// The analysis screen on a folder of 10,000 races of 18 runners (varied courses, classes and incomes; 8 tipsters'
// marks in each):
//  - opening it (construction, the read of the folder, every model and chart, shown and painted once) against
//    opening the record screen on the same folder and against a plain read of the same files' bytes, in the same run,
//    turn about;
//  - a change of filter made through its controls, until the screen is painted again with the charts of the new
//    filter, with each of the three time charts in view, with the race table in view and with each page on tipsters
//    and rankings in view.
// Prints medians and the ratios to the plain read and to the record screen. TOKIRO_BENCH_RACES sets another folder
// size, TOKIRO_BENCH_TIPSTERS another number of tipsters, TOKIRO_BENCH_DISTINCT=1 other tipsters' names in every race
// (races × tipsters names); TOKIRO_BENCH_SKIP_OPENING=1 measures the filter changes only,
// TOKIRO_BENCH_SKIP_CHANGES=1 the openings only, TOKIRO_BENCH_VIEWS the changes with the views whose names hold that
// text only ("monthly"), and TOKIRO_BENCH_ROUNDS the rounds of filter changes (3).
#include "bench_screens.h"
#include "bench_support.h"

#include "analysis/analysis.h"
#include "screens/analysis_screen.h"
#include "screens/control_table.h"
#include "screens/record_screen.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using bench::NoDialogs;
using bench::NoNavigation;

double elapsedMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Shown and painted: the events the showing posted are handled, then the whole screen is drawn.
void paint(QWidget& screen)
{
    QCoreApplication::processEvents();
    screen.grab();
}

long long openRecordScreen()
{
    Module1 module;
    module.raceFolder = QDir::currentPath();
    NoNavigation navigation;
    NoDialogs dialogs;
    auto screen = std::make_unique<Form7>(module, navigation, dialogs);
    screen->Form_Load();
    screen->show();
    paint(*screen);
    const auto* races = screen->findChild<QLabel*>(QStringLiteral("Label6"));
    return races ? races->text().toLongLong() : -1;
}

// Opens the screen: openedMs until it is shown and painted, tipstersMs until the tipster pages have their figures
// (the replays are worked out in the background meanwhile).
long long openAnalysisScreen(double& openedMs, double& tipstersMs)
{
    QElapsedTimer timer;
    timer.start();
    Module1 module;
    module.raceFolder = QDir::currentPath();
    NoNavigation navigation;
    NoDialogs dialogs;
    auto screen = std::make_unique<AnalysisScreen>(module, navigation, dialogs);
    screen->Form_Load();
    screen->show();
    paint(*screen);
    openedMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    while (screen->analysis()->tipstersPending())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    tipstersMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const long long races = screen->analysis()->counts().files;
    // The intervals are still being drawn; the screen waits for them as it is closed.
    return races;
}

struct Step {
    const char* control;
    int index; // -1: the last item; for a check box, 1 checks and 0 clears
};

// What a user steps through: a year, a course, ＧⅠ, a span of months, both inclusions, and back to everything.
const Step steps[] = {{"periodKind", 1},
                      {"periodKind", 0},
                      {"courseFilter", 1},
                      {"courseFilter", 0},
                      {"gradeFilter", 1},
                      {"gradeFilter", 0},
                      {"periodKind", 2},
                      {"periodFrom", -240},
                      {"periodKind", 0},
                      {"includeWithoutResult", 1},
                      {"includeWithoutAmounts", 1},
                      {"includeWithoutResult", 0},
                      {"includeWithoutAmounts", 0}};

void apply(AnalysisScreen& screen, const Step& step)
{
    const QString name = QString::fromLatin1(step.control);
    if (auto* box = screen.findChild<QComboBox*>(name)) {
        box->setCurrentIndex(step.index < 0 ? std::max(0, box->count() + step.index) : step.index);
    } else if (auto* check = screen.findChild<QCheckBox*>(name)) {
        check->setChecked(step.index != 0);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerFontSubstitutions();
    const int count =
        qEnvironmentVariableIsSet("TOKIRO_BENCH_RACES") ? qEnvironmentVariableIntValue("TOKIRO_BENCH_RACES") : 10000;
    QTemporaryDir dir;
    const int tipsters =
        qEnvironmentVariableIsSet("TOKIRO_BENCH_TIPSTERS") ? qEnvironmentVariableIntValue("TOKIRO_BENCH_TIPSTERS") : 8;
    const bool distinct = qEnvironmentVariableIntValue("TOKIRO_BENCH_DISTINCT") != 0;
    if (!dir.isValid() || !bench::makeFolder(dir.path(), count, true, tipsters, distinct)) {
        std::fprintf(stderr, "cannot make the race folder\n");
        return 1;
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());

    // Opening, the two screens turn about so that a busy moment of the machine weighs on both alike.
    const int runs = qEnvironmentVariableIsSet("TOKIRO_BENCH_SKIP_OPENING") ? 0 : 7;
    bench::plainRead(); // warm the file cache for both
    std::vector<double> plain;
    std::vector<double> record;
    std::vector<double> analysis;
    std::vector<double> tipstersIn;
    long long recordRaces = 0;
    long long analysisFiles = 0;
    for (int run = 0; run < runs; ++run) {
        plain.push_back(elapsedMs([] { bench::plainRead(); }));
        record.push_back(elapsedMs([&] { recordRaces = openRecordScreen(); }));
        double openedMs = 0;
        double tipstersMs = 0;
        analysisFiles = openAnalysisScreen(openedMs, tipstersMs);
        analysis.push_back(openedMs);
        tipstersIn.push_back(tipstersMs);
    }
    if (runs > 0 && (recordRaces != count || analysisFiles != count)) {
        std::fprintf(stderr, "the screens read %lld and %lld races of %d\n", recordRaces, analysisFiles, count);
        return 1;
    }
    std::printf("%d races of 18 runners, %d tipsters each%s\n", count, tipsters,
                distinct ? ", named differently in every race" : "");
    if (runs > 0) {
        const double plainMs = bench::median(plain);
        const double recordMs = bench::median(record);
        const double analysisMs = bench::median(analysis);
        std::printf("  plain read of the files             %8.1f ms  (median of %d; the floor)\n", plainMs, runs);
        std::printf("  open the record screen              %8.1f ms  (%.2f x the plain read; aim 1.5)\n", recordMs,
                    recordMs / plainMs);
        std::printf(
            "  open the analysis screen            %8.1f ms  (%.2f x the plain read, aim 1.5; %.2f x the record "
            "screen, aim 2)\n",
            analysisMs, analysisMs / plainMs, analysisMs / recordMs);
        std::printf("  … until the tipster pages have figures %6.1f ms  (%.2f x the plain read)\n",
                    bench::median(tipstersIn), bench::median(tipstersIn) / plainMs);
    }

    if (qEnvironmentVariableIsSet("TOKIRO_BENCH_SKIP_CHANGES")) {
        QDir::setCurrent(previous);
        return 0;
    }

    // Filter changes through the controls, until painted again.
    Module1 module;
    module.raceFolder = QDir::currentPath();
    NoNavigation navigation;
    NoDialogs dialogs;
    AnalysisScreen screen(module, navigation, dialogs);
    screen.Form_Load();
    screen.show();
    paint(screen);
    auto* pages = screen.findChild<QTabWidget*>(QStringLiteral("analysisPages"));
    const char* const options[] = {"cumulativeOption", "monthlyOption", "trendOption"};
    const char* const titles[] = {
        "cumulative profit chart", "monthly bars",     "return-rate trend", "race table", "tipsters",
        "ranks and marks",         "what tipsters add"};
    const AnalysisScreen::Page tablePages[] = {AnalysisScreen::RacesPage, AnalysisScreen::TipstersPage,
                                               AnalysisScreen::RanksPage, AnalysisScreen::AddsPage};
    const QString onlyViews = qEnvironmentVariable("TOKIRO_BENCH_VIEWS");
    const int rounds = qEnvironmentVariableIsSet("TOKIRO_BENCH_ROUNDS")
                           ? std::max(1, qEnvironmentVariableIntValue("TOKIRO_BENCH_ROUNDS"))
                           : 3;
    for (int view = 0; view < 7; ++view) {
        if (!QString::fromLatin1(titles[view]).contains(onlyViews))
            continue;
        if (view < 3) {
            pages->setCurrentIndex(AnalysisScreen::ChartsPage);
            screen.findChild<QAbstractButton*>(QString::fromLatin1(options[view]))->click();
        } else {
            pages->setCurrentIndex(tablePages[view - 3]);
        }
        paint(screen);
        // At a user's pace (the intervals of the last change are in before the next) and back to back (as with an
        // arrow key held down in a pick list, each change voiding the intervals still being drawn).
        for (const bool settled : {true, false}) {
            std::vector<double> times;
            for (int round = 0; round < rounds; ++round) {
                for (const Step& step : steps) {
                    if (settled) {
                        screen.analysis()->waitForIntervals();
                        paint(screen);
                    }
                    times.push_back(elapsedMs([&] {
                        apply(screen, step);
                        paint(screen);
                    }));
                }
            }
            std::printf("  filter change, %-24s %-13s %6.1f ms median (aim 100); slowest %.1f ms\n", titles[view],
                        settled ? "one by one" : "back to back", bench::median(times),
                        *std::max_element(times.begin(), times.end()));
        }
    }
    screen.analysis()->waitForIntervals();
    QDir::setCurrent(previous);
    return 0;
}

// Time to open the win/loss record screen (construction, load, show and first paint, until its figures are filled)
// on folders of 500 and 10,000 races of 18 runners, against a plain read of the same files' bytes in the same run.
// Also prints where the screen's time goes: listing the folder, reading every race, predicting every race.
// Prints medians of several runs and the ratio to the plain read.
#include "bench_support.h"
#include "racefile/catalogue.h"
#include "racefile/race_file.h"
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

class NoNavigation final : public Navigation {
public:
    void show(ScreenId) override {}
    void close(ScreenId) override {}
    bool isLoaded(ScreenId) const override { return false; }
    void endProgram() override {}
};

class NoDialogs final : public Dialogs {
public:
    bool confirm(const QString&, const QString&) override { return false; }
    QString openFile(const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&) override { return {}; }
    void reportError(const QString&, const QString&) override {}
};

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

RaceState raceNumbered(int i, Lcg& random)
{
    RaceState race;
    race.raceDate = QStringLiteral("%1/%2/%3")
                        .arg(i % 100, 2, 10, QLatin1Char('0'))
                        .arg(i / 100 % 12 + 1, 2, 10, QLatin1Char('0'))
                        .arg(i / 1200 % 28 + 1, 2, 10, QLatin1Char('0'));
    race.raceNumber = static_cast<std::int16_t>(i % 12 + 1);
    race.raceName = QStringLiteral("第%1回記録記念").arg(i);
    race.gradedText = QStringLiteral("ＧⅡ");
    race.courseName = QStringLiteral("中山");
    race.distanceText = QStringLiteral("2000m");
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

bool makeFolder(const QString& path, int count)
{
    Lcg random(20240601u + static_cast<unsigned>(count));
    for (int i = 0; i < count; ++i) {
        const RaceState race = raceNumbered(i, random);
        TailLines tail;
        if (i % 3 != 2) { // two races in three have a result
            const int first = 1 + random.below(18);
            const int second = 1 + random.below(18);
            const int payout = 500 + random.below(90000);
            tail = {TailValue::ofNumber(first), TailValue::ofNumber(second), TailValue::ofNumber(payout),
                    TailValue::ofNumber(1000), TailValue::ofNumber(0)};
        }
        if (!bench::writeNumberedRace(path, i, race, tail))
            return false;
    }
    return true;
}

qint64 openRecordScreen()
{
    Module1 module;
    NoNavigation navigation;
    NoDialogs dialogs;
    auto screen = std::make_unique<Form7>(module, navigation, dialogs);
    screen->Form_Load();
    screen->show();
    QCoreApplication::processEvents();
    const QLabel* races = screen->findChild<QLabel*>(QStringLiteral("Label6"));
    return races ? races->text().toLongLong() : -1;
}

qint64 listOnly() { return static_cast<qint64>(buildCatalogue().size()); }

// The listing with every race read, as the screen does it (one read of each file).
qint64 readEvery()
{
    qint64 ok = 0;
    for (const CataloguedRace& race : buildRaceCatalogue())
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
    for (const int count : {500, 10000}) {
        QTemporaryDir dir;
        if (!dir.isValid() || !makeFolder(dir.path(), count)) {
            std::fprintf(stderr, "cannot make the race folder\n");
            return 1;
        }
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());

        std::vector<RaceState> races;
        for (const CatalogueEntry& entry : buildCatalogue()) {
            LoadedRace loaded;
            if (readRaceFile(entry.fileName, loaded, ReadScope::ThroughResults).ok)
                races.push_back(loaded.race);
        }

        const int runs = count <= 500 ? 9 : 5;
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

// Time to back up a folder of 10,000 races of 18 runners into a zip, and to read such a backup and compare it with
// the folder (what 「バックアップから戻す」 does before it shows the table), against a plain read of the same files'
// bytes in the same run. Prints medians and their ratios to the plain read. TOKIRO_BENCH_RESTORE=1 adds one restore of
// every race into an empty folder (each file written and synced on its own: minutes on a slow disk);
// TOKIRO_BENCH_RACES measures a folder of that many races.
#include "bench_support.h"
#include "racefile/folder_backup.h"
#include "racefile/folder_backup_model.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

double medianMilliseconds(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    return bench::median(times);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count =
        qEnvironmentVariableIsSet("TOKIRO_BENCH_RACES") ? qEnvironmentVariableIntValue("TOKIRO_BENCH_RACES") : 10000;
    QTemporaryDir folder;
    QTemporaryDir place;
    if (!bench::makeFolder(folder.path(), count, true)) {
        std::fprintf(stderr, "cannot write the races\n");
        return 1;
    }
    const QString archive = place.filePath(backupFileName(QDate::currentDate()));
    constexpr int runs = 7;

    const double plain = medianMilliseconds(runs, [&] { bench::plainRead(folder.path()); });
    bool ok = true;
    const double backup = medianMilliseconds(runs, [&] { ok = writeBackup(folder.path(), archive).ok && ok; });
    std::size_t rows = 0;
    const double compare = medianMilliseconds(runs, [&] {
        RestoreComparisonModel model;
        model.setItems(compareWithFolder(folder.path(), readBackup(archive).files));
        rows = static_cast<std::size_t>(model.rowCount());
    });
    if (!ok || rows != static_cast<std::size_t>(count)) {
        std::fprintf(stderr, "the backup or its comparison failed\n");
        return 1;
    }
    std::printf("%d races, archive %lld KB\n", count, static_cast<long long>(QFileInfo(archive).size() / 1024));
    std::printf("plain read of the files:          %8.1f ms\n", plain);
    std::printf("backup into a zip:                %8.1f ms  (%.1f× the plain read)\n", backup, backup / plain);
    std::printf("restore's comparison (read+compare+table): %8.1f ms  (%.1f× the plain read)\n", compare,
                compare / plain);

    if (!qEnvironmentVariableIsSet("TOKIRO_BENCH_RESTORE"))
        return 0;
    QTemporaryDir empty;
    QElapsedTimer clock;
    clock.start();
    const RestoreOutcome outcome =
        restoreBackup(empty.path(), compareWithFolder(empty.path(), readBackup(archive).files), {});
    std::printf("restore of every race into an empty folder (once): %.1f ms, %lld files\n",
                static_cast<double>(clock.nsecsElapsed()) / 1e6, static_cast<long long>(outcome.added.size()));
    return 0;
}

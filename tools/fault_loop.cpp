// What a race folder holds after saves are killed half-way, and how rewrites fare while another program lists the
// folder. Run by hand; it prints its figures.
//
//   fault_loop kills <folder> [count]        count kills (200) during rewrites, then count during CSV saves, then
//                                            count during a day's results written into 12 races, then one listing:
//                                            the files of each kind before and after it
//   fault_loop two-windows <folder> [count]  count rewrites (300) while another process lists the folder in a loop
//
// The folder must exist and should be empty; it is filled with one race (and lines of another program's after it).
#include "analysis/csv_export.h"
#include "racefile/file_bytes.h"
#include "racefile/race_folder.h"
#include "racefile/race_lines.h"
#include "racefile/save_file.h"
#include "record/day_results.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>
#include <vector>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const QString raceName = QStringLiteral("r.tkr");
const QString csvName = QStringLiteral("成績.csv");
constexpr int csvRounds = 3;
const QByteArray otherProgramsLines = "#ANOTHER-PROGRAM 1\r\nkept,byte,for,byte\r\n";

QByteArray raceBytes()
{
    QByteArray bytes = "99/05/16\r\n 7 \r\nDerby\r\n\r\n\r\n\r\n 4 \r\n 2 \r\n 0 \r\nA\r\nB\r\n";
    for (int i = 0; i < 12; ++i)
        bytes += i % 5 == 0 ? " 1 \r\n" : " 0 \r\n";
    return bytes + "\r\n\r\n\r\n\r\n 0 \r\n" + otherProgramsLines;
}

// A CSV of a megabyte, so that its save takes long enough to be killed in the middle.
QByteArray csvOfRound(int round)
{
    QByteArray bytes = "\xEF\xBB\xBF";
    for (int row = 0; row < 20000; ++row)
        bytes += QByteArray::number(round) + ",1999-05-16,11,ダービー,870,1000,870,-130\r\n";
    return bytes;
}

pid_t spawnSelf(const char* mode, const QString& folder)
{
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    const QByteArray where = QFile::encodeName(folder);
    char* argv[] = {const_cast<char*>(self.constData()), const_cast<char*>(mode), const_cast<char*>(where.constData()),
                    nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, self.constData(), nullptr, nullptr, argv, environ) != 0)
        return -1;
    return pid;
}

void killAndReap(pid_t pid)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// The children: each does its one thing for ever, until it is killed.
int rewriteForEver(const QString& folder)
{
    const RaceFolder races(folder);
    for (int i = 0;; ++i) {
        PendingRewrite pending;
        if (races.prepareBalance(raceName, QString::number(i % 1000), QString::number(2 * (i % 1000)), pending).ok)
            races.commit(pending);
    }
}

int saveCsvForEver(const QString& folder)
{
    const QString path = QDir(folder).filePath(csvName);
    std::vector<QByteArray> rounds;
    for (int round = 0; round < csvRounds; ++round)
        rounds.push_back(csvOfRound(round));
    for (int i = 0;; ++i)
        saveCsvFile(path, rounds[static_cast<std::size_t>(i % csvRounds)]);
}

// The day's races: copies of the race under names of their own.
QString dayRaceName(int i) { return QStringLiteral("day%1.tkr").arg(i, 2, 10, QLatin1Char('0')); }
constexpr int dayRaces = 12;

// Writes one of two results into every race of the day, turn about, as the day screen's 書き込み does.
int writeDayForEver(const QString& folder)
{
    const RaceFolder races(folder);
    for (int round = 0;; ++round) {
        std::vector<DayWrite> writes;
        for (int i = 0; i < dayRaces; ++i) {
            LoadedRace loaded;
            CatalogueEntry now;
            races.read(dayRaceName(i), loaded, ReadScope::ThroughResults, &now);
            const bool odd = round % 2 == 1;
            writes.push_back({dayRaceName(i), odd ? QStringLiteral("1") : QStringLiteral("7"),
                              odd ? QStringLiteral("5") : QStringLiteral("2"),
                              odd ? QStringLiteral("6940") : QStringLiteral("880"), now.firstPlace, now.secondPlace,
                              now.payout});
        }
        writeDayResults(folder, writes);
    }
}

int listForEver(const QString& folder)
{
    const RaceFolder races(folder);
    for (;;)
        races.catalogue();
}

// The files of the folder by kind.
std::map<QString, int> kinds(const QString& folder)
{
    std::map<QString, int> count;
    for (const QString& name :
         QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QByteArray bytes = QFile::encodeName(name);
        QString kind;
        if (name == raceName)
            kind = QStringLiteral("race file");
        else if (name.startsWith(QLatin1String("day")) && name.endsWith(QLatin1String(".tkr")))
            kind = QStringLiteral("race file of the day");
        else if (name == RaceFolder::tempFileName)
            kind = QStringLiteral("TKR.tmp");
        else if (name == csvName)
            kind = QStringLiteral("CSV file");
        else if (isTemporaryCopyName(bytes))
            kind = QStringLiteral("temporary copy (.tokiro-*.tmp)");
        else if (isOldTemporaryCopyName(bytes))
            kind = QStringLiteral("old-form copy (TKR.tmp.XXXXXX)");
        else if (name == QLatin1String(FolderLock::fileName))
            kind = QStringLiteral("lock file (.tokiro.lock)");
        else
            kind = QStringLiteral("other: ") + name;
        ++count[kind];
    }
    return count;
}

void printKinds(const char* when, const std::map<QString, int>& count)
{
    std::printf("%s:\n", when);
    for (const auto& [kind, n] : count)
        std::printf("  %-34s %d\n", kind.toUtf8().constData(), n);
}

int kills(const QString& folder, int count)
{
    QFile::remove(QDir(folder).filePath(raceName));
    QFile race(QDir(folder).filePath(raceName));
    if (!race.open(QIODevice::WriteOnly) || race.write(raceBytes()) < 0)
        return 1;
    race.close();
    for (int i = 0; i < dayRaces; ++i) {
        QFile day(QDir(folder).filePath(dayRaceName(i)));
        if (!day.open(QIODevice::WriteOnly) || day.write(raceBytes()) < 0)
            return 1;
    }
    for (const char* mode : {"child-rewrite", "child-csv", "child-day"}) {
        for (int i = 0; i < count; ++i) {
            const pid_t child = spawnSelf(mode, folder);
            if (child < 0)
                return 1;
            // Long enough for the child to start and reach its loop (about 40 ms), then anywhere in it.
            std::this_thread::sleep_for(
                std::chrono::microseconds(100000 + QRandomGenerator::global()->bounded(400000)));
            killAndReap(child);
        }
        std::printf("%d kills during %s; ", count, mode + 6);
        printKinds("the folder then holds", kinds(folder));
    }
    printKinds("before the listing", kinds(folder));
    const std::vector<CatalogueEntry> entries = RaceFolder(folder).catalogue();
    printKinds("after one listing", kinds(folder));

    // The race is whole: it reads as a race and keeps the other program's lines.
    const FileBytes bytes = readFileBytes(QDir(folder).filePath(raceName), racelines::maxRewriteBytes);
    bool whole = entries.size() == 1 + dayRaces && bytes.bytes.endsWith(otherProgramsLines);
    for (const CatalogueEntry& entry : entries)
        whole = whole && entry.readable;
    // Each race of the day holds one of the results written or none, and the other program's lines.
    int written = 0;
    for (int i = 0; i < dayRaces; ++i) {
        const FileBytes day = readFileBytes(QDir(folder).filePath(dayRaceName(i)), racelines::maxRewriteBytes);
        LoadedRace loaded;
        CatalogueEntry now;
        whole = whole && day.bytes.endsWith(otherProgramsLines)
                && RaceFolder(folder).read(dayRaceName(i), loaded, ReadScope::ThroughResults, &now).ok;
        const QString result =
            now.firstPlace.trimmed() + u'-' + now.secondPlace.trimmed() + u' ' + now.payout.trimmed();
        written += result != QStringLiteral("- ");
        whole = whole
                && (result == QStringLiteral("- ") || result == QStringLiteral("1-5 6940")
                    || result == QStringLiteral("7-2 880"));
    }
    std::printf("race files whole: %s (%d of the day's %d hold a result written)\n", whole ? "yes" : "NO", written,
                dayRaces);
    // The CSV file, when there is one, is one of the files a save wrote, whole.
    const FileBytes csv = readFileBytes(QDir(folder).filePath(csvName), 1 << 26);
    bool csvWhole = csv.status == FileBytes::Status::Missing;
    for (int round = 0; round < csvRounds && !csvWhole; ++round)
        csvWhole = csv.bytes == csvOfRound(round);
    std::printf("CSV file whole (or none): %s\n", csvWhole ? "yes" : "NO");
    return whole && csvWhole ? 0 : 1;
}

template <typename Step>
double medianMicroseconds(int runs, Step step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<std::size_t>(runs / 2)];
}

int twoWindows(const QString& folder, int count)
{
    const QString path = QDir(folder).filePath(raceName);
    QFile::remove(path);
    QFile race(path);
    if (!race.open(QIODevice::WriteOnly) || race.write(raceBytes()) < 0)
        return 1;
    race.close();
    const pid_t lister = spawnSelf("child-list", folder);
    if (lister < 0)
        return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const RaceFolder races(folder);
    int failed = 0;
    std::map<QString, int> reasons;
    QElapsedTimer timer;
    timer.start();
    for (int i = 1; i <= count; ++i) {
        PendingRewrite pending;
        FileResult result = races.prepareBalance(raceName, QString::number(i), QString::number(2 * i), pending);
        if (result.ok)
            result = races.commit(pending);
        if (!result.ok) {
            ++failed;
            ++reasons[result.error];
        }
    }
    const double seconds = static_cast<double>(timer.elapsed()) / 1000.0;
    killAndReap(lister);
    std::printf("%d of %d rewrites failed while another process listed the folder (%.1f s)\n", failed, count, seconds);
    for (const auto& [reason, n] : reasons)
        std::printf("  %d × %s\n", n, reason.toUtf8().constData());
    const FileBytes now = readFileBytes(path, racelines::maxRewriteBytes);
    std::printf("race file keeps the other program's lines: %s\n",
                now.bytes.endsWith(otherProgramsLines) ? "yes" : "NO");

    // How long another program's change has to slip in between the rewrite's last check and its rename: the check
    // (one read and compare of the race file) and the rename. Before, the new file's write and sync came between.
    const QByteArray expected = now.bytes;
    const QByteArray copy = QFile::encodeName(QDir(folder).filePath(QStringLiteral("copy")));
    const QByteArray target = QFile::encodeName(QDir(folder).filePath(QStringLiteral("target")));
    const double check = medianMicroseconds(301, [&] {
        const FileBytes read = readFileBytes(path, racelines::maxRewriteBytes, FollowLinks::No);
        if (read.bytes != expected)
            std::printf("changed?\n");
    });
    const double rename = medianMicroseconds(301, [&] {
        QFile file(QString::fromLocal8Bit(copy));
        if (file.open(QIODevice::WriteOnly))
            file.close();
        ::rename(copy.constData(), target.constData());
    });
    const double writeAndSync =
        medianMicroseconds(31, [&] { replaceWholeFile(QString::fromLocal8Bit(target), expected); });
    QFile::remove(QString::fromLocal8Bit(target));
    std::printf("window between the last check and the rename: check %.0f µs + create and rename %.0f µs "
                "(before: + write and sync of the new file, a whole replace taking %.0f µs)\n",
                check, rename, writeAndSync);
    return failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: fault_loop kills|two-windows <folder> [count]\n");
        return 2;
    }
    const QString mode = args[1];
    const QString folder = args[2];
    const int count = args.size() > 3 ? args[3].toInt() : 0;
    if (mode == QLatin1String("child-rewrite"))
        return rewriteForEver(folder);
    if (mode == QLatin1String("child-csv"))
        return saveCsvForEver(folder);
    if (mode == QLatin1String("child-day"))
        return writeDayForEver(folder);
    if (mode == QLatin1String("child-list"))
        return listForEver(folder);
    if (mode == QLatin1String("kills"))
        return kills(folder, count > 0 ? count : 200);
    if (mode == QLatin1String("two-windows"))
        return twoWindows(folder, count > 0 ? count : 300);
    std::fprintf(stderr, "unknown mode\n");
    return 2;
}

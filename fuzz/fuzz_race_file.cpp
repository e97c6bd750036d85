// libFuzzer target: reads a race file from arbitrary bytes through every reader of the library and checks what
// the readers promise.
#include "racefile/catalogue.h"
#include "racefile/race_bytes.h"
#include "racefile/race_file.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool fitsTables(const RaceState& race)
{
    if (race.runnerCount < 0 || race.runnerCount > maxRunners)
        return false;
    for (int r = 0; r < race.runnerCount; ++r) {
        for (int k = 0; k < markKindCount; ++k) {
            const int mark = race.markSheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
            if (mark < 0 || mark > maxMarksPerRunner)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // A race that reads fits the tables, can be written again, and reads back as the same race.
    for (const ReadScope scope : {ReadScope::Whole, ReadScope::ThroughResults}) {
        LoadedRace loaded;
        if (!parseRaceFile(bytes, loaded, scope).ok)
            continue;
        check(fitsTables(loaded.race));
        QByteArray written;
        check(raceFileBytes(loaded.race, loaded.tail, written).ok);
        LoadedRace again;
        check(parseRaceFile(written, again, scope).ok);
        check(again.race.runnerCount == loaded.race.runnerCount);
        check(again.race.markSheet == loaded.race.markSheet);
        check(again.race.raceNumber == loaded.race.raceNumber && again.race.ticketCount == loaded.race.ticketCount);
    }

    // Summary lines keep their widths whatever the file holds.
    const CatalogueEntry entry = catalogueEntryFromBytes(bytes, QStringLiteral("fuzz.tkr"));
    check(resultSummaryLine(entry).size() == 74);
    check(balanceSummaryLine(entry).size() == 77);
    check(entry.runnerCount >= 0 && entry.runnerCount <= maxRunners);

    // A rewrite gives a file that reads whole, keeps the runners, and does not change when done again.
    for (const RewrittenLines which : {RewrittenLines::Results, RewrittenLines::Balance}) {
        QByteArray once;
        if (rewrittenRaceBytes(bytes, QStringLiteral("fuzz.tkr"), which, {5, 12, 870}, once).outcome != Outcome::Done)
            continue;
        check(entry.readable);
        LoadedRace rewritten;
        check(parseRaceFile(once, rewritten).ok);
        check(rewritten.race.runnerCount == entry.runnerCount);
        QByteArray twice;
        check(rewrittenRaceBytes(once, QStringLiteral("fuzz.tkr"), which, {5, 12, 870}, twice).outcome == Outcome::Done);
        check(twice == once);
    }
    return 0;
}

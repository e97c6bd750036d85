#pragma once

#include "racefile/catalogue.h"
#include "racefile/race_bytes.h"
#include "racefile/race_file.h"

#include <QByteArray>
#include <QString>

// What the race-file readers promise for any bytes at all; shared by the fuzz target and the regression test that
// replays its inputs. Returns what failed, or an empty text.
inline QString raceFileCheckFailure(const QByteArray& bytes)
{
    auto fitsTables = [](const RaceState& race) {
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
    };

    // A race that reads fits the tables, can be written again, and reads back as the same race.
    for (const ReadScope scope : {ReadScope::Whole, ReadScope::ThroughResults}) {
        LoadedRace loaded;
        if (!parseRaceFile(bytes, loaded, scope).ok)
            continue;
        if (!fitsTables(loaded.race))
            return QStringLiteral("a race that reads does not fit the tables");
        QByteArray written;
        const FileResult built = raceFileBytes(loaded.race, loaded.tail, written);
        if (!built.ok)
            return QStringLiteral("a race that reads cannot be written again: ") + built.error;
        LoadedRace again;
        if (!parseRaceFile(written, again, scope).ok)
            return QStringLiteral("a written race does not read back");
        if (again.race.runnerCount != loaded.race.runnerCount || again.race.markSheet != loaded.race.markSheet
            || again.race.raceNumber != loaded.race.raceNumber || again.race.ticketCount != loaded.race.ticketCount)
            return QStringLiteral("a written race reads back different");
    }

    // Summary lines keep their widths whatever the file holds.
    const CatalogueEntry entry = catalogueEntryFromBytes(bytes, QStringLiteral("fuzz.tkr"));
    if (resultSummaryLine(entry).size() != 74 || balanceSummaryLine(entry).size() != 77)
        return QStringLiteral("a summary line has the wrong width");
    if (entry.runnerCount < 0 || entry.runnerCount > maxRunners)
        return QStringLiteral("a listed runner count does not fit the tables");

    // A rewrite gives a file that reads whole, keeps the runners, and does not change when done again.
    for (const RewrittenLines which : {RewrittenLines::Results, RewrittenLines::Balance}) {
        QByteArray once;
        if (rewrittenRaceBytes(bytes, QStringLiteral("fuzz.tkr"), which, {5, 12, 870}, once).outcome != Outcome::Done)
            continue;
        if (!entry.readable)
            return QStringLiteral("a file listed as unreadable was rewritten");
        LoadedRace rewritten;
        if (!parseRaceFile(once, rewritten).ok || rewritten.race.runnerCount != entry.runnerCount)
            return QStringLiteral("a rewritten file does not read back with its runners");
        QByteArray twice;
        if (rewrittenRaceBytes(once, QStringLiteral("fuzz.tkr"), which, {5, 12, 870}, twice).outcome != Outcome::Done
            || twice != once)
            return QStringLiteral("a second rewrite changes the file");
    }
    return {};
}

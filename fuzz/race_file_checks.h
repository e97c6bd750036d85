#pragma once

#include "core/numbers.h"
#include "racefile/catalogue.h"
#include "racefile/race_bytes.h"
#include "racefile/race_file.h"
#include "record/list_lines.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <utility>

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
        // No number of the tail changes (texts may lose characters that a line cannot hold).
        const TailLines& a = loaded.tail;
        const TailLines& b = again.tail;
        for (const auto& [was, is] : {std::pair{a.firstPlace, b.firstPlace}, std::pair{a.secondPlace, b.secondPlace},
                                      std::pair{a.stake, b.stake}, std::pair{a.income, b.income}}) {
            if (was.kind == TailValue::Kind::Number && !(was == is))
                return QStringLiteral("a written race reads back with another number in its tail");
        }
    }

    // Summary lines keep their widths whatever the file holds, widened only by amounts too long for their pieces.
    const CatalogueEntry entry = catalogueEntryFromBytes(bytes, QStringLiteral("fuzz.tkr"));
    auto beyond = [](const QString& piece, qsizetype width) { return std::max<qsizetype>(0, piece.size() - width); };
    const qsizetype resultWidth =
        74 + (entry.readable ? beyond(QStringLiteral("配当金：") + zeroFilled(entry.payout, 6) + u'円', 15) : 0);
    const qsizetype balanceWidth =
        77
        + (entry.readable ? beyond(QStringLiteral("支出：") + formatYen(entry.stake), 12)
                                + beyond(QStringLiteral("収入：") + formatYen(entry.income), 12)
                                + beyond(QStringLiteral("差額：") + formatYen(entry.income - entry.stake), 12)
                          : 0);
    if (resultSummaryLine(entry).size() != resultWidth || balanceSummaryLine(entry).size() != balanceWidth)
        return QStringLiteral("a summary line has the wrong width");
    if (entry.runnerCount < 0 || entry.runnerCount > maxRunners)
        return QStringLiteral("a listed runner count does not fit the tables");

    // A rewrite gives a file that reads whole, keeps the runners, and does not change when done again.
    for (const RewrittenLines which : {RewrittenLines::Results, RewrittenLines::Balance}) {
        QByteArray once;
        if (!rewrittenRaceBytes(bytes, QStringLiteral("fuzz.tkr"), which, {5, 12, 870}, once).ok)
            continue;
        if (!entry.readable)
            return QStringLiteral("a file listed as unreadable was rewritten");
        LoadedRace rewritten;
        if (!parseRaceFile(once, rewritten).ok || rewritten.race.runnerCount != entry.runnerCount)
            return QStringLiteral("a rewritten file does not read back with its runners");
        QByteArray twice;
        if (!rewrittenRaceBytes(once, QStringLiteral("fuzz.tkr"), which, {5, 12, 870}, twice).ok || twice != once)
            return QStringLiteral("a second rewrite changes the file");
    }
    return {};
}

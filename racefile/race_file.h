#pragma once

#include "core/race_state.h"
#include "racefile/file_result.h"
#include "racefile/tail_lines.h"
#include "racefile/tipster_block.h"

class LockWait;

#include <QString>

// A race as read from a file.
struct LoadedRace {
    RaceState race; // race.tipsters: the grid as read, fitted to the counts
    TailLines tail;
    // What followed the income line (read with ReadScope::Whole only).
    AfterRace after;
    // Tipster marks the counts did not hold (the counts were changed by another program) and that were taken off.
    int gridMarksTaken = 0;
};

// ThroughResults: lines 1 .. 12+7N, everything up to the result lines (what the record screen needs).
enum class ReadScope { Whole, ThroughResults };

// Skipped: the runner names are left empty, for readers that count races and never show a runner (the record tally
// of a large folder saves a text per runner).
enum class RunnerNames { Read, Skipped };

// Writes the whole race (header, names, marks of rows 0..runnerCount-1, tail lines, then the tipster grid's block when
// the race has tipster columns, else a grid block that could not be read, then the other lines that followed the
// income line) to path, replacing any file of that name atomically. Refuses (ok=false, nothing written) a text that
// code page 932 cannot hold, naming the field, and a path taken by a device, a pipe or a socket (or a link to one).
// Another program holding the folder's lock is waited for through lockWait when one is given (save_file.h); a wait
// stopped writes nothing.
FileResult writeRaceFile(const QString& path, const RaceState& race, const TailLines& tail, const AfterRace& after = {},
                         LockWait* lockWait = nullptr);

namespace racelines {
class RaceFileLines;
}

// Reads a race from a file's lines already split, for readers that use the same lines for more than the race.
FileResult readRaceLines(const racelines::RaceFileLines& lines, LoadedRace& out, ReadScope scope,
                         const QString& fileName, RunnerNames names = RunnerNames::Read);

// Reads a race file at any path (a load picks it in a dialog). Anything but a regular file (a folder, a device, a pipe,
// a socket, or a link to one) is refused at once, without being opened. On failure `out` is unspecified and the
// caller keeps what it had.
FileResult readRaceFile(const QString& path, LoadedRace& out, ReadScope scope = ReadScope::Whole);

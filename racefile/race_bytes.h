#pragma once

#include "racefile/race_file.h"

#include <QByteArray>

// The race file format on bytes in memory, for the file functions of race_file.h and for tools that make or check
// many files (the benchmark, the fuzz target).

// The bytes of the race file for race and tail. Refuses (ok=false, out untouched) a runner count outside 0..21, a mark
// count outside 0..25, and a text that code page 932 cannot hold, naming the field.
FileResult raceFileBytes(const RaceState& race, const TailLines& tail, QByteArray& out);

// Reads a race from the bytes of a race file, as readRaceFile does; fileName only names it in the error text.
FileResult parseRaceFile(QByteArray bytes, LoadedRace& out, ReadScope scope = ReadScope::Whole,
                         const QString& fileName = QString());

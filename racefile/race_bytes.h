#pragma once

#include "racefile/catalogue.h"
#include "racefile/race_file.h"

#include <QByteArray>

#include <array>

// The race file format on bytes in memory, for the file functions of race_file.h and for tools that make or check
// many files (the benchmark, the fuzz target).

// The bytes of the race file for race and tail. Refuses (ok=false, out untouched) a runner count outside 0..21, a mark
// count outside 0..25, and a text that code page 932 cannot hold, naming the field.
FileResult raceFileBytes(const RaceState& race, const TailLines& tail, QByteArray& out, const AfterRace& after = {});

// Reads a race from the bytes of a race file, as readRaceFile does; fileName only names it in the error text.
FileResult parseRaceFile(QByteArray bytes, LoadedRace& out, ReadScope scope = ReadScope::Whole,
                         const QString& fileName = QString());

// The catalogue entry of a file with these bytes, as buildCatalogue makes it.
CatalogueEntry catalogueEntryFromBytes(QByteArray bytes, const QString& fileName);

// What a rewrite would put into "TKR.tmp" for a file with these bytes: the result lines (first, second, payout) or
// the balance lines (stake, income; the third value unused) replaced by number lines, every other line copied in its
// kind. ok with out filled, or the reason when the file cannot be rewritten whole.
enum class RewrittenLines { Results, Balance };
FileResult rewrittenRaceBytes(QByteArray bytes, const QString& fileName, RewrittenLines which,
                              const std::array<double, 3>& values, QByteArray& out);

#pragma once

#include "racefile/race_file.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace racelines {
class RaceFileLines;
}

// One saved race as a list shows it. The entries are made by RaceFolder (race_folder.h), which lists, sorts and
// reads the race files of a folder.
//
// An unreadable file is one that is not a regular file, cannot be opened, is not valid code page 932 text, whose
// runner count (0..21), ticket count or mark counts (0..25) do not fit the tables, or that ends before its last mark
// line. Its list lines keep their widths and show the date and race number as far as they could be read,
// "＊このファイルは読めません＊" and the file name; rewriting it fails with the reason. A file that is only short after
// its marks is readable: missing result lines show as empty, missing balance lines as 0.
struct CatalogueEntry {
    QString fileName;       // bare name in the race folder
    QString sortKey;        // line 1 + last two of "00" + line 2
    bool readable = false;  // false: the file could not be read as a race file; only fileName is reliable
    QString raceDate;       // line 1
    QString raceNumberText; // line 2 as text
    QString raceName;       // line 3
    std::int16_t runnerCount = 0;
    QString firstPlace; // result lines as text, empty while unset
    QString secondPlace;
    QString payout;
    double stake = 0; // balance lines as numbers, 0 while unset
    double income = 0;
};

// The catalogue entry of a file split into lines. read, when given, is the race read from the same lines: the texts
// both hold (date, name, result lines) are then shared with it instead of made again.
CatalogueEntry catalogueEntryOf(const racelines::RaceFileLines& lines, const QString& fileName,
                                const LoadedRace* read = nullptr);

// A catalogue entry together with its race read in full from the same single read of its file (what the record
// screen needs): read.ok is false, and race unspecified, for a file that cannot be read as a race.
struct CataloguedRace {
    CatalogueEntry entry;
    LoadedRace race;
    FileResult read;
};

#pragma once

#include "core/race_state.h"
#include "racefile/tail_lines.h"
#include "racefile/tipster_block.h"

#include <QString>

#include <utility>
#include <vector>

// The shared module: what really crosses screens. One instance is owned by the application and handed to every
// screen by reference. What only one screen uses (its counters, layout values, totals, the engine's result) is that
// screen's own.
struct Module1 {
    // The current race: filled by the conditions and mark sheet screens, read by the prediction screen, saved and
    // loaded by the mark sheet, used and cleared by the saved-race screens.
    RaceState race;
    // The tail lines of a loaded race, written back by the next save of the mark sheet.
    TailLines keptTailLines;
    // What a loaded race held after its income line besides a grid it could read (an unreadable grid block, other
    // lines), written back by the next save of the mark sheet.
    AfterRace keptAfterRace;
    // Runner names read from a race card on the race conditions screen, by horse number: the mark sheet takes them as
    // pasted names when it next shows, and forgets them.
    std::vector<std::pair<int, QString>> cardNames;
    // What the tipster grid screen tells first: why the loaded race's grid could not be read, or what was taken off it.
    QString gridNotice;
    // The race file picked in the result entry or balance screen's list.
    QString selectedRaceFile;
    // The program's own folder (pictures and help), taken when the title screen loads.
    QString appFolder;
    // The folder of the race files; the application sets it to the folder it was started in.
    QString raceFolder;
};

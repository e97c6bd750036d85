#pragma once

#include "core/tipster_grid.h"
#include "racefile/surface_block.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

// The tipster grid's block, kept after a race file's income line (docs/race_file.md):
//
//   [予想家ごとの印] 1        the marker: the block's name and its version
//    T                         number line: how many tipsters (1..16)
//   本紙                       per tipster, in column order: the name (text line)
//   ◎・○・・▲△・・・          and the marks, one character per runner in runner order, ・ for none
//   [/予想家ごとの印]         the end line
//
// A reader that follows the race file's own layout never looks past the income line, so it reads the race unchanged.

enum class GridBlock : std::uint8_t {
    None,           // no block after the income line
    Read,           // a block of this version, read whole
    Damaged,        // a block that stops short or holds what it cannot
    UnknownVersion, // a block of another version
};

// What a race file holds after its income line.
struct AfterRace {
    GridBlock block = GridBlock::None;
    int problemLine = 0; // Damaged: the line of the file where reading stopped (0 when not known)
    TipsterGrid grid;    // Read: the columns as stored
    // Damaged or UnknownVersion: the block's bytes as found (from its marker to its end line, or to the file's end),
    // written back by a save that has no grid of its own to put there, so that nothing is lost unread.
    QByteArray unreadBlock;
    // The other lines, kept as they are and written back where they stood: those between the income line and the
    // block (empty when there is no block), and those after the block (all of them when there is none). Kept on
    // their side of the block, they can never be taken for part of it: a block without its end line would swallow
    // lines written after it.
    QByteArray linesBefore;
    QByteArray otherLines;
    // The file held more than its readers read (over racelines::maxRewriteBytes): the lines above are not all of
    // what followed the race, and a save would lose the rest.
    bool readInPart = false;
    // The surface block (racefile/surface_block.h), taken out of the lines above; its offset is within linesBefore
    // or otherLines, as beforeGrid says.
    SurfaceAfterRace surface;

    // The grid's part of readAfterRace, on the bytes without the surface block.
    void readGrid(QByteArrayView bytes, int runners, int firstLine);
};

// Reads the bytes that follow the income line's line end: the surface block first, then the grid's block in what is
// left. firstLine is the file's line number of the first of them (15 + 7N), for the messages.
AfterRace readAfterRace(QByteArrayView bytes, int runners, int firstLine = 0);

// Only the grid, for readers of many races that keep nothing else: None, Read (grid filled) or the reason it is not.
GridBlock readTipsterGrid(QByteArrayView bytes, int runners, TipsterGrid& grid);

// What a save writes after the income line: the lines before the block, the block (the grid's own when it has
// columns, else the unread one), the lines after it. A part that ends without a line end gets one before the next,
// so that no line is glued onto another. The surface block goes back where it stood, or first when there was none.
QByteArray afterRaceBytes(const AfterRace& after, const QByteArray& gridBlock, const QByteArray& surfaceBlock = {});

// The block's bytes for a grid of runners rows (empty for a grid without columns), each line ended by CR LF; nullopt
// when a tipster's name cannot be written in code page 932 (error then names the tipster and the character).
std::optional<QByteArray> tipsterBlockBytes(const TipsterGrid& grid, int runners, QString* error = nullptr);

// A Japanese sentence saying why the grid of a file could not be read (empty for None and Read).
QString gridBlockProblem(const AfterRace& after);

#pragma once

#include "core/race_surface.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

// The race's surface, kept in a block of its own after a race file's income line (docs/race_file.md):
//
//   [コース] 1          the marker: the block's name and its version
//   芝                   芝, ダート or 障害
//   [/コース]           the end line
//
// A race whose surface is not known has no block, so its file is byte for byte what it was before the surface was
// kept. A reader that follows the race file's own layout never looks past the income line.

enum class SurfaceBlock : std::uint8_t {
    None,           // no block
    Read,           // a block of this version, read whole
    Damaged,        // a block that holds what it cannot, or stops short
    UnknownVersion, // a block of another version
};

// The surface block found after the income line, and where it stood, so that a save puts it back there.
struct SurfaceAfterRace {
    SurfaceBlock block = SurfaceBlock::None;
    RaceSurface surface = RaceSurface::Unknown; // Read: the surface
    int problemLine = 0;                        // Damaged: the file's line where reading stopped (0: not known)
    // The block's bytes as found (its line end included); a save writes them back unchanged while the race's surface
    // is the one they say, or (for a block that could not be read) while the race has none of its own.
    QByteArray bytes;
    // Where it stood, once taken out: at this offset of the bytes after the income line; readAfterRace then tells it
    // within the lines before the tipster grid's block (beforeGrid) or within those after it.
    qsizetype offset = 0;
    bool beforeGrid = false;
};

// Takes the first surface block out of the bytes that follow the income line's line end: returns those bytes without
// it and tells in found what it was and where it stood. firstLine is the file's line number of the first of the bytes
// (15 + 7N), for the message.
QByteArray takeSurfaceBlock(QByteArrayView bytes, SurfaceAfterRace& found, int firstLine = 0);

// Only the surface, for readers that keep nothing else (Unknown when there is no block or it cannot be read).
RaceSurface readRaceSurface(QByteArrayView afterRace);

// The block's bytes for a surface, each line ended by CR LF; empty for Unknown.
QByteArray surfaceBlockBytes(RaceSurface surface);

// What a save writes for the race's surface in the place of the block found: the bytes found while they say the
// same (or the race has no surface and they could not be read), else the race's own block; empty for none.
QByteArray surfaceBytesToWrite(const SurfaceAfterRace& found, RaceSurface surface);

// The lines with the block's bytes put in at offset (a line's start), with a line end after it when it has none and
// something follows.
QByteArray withSurfaceBlock(QByteArray lines, const QByteArray& block, qsizetype offset);

// A Japanese sentence saying why the surface of a file could not be read (empty for None and Read).
QString surfaceBlockProblem(const SurfaceAfterRace& found);

#include "racefile/surface_block.h"

#include "racefile/cp932.h"
#include "racefile/race_lines.h"

#include <vector>

using namespace racelines;

namespace {

constexpr int blockVersion = 1;

const QByteArray& markerBytes()
{
    static const QByteArray bytes = *encodeCp932(u"[コース]");
    return bytes;
}
const QByteArray& endBytes()
{
    static const QByteArray bytes = *encodeCp932(u"[/コース]");
    return bytes;
}
// The grid's marker: a block of another version never reaches over it.
const QByteArray& gridMarkerBytes()
{
    static const QByteArray bytes = *encodeCp932(u"[予想家ごとの印]");
    return bytes;
}

} // namespace

QByteArray takeSurfaceBlock(QByteArrayView bytes, SurfaceAfterRace& found, int firstLine)
{
    found = SurfaceAfterRace{};
    if (!bytes.contains(markerBytes()))
        return bytes.toByteArray();
    const std::vector<BlockLine> lines = splitBlockLines(bytes);
    const auto text = [&](std::size_t i) { return bytes.sliced(lines[i].begin, lines[i].size); };
    const auto isEnd = [&](std::size_t i) { return i < lines.size() && trimBlanks(text(i)) == endBytes(); };
    std::size_t marker = 0;
    while (marker < lines.size() && !text(marker).startsWith(markerBytes()))
        ++marker;
    if (marker == lines.size())
        return bytes.toByteArray();

    std::size_t last = marker; // the block's last line
    const QByteArrayView version = trimBlanks(text(marker).sliced(markerBytes().size()));
    const std::optional<double> number = numberOfLine(version);
    if (!version.isEmpty() && number && *number != blockVersion) {
        // Another version's block runs to its end line, never over the grid's block.
        found.block = SurfaceBlock::UnknownVersion;
        for (std::size_t i = marker + 1; i < lines.size() && !text(i).startsWith(gridMarkerBytes()); ++i) {
            if (isEnd(i)) {
                last = i;
                break;
            }
        }
    } else {
        std::optional<RaceSurface> surface;
        if (marker + 1 < lines.size()) {
            if (const std::optional<QString> word = decodeCp932(trimBlanks(text(marker + 1))))
                surface = surfaceOfWord(*word);
        }
        if (!version.isEmpty() && number && surface && isEnd(marker + 2)) {
            found.block = SurfaceBlock::Read;
            found.surface = *surface;
            last = marker + 2;
        } else {
            // Whatever is there stays where it is: the block is taken only as far as an end line close by.
            found.block = SurfaceBlock::Damaged;
            const bool versionBad = version.isEmpty() || !number;
            found.problemLine = firstLine > 0 ? firstLine + static_cast<int>(marker + (versionBad ? 0 : 1)) : 0;
            if (isEnd(marker + 1))
                last = marker + 1;
            else if (isEnd(marker + 2))
                last = marker + 2;
        }
    }
    const qsizetype begin = lines[marker].begin;
    const qsizetype end = lines[last].end;
    found.bytes = bytes.sliced(begin, end - begin).toByteArray();
    found.offset = begin;
    return bytes.first(begin).toByteArray() + bytes.sliced(end).toByteArray();
}

RaceSurface readRaceSurface(QByteArrayView afterRace)
{
    SurfaceAfterRace found;
    takeSurfaceBlock(afterRace, found);
    return found.block == SurfaceBlock::Read ? found.surface : RaceSurface::Unknown;
}

QByteArray surfaceBlockBytes(RaceSurface surface)
{
    if (surface == RaceSurface::Unknown)
        return {};
    QByteArray bytes = markerBytes() + ' ' + QByteArray::number(blockVersion);
    bytes += lineEnd;
    bytes += *encodeCp932(surfaceText(surface));
    bytes += lineEnd;
    bytes += endBytes();
    bytes += lineEnd;
    return bytes;
}

QByteArray surfaceBytesToWrite(const SurfaceAfterRace& found, RaceSurface surface)
{
    if (found.block == SurfaceBlock::Read && found.surface == surface)
        return found.bytes;
    if (surface == RaceSurface::Unknown)
        return found.block == SurfaceBlock::Read ? QByteArray() : found.bytes;
    return surfaceBlockBytes(surface);
}

QByteArray withSurfaceBlock(QByteArray lines, const QByteArray& block, qsizetype offset)
{
    if (block.isEmpty())
        return lines;
    offset = std::clamp<qsizetype>(offset, 0, lines.size());
    QByteArray put = block;
    if (offset < lines.size() && !put.endsWith('\n') && !put.endsWith('\r'))
        put += lineEnd;
    lines.insert(offset, put);
    return lines;
}

QString surfaceBlockProblem(const SurfaceAfterRace& found)
{
    switch (found.block) {
    case SurfaceBlock::None:
    case SurfaceBlock::Read: return {};
    case SurfaceBlock::UnknownVersion:
        return QStringLiteral("芝・ダートの別は、このトキロの知らない形で書かれているため読めませんでした。");
    case SurfaceBlock::Damaged:
        if (found.problemLine > 0)
            return QStringLiteral("芝・ダートの別は、%1行目がこわれているため読めませんでした。")
                .arg(found.problemLine);
        return QStringLiteral("芝・ダートの別は、こわれているため読めませんでした。");
    }
    return {};
}

#include "racefile/tipster_block.h"

#include "core/name_text.h"
#include "racefile/cp932.h"
#include "racefile/race_lines.h"

#include <algorithm>
#include <array>
#include <vector>

using namespace racelines;

namespace {

constexpr int blockVersion = 1;

// The marker and end lines in code page 932.
const QByteArray& markerBytes()
{
    static const QByteArray bytes = *encodeCp932(u"[予想家ごとの印]");
    return bytes;
}
const QByteArray& endBytes()
{
    static const QByteArray bytes = *encodeCp932(u"[/予想家ごとの印]");
    return bytes;
}

// The marks as they stand in a marks line: ◎ ○ △ ▲ × ★ by kind, then ・ for none. Each is two bytes in code page 932,
// so a marks line is read without the converter.
constexpr std::array<std::array<char, 2>, markKindCount + 1> markPairs = {{
    {'\x81', '\x9D'}, // ◎
    {'\x81', '\x9B'}, // ○
    {'\x81', '\xA2'}, // △
    {'\x81', '\xA3'}, // ▲
    {'\x81', '\x7E'}, // ×
    {'\x81', '\x9A'}, // ★
    {'\x81', '\x45'}, // ・
}};

QByteArrayView lineBytes(QByteArrayView bytes, const BlockLine& line) { return bytes.sliced(line.begin, line.size); }

bool isMarker(QByteArrayView line) { return line.startsWith(markerBytes()); }
bool isEnd(QByteArrayView line) { return trimBlanks(line) == QByteArrayView(endBytes()); }

// The block read from its lines (first = the marker); what it holds, or where it stops making sense.
struct Parsed {
    GridBlock block = GridBlock::Damaged;
    int badLine = 0;     // index into the lines
    std::size_t end = 0; // Read: the index of its end line
    TipsterGrid grid;
};

Parsed parseBlock(QByteArrayView bytes, const std::vector<BlockLine>& lines, std::size_t first, int runners)
{
    Parsed parsed;
    const QByteArrayView version = trimBlanks(lineBytes(bytes, lines[first]).sliced(markerBytes().size()));
    const std::optional<double> number = numberOfLine(version);
    if (version.isEmpty() || !number) {
        parsed.badLine = static_cast<int>(first);
        return parsed;
    }
    if (*number != blockVersion) {
        parsed.block = GridBlock::UnknownVersion;
        return parsed;
    }
    std::size_t at = first + 1;
    auto fail = [&](std::size_t line) {
        parsed.badLine = static_cast<int>(std::min(line, lines.size()));
        parsed.grid = {};
        return parsed;
    };
    if (at >= lines.size())
        return fail(at);
    const std::optional<double> count = numberOfLine(lineBytes(bytes, lines[at]));
    if (!count || *count < 1 || *count > maxTipsters || *count != static_cast<int>(*count))
        return fail(at);
    ++at;
    const int tipsters = static_cast<int>(*count);
    for (int t = 0; t < tipsters; ++t, at += 2) {
        if (at + 1 >= lines.size())
            return fail(at);
        const std::optional<QString> name = decodeCp932(lineBytes(bytes, lines[at]));
        if (!name)
            return fail(at);
        TipsterColumn column(plainName(*name));
        const QByteArrayView marks = trimBlanks(lineBytes(bytes, lines[at + 1]));
        if (marks.size() != 2 * runners)
            return fail(at + 1);
        for (int r = 0; r < runners; ++r) {
            const char lead = marks[2 * r];
            const char second = marks[2 * r + 1];
            int kind = -2;
            for (int k = 0; k <= markKindCount && kind == -2; ++k) {
                if (markPairs[static_cast<std::size_t>(k)][0] == lead
                    && markPairs[static_cast<std::size_t>(k)][1] == second)
                    kind = k == markKindCount ? noMark : k;
            }
            if (kind == -2)
                return fail(at + 1);
            column.marks[static_cast<std::size_t>(r)] = static_cast<std::int8_t>(kind);
        }
        parsed.grid.columns.push_back(std::move(column));
    }
    if (at >= lines.size() || !isEnd(lineBytes(bytes, lines[at])))
        return fail(at);
    parsed.block = GridBlock::Read;
    parsed.end = at;
    return parsed;
}

} // namespace

AfterRace readAfterRace(QByteArrayView allBytes, int runners, int firstLine)
{
    AfterRace after;
    if (allBytes.isEmpty() || runners < 0 || runners > maxRunners)
        return after;
    const QByteArray rest = takeSurfaceBlock(allBytes, after.surface, firstLine);
    after.readGrid(rest, runners, firstLine);
    return after;
}

void AfterRace::readGrid(QByteArrayView bytes, int runners, int firstLine)
{
    AfterRace& after = *this;
    // The grid's lines are counted in the file: the surface block's stood before them when it was taken out there.
    const auto placeSurface = [&after, &bytes] {
        if (after.surface.block == SurfaceBlock::None)
            return;
        const qsizetype gridEnd = bytes.size() - after.otherLines.size();
        after.surface.beforeGrid = after.surface.offset <= after.linesBefore.size() && gridEnd > 0
                                   && !(after.linesBefore.isEmpty() && after.block == GridBlock::None);
        if (!after.surface.beforeGrid)
            after.surface.offset = std::max<qsizetype>(0, after.surface.offset - gridEnd);
    };
    if (surface.block != SurfaceBlock::None && firstLine > 0)
        firstLine += static_cast<int>(std::count(surface.bytes.begin(), surface.bytes.end(), '\n'));
    const std::vector<BlockLine> lines = splitBlockLines(bytes);
    std::size_t marker = 0;
    while (marker < lines.size() && !isMarker(lineBytes(bytes, lines[marker])))
        ++marker;
    if (marker == lines.size()) {
        after.otherLines = bytes.toByteArray();
        placeSurface();
        return;
    }
    // A block read whole ends where its counts say (a tipster may be named like the end line); one that cannot be
    // read ends at its end line, or runs to the end of the file without one.
    Parsed parsed = parseBlock(bytes, lines, marker, runners);
    std::size_t last = marker + 1;
    if (parsed.block == GridBlock::Read)
        last = parsed.end;
    while (last < lines.size() && !isEnd(lineBytes(bytes, lines[last])))
        ++last;
    const qsizetype blockBegin = lines[marker].begin;
    const qsizetype blockEnd = last < lines.size() ? lines[last].end : bytes.size();
    after.linesBefore = bytes.first(blockBegin).toByteArray();
    after.otherLines = bytes.sliced(blockEnd).toByteArray();

    after.block = parsed.block;
    placeSurface();
    if (parsed.block == GridBlock::Read) {
        after.grid = std::move(parsed.grid);
        return;
    }
    after.unreadBlock = bytes.sliced(blockBegin, blockEnd - blockBegin).toByteArray();
    if (parsed.block == GridBlock::Damaged && firstLine > 0)
        after.problemLine = firstLine + parsed.badLine;
}

GridBlock readTipsterGrid(QByteArrayView bytes, int runners, TipsterGrid& grid)
{
    AfterRace after = readAfterRace(bytes, runners);
    if (after.block == GridBlock::Read)
        grid = std::move(after.grid);
    return after.block;
}

QByteArray afterRaceBytes(const AfterRace& after, const QByteArray& gridBlock, const QByteArray& surfaceBlock)
{
    QByteArray before = after.linesBefore;
    QByteArray others = after.otherLines;
    if (after.surface.block == SurfaceBlock::None)
        before = withSurfaceBlock(before, surfaceBlock, 0);
    else if (after.surface.beforeGrid)
        before = withSurfaceBlock(before, surfaceBlock, after.surface.offset);
    else
        others = withSurfaceBlock(others, surfaceBlock, after.surface.offset);
    QByteArray bytes;
    for (const QByteArray* part : std::initializer_list<const QByteArray*>{
             &before, gridBlock.isEmpty() ? &after.unreadBlock : &gridBlock, &others}) {
        if (part->isEmpty())
            continue;
        if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
            bytes += lineEnd;
        bytes += *part;
    }
    return bytes;
}

std::optional<QByteArray> tipsterBlockBytes(const TipsterGrid& grid, int runners, QString* error)
{
    QByteArray bytes;
    if (grid.empty() || runners < 0 || runners > maxRunners)
        return bytes;
    auto line = [&bytes](const QByteArray& content) {
        bytes += content;
        bytes += lineEnd;
    };
    line(markerBytes() + ' ' + QByteArray::number(blockVersion));
    line(numberLineBytes(static_cast<double>(grid.columns.size())));
    for (std::size_t t = 0; t < grid.columns.size(); ++t) {
        const TipsterColumn& column = grid.columns[t];
        QString unwritable;
        const std::optional<QByteArray> name = encodeCp932(storableText(plainName(column.name)), &unwritable);
        if (!name) {
            if (error)
                *error = QStringLiteral("予想家「%1」の名前に、レースファイルに書けない文字「%2」があります。")
                             .arg(column.name, unwritable);
            return std::nullopt;
        }
        line(*name);
        for (int r = 0; r < runners; ++r) {
            const int kind = column.marks[static_cast<std::size_t>(r)];
            const auto& pair =
                markPairs[static_cast<std::size_t>(kind >= 0 && kind < markKindCount ? kind : markKindCount)];
            bytes.append(pair.data(), 2);
        }
        bytes += lineEnd;
    }
    line(endBytes());
    return bytes;
}

QString gridBlockProblem(const AfterRace& after)
{
    switch (after.block) {
    case GridBlock::None:
    case GridBlock::Read: return {};
    case GridBlock::UnknownVersion:
        return QStringLiteral("予想家ごとの印は、このトキロの知らない形で書かれているため読めませんでした。");
    case GridBlock::Damaged:
        if (after.problemLine > 0)
            return QStringLiteral("予想家ごとの印は、%1行目がこわれているため読めませんでした。")
                .arg(after.problemLine);
        return QStringLiteral("予想家ごとの印は、こわれているため読めませんでした。");
    }
    return {};
}

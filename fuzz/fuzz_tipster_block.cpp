// libFuzzer target for the tipster grid's block after the income line (racefile/tipster_block.h). An input is one byte
// for the number of runners (its value modulo 22) and then the bytes after the income line. Checked: the two readers
// agree; a block that reads fits the tables and is written as a block that reads back as the same grid; a block
// that does not read says why and keeps its bytes, and the bytes around a block are kept.
#include "racefile/tipster_block.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString failure(QByteArrayView bytes, int runners)
{
    const AfterRace after = readAfterRace(bytes, runners, 15 + 7 * runners);
    TipsterGrid only;
    if (readTipsterGrid(bytes, runners, only) != after.block)
        return QStringLiteral("the two readers disagree on the block");
    switch (after.block) {
    case GridBlock::None:
        if (!after.unreadBlock.isEmpty() || !after.grid.empty()
            || afterRaceBytes(after, {}, after.surface.bytes) != bytes)
            return QStringLiteral("without a block, the bytes are not kept as they are");
        return {};
    case GridBlock::Damaged:
    case GridBlock::UnknownVersion:
        if (after.unreadBlock.isEmpty() || gridBlockProblem(after).isEmpty())
            return QStringLiteral("a block that does not read keeps no bytes or says nothing");
        if (after.linesBefore.size() + after.unreadBlock.size() + after.otherLines.size() + after.surface.bytes.size()
            != bytes.size())
            return QStringLiteral("a block that does not read: bytes lost or made up");
        return {};
    case GridBlock::Read: break;
    }
    if (only != after.grid)
        return QStringLiteral("the two readers read different grids");
    const TipsterGrid& grid = after.grid;
    if (grid.columns.empty() || grid.columns.size() > std::size_t(maxTipsters))
        return QStringLiteral("a grid read with a number of tipsters outside 1..16");
    for (const TipsterColumn& column : grid.columns) {
        for (int r = 0; r < maxRunners; ++r) {
            const int mark = column.marks[std::size_t(r)];
            if (mark < noMark || mark >= markKindCount || (r >= runners && mark != noMark))
                return QStringLiteral("a mark read outside the kinds or the runners");
        }
    }
    const std::optional<QByteArray> written = tipsterBlockBytes(grid, runners);
    if (!written)
        return QStringLiteral("a grid that was read cannot be written");
    TipsterGrid again;
    if (readTipsterGrid(*written, runners, again) != GridBlock::Read || again != grid)
        return QStringLiteral("a grid written does not read back as itself");
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int runners = data[0] % (maxRunners + 1);
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const QString problem = failure(bytes, runners);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s (%d runners)\n", problem.toUtf8().constData(), runners);
        std::abort();
    }
    return 0;
}

#include "racefile/catalogue.h"

#include "core/numbers.h"
#include "racefile/race_bytes.h"
#include "racefile/race_lines.h"

#include <QStringBuilder>

using namespace racelines;

namespace {

// Balance lines are read as numbers: a missing, empty or non-number line counts as 0.
double balanceNumber(const RaceFileLines& lines, int line)
{
    const std::optional<double> value = lines.has(line) ? numberOfLine(lines.bytesOf(line)) : std::nullopt;
    return value.value_or(0);
}

} // namespace

CatalogueEntry catalogueEntryOf(const RaceFileLines& lines, const QString& fileName)
{
    CatalogueEntry entry;
    entry.fileName = fileName;
    // What could be read of the header is kept even for a file that is not trusted, so that its line can show it.
    entry.raceDate = lines.trimmedText(1);
    entry.raceNumberText = lines.trimmedText(2);
    entry.raceName = lines.trimmedText(3);
    entry.sortKey = entry.raceDate % lastOfZeros(entry.raceNumberText, 2);
    entry.readable = lines.trusted();
    if (!entry.readable)
        return entry;
    const int n = lines.runnerCount();
    entry.runnerCount = static_cast<std::int16_t>(n);
    // A short file lacks some tail lines: they read as empty text (results) or 0 (balance).
    entry.firstPlace = lines.trimmedText(firstPlaceLine(n));
    entry.secondPlace = lines.trimmedText(secondPlaceLine(n));
    entry.payout = lines.trimmedText(payoutLine(n));
    entry.stake = balanceNumber(lines, stakeLine(n));
    entry.income = balanceNumber(lines, incomeLine(n));
    return entry;
}

CatalogueEntry catalogueEntryFromBytes(QByteArray bytes, const QString& fileName)
{
    return catalogueEntryOf(RaceFileLines::parse(std::move(bytes), true), fileName);
}

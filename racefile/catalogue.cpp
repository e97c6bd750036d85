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

// A tail line's text as the entry holds it: the text the race read already holds when it is a text, else made.
QString tailText(const RaceFileLines& lines, int line, const TailValue* read)
{
    if (read && read->kind == TailValue::Kind::Text)
        return read->text;
    return lines.trimmedText(line);
}

} // namespace

CatalogueEntry catalogueEntryOf(const RaceFileLines& lines, const QString& fileName, const LoadedRace* read)
{
    CatalogueEntry entry;
    entry.fileName = fileName;
    // What could be read of the header is kept even for a file that is not trusted, so that its line can show it. A
    // trusted file's header lines are read alike by the race.
    const bool shared = read && lines.trusted();
    entry.raceDate = shared ? read->race.raceDate : lines.trimmedText(1);
    entry.raceNumberText = lines.trimmedText(2);
    entry.raceName = shared ? read->race.raceName : lines.trimmedText(3);
    entry.sortKey = entry.raceDate % lastOfZeros(entry.raceNumberText, 2);
    entry.readable = lines.trusted();
    if (!entry.readable)
        return entry;
    const int n = lines.runnerCount();
    entry.runnerCount = static_cast<std::int16_t>(n);
    // A short file lacks some tail lines: they read as empty text (results) or 0 (balance).
    entry.firstPlace = tailText(lines, firstPlaceLine(n), shared ? &read->tail.firstPlace : nullptr);
    entry.secondPlace = tailText(lines, secondPlaceLine(n), shared ? &read->tail.secondPlace : nullptr);
    entry.payout = tailText(lines, payoutLine(n), shared ? &read->tail.payout : nullptr);
    entry.stake = balanceNumber(lines, stakeLine(n));
    entry.income = balanceNumber(lines, incomeLine(n));
    return entry;
}

CatalogueEntry catalogueEntryFromBytes(QByteArray bytes, const QString& fileName)
{
    return catalogueEntryOf(RaceFileLines::parse(std::move(bytes), true), fileName);
}

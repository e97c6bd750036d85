#include "racefile/catalogue.h"

#include "core/numbers.h"
#include "racefile/race_bytes.h"
#include "racefile/race_lines.h"

#include <QStringBuilder>
#include <QtConcurrent/QtConcurrentMap>

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

namespace {

QString raceNumberPiece(const CatalogueEntry& entry)
{
    return padTo(u"第" % lastOfZeros(entry.raceNumberText, 2) % u"ﾚｰｽ", 8);
}

// Stands in for the result or balance pieces of a file that could not be read as a race; the file name takes the
// place of the race name, since the name lines may be what is broken.
const QString unreadableNote = QStringLiteral("＊このファイルは読めません＊");

} // namespace

CatalogueEntry catalogueEntryFromBytes(QByteArray bytes, const QString& fileName)
{
    return catalogueEntryOf(RaceFileLines::parse(std::move(bytes), true), fileName);
}

QString resultSummaryLine(const CatalogueEntry& entry)
{
    QString line;
    line.reserve(74);
    line += u"  " % padTo(entry.raceDate, 12) % raceNumberPiece(entry);
    if (!entry.readable)
        return line % padTo(unreadableNote, 8 + 8 + 1 + 15) % padTo(entry.fileName, 20);
    line += padTo(u"一着：" % lastOfZeros(entry.firstPlace, 2) % u"番", 8);
    line += padTo(u"二着：" % lastOfZeros(entry.secondPlace, 2) % u"番", 8);
    line += u' ';
    // An amount is never cut: a payout too long for its piece widens the line instead.
    line += padAtLeast(u"配当金：" % zeroFilled(entry.payout, 6) % u"円", 15);
    line += padTo(entry.raceName, 20);
    return line;
}

QString balanceSummaryLine(const CatalogueEntry& entry)
{
    QString line;
    line.reserve(77);
    line += u"  " % padTo(entry.raceDate, 10) % raceNumberPiece(entry);
    if (!entry.readable)
        return line % padTo(unreadableNote, 12 + 12 + 1 + 12) % padTo(entry.fileName, 20);
    // Amounts are never cut: one too long for its piece widens the line instead.
    line += padAtLeast(u"支出：" % formatYen(entry.stake), 12);
    line += padAtLeast(u"収入：" % formatYen(entry.income), 12);
    line += u' ';
    line += padAtLeast(u"差額：" % formatYen(entry.income - entry.stake), 12);
    line += padTo(entry.raceName, 20);
    return line;
}

QStringList summaryLines(const std::vector<CatalogueEntry>& entries, QString (*line)(const CatalogueEntry&))
{
    // Starting the other threads costs more than making a few lines.
    if (entries.size() < 256) {
        QStringList lines;
        lines.reserve(static_cast<qsizetype>(entries.size()));
        for (const CatalogueEntry& entry : entries)
            lines.append(line(entry));
        return lines;
    }
    return QtConcurrent::blockingMapped<QStringList>(entries, line);
}

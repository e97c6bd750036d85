#include "racefile/catalogue.h"

#include "core/numbers.h"
#include "racefile/race_bytes.h"
#include "racefile/race_lines.h"

#include <QDir>
#include <QStringBuilder>

#include <algorithm>
#include <numeric>

using namespace racelines;

namespace {

// Balance lines are read as numbers: a missing, empty or non-number line counts as 0.
double balanceNumber(const RaceFileLines& lines, int line)
{
    const std::optional<double> value = lines.has(line) ? numberOfLine(lines.bytesOf(line)) : std::nullopt;
    return value.value_or(0);
}

CatalogueEntry entryOf(const RaceFileLines& lines, const QString& fileName)
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
    return entryOf(RaceFileLines::parse(std::move(bytes), true), fileName);
}

namespace {
// Lists "*.tkr" in the folder, makes one item of each file's lines, and sorts the items by their entries' keys.
template <typename Item, typename MakeItem>
std::vector<Item> listSorted(const QString& folder, bool throughBalance, MakeItem makeItem,
                             const CatalogueEntry& (*entryOfItem)(const Item&))
{
    const QDir dir(folder);
    // Name filters are case-insensitive unless QDir::CaseSensitive is given: "A.TKR" and "b.Tkr" are listed too.
    const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.tkr")}, QDir::Files, QDir::Unsorted);
    std::vector<Item> items;
    items.reserve(static_cast<std::size_t>(files.size()));
    // The listing has looked at every file already; its size saves asking again.
    for (const QFileInfo& file : files)
        items.push_back(makeItem(RaceFileLines::load(file.filePath(), throughBalance, file.size()), file.fileName()));
    // Ordinal order of the keys (character codes, no locale); equal keys keep both races, ordered by file name.
    // The order is worked out on indexes, so that each item is moved once.
    std::vector<std::size_t> order(items.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::sort(order.begin(), order.end(), [&items, entryOfItem](std::size_t a, std::size_t b) {
        const CatalogueEntry& first = entryOfItem(items[a]);
        const CatalogueEntry& second = entryOfItem(items[b]);
        if (const int byKey = QString::compare(first.sortKey, second.sortKey, Qt::CaseSensitive))
            return byKey < 0;
        return QString::compare(first.fileName, second.fileName, Qt::CaseSensitive) < 0;
    });
    std::vector<Item> sorted;
    sorted.reserve(items.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(items[i]));
    return sorted;
}

const CatalogueEntry& itself(const CatalogueEntry& entry) { return entry; }

const CatalogueEntry& entryOfRace(const CataloguedRace& race) { return race.entry; }
} // namespace

std::vector<CatalogueEntry> buildCatalogue(const QString& folder)
{
    return listSorted<CatalogueEntry>(folder, true, entryOf, itself);
}

std::vector<CataloguedRace> buildRaceCatalogue(const QString& folder, ReadScope scope)
{
    auto makeRace = [scope](const RaceFileLines& lines, const QString& fileName) {
        CataloguedRace item;
        item.entry = entryOf(lines, fileName);
        item.read = readRaceLines(lines, item.race, scope, fileName);
        return item;
    };
    return listSorted<CataloguedRace>(folder, scope == ReadScope::Whole, makeRace, entryOfRace);
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

#include "record/list_lines.h"

#include "core/numbers.h"
#include "racefile/catalogue.h"
#include "racefile/file_names.h"
#include "racefile/race_folder.h"
#include "record/race_record.h"

#include <QStringBuilder>
#include <QtConcurrent/QtConcurrentMap>

#include <numeric>

namespace {

QString raceNumberPiece(const CatalogueEntry& entry)
{
    return padTo(u"第" % lastOfZeros(entry.raceNumberText, 2) % u"ﾚｰｽ", 8);
}

// Stands in for the result or balance pieces of a file that could not be read as a race; the file name takes the
// place of the race name, since the name lines may be what is broken.
const QString unreadableNote = QStringLiteral("＊このファイルは読めません＊");

const QString hitMarker = QStringLiteral("［あたり！］　");
const QString missMarker = QStringLiteral("［はずれ！］　");
// Same width as the two markers, for a file that could not be read as a race: it is shown but not counted.
const QString unreadableMarker = QStringLiteral("［読めません］");

// The line of every item, made on every core once there are enough of them to pay for starting the other threads.
template <typename Item, typename Line>
QStringList linesOf(const std::vector<Item>& items, Line line)
{
    if (items.size() < 256) {
        QStringList lines;
        lines.reserve(static_cast<qsizetype>(items.size()));
        for (const Item& item : items)
            lines.append(line(item));
        return lines;
    }
    return QtConcurrent::blockingMapped<QStringList>(items, line);
}

} // namespace

QString resultSummaryLine(const CatalogueEntry& entry)
{
    QString line;
    line.reserve(74);
    line += u"  " % padTo(entry.raceDate, 12) % raceNumberPiece(entry);
    if (!entry.readable)
        return line % padTo(unreadableNote, 8 + 8 + 1 + 15) % padTo(shownFileName(entry.fileName), 20);
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
        return line % padTo(unreadableNote, 12 + 12 + 1 + 12) % padTo(shownFileName(entry.fileName), 20);
    // Amounts are never cut: one too long for its piece widens the line instead.
    line += padAtLeast(u"支出：" % formatYen(entry.stake), 12);
    line += padAtLeast(u"収入：" % formatYen(entry.income), 12);
    line += u' ';
    line += padAtLeast(u"差額：" % formatYen(entry.income - entry.stake), 12);
    line += padTo(entry.raceName, 20);
    return line;
}

QString recordLine(const RaceOutcome& race)
{
    if (!race.readable())
        return unreadableMarker % padTo(shownFileName(race.fileName().toString()), 65);
    // The record's list shows the pair as a ticket, the lower number first; the race keeps the order of the file.
    const bool swapped = race.secondValue() < race.firstValue();
    const QString lower = (swapped ? race.secondLine() : race.firstLine()).toString();
    const QString higher = (swapped ? race.firstLine() : race.secondLine()).toString();
    return (race.hit() ? hitMarker : missMarker) % padTo(race.raceDate().toString(), 12)
           % padTo(u"第" % lastOfZeros(QString::number(race.raceNumber()), 2) % u"ﾚｰｽ　　馬連結果：", 14)
           % lastOfZeros(lower, 2) % u" - " % lastOfZeros(higher, 2) % u"     "
           % padAtLeast(u"配当金：" % zeroFilled(race.payoutLine().toString(), 6) % u"円", 15)
           % padTo(race.raceName().toString(), 12);
}

QStringList summaryLines(const std::vector<CatalogueEntry>& entries, QString (*line)(const CatalogueEntry&))
{
    return linesOf(entries, line);
}

RecordList recordListOf(const QString& folder)
{
    // Read up to the result lines, as this screen always has: damaged balance lines do not keep a race out.
    const FolderRecord tally = tallyFolder(folder, ReadScope::ThroughResults);
    const RaceList& races = tally.races;
    std::vector<std::size_t> rows(races.size());
    std::iota(rows.begin(), rows.end(), std::size_t{0});
    RecordList list;
    list.lines = linesOf(rows, [&races](std::size_t race) { return recordLine(races[race]); });
    list.fileNames.reserve(static_cast<qsizetype>(races.size()));
    for (const std::size_t race : rows) {
        list.fileNames.append(races.text(RaceText::FileName, race).toString());
        if (races.readable[race])
            list.lastCounted = list.fileNames.back();
    }
    list.totals = tally.record;
    return list;
}

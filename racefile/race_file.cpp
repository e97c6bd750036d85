#include "racefile/race_file.h"

#include "core/name_text.h"
#include "core/numbers.h"
#include "core/system_error.h"
#include "racefile/cp932.h"
#include "racefile/file_bytes.h"
#include "racefile/file_names.h"
#include "racefile/race_bytes.h"
#include "racefile/race_lines.h"
#include "racefile/save_file.h"

#include <QFileInfo>

#include <algorithm>

using namespace racelines;

namespace {

// Builds the lines of a file, one field at a time, and remembers the first field that cannot be written.
class LineWriter {
public:
    void text(QStringView value, const QString& field)
    {
        if (!error.isEmpty())
            return;
        QString unwritable;
        const std::optional<QByteArray> encoded = encodeCp932(storableText(value), &unwritable);
        if (!encoded) {
            error = QStringLiteral("「%1」に、レースファイルに書けない文字「%2」があります。").arg(field, unwritable);
            return;
        }
        bytes += *encoded;
        bytes += lineEnd;
    }
    void number(double value)
    {
        bytes += numberLineBytes(value);
        bytes += lineEnd;
    }
    // A number held as text (a long one, kept digit for digit) is written as a number line of those digits.
    void numberOf(const QString& text)
    {
        const TypedNumber digits = readTypedNumber(text);
        if (digits.kind == TypedNumber::Kind::Number)
            bytes += numberLineBytes(digits.plain);
        else
            bytes += numberLineBytes(0.0);
        bytes += lineEnd;
    }
    void empty() { bytes += lineEnd; }

    // Unset: an empty line; a number: a number line; a text: a text line.
    void optional(const TailValue& value, const QString& field)
    {
        switch (value.kind) {
        case TailValue::Kind::Unset: empty(); break;
        case TailValue::Kind::Number: number(value.number); break;
        case TailValue::Kind::Text: text(value.text, field); break;
        }
    }

    QByteArray bytes;
    QString error;
};

// Reads the fields front to back with the fallbacks of a load that skips what fails: a missing text line gives the
// text read before it (the shared read buffer), a number line that is missing, not a number or too large for 16 bits
// gives the last good number (0 before the first), a tail line that is missing stays unset.
class FieldReader {
public:
    explicit FieldReader(const RaceFileLines& lines) : lines_(lines) {}

    QString text(int line)
    {
        if (lines_.hasText(line))
            lineBuffer_ = lines_.trimmedText(line);
        return lineBuffer_;
    }
    std::int16_t number16(int line)
    {
        // Nearly every number line is written as " 7 " or " 12 " (a race has over a hundred mark lines): those are
        // read directly.
        const QByteArrayView bytes = lines_.bytesOf(line);
        if ((bytes.size() == 3 || bytes.size() == 4) && bytes.front() == ' ' && bytes.back() == ' ') {
            int value = 0;
            qsizetype i = 1;
            for (; i < bytes.size() - 1 && bytes[i] >= '0' && bytes[i] <= '9'; ++i)
                value = value * 10 + (bytes[i] - '0');
            if (i == bytes.size() - 1)
                return scratch_ = static_cast<std::int16_t>(value);
        }
        if (lines_.has(line)) {
            const std::optional<double> value = numberOfLine(lines_.bytesOf(line));
            if (const std::optional<std::int16_t> whole = value ? toInt16(*value) : std::nullopt)
                scratch_ = *whole;
        }
        return scratch_;
    }
    TailValue optional(int line) const
    {
        // A line of plain digits, as nearly every result line is, is read without making its text.
        if (lines_.hasText(line)) {
            const QByteArrayView bytes = trimBlanks(lines_.bytesOf(line));
            double whole = 0;
            qsizetype i = 0;
            for (; i < bytes.size() && i < 15 && bytes[i] >= '0' && bytes[i] <= '9'; ++i)
                whole = whole * 10 + (bytes[i] - '0');
            if (i > 0 && i == bytes.size())
                return TailValue::ofNumber(whole);
        }
        QString value = lines_.trimmedText(line);
        if (value.isEmpty())
            return TailValue::unset();
        if (holdsNumber(lines_.bytesOf(line)))
            return numberValueOf(std::move(value));
        return TailValue::ofText(std::move(value));
    }
    TailValue textValue(int line) const
    {
        QString value = lines_.trimmedText(line);
        return value.isEmpty() ? TailValue::unset() : TailValue::ofText(std::move(value));
    }
    // Read as a number of any size: an income beyond 32 bits is still the user's income.
    TailValue income(int line) const
    {
        if (!holdsNumber(lines_.bytesOf(line)))
            return TailValue::ofNumber(0);
        return numberValueOf(lines_.trimmedText(line));
    }

private:
    // A number line whose digits its value gives back exactly is held as that number; a longer one keeps its own
    // digits as text, so that a save writes the very number it was loaded with.
    static TailValue numberValueOf(QString text)
    {
        // Plain whole numbers, by far the most common, always come back exactly.
        if (const std::optional<double> whole = plainWholeNumber(text))
            return TailValue::ofNumber(*whole);
        const double value = *numberOfLine(QByteArrayView(text.toLatin1()));
        const TypedNumber digits = readTypedNumber(text);
        if (digits.kind == TypedNumber::Kind::Number && digits.length == text.size() && !heldExactly(digits))
            return TailValue::ofText(std::move(text));
        return TailValue::ofNumber(value);
    }

    const RaceFileLines& lines_;
    QString lineBuffer_;
    std::int16_t scratch_ = 0;
};

// A file is written only when its readers would read it back: its race lines within what every reader reads, its
// grid as the readers of many races find it, the whole within what a rewrite or a load reads.
FileResult readableBack(const QByteArray& bytes, qsizetype raceEnd, const RaceState& race)
{
    const auto refused = [](const QString& why) {
        return FileResult::failed(why + QStringLiteral("保存すると読み込めないファイルになるため、保存しません。"));
    };
    if (raceEnd >= maxBytes && bytes.size() > maxBytes)
        return refused(QStringLiteral("馬名などの文字が多すぎて、レースの行が%1MBを超えます。").arg(maxBytes >> 20));
    if (bytes.size() > maxRewriteBytes)
        return refused(QStringLiteral("レースのあとのほかのプログラムの行を合わせると、ファイルが%1MBを超えます。")
                           .arg(maxRewriteBytes >> 20));
    if (!race.tipsters.empty()) {
        // As those readers read it: the first maxBytes, and one byte more to tell that there are more.
        const RaceFileLines lines = RaceFileLines::parse(bytes.first(std::min(bytes.size(), maxBytes + 1)));
        TipsterGrid grid;
        if (!lines.trusted() || readTipsterGrid(lines.afterRace(), race.runnerCount, grid) != GridBlock::Read)
            return refused(
                QStringLiteral("予想家ごとの印が、ファイルの先頭から%1MBのうちに収まりません。").arg(maxBytes >> 20));
    }
    return FileResult::done();
}

} // namespace

FileResult readRaceLines(const RaceFileLines& lines, LoadedRace& out, ReadScope scope, const QString& fileName,
                         RunnerNames names)
{
    if (!lines.trusted())
        return {false, lines.problemMessage(shownFileName(fileName))};

    LoadedRace loaded;
    RaceState& race = loaded.race;
    FieldReader read(lines);
    race.raceDate = read.text(1);
    race.raceNumber = read.number16(2);
    race.raceName = read.text(3);
    race.gradedText = read.text(4);
    race.courseName = read.text(5);
    race.distanceText = read.text(6);
    race.ticketCount = read.number16(7);
    race.runnerCount = read.number16(runnerCountLine); // trusted: line 8 holds a count in 0..21
    race.aimMode = read.number16(9);
    const int n = race.runnerCount;
    for (int r = 0; r < n && names == RunnerNames::Read; ++r)
        race.runnerNames[static_cast<std::size_t>(r)] = plainName(read.text(firstNameLine + r));
    for (int r = 0; r < n; ++r) {
        for (int k = 0; k < markKindCount; ++k) {
            const std::int16_t mark = read.number16(firstMarkLine(n) + 6 * r + k);
            // A short file lends a missing mark the last number read, which need not be a count.
            if (mark < 0 || mark > maxMarksPerRunner)
                return {false, QStringLiteral("レースファイル「%1」は途中で切れていて、印の数を読めません。")
                                   .arg(shownFileName(fileName))};
            race.markSheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] = mark;
        }
    }
    loaded.tail.firstPlace = read.optional(firstPlaceLine(n));
    loaded.tail.secondPlace = read.optional(secondPlaceLine(n));
    loaded.tail.payout = read.textValue(payoutLine(n));
    if (scope == ReadScope::Whole) {
        loaded.tail.stake = read.optional(stakeLine(n));
        loaded.tail.income = read.income(incomeLine(n));
        loaded.after = readAfterRace(lines.afterRace(), n, lineCount(n) + 1);
        loaded.after.readInPart = lines.cutShort();
        if (loaded.after.surface.block == SurfaceBlock::Read)
            race.surface = loaded.after.surface.surface;
        if (loaded.after.block == GridBlock::Read) {
            race.tipsters = loaded.after.grid;
            loaded.gridMarksTaken = fitGridToCounts(race);
        }
    }
    out = std::move(loaded);
    return {true, {}};
}

FileResult raceFileBytes(const RaceState& race, const TailLines& tail, QByteArray& out, const AfterRace& after)
{
    const int n = race.runnerCount;
    if (n < 0 || n > maxRunners)
        return {false,
                QStringLiteral("出走頭数（%1）が0～%2の範囲にないため、保存できません。").arg(n).arg(maxRunners)};
    for (int r = 0; r < n; ++r) {
        for (int k = 0; k < markKindCount; ++k) {
            const int mark = race.markSheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
            if (mark < 0 || mark > maxMarksPerRunner)
                return {false, QStringLiteral("%1番の印の数（%2）が0～%3の範囲にないため、保存できません。")
                                   .arg(r + 1)
                                   .arg(mark)
                                   .arg(maxMarksPerRunner)};
        }
    }

    LineWriter write;
    write.text(race.raceDate, QStringLiteral("レース日付"));
    write.number(race.raceNumber);
    write.text(race.raceName, QStringLiteral("レース名"));
    write.text(race.gradedText, QStringLiteral("重賞"));
    write.text(race.courseName, QStringLiteral("競馬場"));
    write.text(race.distanceText, QStringLiteral("距離"));
    write.number(race.ticketCount);
    write.number(race.runnerCount);
    write.number(race.aimMode);
    for (int r = 0; r < n; ++r)
        write.text(plainName(race.runnerNames[static_cast<std::size_t>(r)]), QStringLiteral("%1番の馬名").arg(r + 1));
    for (int r = 0; r < n; ++r) {
        for (int k = 0; k < markKindCount; ++k)
            write.number(race.markSheet[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)]);
    }
    write.optional(tail.firstPlace, QStringLiteral("一着"));
    write.optional(tail.secondPlace, QStringLiteral("二着"));
    // The payout is a text line: a number goes in as its digits, without the blanks of a number line.
    if (tail.payout.kind == TailValue::Kind::Number)
        write.text(numberText(tail.payout.number), QStringLiteral("配当金"));
    else
        write.text(tail.payout.text, QStringLiteral("配当金"));
    write.optional(tail.stake, QStringLiteral("馬券購入金額"));
    switch (tail.income.kind) {
    case TailValue::Kind::Unset: write.number(0); break;
    case TailValue::Kind::Number: write.number(tail.income.number); break;
    case TailValue::Kind::Text: write.numberOf(tail.income.text); break;
    }
    if (!write.error.isEmpty())
        return {false, write.error};
    if (after.readInPart)
        return {false,
                QStringLiteral("読み込んだレースファイルは%1MBを超えていて、レースのあとの部分を全部は読み込めません"
                               "でした。保存すると残りが失われるため、保存しません。")
                    .arg(maxRewriteBytes >> 20)};
    // A block that could not be read is written back as it was found, unless the race now has a grid of its own.
    QByteArray block;
    if (!race.tipsters.empty()) {
        QString error;
        std::optional<QByteArray> own = tipsterBlockBytes(race.tipsters, n, &error);
        if (!own)
            return {false, error};
        block = std::move(*own);
    }
    const qsizetype raceEnd = write.bytes.size();
    write.bytes += afterRaceBytes(after, block, surfaceBytesToWrite(after.surface, race.surface));
    if (FileResult readable = readableBack(write.bytes, raceEnd, race); !readable.ok)
        return readable;
    out = std::move(write.bytes);
    return {true, {}};
}

FileResult parseRaceFile(QByteArray bytes, LoadedRace& out, ReadScope scope, const QString& fileName)
{
    const bool whole = scope == ReadScope::Whole;
    const RaceFileLines lines = RaceFileLines::parse(std::move(bytes), whole, whole ? maxRewriteBytes : maxBytes);
    return readRaceLines(lines, out, scope, fileName);
}

FileResult writeRaceFile(const QString& path, const RaceState& race, const TailLines& tail, const AfterRace& after,
                         LockWait* lockWait)
{
    QByteArray bytes;
    if (FileResult built = raceFileBytes(race, tail, bytes, after); !built.ok)
        return built;
    // The save would put a file in the place of a pipe or a device, or of whatever a link there leads to. (A folder
    // in the way is refused by the save itself.)
    if (takenBySpecialFile(path))
        return {false,
                QStringLiteral("「%1」はふつうのファイルではない（装置やパイプなど）ため、そこには保存できません。")
                    .arg(QFileInfo(path).fileName())};
    const SaveResult saved = saveWholeFile(path, bytes, {}, lockWait);
    if (saved.stoppedWaiting)
        return {false, QStringLiteral(
                           "待つのをやめたため、レースファイル「%1」は保存しませんでした。元のファイルはそのままです。")
                           .arg(QFileInfo(path).fileName())};
    if (!saved.ok)
        return {false, QStringLiteral("レースファイル「%1」を保存できませんでした（%2）。元のファイルはそのままです。")
                           .arg(QFileInfo(path).fileName(), japaneseReason(saved.reason))};
    return {true, {}};
}

FileResult readRaceFile(const QString& path, LoadedRace& out, ReadScope scope)
{
    // A whole race is read as a rewrite reads it, up to maxRewriteBytes: what follows the race lines is kept for the
    // next save, so it must be all there (or known not to be).
    const RaceFileLines lines = scope == ReadScope::Whole
                                    ? RaceFileLines::of(readFileBytes(path, maxRewriteBytes), true)
                                    : RaceFileLines::load(path, false);
    return readRaceLines(lines, out, scope, QFileInfo(path).fileName());
}

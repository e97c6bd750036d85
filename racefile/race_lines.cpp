#include "racefile/race_lines.h"

#include "core/numbers.h"
#include "prediction/mark_sheet.h"
#include "racefile/cp932.h"
#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace racelines {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::optional<double> parseNumber(QByteArrayView text)
{
    // Most number lines hold a few digits: read those directly.
    if (!text.isEmpty() && text.size() <= 9) {
        const bool negative = text[0] == '-';
        qsizetype i = negative ? 1 : 0;
        int whole = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            whole = whole * 10 + (text[i] - '0');
        if (i == text.size() && i > (negative ? 1 : 0))
            return negative ? -static_cast<double>(whole) : static_cast<double>(whole);
    }
    const char* begin = text.data();
    const char* const end = begin + text.size();
    // from_chars takes no plus sign; "+5" is a number as the user would have typed it.
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin != end && (*begin == '+' || *begin == '-'))
            return std::nullopt;
    }
    if (begin == end)
        return std::nullopt;
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
    // isfinite also turns away the "inf" and "nan" that from_chars would take.
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin].unicode()))
        ++begin;
    while (end > begin && isBlank(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin);
}

QByteArrayView trimBlanks(QByteArrayView bytes)
{
    // Safe on code page 932 bytes: neither blank can be the second byte of a pair.
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isBlank(static_cast<unsigned char>(bytes[begin])))
        ++begin;
    while (end > begin && isBlank(static_cast<unsigned char>(bytes[end - 1])))
        --end;
    return bytes.sliced(begin, end - begin);
}

std::optional<double> numberOfLine(QByteArrayView line)
{
    const QByteArrayView value = trimBlanks(line);
    if (value.isEmpty())
        return 0.0;
    return parseNumber(value);
}

bool holdsNumber(QByteArrayView line)
{
    const QByteArrayView value = trimBlanks(line);
    return !value.isEmpty() && parseNumber(value).has_value();
}

QByteArray numberLineBytes(double value) { return numberLineBytes(numberText(value)); }

QByteArray numberLineBytes(QStringView plain)
{
    const QByteArray digits = plain.toLatin1();
    return digits.startsWith('-') ? digits + ' ' : ' ' + digits + ' ';
}

QByteArray optionalLineBytes(QByteArrayView line)
{
    const QByteArrayView value = trimBlanks(line);
    if (value.isEmpty())
        return {};
    if (const std::optional<double> number = parseNumber(value)) {
        // A plain decimal keeps its digits; only a number written otherwise (with an exponent) goes by its value.
        const QString text = QString::fromLatin1(value);
        const TypedNumber digits = readTypedNumber(text);
        if (digits.kind == TypedNumber::Kind::Number && digits.length == text.size())
            return numberLineBytes(digits.plain);
        return numberLineBytes(*number);
    }
    return value.toByteArray();
}

QByteArray textLineBytes(QByteArrayView line) { return trimBlanks(line).toByteArray(); }

RaceFileLines RaceFileLines::failed(Problem problem)
{
    RaceFileLines lines;
    lines.fail(problem, 0);
    return lines;
}

RaceFileLines RaceFileLines::of(FileBytes file, bool throughBalance)
{
    switch (file.status) {
    case FileBytes::Status::Read: break;
    case FileBytes::Status::Missing: return failed(Problem::Missing);
    case FileBytes::Status::NotRegular: return failed(Problem::NotRegularFile);
    case FileBytes::Status::Link:
    case FileBytes::Status::Failed: return failed(Problem::CannotRead);
    }
    return split(std::move(file.bytes), throughBalance, file.cutShort);
}

RaceFileLines RaceFileLines::load(const QString& path, bool throughBalance)
{
    // Beyond the limit nothing is read: the race's lines must end inside it, and what lies after them is never
    // looked at.
    return of(readFileBytes(path, maxBytes), throughBalance);
}

RaceFileLines RaceFileLines::parse(QByteArray bytes, bool throughBalance, qsizetype limit)
{
    const bool cutShort = bytes.size() > limit;
    if (cutShort)
        bytes.truncate(limit);
    return split(std::move(bytes), throughBalance, cutShort);
}

RaceFileLines RaceFileLines::split(QByteArray bytes, bool throughBalance, bool cutShort)
{
    RaceFileLines lines;
    lines.bytes_ = std::move(bytes);
    lines.cutShort_ = cutShort;
    // Line 8 says how many runners there are, and so how many lines the race has.
    lines.splitLines(runnerCountLine);
    const std::optional<double> count =
        lines.has(runnerCountLine) ? numberOfLine(lines.bytesOf(runnerCountLine)) : std::nullopt;
    const std::optional<std::int16_t> runners = count ? toInt16(*count) : std::nullopt;
    const bool countFits = runners && *runners >= 0 && *runners <= maxRunners;
    if (countFits) {
        lines.runnerCount_ = *runners;
        lines.splitLines(throughBalance ? lineCount(*runners) : payoutLine(*runners));
    }
    // The text is checked before the count, so that a file that is not text at all is told as such.
    lines.decode();
    if (lines.trusted()) {
        if (!count)
            lines.fail(Problem::NoRunnerCount, runnerCountLine);
        else if (!countFits)
            lines.fail(Problem::RunnerCountOutOfRange, runnerCountLine);
        else
            lines.checkRace();
    }
    // When the lines taken run up to the cut, or past maxBytes in a file read further, the race does not end inside
    // the limit of the readers of many races, whatever else was found: every reader refuses it alike.
    if ((cutShort || lines.bytes_.size() > maxBytes)
        && lines.splitEnd_ >= std::min<qsizetype>(lines.bytes_.size(), maxBytes))
        lines.fail(Problem::TooLarge, lines.count_);
    return lines;
}

namespace {

// What splitting needs to know of each byte besides the line ends.
enum ByteClass : unsigned char {
    Plain = 0,
    High = 1,    // above ASCII
    Refused = 2, // passed by the converter without a report but no text (isRefusedByte)
};

constexpr std::array<unsigned char, 256> byteClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int b = 0x80; b < 0x100; ++b)
        classes[static_cast<std::size_t>(b)] = High;
    for (int b = 0; b < 0x80; ++b) {
        if (isRefusedByte(static_cast<unsigned char>(b)))
            classes[static_cast<std::size_t>(b)] = Refused;
    }
    return classes;
}();

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

} // namespace

void RaceFileLines::splitLines(int upTo)
{
    // CR LF, LF and a lone CR all end a line; the last line needs no end. Each line is classed on the way, so that
    // plain lines need no second look when the text is decoded.
    const char* const data = bytes_.constData();
    const qsizetype end = bytes_.size();
    qsizetype p = splitEnd_;
    while (count_ < upTo && p < end) {
        Span& line = lines_[static_cast<std::size_t>(count_++)];
        line.begin = static_cast<int>(p);
        unsigned char classes = Plain;
        for (; p < end && !isLineEnd(data[p]); ++p)
            classes |= byteClasses[static_cast<unsigned char>(data[p])];
        line.size = static_cast<int>(p - line.begin);
        line.high = classes & High;
        line.refused = classes & Refused;
        if (p < end)
            p += data[p] == '\r' && p + 1 < end && data[p + 1] == '\n' ? 2 : 1;
    }
    splitEnd_ = p;
}

QString RaceFileLines::trimmedText(int line) const
{
    if (!hasText(line))
        return {};
    const Span& span = spanOf(line);
    if (span.converted)
        return trimBlanks(QStringView(text_).sliced(span.textBegin, span.textSize)).toString();
    // Code page 932 maps ASCII one to one (the refused bytes aside).
    return QString::fromLatin1(trimBlanks(bytesOf(line)));
}

void RaceFileLines::decode()
{
    // A line holding a refused byte is not text, nor is a first line opening with a UTF-8 byte order mark.
    int firstBad = count_ + 1;
    for (int line = 1; line <= count_ && firstBad > count_; ++line) {
        if (spanOf(line).refused || (line == 1 && bytesOf(1).startsWith("\xEF\xBB\xBF")))
            firstBad = line;
    }
    // Only the lines from the first to the last that hold a byte above ASCII go through the converter (in a race
    // file: the race name to the last runner name), in one call; the plain lines around them are their own text.
    int first = 1;
    int last = firstBad - 1;
    while (first <= last && !spanOf(first).high)
        ++first;
    while (last >= first && !spanOf(last).high)
        --last;
    if (first <= last && !convert(first, last)) {
        // Some line is not valid text: the one to blame is the first that fails by itself.
        for (int line = first; line <= last; ++line) {
            if (spanOf(line).high && !convert(line, line)) {
                firstBad = line;
                break;
            }
        }
    }
    decodedCount_ = firstBad - 1;
    if (firstBad <= count_)
        fail(Problem::NotCp932, firstBad);
}

bool RaceFileLines::convert(int from, int to)
{
    // The bytes of the lines with their line ends between them, appended to text_. A line end is a single byte that
    // cannot be part of a pair, so it comes out as itself and parts the text into the same lines.
    const qsizetype begin = spanOf(from).begin;
    const qsizetype size = spanOf(to).begin + spanOf(to).size - begin;
    QStringDecoder& converter = cp932Decoder();
    const qsizetype textStart = text_.size();
    text_.resize(textStart + converter.requiredSpace(size));
    const QChar* const stop =
        converter.appendToBuffer(text_.data() + textStart, QByteArrayView(bytes_).sliced(begin, size));
    text_.truncate(stop - text_.constData());
    bool ok = !converter.hasError() && converter.isValid();
    qsizetype p = textStart;
    for (int line = from; ok && line <= to; ++line) {
        Span& span = spanOf(line);
        const qsizetype lineStart = p;
        while (p < text_.size() && !isLineEnd(text_[p].toLatin1()))
            ++p;
        span.textBegin = static_cast<int>(lineStart);
        span.textSize = static_cast<int>(p - lineStart);
        span.converted = true;
        if (line < to) // the same line end as in the bytes
            p += spanOf(line + 1).begin - (span.begin + span.size);
    }
    if (ok && p == text_.size())
        return true;
    text_.truncate(textStart);
    for (int line = from; line <= to; ++line)
        spanOf(line).converted = false;
    return false;
}

void RaceFileLines::checkRace()
{
    // The ticket count steers the proposal that the record counts; a line that holds none would lend it another
    // number of the file.
    const std::optional<double> tickets = has(7) ? numberOfLine(bytesOf(7)) : std::nullopt;
    if (has(7) && !(tickets && toInt16(*tickets))) {
        fail(Problem::NoTicketCount, 7);
        return;
    }
    checkMarks();
    // A file that stops inside its marks is not a race with fewer marks: the marks that are missing are unknown.
    if (trusted() && count_ < lastMarkLine(runnerCount_))
        fail(Problem::CutInMarks, count_ + 1);
}

void RaceFileLines::checkMarks()
{
    for (int line = firstMarkLine(runnerCount_); line <= lastMarkLine(runnerCount_) && has(line); ++line) {
        // As written: " 0 " .. " 25 ".
        const QByteArrayView bytes = bytesOf(line);
        if (bytes.size() == 3 && bytes[0] == ' ' && bytes[2] == ' ' && bytes[1] >= '0' && bytes[1] <= '9')
            continue;
        const std::optional<double> value = numberOfLine(bytes);
        // Whole counts need no rounding; anything else is rounded as a load rounds it.
        bool fits = false;
        if (value && *value == std::floor(*value)) {
            fits = *value >= 0 && *value <= maxMarksPerRunner;
        } else if (value) {
            const std::optional<std::int16_t> mark = toInt16(*value);
            fits = mark && *mark >= 0 && *mark <= maxMarksPerRunner;
        }
        if (!fits) {
            fail(Problem::BadMarkCount, line);
            return;
        }
    }
}

void RaceFileLines::fail(Problem problem, int line)
{
    problem_ = problem;
    problemLine_ = line;
}

QString RaceFileLines::problemMessage(const QString& fileName) const
{
    switch (problem_) {
    case Problem::None: return {};
    case Problem::Missing: return QStringLiteral("レースファイル「%1」が見つかりません。").arg(fileName);
    case Problem::NotRegularFile:
        return QStringLiteral("「%1」はふつうのファイルではない（フォルダ、装置、パイプなど）ため、"
                              "レースファイルとして読めません。")
            .arg(fileName);
    case Problem::CannotRead: return QStringLiteral("レースファイル「%1」を読み込めませんでした。").arg(fileName);
    case Problem::TooLarge: return QStringLiteral("「%1」は大きすぎて、レースファイルとして読めません。").arg(fileName);
    case Problem::NotCp932:
        return QStringLiteral("レースファイル「%1」の%2行目は、文字として読めないバイトを含んでいます。")
            .arg(fileName)
            .arg(problemLine_);
    case Problem::NoRunnerCount:
        return QStringLiteral("レースファイル「%1」の8行目に出走頭数がありません。").arg(fileName);
    case Problem::RunnerCountOutOfRange:
        return QStringLiteral("レースファイル「%1」の出走頭数が0～%2の範囲にありません。")
            .arg(fileName)
            .arg(maxRunners);
    case Problem::NoTicketCount:
        return QStringLiteral("レースファイル「%1」の7行目に買い目の点数がありません。").arg(fileName);
    case Problem::CutInMarks:
        return QStringLiteral("レースファイル「%1」は途中で切れていて、すべての馬の印がそろっていません。")
            .arg(fileName);
    case Problem::BadMarkCount:
        return QStringLiteral("レースファイル「%1」の%2行目の印の数が0～%3の数ではありません。")
            .arg(fileName)
            .arg(problemLine_)
            .arg(maxMarksPerRunner);
    }
    return {};
}

std::vector<BlockLine> splitBlockLines(QByteArrayView bytes)
{
    std::vector<BlockLine> lines;
    qsizetype p = 0;
    while (p < bytes.size()) {
        BlockLine line{p, 0, 0};
        while (p < bytes.size() && bytes[p] != '\r' && bytes[p] != '\n')
            ++p;
        line.size = p - line.begin;
        if (p < bytes.size())
            p += bytes[p] == '\r' && p + 1 < bytes.size() && bytes[p + 1] == '\n' ? 2 : 1;
        line.end = p;
        lines.push_back(line);
    }
    return lines;
}

} // namespace racelines

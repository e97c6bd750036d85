#include "racefile/race_lines.h"

#include "core/numbers.h"
#include "prediction/mark_sheet.h"
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace racelines {

namespace {

constexpr auto cp932Name = "CP932";

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

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

QByteArray numberLineBytes(double value)
{
    const QByteArray digits = numberText(value).toLatin1();
    return value < 0 ? digits + ' ' : ' ' + digits + ' ';
}

QByteArray optionalLineBytes(QByteArrayView line)
{
    const QByteArrayView value = trimBlanks(line);
    if (value.isEmpty())
        return {};
    if (const std::optional<double> number = parseNumber(value))
        return numberLineBytes(*number);
    return value.toByteArray();
}

QByteArray textLineBytes(QByteArrayView line)
{
    return trimBlanks(line).toByteArray();
}

RaceFileLines RaceFileLines::load(const QString& path, bool throughBalance, qint64 size)
{
    RaceFileLines lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        lines.fail(file.exists() ? Problem::CannotRead : Problem::Missing, 0);
        return lines;
    }
    // Beyond the limit only the limit is read: the race's lines must end inside it, and what lies after them is
    // never looked at.
    bool cutShort = (size < 0 ? file.size() : size) > maxBytes;
    QByteArray bytes = cutShort ? file.read(maxBytes) : file.readAll();
    if (bytes.size() > maxBytes) { // it grew since it was listed
        bytes.truncate(maxBytes);
        cutShort = true;
    }
    if (file.error() != QFileDevice::NoError) {
        lines.fail(Problem::CannotRead, 0);
        return lines;
    }
    lines = parse(std::move(bytes), throughBalance);
    // When the lines taken run up to the cut, the race does not end inside the limit, whatever else was found.
    if (cutShort && lines.splitEnd_ == lines.bytes_.size())
        lines.fail(Problem::TooLarge, lines.count());
    return lines;
}

RaceFileLines RaceFileLines::parse(QByteArray bytes, bool throughBalance)
{
    RaceFileLines lines;
    lines.bytes_ = std::move(bytes);
    lines.split(runnerCountLine);

    // The runner count says how far the race goes; check it only after the text, so that a file that is not text
    // at all is told as such.
    std::optional<double> count = lines.has(runnerCountLine) ? numberOfLine(lines.bytesOf(runnerCountLine))
                                                             : std::nullopt;
    std::optional<std::int16_t> runners = count ? toInt16(*count) : std::nullopt;
    const bool countFits = runners && *runners >= 0 && *runners <= maxRunners;
    if (countFits) {
        lines.runnerCount_ = *runners;
        lines.split(throughBalance ? lineCount(*runners) : payoutLine(*runners));
    }
    lines.decode();
    if (!lines.trusted())
        return lines;
    if (!count)
        lines.fail(Problem::NoRunnerCount, runnerCountLine);
    else if (!countFits)
        lines.fail(Problem::RunnerCountOutOfRange, runnerCountLine);
    else
        lines.checkMarks();
    return lines;
}

void RaceFileLines::split(int upTo)
{
    // CR LF, LF and a lone CR all end a line. Marks each line that holds a byte above ASCII on the way, so that the
    // plain lines need no second look.
    lines_.reserve(static_cast<std::size_t>(lineCount(maxRunners)));
    const char* const data = bytes_.constData();
    const char* const end = data + bytes_.size();
    const char* p = data + splitEnd_;
    while (count() < upTo && p < end) {
        const char* const start = p;
        unsigned char all = 0;
        for (; p < end && *p != '\r' && *p != '\n'; ++p)
            all |= static_cast<unsigned char>(*p);
        lines_.push_back({.begin = start - data, .size = p - start, .high = all >= 0x80});
        if (p < end)
            p += *p == '\r' && p + 1 < end && p[1] == '\n' ? 2 : 1;
    }
    splitEnd_ = p - data;
}

namespace {

constexpr QByteArrayView utf8Bom = "\xEF\xBB\xBF";

// Bytes that the converter passes without a report but that are refused: 0x1A, 0x1C and 0x7F come back swapped among
// each other (ICU's table), and a NUL is no text. None of them can be the second byte of a pair.
bool isRefusedByte(unsigned char b)
{
    return b == 0x00 || b == 0x1A || b == 0x1C || b == 0x7F;
}

bool hasRefusedByte(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return false;
    for (const char b : {'\x00', '\x1A', '\x1C', '\x7F'}) {
        if (std::memchr(bytes.data(), b, static_cast<std::size_t>(bytes.size())))
            return true;
    }
    return false;
}

// The pairs in valid code page 932 bytes: each starts with a lead byte (0x81..0x9F, 0xE0..0xFC) and gives one
// UTF-16 unit, as every other byte does.
qsizetype pairCount(QByteArrayView bytes)
{
    qsizetype pairs = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
            ++pairs;
            ++i;
        }
    }
    return pairs;
}

// One converter for the thread, kept while it has seen no error: its error flag survives resetState() in Qt 6.4.
// Stateless, so that a lead byte cut off at the end is reported instead of being kept for a next call.
QStringDecoder& decoder()
{
    thread_local std::optional<QStringDecoder> converter;
    if (!converter || converter->hasError())
        converter.emplace(cp932Name, QStringDecoder::Flag::Stateless);
    return *converter;
}

} // namespace

void RaceFileLines::decode()
{
    if (!decodeAtOnce())
        decodeByLine();
}

bool RaceFileLines::decodeAtOnce()
{
    // The common case: one pass for the checks and at most one conversion for all the lines taken. Line ends are
    // single bytes that cannot be part of a pair, so a pair never spans two lines.
    const QByteArrayView region = QByteArrayView(bytes_).first(splitEnd_);
    if (region.startsWith(utf8Bom) || hasRefusedByte(region))
        return false;
    if (std::none_of(lines_.begin(), lines_.end(), [](const Span& line) { return line.high; })) {
        // Code page 932 maps ASCII one to one (the refused bytes aside).
        text_ = QString::fromLatin1(region);
        for (Span& line : lines_) {
            line.textBegin = line.begin;
            line.textSize = line.size;
        }
        decodedCount_ = count();
        return true;
    }
    // Only the lines from the first to the last that hold a byte above ASCII go through the converter (in a race
    // file: the race name to the last runner name); the plain lines around them are widened as they are.
    auto highLine = [](const Span& line) { return line.high; };
    const auto first = std::find_if(lines_.begin(), lines_.end(), highLine);
    const auto last = std::find_if(lines_.rbegin(), lines_.rend(), highLine);
    const qsizetype from = first->begin;
    const qsizetype to = last->begin + last->size;
    QStringDecoder& converter = decoder();
    text_.resize(from + converter.requiredSpace(to - from) + (splitEnd_ - to));
    char16_t* const out = reinterpret_cast<char16_t*>(text_.data());
    std::copy(region.begin(), region.begin() + from, out);
    QChar* const middle = reinterpret_cast<QChar*>(out + from);
    const qsizetype converted = converter.appendToBuffer(middle, region.sliced(from, to - from)) - middle;
    if (converter.hasError() || !converter.isValid()) {
        text_.clear();
        return false;
    }
    std::copy(region.begin() + to, region.end(), out + from + converted);
    const qsizetype produced = from + converted + (splitEnd_ - to);
    text_.truncate(produced);
    // A line's text starts where its bytes start, less one for each pair before it.
    qsizetype pairsBefore = 0;
    for (Span& line : lines_) {
        const qsizetype pairs = line.high ? pairCount(QByteArrayView(bytes_).sliced(line.begin, line.size)) : 0;
        line.textBegin = line.begin - pairsBefore;
        line.textSize = line.size - pairs;
        pairsBefore += pairs;
    }
    if (splitEnd_ - pairsBefore != produced) {
        text_.clear();
        return false;
    }
    decodedCount_ = count();
    return true;
}

void RaceFileLines::decodeByLine()
{
    // Finds the first line that is not valid text; the lines before it stay readable.
    for (int line = 1; line <= count(); ++line) {
        const QByteArrayView bytes = bytesOf(line);
        bool ok = !(line == 1 && bytes.startsWith(utf8Bom))
                  && std::none_of(bytes.begin(), bytes.end(), [](char c) { return isRefusedByte(static_cast<unsigned char>(c)); });
        QString text;
        if (ok) {
            QStringDecoder& converter = decoder();
            text = converter.decode(bytes);
            ok = !converter.hasError() && converter.isValid();
        }
        if (!ok) {
            fail(Problem::NotCp932, line);
            return;
        }
        Span& span = lines_[static_cast<std::size_t>(line - 1)];
        span.textBegin = text_.size();
        span.textSize = text.size();
        text_ += text;
        decodedCount_ = line;
    }
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
            fits = *value >= 0 && *value <= maxMarkCount;
        } else if (value) {
            const std::optional<std::int16_t> mark = toInt16(*value);
            fits = mark && *mark >= 0 && *mark <= maxMarkCount;
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
    case Problem::None:
        return {};
    case Problem::Missing:
        return QStringLiteral("レースファイル「%1」が見つかりません。").arg(fileName);
    case Problem::CannotRead:
        return QStringLiteral("レースファイル「%1」を読み込めませんでした。").arg(fileName);
    case Problem::TooLarge:
        return QStringLiteral("「%1」は大きすぎて、レースファイルとして読めません。").arg(fileName);
    case Problem::NotCp932:
        return QStringLiteral("レースファイル「%1」の%2行目は、文字として読めないバイトを含んでいます。")
            .arg(fileName)
            .arg(problemLine_);
    case Problem::NoRunnerCount:
        return QStringLiteral("レースファイル「%1」の8行目に出走頭数がありません。").arg(fileName);
    case Problem::RunnerCountOutOfRange:
        return QStringLiteral("レースファイル「%1」の出走頭数が0～%2の範囲にありません。").arg(fileName).arg(maxRunners);
    case Problem::BadMarkCount:
        return QStringLiteral("レースファイル「%1」の%2行目の印の数が0～%3の数ではありません。")
            .arg(fileName)
            .arg(problemLine_)
            .arg(maxMarkCount);
    }
    return {};
}

} // namespace racelines

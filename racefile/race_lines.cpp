#include "racefile/race_lines.h"

#include "core/numbers.h"
#include "prediction/mark_sheet.h"
#include "racefile/cp932.h"

#include <QFile>

#include <charconv>
#include <cmath>

namespace racelines {

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

std::optional<double> parseNumber(QByteArrayView text)
{
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

// Where the line starting at from ends, and where the next one starts: CR LF, LF and a lone CR all end a line.
template <typename Char>
std::pair<qsizetype, qsizetype> lineEndAt(const Char* data, qsizetype size, qsizetype from)
{
    qsizetype i = from;
    while (i < size && data[i] != '\r' && data[i] != '\n')
        ++i;
    if (i == size)
        return {size, size};
    if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
        return {i, i + 2};
    return {i, i + 1};
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

RaceFileLines RaceFileLines::load(const QString& path, bool throughBalance)
{
    RaceFileLines lines;
    QFile file(path);
    if (!file.exists()) {
        lines.fail(Problem::Missing, 0);
        return lines;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        lines.fail(Problem::CannotRead, 0);
        return lines;
    }
    // One byte more than the limit tells a file that is too large from one that just fits.
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        lines.fail(Problem::CannotRead, 0);
        return lines;
    }
    const bool cutShort = bytes.size() > maxBytes;
    if (cutShort)
        bytes.truncate(maxBytes);
    lines = parse(std::move(bytes), throughBalance);
    // The race's lines must end inside what was read; what lies after them is never looked at.
    if (cutShort && lines.trusted()) {
        const int wanted = throughBalance ? lineCount(lines.runnerCount()) : payoutLine(lines.runnerCount());
        if (lines.count() < wanted || lines.splitEnd_ == lines.bytes_.size())
            lines.fail(Problem::TooLarge, lines.count());
    }
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
    const char* data = bytes_.constData();
    const qsizetype size = bytes_.size();
    while (count() < upTo && splitEnd_ < size) {
        const auto [end, next] = lineEndAt(data, size, splitEnd_);
        lines_.push_back({splitEnd_, end - splitEnd_});
        splitEnd_ = next;
    }
}

void RaceFileLines::decode()
{
    // One conversion for all the lines taken: line ends are single bytes that cannot be part of a pair, so the
    // text splits into the same lines. A lead byte cut off by a line end is a conversion error.
    if (std::optional<QString> text = decodeCp932(QByteArrayView(bytes_).first(splitEnd_))) {
        text_ = std::move(*text);
        qsizetype from = 0;
        while (from < text_.size()) {
            const auto [end, next] = lineEndAt(text_.constData(), text_.size(), from);
            textLines_.push_back({from, end - from});
            from = next;
        }
        if (count() == decodedCount())
            return;
        text_.clear();
        textLines_.clear();
    }
    // Keep the lines before the first bad one, so that a list can still show them.
    for (int line = 1; line <= count(); ++line) {
        std::optional<QString> text = decodeCp932(bytesOf(line));
        if (!text) {
            fail(Problem::NotCp932, line);
            return;
        }
        textLines_.push_back({text_.size(), text->size()});
        text_ += *text;
    }
}

void RaceFileLines::checkMarks()
{
    for (int line = firstMarkLine(runnerCount_); line <= lastMarkLine(runnerCount_) && has(line); ++line) {
        const std::optional<double> value = numberOfLine(bytesOf(line));
        const std::optional<std::int16_t> mark = value ? toInt16(*value) : std::nullopt;
        if (!mark || *mark < 0 || *mark > maxMarkCount) {
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

QByteArrayView RaceFileLines::bytesOf(int line) const
{
    if (!has(line))
        return {};
    const Span& span = lines_[static_cast<std::size_t>(line - 1)];
    return QByteArrayView(bytes_).sliced(span.begin, span.size);
}

QStringView RaceFileLines::textOf(int line) const
{
    if (!hasText(line))
        return {};
    const Span& span = textLines_[static_cast<std::size_t>(line - 1)];
    return QStringView(text_).sliced(span.begin, span.size);
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

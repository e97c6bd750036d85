#include "racefile/race_lines.h"

#include "core/numbers.h"
#include "prediction/mark_sheet.h"
#include "racefile/cp932.h"
#include <QFile>
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
    lines.bytes_ = cutShort ? file.read(maxBytes) : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        lines.bytes_.clear();
        lines.fail(Problem::CannotRead, 0);
        return lines;
    }
    if (lines.bytes_.size() > maxBytes) { // it grew since it was listed
        lines.bytes_.truncate(maxBytes);
        cutShort = true;
    }
    lines.parseBytes(throughBalance, cutShort);
    return lines;
}

RaceFileLines RaceFileLines::parse(QByteArray bytes, bool throughBalance)
{
    RaceFileLines lines;
    const bool cutShort = bytes.size() > maxBytes;
    lines.bytes_ = cutShort ? bytes.first(maxBytes) : std::move(bytes);
    lines.parseBytes(throughBalance, cutShort);
    return lines;
}

void RaceFileLines::parseBytes(bool throughBalance, bool cutShort)
{
    split(runnerCountLine);
    // The runner count says how far the race goes; it is checked only after the text, so that a file that is not
    // text at all is told as such.
    const std::optional<double> count = has(runnerCountLine) ? numberOfLine(bytesOf(runnerCountLine)) : std::nullopt;
    const std::optional<std::int16_t> runners = count ? toInt16(*count) : std::nullopt;
    const bool countFits = runners && *runners >= 0 && *runners <= maxRunners;
    if (countFits) {
        runnerCount_ = *runners;
        split(throughBalance ? lineCount(*runners) : payoutLine(*runners));
    }
    decode();
    if (trusted()) {
        if (!count)
            fail(Problem::NoRunnerCount, runnerCountLine);
        else if (!countFits)
            fail(Problem::RunnerCountOutOfRange, runnerCountLine);
        else
            checkRace();
    }
    // When the lines taken run up to the cut, the race does not end inside the limit, whatever else was found.
    if (cutShort && splitEnd_ == bytes_.size())
        fail(Problem::TooLarge, count_);
}

namespace {

// What split needs to know of each byte.
enum ByteClass : unsigned char {
    Plain = 0,
    High = 1,    // above ASCII
    Refused = 2, // passed by the converter without a report but refused: 0x1A, 0x1C and 0x7F come back swapped
                 // among each other (ICU's table), and a NUL is no text; none of them can be the second byte of a pair
    LineEnd = 4, // CR or LF (and the NUL that ends a QByteArray)
};

constexpr std::array<unsigned char, 256> byteClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int b = 0x80; b < 0x100; ++b)
        classes[static_cast<std::size_t>(b)] = High;
    for (const int b : {0x1A, 0x1C, 0x7F})
        classes[static_cast<std::size_t>(b)] = Refused;
    classes[0x00] = Refused | LineEnd;
    classes['\r'] = LineEnd;
    classes['\n'] = LineEnd;
    return classes;
}();

} // namespace

void RaceFileLines::split(int upTo)
{
    // CR LF, LF and a lone CR all end a line. Each line is classed on the way (above ASCII, refused bytes), so that
    // decoding needs no second look at plain lines. A QByteArray ends in a NUL, which stops the inner loop at the end
    // without a second test per byte.
    const char* const data = bytes_.constData();
    const char* const end = data + bytes_.size();
    const char* p = data + splitEnd_;
    while (count_ < upTo && p < end) {
        const char* const start = p;
        unsigned char classes = 0;
        for (;;) {
            const unsigned char c = byteClasses[static_cast<unsigned char>(*p)];
            if ((c & LineEnd) && (*p != 0 || p == end))
                break;
            classes |= c;
            ++p;
        }
        Span& line = lines_[static_cast<std::size_t>(count_++)];
        line.begin = static_cast<int>(start - data);
        line.size = static_cast<int>(p - start);
        line.high = classes & High;
        line.refused = classes & Refused;
        if (p < end)
            p += *p == '\r' && p + 1 < end && p[1] == '\n' ? 2 : 1;
    }
    splitEnd_ = p - data;
}

namespace {

constexpr QByteArrayView utf8Bom = "\xEF\xBB\xBF";

// The pairs in valid code page 932 bytes: each starts with a lead byte (0x81..0x9F, 0xE0..0xFC) and gives one
// UTF-16 unit, as every other byte does.
int pairCount(QByteArrayView bytes)
{
    int pairs = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
            ++pairs;
            ++i;
        }
    }
    return pairs;
}

} // namespace

QString RaceFileLines::trimmedText(int line) const
{
    if (!hasText(line))
        return {};
    const Span& span = lines_[static_cast<std::size_t>(line - 1)];
    if (span.converted)
        return trimBlanks(QStringView(text_).sliced(span.textBegin, span.textSize)).toString();
    // Code page 932 maps ASCII one to one (the refused bytes aside).
    return QString::fromLatin1(trimBlanks(bytesOf(line)));
}

void RaceFileLines::decode()
{
    if (!decodeAtOnce())
        decodeByLine();
}

bool RaceFileLines::decodeAtOnce()
{
    // The common case: one pass for the checks and at most one conversion. Only the lines from the first to the last
    // that hold a byte above ASCII go through the converter (in a race file: the race name to the last runner
    // name); the plain lines around them are their own text. Line ends are single bytes that cannot be part of a
    // pair, so a pair never spans two lines.
    const QByteArrayView region = QByteArrayView(bytes_).first(splitEnd_);
    const auto taken = lines_.begin() + count_;
    if (region.startsWith(utf8Bom) || std::any_of(lines_.begin(), taken, [](const Span& line) { return line.refused; }))
        return false;
    const auto first = std::find_if(lines_.begin(), taken, [](const Span& line) { return line.high; });
    if (first != taken) {
        const auto last =
            std::find_if(std::make_reverse_iterator(taken), lines_.rend(), [](const Span& line) { return line.high; });
        const qsizetype from = first->begin;
        const qsizetype to = last->begin + last->size;
        QStringDecoder& converter = cp932Decoder();
        text_.resize(converter.requiredSpace(to - from));
        QChar* const out = text_.data();
        const qsizetype produced = converter.appendToBuffer(out, region.sliced(from, to - from)) - out;
        if (converter.hasError() || !converter.isValid()) {
            text_.clear();
            return false;
        }
        text_.truncate(produced);
        // A line's text starts where its bytes start, less one for each pair before it.
        int pairsBefore = 0;
        for (auto line = first; line != last.base(); ++line) {
            const int pairs = line->high ? pairCount(QByteArrayView(bytes_).sliced(line->begin, line->size)) : 0;
            line->textBegin = line->begin - static_cast<int>(from) - pairsBefore;
            line->textSize = line->size - pairs;
            line->converted = true;
            pairsBefore += pairs;
        }
        if (to - from - pairsBefore != produced) {
            text_.clear();
            for (auto line = first; line != last.base(); ++line)
                line->converted = false;
            return false;
        }
    }
    decodedCount_ = count_;
    return true;
}

void RaceFileLines::decodeByLine()
{
    // Finds the first line that is not valid text; the lines before it stay readable.
    for (int line = 1; line <= count(); ++line) {
        const QByteArrayView bytes = bytesOf(line);
        bool ok = !(line == 1 && bytes.startsWith(utf8Bom)) && !lines_[static_cast<std::size_t>(line - 1)].refused;
        QString text;
        if (ok) {
            QStringDecoder& converter = cp932Decoder();
            text = converter.decode(bytes);
            ok = !converter.hasError() && converter.isValid();
        }
        if (!ok) {
            fail(Problem::NotCp932, line);
            return;
        }
        Span& span = lines_[static_cast<std::size_t>(line - 1)];
        span.textBegin = static_cast<int>(text_.size());
        span.textSize = static_cast<int>(text.size());
        span.converted = true;
        text_ += text;
        decodedCount_ = line;
    }
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
    case Problem::None: return {};
    case Problem::Missing: return QStringLiteral("レースファイル「%1」が見つかりません。").arg(fileName);
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
            .arg(maxMarkCount);
    }
    return {};
}

} // namespace racelines

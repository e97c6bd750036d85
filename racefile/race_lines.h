#pragma once

#include "prediction/mark_sheet.h"
#include "racefile/file_bytes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

// The lines of a race file and the rules of its three kinds of line, shared by the reader, the catalogue and the
// rewrite. Line numbers are 1-based, as in the layout: 9 header lines, N name lines, 6N mark lines, 5 tail lines.
namespace racelines {

inline constexpr int runnerCountLine = 8;
inline constexpr int firstNameLine = 10;
inline int firstMarkLine(int n) { return 10 + n; }
inline int lastMarkLine(int n) { return 9 + 7 * n; }
inline int firstPlaceLine(int n) { return 10 + 7 * n; }
inline int secondPlaceLine(int n) { return 11 + 7 * n; }
inline int payoutLine(int n) { return 12 + 7 * n; }
inline int stakeLine(int n) { return 13 + 7 * n; }
inline int incomeLine(int n) { return 14 + 7 * n; }
inline int lineCount(int n) { return 14 + 7 * n; }

// A race file is a few kilobytes; anything that needs more than this before its last race line is not one.
inline constexpr qsizetype maxBytes = 1 << 20;
// A rewrite keeps every byte after the race's own lines, so it reads the whole file; a file larger than this is
// refused rather than cut.
inline constexpr qsizetype maxRewriteBytes = qsizetype(64) << 20;

enum class Problem {
    None,
    Missing,               // no such file
    NotRegularFile,        // a folder, a device, a pipe or a socket (or a link to one): never opened for reading
    CannotRead,            // it exists but cannot be opened or read
    TooLarge,              // its race lines do not end within maxBytes
    NotCp932,              // a line it needs is not valid code page 932 text
    NoRunnerCount,         // line 8 is missing or does not hold a number
    RunnerCountOutOfRange, // line 8 is outside 0..21
    BadMarkCount,          // a mark line is not a number in 0..25
    NoTicketCount,         // line 7 does not hold a number that a ticket count can be
    CutInMarks,            // the file ends before its last mark line
};

// A race file split into lines, as far as a reader needs them (lines after the race's own lines are never looked
// at), checked for what every reader relies on: valid text, a runner count that fits the tables, mark counts that fit
// the mark sheet. A file that fails a check is untrusted; the lines before the failing one stay readable so that a
// list can show what it could read.
class RaceFileLines {
public:
    // throughBalance: the race's lines end with the income line, else with the payout line. Bytes beyond limit are
    // dropped (and cutShort() tells so).
    static RaceFileLines parse(QByteArray bytes, bool throughBalance = true, qsizetype limit = maxBytes);
    // What readFileBytes found at a path: the bytes split, or the reason there are none.
    static RaceFileLines of(FileBytes file, bool throughBalance = true);
    static RaceFileLines load(const QString& path, bool throughBalance = true);

    Problem problem() const { return problem_; }
    int problemLine() const { return problemLine_; }
    bool trusted() const { return problem_ == Problem::None; }
    // Japanese sentence telling what is wrong with the file; empty when it is trusted.
    QString problemMessage(const QString& fileName) const;

    int runnerCount() const { return runnerCount_; } // -1 until line 8 is known
    int count() const { return count_; }             // lines split (at most the race's own lines)
    int decodedCount() const { return decodedCount_; }
    bool has(int line) const { return line >= 1 && line <= count(); }
    bool hasText(int line) const { return line >= 1 && line <= decodedCount(); }

    // Without the line end; empty when missing.
    QByteArrayView bytesOf(int line) const
    {
        if (!has(line))
            return {};
        const Span& span = spanOf(line);
        return QByteArrayView(bytes_).sliced(span.begin, span.size);
    }
    // The text of a text line: decoded, blanks at both ends removed; empty when missing or not decoded.
    QString trimmedText(int line) const;
    // The file held more bytes than were read, so afterRace() is not all of what follows the race.
    bool cutShort() const { return cutShort_; }

    // The bytes after the income line's line end (where the tipster grid is kept), when the race's lines were split
    // through the income line; empty otherwise.
    QByteArrayView afterRace() const
    {
        if (runnerCount_ < 0 || count_ != lineCount(runnerCount_))
            return {};
        return QByteArrayView(bytes_).sliced(splitEnd_);
    }

    // A race has at most this many lines.
    static constexpr int maxLines = 14 + 7 * 21;

private:
    // Where a line lies in bytes_ and, once converted, in text_. Offsets fit in int: at most maxRewriteBytes are read.
    struct Span {
        int begin = 0;
        int size = 0;
        int textBegin = 0;
        int textSize = 0;
        bool high = false;      // holds a byte above ASCII, so it needs the converter
        bool refused = false;   // holds a byte that is no text although the converter would pass it
        bool converted = false; // its text is in text_; else it is plain ASCII and its bytes are its text
    };
    const Span& spanOf(int line) const { return lines_[static_cast<std::size_t>(line - 1)]; }
    Span& spanOf(int line) { return lines_[static_cast<std::size_t>(line - 1)]; }

    static RaceFileLines failed(Problem problem);
    static RaceFileLines split(QByteArray bytes, bool throughBalance, bool cutShort);
    void splitLines(int upTo);
    void decode();
    bool convert(int from, int to);
    void checkRace();
    void checkMarks();
    void fail(Problem problem, int line);

    QByteArray bytes_;
    std::array<Span, maxLines> lines_{};
    int count_ = 0;
    qsizetype splitEnd_ = 0; // where splitting stopped: the byte after the last line end taken
    QString text_;           // the text of the converted lines
    int decodedCount_ = 0;   // the lines that are text: all that were split, or those before the first bad one
    int runnerCount_ = -1;
    Problem problem_ = Problem::None;
    int problemLine_ = 0;
    bool cutShort_ = false;
};

// Blanks around a value (space and tab).
QStringView trimBlanks(QStringView text);
QByteArrayView trimBlanks(QByteArrayView bytes);

// The number a number line holds: blanks ignored, an empty line is 0; nullopt when the line holds anything else.
std::optional<double> numberOfLine(QByteArrayView line);
// True when the (trimmed) line is a number, not empty.
bool holdsNumber(QByteArrayView line);

// A number line without its line end: one blank before a number that is not negative, one blank after it.
QByteArray numberLineBytes(double value);
// The same for a number given as its plain decimal digits ("-1230", "2.5"), which are written as they are.
QByteArray numberLineBytes(QStringView plain);

// An optional line rewritten in its own kind: empty stays empty, a number becomes a number line of the same value
// (its own digits, so that no digit is lost however long it is), a text stays as it is (its original bytes, blanks at
// the ends removed).
QByteArray optionalLineBytes(QByteArrayView line);
// A text line rewritten: its original bytes with the blanks at the ends removed, so that characters with two codes
// in code page 932 keep the code they were stored with.
QByteArray textLineBytes(QByteArrayView line);

inline constexpr QByteArrayView lineEnd = "\r\n";

// A line of what follows the income line, where the blocks of our own stand: where its text begins, its length without
// the line end, and where the next line begins.
struct BlockLine {
    qsizetype begin = 0;
    qsizetype size = 0;
    qsizetype end = 0; // after its line end
};
// The lines of the bytes after the income line: CR LF, LF and a lone CR end a line, as in the race lines before them.
std::vector<BlockLine> splitBlockLines(QByteArrayView bytes);

} // namespace racelines

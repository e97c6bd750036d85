#include "racefile/race_folder.h"

#include "core/numbers.h"
#include "core/system_error.h"
#include "racefile/file_bytes.h"
#include "racefile/race_bytes.h"
#include "racefile/race_lines.h"
#include "racefile/save_file.h"

#include <QFile>

#include <array>
#include <optional>
#include <vector>

using namespace racelines;

namespace {

FileResult failed(const QString& error) { return FileResult::failed(error); }

// The whole race, line by line in the kind each line is copied in, with the replaced lines put in as number
// lines. Lines that are copied keep their own bytes (only the blanks a kind drops are dropped): re-encoding them would
// turn characters that have two codes in code page 932 (NEC and IBM rows) into the other code.
FileResult rewrittenBytes(const RaceFileLines& lines, const QString& fileName, RewrittenLines replaced,
                          const std::array<QString, 3>& values, QByteArray& out)
{
    if (!lines.trusted())
        return failed(lines.problemMessage(fileName));
    const int n = lines.runnerCount();
    if (lines.count() < lineCount(n))
        return failed(QStringLiteral("レースファイル「%1」は%2行あるはずが%3行しかないため、書き換えられません。")
                          .arg(fileName)
                          .arg(lineCount(n))
                          .arg(lines.count()));
    // Lines 7 to 9 and the marks are number lines that the copy reads as optional lines; a text there would be
    // copied as text into a file that no reader could use.
    auto notNumber = [&](int from, int to) {
        for (int line = from; line <= to; ++line) {
            if (!numberOfLine(lines.bytesOf(line)))
                return line;
        }
        return 0;
    };
    int badLine = notNumber(7, 9);
    if (badLine == 0)
        badLine = notNumber(firstMarkLine(n), lastMarkLine(n));
    if (badLine != 0)
        return failed(QStringLiteral("レースファイル「%1」の%2行目が数ではないため、書き換えられません。")
                          .arg(fileName)
                          .arg(badLine));

    QByteArray bytes;
    auto put = [&bytes](const QByteArray& line) {
        bytes += line;
        bytes += lineEnd;
    };
    for (int line = 1; line <= 6; ++line)
        put(textLineBytes(lines.bytesOf(line)));
    for (int line = 7; line <= 9; ++line)
        put(optionalLineBytes(lines.bytesOf(line)));
    for (int line = firstNameLine; line < firstMarkLine(n); ++line)
        put(textLineBytes(lines.bytesOf(line)));
    for (int line = firstMarkLine(n); line <= lastMarkLine(n); ++line)
        put(optionalLineBytes(lines.bytesOf(line)));
    if (replaced == RewrittenLines::Results) {
        for (const QString& value : values)
            put(numberLineBytes(value));
        put(optionalLineBytes(lines.bytesOf(stakeLine(n))));
        put(optionalLineBytes(lines.bytesOf(incomeLine(n))));
    } else {
        for (int line = firstPlaceLine(n); line <= payoutLine(n); ++line)
            put(textLineBytes(lines.bytesOf(line)));
        put(numberLineBytes(values[0]));
        put(numberLineBytes(values[1]));
    }
    out = std::move(bytes);
    return FileResult::done();
}

} // namespace

FileResult rewrittenRaceBytes(QByteArray bytes, const QString& fileName, RewrittenLines which,
                              const std::array<double, 3>& values, QByteArray& out)
{
    return rewrittenBytes(RaceFileLines::parse(std::move(bytes), true), fileName, which,
                          {numberText(values[0]), numberText(values[1]), numberText(values[2])}, out);
}

namespace {

FileResult prepareRewrite(const RaceFolder& folder, const QString& fileName, RewrittenLines replaced,
                          const std::array<QString, 3>& values, PendingRewrite& pending)
{
    if (fileName.isEmpty())
        return failed(QStringLiteral("書き換えるレースが選ばれていません。"));
    // Everything is read and checked before "TKR.tmp" is touched: a file that vanished or cannot be read whole
    // changes nothing.
    FileBytes file = readFileBytes(folder.filePath(fileName), maxBytes, FollowLinks::No);
    if (file.status == FileBytes::Status::Link)
        return failed(QStringLiteral("レースファイル「%1」はほかの場所のファイルへのリンクのため、書き換えられません。")
                          .arg(fileName));
    const QByteArray original = file.bytes;
    const std::int64_t originalSize = file.size;
    QByteArray bytes;
    const RaceFileLines lines = RaceFileLines::of(std::move(file), true);
    if (FileResult built = rewrittenBytes(lines, fileName, replaced, values, bytes); !built.ok)
        return built;

    const QString temp = RaceFolder::tempFileName;
    if (const SaveResult written = replaceWholeFile(folder.filePath(temp), bytes); !written.ok)
        return failed(QStringLiteral("一時ファイル「%1」を書き込めませんでした（%2）。レースファイルはそのままです。")
                          .arg(temp, japaneseReason(written.reason)));
    pending = {fileName, original, originalSize, std::move(bytes)};
    return FileResult::done();
}

// The numbers the boxes hold, as the digits to write; an empty box is 0. A box that holds no number, or more digits
// than can be shown again whole, is refused with a sentence naming it (the screens check first; this is the last
// guard before a file is touched).
struct BoxValue {
    QString caption; // the box's caption on the screen
    QString what;    // what the user types there
    QString text;
};

std::optional<std::array<QString, 3>> writtenValues(const std::vector<BoxValue>& boxes, FileResult& refusal)
{
    std::array<QString, 3> values = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (const QString problem = numberBoxProblem(boxes[i].text, boxes[i].caption, boxes[i].what);
            !problem.isEmpty()) {
            refusal = failed(problem);
            return std::nullopt;
        }
        values[i] = readTypedNumber(boxes[i].text).plain;
    }
    return values;
}

} // namespace

FileResult RaceFolder::prepareResults(const QString& fileName, const QString& first, const QString& second,
                                      const QString& payout, PendingRewrite& pending) const
{
    FileResult refusal;
    const std::optional<std::array<QString, 3>> values =
        writtenValues({{QStringLiteral("一着"), QStringLiteral("馬番"), first},
                       {QStringLiteral("二着"), QStringLiteral("馬番"), second},
                       {QStringLiteral("配当金"), QStringLiteral("金額"), payout}},
                      refusal);
    if (!values)
        return refusal;
    return prepareRewrite(*this, fileName, RewrittenLines::Results, *values, pending);
}

FileResult RaceFolder::prepareBalance(const QString& fileName, const QString& stake, const QString& income,
                                      PendingRewrite& pending) const
{
    FileResult refusal;
    const std::optional<std::array<QString, 3>> values =
        writtenValues({{QStringLiteral("馬券購入金額"), QStringLiteral("金額"), stake},
                       {QStringLiteral("このレースの収入"), QStringLiteral("金額"), income}},
                      refusal);
    if (!values)
        return refusal;
    return prepareRewrite(*this, fileName, RewrittenLines::Balance, *values, pending);
}

FileResult RaceFolder::commit(const PendingRewrite& pending) const
{
    // "TKR.tmp" is copied back as it now is: it must still be the file prepare wrote and hold what it wrote, or
    // something else changed it meanwhile.
    const FileBytes temp = readFileBytes(filePath(tempFileName), maxBytes, FollowLinks::No);
    if (temp.status == FileBytes::Status::Missing || temp.status == FileBytes::Status::Failed)
        return failed(QStringLiteral("一時ファイル「%1」を読み戻せませんでした（%2）。レースファイルはそのままです。")
                          .arg(tempFileName, japaneseReason(qt_error_string(temp.error))));
    if (temp.status != FileBytes::Status::Read || temp.cutShort || temp.bytes != pending.rewritten)
        return failed(QStringLiteral("確認のあいだに一時ファイル「%1」がほかから変えられたため、書き換えをやめました。"
                                     "レースファイルはそのままです。")
                          .arg(tempFileName));
    // The race file must still be the one prepare read: another program may have changed, replaced or removed it
    // while the question was open, and its change is not to be lost.
    const FileBytes now = readFileBytes(filePath(pending.fileName), maxBytes, FollowLinks::No);
    if (now.status == FileBytes::Status::Missing)
        return failed(QStringLiteral("確認のあいだにレースファイル「%1」が削除されたため、書き換えをやめました。")
                          .arg(pending.fileName));
    if (now.status != FileBytes::Status::Read || now.bytes != pending.original || now.size != pending.originalSize)
        return failed(
            QStringLiteral("確認のあいだにレースファイル「%1」がほかから変えられたため、書き換えをやめました。"
                           "変えられた内容はそのままです。")
                .arg(pending.fileName));
    if (const SaveResult saved = replaceWholeFile(filePath(pending.fileName), temp.bytes); !saved.ok)
        return failed(
            QStringLiteral("レースファイル「%1」を書き換えられませんでした（%2）。レースファイルはそのままです。")
                .arg(pending.fileName, japaneseReason(saved.reason)));
    return FileResult::done();
}

FileResult RaceFolder::remove(const QString& fileName) const
{
    if (fileName.isEmpty())
        return failed(QStringLiteral("削除するレースが選ばれていません。"));
    if (FileResult found = present(fileName); !found.ok)
        return found;
    QFile file(filePath(fileName));
    if (!file.remove())
        return failed(QStringLiteral("レースファイル「%1」を削除できませんでした（%2）。")
                          .arg(fileName, japaneseReason(file.errorString())));
    return FileResult::done();
}

#include "racefile/race_folder.h"

#include "core/numbers.h"
#include "core/system_error.h"
#include "racefile/file_bytes.h"
#include "racefile/file_names.h"
#include "racefile/race_bytes.h"
#include "racefile/race_lines.h"
#include "racefile/save_file.h"

#include <array>
#include <cerrno>
#include <optional>
#include <vector>

#include <unistd.h>

using namespace racelines;

namespace {

FileResult failed(const QString& error) { return FileResult::failed(error); }

FileResult stoppedWaiting()
{
    return failed(QStringLiteral("待つのをやめたため、書き換えをやめました。レースファイルはそのままです。"));
}

FileResult tooLarge(const QString& fileName)
{
    return failed(
        QStringLiteral("レースファイル「%1」は大きすぎて、書き換えられません。").arg(shownFileName(fileName)));
}

// The whole race, line by line in the kind each line is copied in, with the replaced lines put in as number
// lines. Lines that are copied keep their own bytes (only the blanks a kind drops are dropped): re-encoding them would
// turn characters that have two codes in code page 932 (NEC and IBM rows) into the other code. Whatever follows the
// income line (data a later version or another program keeps there) is copied byte for byte.
FileResult rewrittenBytes(const RaceFileLines& lines, const QString& fileName, RewrittenLines replaced,
                          const std::array<QString, 3>& values, QByteArray& out)
{
    // Only the whole file can be rewritten: a file read in part would lose the rest.
    if (lines.cutShort())
        return tooLarge(fileName);
    if (!lines.trusted())
        return failed(lines.problemMessage(shownFileName(fileName)));
    const int n = lines.runnerCount();
    if (lines.count() < lineCount(n))
        return failed(QStringLiteral("レースファイル「%1」は%2行あるはずが%3行しかないため、書き換えられません。")
                          .arg(shownFileName(fileName))
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
                          .arg(shownFileName(fileName))
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
    bytes += lines.afterRace();
    out = std::move(bytes);
    return FileResult::done();
}

} // namespace

FileResult rewrittenRaceBytes(QByteArray bytes, const QString& fileName, RewrittenLines which,
                              const std::array<double, 3>& values, QByteArray& out)
{
    return rewrittenBytes(RaceFileLines::parse(std::move(bytes), true, maxRewriteBytes), fileName, which,
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
    FileBytes file = readFileBytes(folder.filePath(fileName), maxRewriteBytes, FollowLinks::No);
    if (file.status == FileBytes::Status::Link)
        return failed(QStringLiteral("レースファイル「%1」はほかの場所のファイルへのリンクのため、書き換えられません。")
                          .arg(shownFileName(fileName)));
    if (file.status == FileBytes::Status::Read && file.cutShort)
        return tooLarge(fileName);
    const QByteArray original = file.bytes;
    const std::int64_t originalSize = file.size;
    QByteArray bytes;
    const RaceFileLines lines = RaceFileLines::of(std::move(file), true);
    if (FileResult built = rewrittenBytes(lines, fileName, replaced, values, bytes); !built.ok)
        return built;

    const QString temp = RaceFolder::tempFileName;
    const SaveResult written = replaceWholeFile(folder.filePath(temp), bytes, {}, {}, folder.lockWait());
    if (written.stoppedWaiting)
        return stoppedWaiting();
    if (!written.ok)
        return failed(QStringLiteral("一時ファイル「%1」を書き込めませんでした（%2）。レースファイルはそのままです。")
                          .arg(temp, japaneseReason(written.reason)));
    pending = {fileName, original, originalSize, std::move(bytes)};
    return FileResult::done();
}

// The numbers the boxes hold, as the digits to write; an empty box is 0. A box that holds no number, or more digits
// than can be shown again whole, or an amount that is not whole yen from 0 to maxAmountYen, is refused with a sentence
// naming it (the screens check first; this is the last guard before a file is touched).
struct BoxValue {
    QString caption; // the box's caption on the screen
    bool amount;     // a sum of money, else a horse number
    QString text;
};

std::optional<std::array<QString, 3>> writtenValues(const std::vector<BoxValue>& boxes, FileResult& refusal)
{
    std::array<QString, 3> values = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const BoxValue& box = boxes[i];
        if (const QString problem = box.amount ? amountBoxProblem(box.text, box.caption)
                                               : numberBoxProblem(box.text, box.caption, QStringLiteral("馬番"));
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
    const std::optional<std::array<QString, 3>> values = writtenValues({{QStringLiteral("一着"), false, first},
                                                                        {QStringLiteral("二着"), false, second},
                                                                        {QStringLiteral("配当金"), true, payout}},
                                                                       refusal);
    if (!values)
        return refusal;
    return prepareRewrite(*this, fileName, RewrittenLines::Results, *values, pending);
}

FileResult RaceFolder::prepareBalance(const QString& fileName, const QString& stake, const QString& income,
                                      PendingRewrite& pending) const
{
    FileResult refusal;
    const std::optional<std::array<QString, 3>> values = writtenValues(
        {{QStringLiteral("馬券購入金額"), true, stake}, {QStringLiteral("このレースの収入"), true, income}}, refusal);
    if (!values)
        return refusal;
    return prepareRewrite(*this, fileName, RewrittenLines::Balance, *values, pending);
}

FileResult RaceFolder::commit(const PendingRewrite& pending) const
{
    // The race file gets the bytes the user was asked about. "TKR.tmp" is not read back: another window on the folder
    // may have written its own rewrite there meanwhile, which is no reason to fail this one.
    const QString shown = shownFileName(pending.fileName);
    FileResult refusal = FileResult::done();
    // The race file must still be the one prepare read: another program may have changed, replaced or removed it
    // while the question was open, and its change is not to be lost. Checked once the new copy is on disk, right
    // before the rename, and under the folder's lock, so that no other トキロ can write it in between.
    auto stillAsRead = [&] {
        const FileBytes now = readFileBytes(filePath(pending.fileName), maxRewriteBytes, FollowLinks::No);
        if (now.status == FileBytes::Status::Missing) {
            refusal =
                failed(QStringLiteral("確認のあいだにレースファイル「%1」が削除されたため、書き換えをやめました。")
                           .arg(shown));
            return false;
        }
        if (now.status != FileBytes::Status::Read || now.cutShort || now.bytes != pending.original
            || now.size != pending.originalSize) {
            refusal = failed(QStringLiteral("確認のあいだにレースファイル「%1」がほかから変えられたため、"
                                            "書き換えをやめました。変えられた内容はそのままです。")
                                 .arg(shown));
            return false;
        }
        return true;
    };
    const SaveResult saved =
        replaceWholeFile(filePath(pending.fileName), pending.rewritten, {}, stillAsRead, lockWait_);
    if (saved.stoppedWaiting)
        return stoppedWaiting();
    if (saved.stoppedByCheck)
        return refusal;
    if (!saved.ok)
        return failed(
            QStringLiteral("レースファイル「%1」を書き換えられませんでした（%2）。レースファイルはそのままです。")
                .arg(shown, japaneseReason(saved.reason)));
    return FileResult::done();
}

FileResult RaceFolder::remove(const QString& fileName) const
{
    if (fileName.isEmpty())
        return failed(QStringLiteral("削除するレースが選ばれていません。"));
    if (FileResult found = present(fileName); !found.ok)
        return found;
    if (::unlink(fileNameBytes(filePath(fileName)).constData()) != 0)
        return failed(QStringLiteral("レースファイル「%1」を削除できませんでした（%2）。")
                          .arg(shownFileName(fileName), japaneseReason(qt_error_string(errno))));
    return FileResult::done();
}

#pragma once

#include "racefile/race_bytes.h"
#include "racefile/race_folder.h"
#include "racefile/race_lines.h"

#include "core/numbers.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

// What a rewrite through RaceFolder promises for any race file, any box texts, either answer and anything done to
// "TKR.tmp" or to the race file while the question is open: the race file is either unchanged (or as the other program
// left it) or rewritten exactly as the format says, whatever became of "TKR.tmp" (another window may use it), and
// nothing outside the folder changes. Shared by the fuzz target
// and the test that replays its corpus.
//
// An input is: one byte of choices, three box texts (each a length byte, 0..31, and that many bytes of UTF-8), and the
// race file's bytes.
namespace rewritecheck {

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline bool isLink(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

inline bool exists(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// The rewritten file as the format describes it, line by line from the original's lines: text lines trimmed, optional
// lines in their kind (the rules of one line are the library's), the replaced lines as number lines of the boxes'
// digits, every line ended by CR LF; then whatever followed the income line, byte for byte. Only asked for a file the
// rewrite accepted, so line 8 holds a count that fits.
inline QByteArray formatRewrite(const QByteArray& original, bool results, const QString (&values)[3])
{
    QList<QByteArray> lines;
    QList<qsizetype> ends; // where the bytes after each line (and its line end) begin
    qsizetype start = 0;
    for (qsizetype i = 0; i < original.size(); ++i) {
        if (original[i] == '\r' || original[i] == '\n') {
            lines << original.mid(start, i - start);
            if (original[i] == '\r' && i + 1 < original.size() && original[i + 1] == '\n')
                ++i;
            start = i + 1;
            ends << start;
        }
    }
    if (start < original.size()) {
        lines << original.mid(start);
        ends << original.size();
    }
    auto line = [&](int number) { return number <= lines.size() ? lines[number - 1] : QByteArray(); };
    auto trimmed = [](const QByteArray& bytes) {
        qsizetype begin = 0;
        qsizetype end = bytes.size();
        while (begin < end && (bytes[begin] == ' ' || bytes[begin] == '\t'))
            ++begin;
        while (end > begin && (bytes[end - 1] == ' ' || bytes[end - 1] == '\t'))
            --end;
        return bytes.mid(begin, end - begin);
    };
    auto numberLine = [](const QString& digits) { return racelines::numberLineBytes(digits); };
    auto optional = [](const QByteArray& bytes) { return racelines::optionalLineBytes(bytes); };
    const int n = *toInt16(*racelines::numberOfLine(line(8)));
    QByteArray out;
    auto put = [&out](const QByteArray& bytes) { out += bytes + "\r\n"; };
    for (int i = 1; i <= 6; ++i)
        put(trimmed(line(i)));
    for (int i = 7; i <= 9; ++i)
        put(optional(line(i)));
    for (int i = 10; i < 10 + n; ++i)
        put(trimmed(line(i)));
    for (int i = 10 + n; i < 10 + 7 * n; ++i)
        put(optional(line(i)));
    for (int i = 0; i < 3; ++i)
        put(results ? numberLine(values[i]) : trimmed(line(10 + 7 * n + i)));
    for (int i = 0; i < 2; ++i)
        put(results ? optional(line(13 + 7 * n + i)) : numberLine(values[i]));
    return out + original.mid(ends[14 + 7 * n - 1]);
}

// Empties the folder for the next input (files, links, pipes and folders alike).
inline void emptyFolder(const QString& folder)
{
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        if (::unlink(path.constData()) != 0)
            ::rmdir(path.constData());
    }
}

// folder: an empty folder of the fuzzer's own; outside: a folder beside it holding "victim.txt" and "decoy.txt".
// Returns what failed, or an empty text.
inline QString rewriteCheckFailure(const QByteArray& input, const QString& folder, const QString& outside)
{
    if (input.isEmpty())
        return {};
    const unsigned char choices = static_cast<unsigned char>(input[0]);
    const bool results = choices & 1;
    const bool answer = choices & 2;
    const int tempMeddling = (choices >> 2) & 7; // what happens to "TKR.tmp" while the question is open
    const int raceMeddling = (choices >> 5) & 3; // and to the race file
    qsizetype at = 1;
    QString texts[3];
    for (QString& text : texts) {
        const qsizetype size = at < input.size() ? static_cast<unsigned char>(input[at++]) % 32 : 0;
        text = QString::fromUtf8(input.mid(at, size));
        at += size;
    }
    const QByteArray original = input.mid(at);

    emptyFolder(folder);
    const RaceFolder races(folder);
    const QString race = races.filePath(QStringLiteral("r.tkr"));
    const QString temp = races.filePath(RaceFolder::tempFileName);
    const QString victim = QDir(outside).filePath(QStringLiteral("victim.txt"));
    const QString decoy = QDir(outside).filePath(QStringLiteral("decoy.txt"));
    const QByteArray victimBytes = fileBytes(victim);
    if (!putFile(race, original))
        return QStringLiteral("cannot write the race file");
    // Half the time a link to a file outside waits in the place of "TKR.tmp".
    if (choices & 0x80)
        QFile::link(victim, temp);

    // The boxes: a text that holds no number (or too many digits, or an amount that is not whole yen from 0 to
    // maxAmountYen) is refused, naming its box; else its digits are written as they are, an empty box as 0.
    const QString captions[3][2] = {{results ? QStringLiteral("一着") : QStringLiteral("馬券購入金額"),
                                     results ? QStringLiteral("馬番") : QStringLiteral("金額")},
                                    {results ? QStringLiteral("二着") : QStringLiteral("このレースの収入"),
                                     results ? QStringLiteral("馬番") : QStringLiteral("金額")},
                                    {QStringLiteral("配当金"), QStringLiteral("金額")}};
    QString values[3] = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    QString refusal;
    for (int i = 0; i < (results ? 3 : 2); ++i) {
        // Amounts must be whole yen from 0 to maxAmountYen besides.
        const bool amount = captions[i][1] == QStringLiteral("金額");
        if (refusal.isEmpty())
            refusal = amount ? amountBoxProblem(texts[i], captions[i][0])
                             : numberBoxProblem(texts[i], captions[i][0], captions[i][1]);
        values[i] = readTypedNumber(texts[i]).plain;
    }
    QByteArray checked;
    const bool readable =
        rewrittenRaceBytes(original, QStringLiteral("r.tkr"),
                           results ? RewrittenLines::Results : RewrittenLines::Balance, {0, 0, 0}, checked)
            .ok;
    const bool rewritable = refusal.isEmpty() && readable;
    PendingRewrite pending;
    const FileResult prepared =
        results ? races.prepareResults(QStringLiteral("r.tkr"), texts[0], texts[1], texts[2], pending)
                : races.prepareBalance(QStringLiteral("r.tkr"), texts[0], texts[1], pending);
    if (fileBytes(victim) != victimBytes)
        return QStringLiteral("prepare changed a file outside the folder");
    if (fileBytes(race) != original)
        return QStringLiteral("prepare changed the race file");
    if (prepared.ok != rewritable)
        return QStringLiteral("prepare and the rewritten bytes disagree: ") + prepared.error;
    if (!refusal.isEmpty() && prepared.error != refusal)
        return QStringLiteral("a refused box is not named: ") + prepared.error;
    if (!prepared.ok) {
        if (prepared.error.isEmpty())
            return QStringLiteral("a failed prepare tells nothing");
        return {};
    }
    const QByteArray model = formatRewrite(original, results, values);
    if (pending.rewritten != model)
        return QStringLiteral("the rewrite is not what the format says");
    if (isLink(temp) || fileBytes(temp) != model)
        return QStringLiteral("TKR.tmp is not a file of its own holding the rewrite");

    // Meanwhile, another program (or another window on the folder)...
    switch (tempMeddling) {
    case 1: // writes the same bytes again
        QFile::remove(temp);
        putFile(temp, model);
        break;
    case 2: putFile(temp, model + "x"); break;
    case 3: QFile::remove(temp); break;
    case 4: // puts a link to a file outside that holds the very bytes
        putFile(decoy, model);
        QFile::remove(temp);
        QFile::link(decoy, temp);
        break;
    case 5:
        QFile::remove(temp);
        QDir().mkdir(temp);
        break;
    default: break;
    }
    QByteArray raceNow = original;
    bool raceKept = true;
    switch (raceMeddling) {
    case 1: // saves the same race again
        QFile::remove(race);
        putFile(race, original);
        break;
    case 2:
        raceNow = original + "\r\n";
        putFile(race, raceNow);
        raceKept = false;
        break;
    case 3:
        QFile::remove(race);
        raceNow.clear();
        raceKept = false;
        break;
    default: break;
    }
    const QByteArray decoyBytes = fileBytes(decoy);

    if (answer) {
        const FileResult committed = races.commit(pending);
        if (committed.ok != raceKept)
            return QStringLiteral("commit went ahead after a change, or failed without one: ") + committed.error;
        if (!committed.ok && committed.error.isEmpty())
            return QStringLiteral("a failed commit tells nothing");
        if (committed.ok)
            raceNow = model;
    }
    if (raceMeddling == 3 ? exists(race) : fileBytes(race) != raceNow)
        return QStringLiteral("the race file is neither kept nor rewritten as the format says");
    if (fileBytes(victim) != victimBytes || fileBytes(decoy) != decoyBytes)
        return QStringLiteral("a file outside the folder changed");
    // The save helper's own temporary copies and the folder's lock are gone.
    for (const QString& name :
         QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (name != QStringLiteral("r.tkr") && name != RaceFolder::tempFileName)
            return QStringLiteral("left behind in the folder: ") + name;
    }
    return {};
}

} // namespace rewritecheck

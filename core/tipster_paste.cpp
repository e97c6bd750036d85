#include "core/tipster_paste.h"

#include "prediction/mark_sheet.h"

#include <QRegularExpression>
#include <QStringList>

#include <set>

namespace {

QString halfWidthDigits(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(u'0' + (c.unicode() - 0xFF10));
    }
    return text;
}

QString oneLineEnd(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\u3000'; }

// What may stand between a mark and its number, or between two pairs.
bool isPairSeparator(QChar c)
{
    static const QString separators = QStringLiteral(",、，:：-－/／番\n");
    return isBlank(c) || separators.contains(c);
}

// A line that says "no mark" in a column copied line by line.
bool saysNoMark(const QString& line)
{
    static const QStringList none = {
        QString(),          QStringLiteral("-"), QStringLiteral("－"), QStringLiteral("・"), QStringLiteral("--"),
        QStringLiteral("―")};
    return none.contains(line);
}

struct Token {
    enum class Kind { Mark, Number } kind;
    int value;
};

// The text as marks and numbers alone; nullopt when anything else stands in it.
std::optional<std::vector<Token>> pairTokens(const QString& text)
{
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 0x80) {
            int value = 0;
            qsizetype j = i;
            for (; j < text.size() && text[j].unicode() >= u'0' && text[j].unicode() <= u'9' && j - i < 3; ++j)
                value = value * 10 + (text[j].unicode() - u'0');
            tokens.push_back({Token::Kind::Number, value});
            i = j;
        } else if (const std::optional<int> kind = markKindOfCharacter(c, false)) {
            tokens.push_back({Token::Kind::Mark, *kind});
            ++i;
        } else if (isPairSeparator(c)) {
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

QString trimmedLine(const QString& line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isBlank(line[begin]))
        ++begin;
    while (end > begin && isBlank(line[end - 1]))
        --end;
    return line.mid(begin, end - begin);
}

PastedMarks refused(QString sentence) { return {false, {}, std::move(sentence)}; }

PastedMarks fromPairs(const std::vector<Token>& tokens, int runners)
{
    const bool markFirst = tokens.front().kind == Token::Kind::Mark;
    if (tokens.size() % 2 != 0)
        return refused(
            QStringLiteral("印と馬番が組になっていません。「◎3 ○7 ▲1」のように、印と馬番を並べてください。"));
    PastedMarks pasted{true, std::vector<int>(static_cast<std::size_t>(runners), -1), {}};
    for (std::size_t i = 0; i < tokens.size(); i += 2) {
        const Token& mark = markFirst ? tokens[i] : tokens[i + 1];
        const Token& number = markFirst ? tokens[i + 1] : tokens[i];
        if (mark.kind != Token::Kind::Mark || number.kind != Token::Kind::Number)
            return refused(
                QStringLiteral("印と馬番が組になっていません。「◎3 ○7 ▲1」のように、印と馬番を並べてください。"));
        if (number.value < 1 || number.value > runners)
            return refused(
                QStringLiteral("馬番%1はこのレースにありません（1～%2番）。").arg(number.value).arg(runners));
        int& cell = pasted.marks[static_cast<std::size_t>(number.value - 1)];
        if (cell != -1)
            return refused(
                QStringLiteral("%1番に印が二つあります。一人の予想家の印は一頭に一つです。").arg(number.value));
        cell = mark.value;
    }
    return pasted;
}

PastedMarks fromLines(const QString& text, int runners)
{
    QStringList lines = text.split(u'\n');
    while (!lines.isEmpty() && trimmedLine(lines.back()).isEmpty())
        lines.pop_back();
    if (lines.size() > runners)
        return refused(
            QStringLiteral("%1行ありますが、このレースは%2頭立てです。一行に一頭ずつ、馬番の順に印を並べてください。")
                .arg(lines.size())
                .arg(runners));
    PastedMarks pasted{true, std::vector<int>(static_cast<std::size_t>(runners), -1), {}};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = trimmedLine(lines[i]);
        if (saysNoMark(line))
            continue;
        const std::optional<int> kind = line.size() == 1 ? markKindOfCharacter(line[0], false) : std::nullopt;
        if (!kind)
            return refused(QStringLiteral("%1行目の「%2」を印として読めません。").arg(i + 1).arg(line));
        pasted.marks[static_cast<std::size_t>(i)] = *kind;
    }
    return pasted;
}

bool isKatakana(QChar c) { return (c.unicode() >= 0x30A1 && c.unicode() <= 0x30FA) || c.unicode() == 0x30FC; }
bool isLatinLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// A horse's name: katakana (as every horse registered in Japan is named) or latin letters (a horse from abroad), not
// the sex and age that stand beside it.
bool looksLikeName(const QString& word)
{
    static const QRegularExpression sexAndAge(QStringLiteral("^[牡牝セ騸][0-9]+$"));
    if (word.size() < 2 || sexAndAge.match(word).hasMatch())
        return false;
    int katakana = 0;
    int latin = 0;
    for (QChar c : word) {
        katakana += isKatakana(c);
        latin += isLatinLetter(c);
    }
    return katakana * 2 > word.size() || (katakana == 0 && latin * 2 > word.size() && latin >= 2);
}

} // namespace

std::optional<int> markKindOfCharacter(QChar c, bool digitsAreMarks)
{
    switch (c.unicode()) {
    case u'◎': return 0;
    case u'○':
    case u'◯':
    case u'〇': return 1;
    case u'△': return 2;
    case u'▲': return 3;
    case u'×':
    case u'✕':
    case u'✖':
    case u'x':
    case u'X':
    case u'ｘ':
    case u'Ｘ':
    case u'注': return 4;
    case u'★':
    case u'☆': return 5;
    default: break;
    }
    if (digitsAreMarks) {
        if (c.unicode() >= u'1' && c.unicode() <= u'6')
            return c.unicode() - u'1';
        if (c.unicode() >= 0xFF11 && c.unicode() <= 0xFF16)
            return c.unicode() - 0xFF11;
    }
    return std::nullopt;
}

PastedMarks parsePastedMarks(const QString& text, int runners)
{
    const QString plain = oneLineEnd(halfWidthDigits(text));
    if (trimmedLine(QString(plain).replace(u'\n', u' ')).isEmpty())
        return refused(QStringLiteral("貼り付ける印がありません。"));
    if (const std::optional<std::vector<Token>> tokens = pairTokens(plain)) {
        const bool hasNumber =
            std::any_of(tokens->begin(), tokens->end(), [](const Token& t) { return t.kind == Token::Kind::Number; });
        if (hasNumber && !tokens->empty())
            return fromPairs(*tokens, runners);
    }
    return fromLines(plain, runners);
}

PastedNames parsePastedNames(const QString& text, int runners)
{
    PastedNames pasted;
    std::set<int> named;
    int lastNumber = 0;
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\x{3000}]+"));
    for (const QString& line : oneLineEnd(halfWidthDigits(text)).split(u'\n')) {
        bool found = false;
        bool anyText = false;
        for (const QString& word : line.split(blanks, Qt::SkipEmptyParts)) {
            anyText = true;
            bool isNumber = false;
            const int number = word.size() <= 2 ? word.toInt(&isNumber) : 0;
            if (isNumber) {
                lastNumber = number >= 1 && number <= runners ? number : 0;
                continue;
            }
            if (lastNumber == 0 || !looksLikeName(word))
                continue;
            if (named.insert(lastNumber).second)
                pasted.names.push_back({lastNumber, word});
            found = true;
            // What follows a name (jockey, trainer, owner) is never this runner's name.
            lastNumber = 0;
        }
        if (anyText && !found && lastNumber == 0)
            ++pasted.ignoredLines;
    }
    return pasted;
}

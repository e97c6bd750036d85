#include "core/tipster_paste.h"

#include "core/pasted_table.h"
#include "core/race_state.h"
#include "core/tipster_grid.h"

#include <QStringList>

#include <algorithm>
#include <map>
#include <set>

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isKatakana(QChar c) { return (c.unicode() >= 0x30A1 && c.unicode() <= 0x30FA) || c.unicode() == 0x30FC; }
bool isLatinLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// What may stand between a mark and its number, or between two pairs.
bool isPairSeparator(QChar c)
{
    static const QString separators = QStringLiteral(",、:-/・.。");
    return isBlank(c) || separators.contains(c);
}

// A cell or line that says "no mark".
bool saysNoMark(const QString& text)
{
    static const QStringList none = {
        QString(),           QStringLiteral("-"), QStringLiteral("・"), QStringLiteral("--"),
        QStringLiteral("―"), QStringLiteral("ー")};
    return none.contains(text.trimmed());
}

PastedMarks refused(QString sentence) { return {false, {}, {}, std::move(sentence)}; }

const QString notPaired =
    QStringLiteral("印と馬番が組になっていません。「◎3 ○7 ▲1」のように、印と馬番を並べてください。");

struct Token {
    enum class Kind { Mark, Number, Frame, Name, Text } kind;
    int value = 0;
    QString text;
};

// A line as marks, numbers, names and other words.
std::vector<Token> tokensOf(const QString& line)
{
    std::vector<Token> tokens;
    const qsizetype size = line.size();
    for (qsizetype i = 0; i < size;) {
        const QChar c = line[i];
        if (c >= u'0' && c <= u'9') {
            qsizetype j = i;
            int value = 0;
            for (; j < size && line[j] >= u'0' && line[j] <= u'9'; ++j)
                value = std::min(value * 10 + (line[j].unicode() - u'0'), 1000);
            if (j < size && line[j] == u'枠') {
                tokens.push_back({Token::Kind::Frame, value, {}});
                i = j + 1;
                continue;
            }
            tokens.push_back({Token::Kind::Number, value, {}});
            i = j < size && line[j] == u'番' ? j + 1 : j;
        } else if (const int circled = circledNumber(c)) {
            tokens.push_back({Token::Kind::Number, circled, {}});
            i = i + 1 < size && line[i + 1] == u'番' ? i + 2 : i + 1;
        } else if (c == u'(' && i + 2 < size && line[i + 1].isDigit()) {
            qsizetype j = i + 1;
            int value = 0;
            for (; j < size && line[j] >= u'0' && line[j] <= u'9'; ++j)
                value = std::min(value * 10 + (line[j].unicode() - u'0'), 1000);
            if (j < size && line[j] == u')') {
                tokens.push_back({Token::Kind::Number, value, {}});
                i = j + 1;
            } else {
                tokens.push_back({Token::Kind::Text, 0, line.mid(i)});
                break;
            }
        } else if (isKatakana(c) || (isLatinLetter(c) && i + 1 < size && isLatinLetter(line[i + 1]))) {
            qsizetype j = i;
            while (j < size && (isKatakana(line[j]) || isLatinLetter(line[j]) || line[j] == u'・'))
                ++j;
            tokens.push_back({Token::Kind::Name, 0, line.mid(i, j - i)});
            i = j;
        } else if (const std::optional<int> kind = markKindOfCharacter(c, false)) {
            tokens.push_back({Token::Kind::Mark, *kind, {}});
            ++i;
        } else if (isPairSeparator(c) || c == u'番') {
            ++i;
        } else {
            // Any other word, to its end.
            qsizetype j = i;
            while (j < size && !isBlank(line[j]))
                ++j;
            tokens.push_back({Token::Kind::Text, 0, line.mid(i, j - i)});
            i = j;
        }
    }
    return tokens;
}

struct MarkLine {
    int number = 0; // 1-based line of the paste
    QString text;   // trimmed
    std::vector<Token> tokens;
    int marks = 0;
    bool opensWithNumber = false;
    bool hasWords = false;
    // Text without a mark and without a runner's number: a title, a column's header, a note.
    bool noise() const { return marks == 0 && !opensWithNumber && hasWords; }
    // Before the first mark or after the last, any words without a mark (a date under the marks) are passed over.
    bool around() const { return marks == 0 && hasWords; }
};

MarkLine markLineOf(int number, const QString& text)
{
    MarkLine line{number, text.trimmed(), {}, 0, false, false};
    if (saysNoMark(line.text))
        return line;
    line.tokens = tokensOf(line.text);
    for (const Token& token : line.tokens) {
        line.marks += token.kind == Token::Kind::Mark;
        line.hasWords = line.hasWords || token.kind == Token::Kind::Name || token.kind == Token::Kind::Text;
    }
    line.opensWithNumber =
        !line.tokens.empty()
        && (line.tokens.front().kind == Token::Kind::Number || line.tokens.front().kind == Token::Kind::Frame);
    return line;
}

QString refusedLine(const MarkLine& line)
{
    return QStringLiteral("%1行目の「%2」を読めません。印と馬番だけの行にしてください。")
        .arg(line.number)
        .arg(line.text);
}

std::vector<int> noMarks(int runners) { return std::vector<int>(static_cast<std::size_t>(std::max(runners, 0)), -1); }

// Gives runner n the kind, refusing numbers outside the race and a second mark.
std::optional<QString> give(std::vector<int>& marks, int number, int kind)
{
    const int runners = static_cast<int>(marks.size());
    if (number < 1 || number > runners)
        return QStringLiteral("馬番%1はこのレースにありません（1～%2番）。").arg(number).arg(runners);
    int& cell = marks[static_cast<std::size_t>(number - 1)];
    if (cell != -1)
        return QStringLiteral("%1番に印が二つあります。一人の予想家の印は一頭に一つです。").arg(number);
    cell = kind;
    return std::nullopt;
}

PastedMarks fromPairs(const std::vector<MarkLine>& lines, int runners)
{
    std::vector<Token> tokens;
    for (const MarkLine& line : lines) {
        for (std::size_t i = 0; i < line.tokens.size(); ++i) {
            const Token& token = line.tokens[i];
            if (token.kind == Token::Kind::Frame)
                continue;
            // A name after its number, as cards print 「◎３番ドウデュース」.
            if (token.kind == Token::Kind::Name && i > 0 && line.tokens[i - 1].kind == Token::Kind::Number)
                continue;
            if (token.kind == Token::Kind::Name || token.kind == Token::Kind::Text)
                return refused(QStringLiteral("%1行目の「%2」を読めません。").arg(line.number).arg(token.text));
            tokens.push_back(token);
        }
    }
    if (tokens.empty() || tokens.size() % 2 != 0)
        return refused(notPaired);
    const bool markFirst = tokens.front().kind == Token::Kind::Mark;
    PastedMarks pasted{true, noMarks(runners), {}, {}};
    for (std::size_t i = 0; i < tokens.size(); i += 2) {
        const Token& mark = markFirst ? tokens[i] : tokens[i + 1];
        const Token& number = markFirst ? tokens[i + 1] : tokens[i];
        if (mark.kind != Token::Kind::Mark || number.kind != Token::Kind::Number)
            return refused(notPaired);
        if (const std::optional<QString> error = give(pasted.marks, number.value, mark.value))
            return refused(*error);
    }
    return pasted;
}

// Rows that open with the runner's numbers (frame first), then one mark or none; the rest of the row is passed over.
PastedMarks fromRows(const std::vector<MarkLine>& lines, int runners)
{
    PastedMarks pasted{true, noMarks(runners), {}, {}};
    for (const MarkLine& line : lines) {
        if (line.tokens.empty() || line.marks == 0)
            continue;
        // Of the numbers that open the row, the last is the horse number (a frame number comes before it).
        int number = 0;
        for (auto t = line.tokens.begin();
             t != line.tokens.end() && (t->kind == Token::Kind::Number || t->kind == Token::Kind::Frame); ++t) {
            if (t->kind == Token::Kind::Number)
                number = t->value;
        }
        if (number == 0)
            return refused(refusedLine(line));
        const auto mark = std::find_if(line.tokens.begin(), line.tokens.end(),
                                       [](const Token& t) { return t.kind == Token::Kind::Mark; });
        if (const std::optional<QString> error = give(pasted.marks, number, mark->value))
            return refused(*error);
    }
    return pasted;
}

PastedMarks fromColumn(const std::vector<MarkLine>& lines, int runners)
{
    if (static_cast<int>(lines.size()) > runners)
        return refused(
            QStringLiteral("%1行ありますが、このレースは%2頭立てです。一行に一頭ずつ、馬番の順に印を並べてください。")
                .arg(lines.size())
                .arg(runners));
    PastedMarks pasted{true, noMarks(runners), {}, {}};
    for (std::size_t r = 0; r < lines.size(); ++r) {
        if (lines[r].marks == 1)
            pasted.marks[r] = lines[r].tokens.front().value;
    }
    return pasted;
}

// A cell of a mark table: nullopt when it is neither a mark nor empty.
std::optional<int> markOfCell(const QString& cell)
{
    const QString text = cell.trimmed();
    if (saysNoMark(text))
        return -1;
    if (text.size() == 1)
        return markKindOfCharacter(text[0], false);
    return std::nullopt;
}

bool holdsMark(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return markKindOfCharacter(c, false).has_value(); });
}

// A table whose header row names the columns: a 馬番 column, and one column of marks or a column per tipster. nullopt
// when the paste has no such header.
std::optional<PastedMarks> fromTable(const std::vector<PastedLine>& lines, const std::vector<PastedLine>& asTyped,
                                     int runners)
{
    std::size_t headerAt = lines.size();
    int numberColumn = -1;
    for (std::size_t i = 0; i < lines.size() && headerAt == lines.size(); ++i) {
        const PastedLine& line = lines[i];
        if (!line.tabbed || line.cells.size() < 2)
            continue;
        for (int c = 0; c < line.cells.size() && numberColumn < 0; ++c) {
            if (columnRoleOf(line.cells[c]) == ColumnRole::Number)
                numberColumn = c;
        }
        // A spreadsheet's own table: nothing over the column of horse numbers.
        if (numberColumn < 0 && line.cells[0].trimmed().isEmpty() && i + 1 < lines.size() && lines[i + 1].tabbed
            && !lines[i + 1].cells.isEmpty() && printedNumbers(lines[i + 1].cells[0].trimmed()))
            numberColumn = 0;
        if (numberColumn >= 0)
            headerAt = i;
    }
    if (headerAt == lines.size())
        return std::nullopt;
    const QStringList& header = lines[headerAt].cells;

    for (std::size_t i = 0; i < headerAt; ++i) {
        if (holdsMark(lines[i].text))
            return refused(QStringLiteral("%1行目の印は、見出しの行（%2行目）より前にあるため読めません。")
                               .arg(lines[i].number)
                               .arg(lines[headerAt].number));
    }
    // The runners' rows: those with a horse number where the header says; what follows them without marks is a note.
    struct Row {
        int number;
        const PastedLine* line;
    };
    std::vector<Row> rows;
    for (std::size_t i = headerAt + 1; i < lines.size(); ++i) {
        const PastedLine& line = lines[i];
        if (line.cells.isEmpty())
            continue;
        const std::optional<PrintedNumbers> n = line.tabbed && numberColumn < line.cells.size()
                                                    ? printedNumbers(line.cells[numberColumn].trimmed())
                                                    : std::nullopt;
        if (n && n->number != 0) {
            rows.push_back({n->number, &line});
            continue;
        }
        if (holdsMark(line.text))
            return refused(QStringLiteral("%1行目に馬番がありません（「%2」の列）。")
                               .arg(line.number)
                               .arg(header[numberColumn].trimmed()));
    }
    std::set<int> numbers;
    for (const Row& row : rows) {
        if (row.number < 1 || row.number > runners)
            return refused(QStringLiteral("馬番%1はこのレースにありません（1～%2番）。").arg(row.number).arg(runners));
        if (!numbers.insert(row.number).second)
            return refused(QStringLiteral("%1番の行が二つあります。").arg(row.number));
    }

    // The columns of marks: those whose cells hold marks, each a mark or nothing.
    std::vector<PastedMarkColumn> columns;
    bool generic = false;
    for (int c = 0; c < header.size(); ++c) {
        const ColumnRole role = columnRoleOf(header[c]);
        if (c == numberColumn || (role != ColumnRole::None && role != ColumnRole::Mark))
            continue;
        // The tipster's name as the paste spells it, not folded.
        const QStringList& typed = headerAt < asTyped.size() ? asTyped[headerAt].cells : header;
        const QString label = (c < typed.size() ? typed[c] : header[c]).trimmed();
        PastedMarkColumn column{label, noMarks(runners)};
        bool any = false;
        for (const Row& row : rows) {
            const QString cell = c < row.line->cells.size() ? row.line->cells[c] : QString();
            any = any || holdsMark(cell);
        }
        if (!any)
            continue;
        for (const Row& row : rows) {
            const QString cell = c < row.line->cells.size() ? row.line->cells[c] : QString();
            const std::optional<int> kind = markOfCell(cell);
            if (!kind)
                return refused(QStringLiteral("%1行目の「%2」を「%3」の印として読めません。")
                                   .arg(row.line->number)
                                   .arg(cell.trimmed(), label.isEmpty() ? QStringLiteral("印") : label));
            column.marks[static_cast<std::size_t>(row.number - 1)] = *kind;
        }
        generic = generic || role == ColumnRole::Mark || label.isEmpty();
        columns.push_back(std::move(column));
    }
    if (columns.empty())
        return refused(QStringLiteral("見出しの行のある表ですが、印の列が見つかりません。"));
    if (columns.size() == 1 && generic)
        return PastedMarks{true, std::move(columns.front().marks), {}, {}};
    if (generic)
        return refused(QStringLiteral("印の列がいくつかありますが、予想家の名前のない列（「印」や空の見出し）があります"
                                      "。見出しの行に予想家の名前を入れてください。"));
    for (std::size_t a = 0; a < columns.size(); ++a) {
        for (std::size_t b = a + 1; b < columns.size(); ++b) {
            if (tipsterIdentity(columns[a].tipster) == tipsterIdentity(columns[b].tipster))
                return refused(QStringLiteral("見出しの行に予想家「%1」が二度あります。").arg(columns[b].tipster));
        }
    }
    return PastedMarks{true, {}, std::move(columns), {}};
}

} // namespace

std::optional<int> markKindOfCharacter(QChar c, bool digitsAreMarks)
{
    switch (c.unicode()) {
    case u'◎': return 0;
    case u'○':
    case u'◯':
    case u'〇': return 1;
    case u'△':
    case u'▽': return 2;
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
    const std::vector<PastedLine> table = pastedLines(foldPastedText(text));
    const std::vector<PastedLine> asTyped =
        pastedLines(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n'));
    if (std::optional<PastedMarks> pasted = fromTable(table, asTyped, runners))
        return *pasted;

    std::vector<MarkLine> lines;
    for (const PastedLine& line : table)
        lines.push_back(markLineOf(line.number, line.text));
    // The marks run from the first line with a mark or a runner's number to the last; a title or header above them
    // and a note below are passed over, and so are empty lines before a title.
    const auto holds = [](const MarkLine& line) { return line.marks > 0 || (line.opensWithNumber && !line.hasWords); };
    const auto first = std::find_if(lines.begin(), lines.end(), holds);
    if (first == lines.end()) {
        return refused(std::all_of(lines.begin(), lines.end(), [](const MarkLine& l) { return l.tokens.empty(); })
                           ? QStringLiteral("貼り付ける印がありません。")
                           : QStringLiteral("印が見つかりません。「◎3 ○7 ▲1」のように、印と馬番を並べてください。"));
    }
    auto begin = first;
    while (begin != lines.begin() && !std::prev(begin)->around())
        --begin;
    const auto end = std::find_if(lines.rbegin(), lines.rend(), holds).base();
    std::vector<MarkLine> marks(begin, end);
    for (const MarkLine& line : marks) {
        if (line.noise())
            return refused(refusedLine(line));
    }
    const auto tokensAre = [&marks](auto test) {
        return std::all_of(marks.begin(), marks.end(),
                           [&test](const MarkLine& l) { return std::all_of(l.tokens.begin(), l.tokens.end(), test); });
    };
    const bool oneMarkEach = std::all_of(marks.begin(), marks.end(), [](const MarkLine& l) { return l.marks <= 1; });
    if (oneMarkEach && tokensAre([](const Token& t) { return t.kind == Token::Kind::Mark; }))
        return fromColumn(marks, runners);
    const bool rows = oneMarkEach && std::all_of(marks.begin(), marks.end(), [](const MarkLine& l) {
                          return l.tokens.empty() || l.opensWithNumber;
                      });
    // 「3」「◎」 a line each is a pair cut in two lines, not rows.
    const bool pairsOnLines =
        std::any_of(marks.begin(), marks.end(), [](const MarkLine& l) { return l.marks == 1 && l.tokens.size() == 1; });
    // A table copied cell by cell: its empty cells come as empty lines, and whose mark is which cannot be told.
    if (pairsOnLines && std::any_of(marks.begin(), marks.end(), [](const MarkLine& l) { return l.tokens.empty(); }))
        return refused(
            QStringLiteral("印と馬番が一つずつの行に分かれ、間に空の行があります。表をセルごとに写したものは、"
                           "どの予想家の印か分からないため読めません。「◎3 ○7」の形にしてください。"));
    if (rows && !pairsOnLines
        && std::any_of(marks.begin(), marks.end(), [](const MarkLine& l) { return l.marks == 1; }))
        return fromRows(marks, runners);
    return fromPairs(marks, runners);
}

QString marksAsPrinted(const std::vector<int>& marks)
{
    QStringList printed;
    for (int kind : {0, 1, 3, 2, 4, 5}) {
        for (std::size_t r = 0; r < marks.size(); ++r) {
            if (marks[r] == kind)
                printed += markSymbol(kind) + QString::number(r + 1);
        }
    }
    return printed.join(u' ');
}

PastedNames parsePastedNames(const QString& text, int runners)
{
    const RunnerTable table = readRunnerTable(text);
    PastedNames pasted;
    pasted.ignoredLines = table.passedLines;
    if (table.rows.empty()) {
        pasted.error = QStringLiteral("馬番と馬名の並んだ行が見つかりませんでした。「1 "
                                      "ドウデュース」のように、一行に馬番と馬名を並べてください。");
        pasted.report = pasted.error;
        return pasted;
    }
    const int highest =
        std::max_element(table.rows.begin(), table.rows.end(), [](const RunnerRow& a, const RunnerRow& b) {
            return a.number < b.number;
        })->number;
    if (highest > runners) {
        pasted.error = QStringLiteral("貼り付けた馬名には%1番までありますが、このレースは%2頭立てです。"
                                      "頭数かレースを確かめてください。馬名は変えていません。")
                           .arg(highest)
                           .arg(runners);
        pasted.report = pasted.error;
        return pasted;
    }
    // The last name, when the paste ends in it although the rows go on after their names, was cut by the copy.
    const RunnerRow& last = table.rows.back();
    const bool othersGoOn = table.hasColumnsAfterName
                            || std::any_of(table.rows.begin(), table.rows.end() - 1,
                                           [](const RunnerRow& row) { return row.moreAfterName; });
    if (last.endsPaste && othersGoOn)
        pasted.cut = PastedName{last.number, last.name};
    const std::size_t taken = table.rows.size() - (pasted.cut ? 1 : 0);

    std::map<int, QStringList> namesOf;
    for (std::size_t i = 0; i < taken; ++i) {
        QStringList& names = namesOf[table.rows[i].number];
        if (!names.contains(table.rows[i].name))
            names += table.rows[i].name;
    }
    for (const auto& [number, names] : namesOf) {
        if (names.size() > 1)
            pasted.twoNames.push_back(number);
        else if (!pasted.cut || pasted.cut->number != number)
            pasted.names.push_back({number, names.front()});
    }
    for (int n = 1; n <= runners; ++n) {
        if (!namesOf.contains(n) && !(pasted.cut && pasted.cut->number == n))
            pasted.missing.push_back(n);
    }
    pasted.ok = true;

    const auto numbers = [](const std::vector<int>& list) {
        QStringList text;
        for (const int n : list)
            text += QString::number(n);
        return text.join(u'・') + QStringLiteral("番");
    };
    QStringList report;
    if (pasted.names.empty())
        report += QStringLiteral("貼り付けた馬名はありません。");
    else
        report += QStringLiteral("%1頭の馬名を貼り付けました（%2～%3番）。")
                      .arg(pasted.names.size())
                      .arg(pasted.names.front().number)
                      .arg(pasted.names.back().number);
    if (!pasted.twoNames.empty())
        report += QStringLiteral("%1は馬名が二つあるため貼り付けていません。").arg(numbers(pasted.twoNames));
    if (pasted.cut)
        report += QStringLiteral("%1番の「%2」は途中で切れているため貼り付けていません。")
                      .arg(pasted.cut->number)
                      .arg(pasted.cut->name);
    if (!pasted.missing.empty())
        report += QStringLiteral("%1の馬名はありませんでした（このレースは%2頭立て）。")
                      .arg(numbers(pasted.missing))
                      .arg(runners);
    pasted.report = report.join(QString());
    return pasted;
}

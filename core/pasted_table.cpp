#include "core/pasted_table.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace {

bool isHalfWidthKatakana(char16_t u) { return u >= 0xFF61 && u <= 0xFF9F; }
bool isKatakana(QChar c) { return (c.unicode() >= 0x30A1 && c.unicode() <= 0x30FA) || c.unicode() == 0x30FC; }
bool isLatinLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool isMarkOrNoMark(QChar c)
{
    static const QString signs = QStringLiteral("◎○◯〇△▽▲×✕✖★☆注-・―");
    return signs.contains(c);
}

// The circled and bracketed numbers as 「(n)」, so that one pattern reads them all.
QString bracketed(const QString& word)
{
    QString out;
    for (const QChar c : word) {
        if (const int n = circledNumber(c))
            out += QStringLiteral("(%1)").arg(n);
        else
            out += c;
    }
    return out;
}

struct Header {
    QStringList labels;
    std::vector<ColumnRole> roles;
    bool tabbed = false;
    int column(ColumnRole role) const
    {
        for (std::size_t i = 0; i < roles.size(); ++i) {
            if (roles[i] == role)
                return static_cast<int>(i);
        }
        return -1;
    }
    // Of the numbers that open a row (frame and horse number, in the header's order), the place of the horse number;
    // and how many there are. -1 when the header does not say.
    std::pair<int, int> numberPlace() const
    {
        const int name = column(ColumnRole::Name);
        int place = -1;
        int count = 0;
        for (std::size_t i = 0; i < roles.size() && (name < 0 || static_cast<int>(i) < name); ++i) {
            if (roles[i] == ColumnRole::Number)
                place = count;
            if (roles[i] == ColumnRole::Number || roles[i] == ColumnRole::Frame)
                ++count;
        }
        return {place, count};
    }
};

// A header row: two labels or more, one of them the horse number or the name.
std::optional<Header> headerOf(const QStringList& cells, bool tabbed)
{
    Header header{cells, {}, tabbed};
    int known = 0;
    bool runner = false;
    for (const QString& cell : cells) {
        const ColumnRole role = columnRoleOf(cell.trimmed());
        header.roles.push_back(role);
        known += role != ColumnRole::None;
        runner = runner || role == ColumnRole::Number || role == ColumnRole::Name;
    }
    if (known < 2 || !runner)
        return std::nullopt;
    return header;
}

// The horse number of the numbers that open a row.
int horseNumberOf(const std::vector<PrintedNumbers>& opening, const Header* header, int& frame, bool& assumed)
{
    frame = 0;
    assumed = false;
    for (auto it = opening.rbegin(); it != opening.rend(); ++it) {
        if (it->certainlyHorse) {
            frame = it->frame;
            for (auto before = std::next(it); before != opening.rend() && frame == 0; ++before)
                frame = before->number == 0 ? before->frame : 0;
            return it->number;
        }
    }
    std::vector<int> numbers;
    for (const PrintedNumbers& n : opening) {
        if (n.frame != 0)
            frame = n.frame;
        if (n.number != 0)
            numbers.push_back(n.number);
    }
    if (numbers.empty())
        return 0;
    if (header) {
        const auto [place, count] = header->numberPlace();
        if (place >= 0 && count == static_cast<int>(numbers.size())) {
            if (count == 2)
                frame = numbers[static_cast<std::size_t>(1 - place)];
            return numbers[static_cast<std::size_t>(place)];
        }
    }
    if (numbers.size() >= 2) {
        frame = numbers[numbers.size() - 2];
        assumed = true;
    }
    return numbers.back();
}

bool isNothing(const QString& cell)
{
    const QString trimmed = cell.trimmed();
    return trimmed.isEmpty() || std::all_of(trimmed.begin(), trimmed.end(), isMarkOrNoMark);
}

// Rows as lines: each line is a runner's row, its numbers first (or in the header's columns).
void readRows(const std::vector<PastedLine>& lines, RunnerTable& table)
{
    std::optional<Header> header;
    std::size_t first = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if ((header = headerOf(lines[i].cells, lines[i].tabbed))) {
            first = i + 1;
            table.passedLines +=
                static_cast<int>(std::count_if(lines.begin(), lines.begin() + static_cast<qsizetype>(i),
                                               [](const PastedLine& line) { return !line.cells.isEmpty(); }));
            break;
        }
    }
    if (header) {
        table.header = header->labels;
        table.headerTabbed = header->tabbed;
        const int name = header->column(ColumnRole::Name);
        table.hasColumnsAfterName = name >= 0 && name + 1 < static_cast<int>(header->labels.size());
    }
    const int numberColumn = header && header->tabbed ? header->column(ColumnRole::Number) : -1;
    const int nameColumn = header && header->tabbed ? header->column(ColumnRole::Name) : -1;
    const int frameColumn = header && header->tabbed ? header->column(ColumnRole::Frame) : -1;
    for (std::size_t i = first; i < lines.size(); ++i) {
        const PastedLine& line = lines[i];
        if (line.cells.isEmpty())
            continue;
        RunnerRow row;
        row.line = line.number;
        int nameAt = -1;
        if (numberColumn >= 0 && line.tabbed) {
            // The header's columns: the horse number and the name where it says.
            const std::optional<PrintedNumbers> n =
                numberColumn < line.cells.size() ? printedNumbers(line.cells[numberColumn].trimmed()) : std::nullopt;
            if (n && n->number != 0) {
                row.number = n->number;
                if (frameColumn >= 0 && frameColumn < line.cells.size()) {
                    if (const std::optional<PrintedNumbers> f = printedNumbers(line.cells[frameColumn].trimmed()))
                        row.frame = f->frame != 0 ? f->frame : f->number;
                }
                for (int c = nameColumn >= 0 ? nameColumn : numberColumn + 1; c < line.cells.size(); ++c) {
                    const QString word = withoutLeadingMarks(line.cells[c].trimmed());
                    if (looksLikeHorseName(word)) {
                        row.name = word;
                        nameAt = c;
                        break;
                    }
                    if (nameColumn >= 0)
                        break;
                }
                for (int c = 0; c < nameAt; ++c) {
                    if (const QString word = withdrawalOf(line.cells[c].trimmed()); !word.isEmpty())
                        row.withdrawal = word;
                }
            }
        } else {
            std::vector<PrintedNumbers> opening;
            for (int c = 0; c < line.cells.size(); ++c) {
                const QString cell = line.cells[c].trimmed();
                if (isNothing(cell))
                    continue;
                if (const QString word = withdrawalOf(cell); !word.isEmpty()) {
                    row.withdrawal = word;
                    continue;
                }
                if (const std::optional<PrintedNumbers> n = printedNumbers(cell)) {
                    opening.push_back(*n);
                    continue;
                }
                const QString word = withoutLeadingMarks(cell);
                if (!opening.empty() && looksLikeHorseName(word)) {
                    row.number = horseNumberOf(opening, header ? &*header : nullptr, row.frame, row.orderAssumed);
                    row.name = word;
                    nameAt = c;
                }
                break;
            }
        }
        if (nameAt < 0 || row.number == 0) {
            ++table.passedLines;
            continue;
        }
        row.nameCell = nameAt;
        for (int c = nameAt + 1; c < line.cells.size(); ++c) {
            row.after += line.cells[c].trimmed();
            row.moreAfterName = row.moreAfterName || !line.cells[c].trimmed().isEmpty();
        }
        row.endsPaste = i + 1 == lines.size() && !row.moreAfterName && line.text.endsWith(line.cells[nameAt]);
        table.rows.push_back(row);
    }
}

// A card copied cell by cell: the cells of every line in one stream; a runner is the numbers before a name.
void readCells(const std::vector<PastedLine>& lines, RunnerTable& table)
{
    struct Cell {
        int line;
        QString text;
        bool lastOfPaste;
    };
    std::vector<Cell> cells;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (qsizetype c = 0; c < lines[i].cells.size(); ++c) {
            const bool last = i + 1 == lines.size() && c + 1 == lines[i].cells.size();
            if (!lines[i].cells[c].trimmed().isEmpty())
                cells.push_back({lines[i].number, lines[i].cells[c].trimmed(), last});
        }
    }
    std::optional<Header> header;
    std::vector<PrintedNumbers> opening;
    std::vector<std::size_t> openingAt; // the cell of each opening number
    int afterName = -1;                 // cells since the last name, -1 before any
    int openedAfter = -1;               // afterName when the current opening numbers began
    std::size_t lastName = 0;
    std::set<int> usedLines;
    // The cells after a row's name, up to where the next row's numbers begin.
    const auto closeRow = [&](std::size_t end) {
        if (table.rows.empty())
            return;
        for (std::size_t c = lastName + 1; c < end; ++c)
            table.rows.back().after += cells[c].text;
    };
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Cell& cell = cells[i];
        if (columnRoleOf(cell.text) != ColumnRole::None) {
            // Labels one under another are a header copied cell by cell; a label alone is a key, and the cell after
            // it its value (「レース」「10」): neither is a runner.
            std::size_t end = i;
            QStringList labels;
            while (end < cells.size() && columnRoleOf(cells[end].text) != ColumnRole::None)
                labels += cells[end++].text;
            if (labels.size() >= 2) {
                if (std::optional<Header> h = headerOf(labels, false)) {
                    header = h;
                    table.header = labels;
                    const int name = header->column(ColumnRole::Name);
                    table.hasColumnsAfterName = name >= 0 && name + 1 < labels.size();
                }
                i = end - 1;
            } else {
                ++i;
            }
            opening.clear();
            openingAt.clear();
            continue;
        }
        if (afterName >= 0)
            ++afterName;
        if (const std::optional<PrintedNumbers> n = printedNumbers(cell.text)) {
            if (opening.empty())
                openedAfter = afterName;
            opening.push_back(*n);
            openingAt.push_back(i);
            continue;
        }
        if (isNothing(cell.text) || !withdrawalOf(cell.text).isEmpty())
            continue;
        const QString word = withoutLeadingMarks(cell.text);
        if (opening.empty() || !looksLikeHorseName(word)) {
            opening.clear();
            openingAt.clear();
            continue;
        }
        RunnerRow row;
        row.line = cell.line;
        row.name = word;
        row.endsPaste = cell.lastOfPaste;
        // Only the numbers that sit right before the name: the card's last cells (odds, popularity) come first.
        if (header) {
            const int count = header->numberPlace().second;
            if (count > 0 && static_cast<int>(opening.size()) > count) {
                opening.erase(opening.begin(), opening.end() - count);
                openingAt.erase(openingAt.begin(), openingAt.end() - count);
            }
        }
        row.number = horseNumberOf(opening, header ? &*header : nullptr, row.frame, row.orderAssumed);
        // Without a header, a popularity before the frame and horse number is no part of this row's numbers.
        const std::size_t firstNumber = openingAt[opening.size() >= 2 ? opening.size() - 2 : 0];
        opening.clear();
        openingAt.clear();
        if (row.number == 0) // frames alone (「1枠」) name no horse
            continue;
        if (!table.rows.empty())
            table.rows.back().moreAfterName = openedAfter > 1;
        closeRow(firstNumber);
        table.rows.push_back(row);
        lastName = i;
        afterName = 0;
    }
    closeRow(cells.size());
    if (!table.rows.empty())
        table.rows.back().moreAfterName = afterName > 0;
    for (const RunnerRow& row : table.rows)
        usedLines.insert(row.line);
    for (const PastedLine& line : lines) {
        if (!line.cells.isEmpty() && !usedLines.contains(line.number))
            ++table.passedLines;
    }
}

} // namespace

QString foldPastedText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u == u'\r') {
            out += u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (u >= 0xFF01 && u <= 0xFF5E) {
            out += QChar(static_cast<char16_t>(u - 0xFEE0));
        } else if (u == 0x3000 || u == 0x00A0) {
            out += u' ';
        } else if (isHalfWidthKatakana(u)) {
            // A run at once, so that a sound mark joins the kana before it (ｶﾞ → ガ).
            qsizetype end = i;
            while (end < text.size() && isHalfWidthKatakana(text[end].unicode()))
                ++end;
            out += text.mid(i, end - i).normalized(QString::NormalizationForm_KC);
            i = end - 1;
        } else {
            out += text[i];
        }
    }
    return out;
}

QString withdrawalOf(const QString& cell)
{
    static const QRegularExpression word(QStringLiteral("^[(\\[]?(?:出走|競走)?(取消|除外)[)\\]]?$"));
    const QRegularExpressionMatch match = word.match(cell.trimmed());
    return match.hasMatch() ? match.captured(1) : QString();
}

int circledNumber(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0x2460 && u <= 0x2473) // ① .. ⑳
        return u - 0x2460 + 1;
    if (u >= 0x2474 && u <= 0x2487) // ⑴ .. ⒇
        return u - 0x2474 + 1;
    if (u >= 0x2776 && u <= 0x277F) // ❶ .. ❿
        return u - 0x2776 + 1;
    if (u >= 0x2780 && u <= 0x2789) // ➀ .. ➉
        return u - 0x2780 + 1;
    if (u >= 0x278A && u <= 0x2793) // ➊ .. ➓
        return u - 0x278A + 1;
    if (u >= 0x24EB && u <= 0x24F4) // ⓫ .. ⓴
        return u - 0x24EB + 11;
    if (u >= 0x24F5 && u <= 0x24FE) // ⓵ .. ⓾
        return u - 0x24F5 + 1;
    if (u >= 0x3251 && u <= 0x325F) // ㉑ .. ㉟
        return u - 0x3251 + 21;
    return 0;
}

std::optional<PrintedNumbers> printedNumbers(const QString& word)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(?:([0-9])枠)?(?:([0-9]{1,2})(番)?|\\(([0-9]{1,2})\\)番?)?$"));
    const QRegularExpressionMatch match = pattern.match(bracketed(word));
    if (!match.hasMatch() || word.isEmpty())
        return std::nullopt;
    PrintedNumbers numbers;
    numbers.frame = match.captured(1).toInt();
    if (match.hasCaptured(2)) {
        numbers.number = match.captured(2).toInt();
        numbers.certainlyHorse = match.hasCaptured(3) || numbers.frame != 0;
    } else if (match.hasCaptured(4)) {
        numbers.number = match.captured(4).toInt();
        numbers.certainlyHorse = true;
    }
    if (numbers.frame == 0 && numbers.number == 0)
        return std::nullopt;
    return numbers;
}

ColumnRole columnRoleOf(const QString& label)
{
    static const QHash<QString, ColumnRole> roles = [] {
        QHash<QString, ColumnRole> known;
        for (const char* l : {"枠", "枠番", "枠順"})
            known.insert(QString::fromUtf8(l), ColumnRole::Frame);
        for (const char* l : {"馬番", "番", "馬番号", "番号", "No", "No.", "NO", "NO."})
            known.insert(QString::fromUtf8(l), ColumnRole::Number);
        for (const char* l : {"馬名", "馬", "出走馬", "競走馬", "競走馬名", "馬名前"})
            known.insert(QString::fromUtf8(l), ColumnRole::Name);
        for (const char* l : {"印", "予想印", "予想", "マイ印"})
            known.insert(QString::fromUtf8(l), ColumnRole::Mark);
        for (
            const char* l :
            {"性齢",       "性",     "齢",         "性別",     "年齢",           "斤量",         "負担重量", "騎手",
             "騎手名",     "厩舎",   "調教師",     "所属",     "馬体重",         "馬体重(増減)", "体重",     "増減",
             "オッズ",     "単勝",   "単勝オッズ", "複勝",     "人気",           "父",           "母",       "母父",
             "馬主",       "生産者", "毛色",       "脚質",     "着順",           "着",           "タイム",   "着差",
             "上り",       "上がり", "上り3F",     "通過",     "コーナー通過順", "賞金",         "獲得賞金", "レース",
             "レース名",   "R",      "競走名",     "距離",     "天候",           "馬場",         "発走",     "発走時刻",
             "開催",       "競馬場", "場",         "日付",     "年月日",         "条件",         "クラス",   "頭数",
             "コース",     "備考",   "評価",       "コメント", "短評",           "前走",         "成績",     "登録",
             "お気に入り", "選択",   "メモ"})
            known.insert(QString::fromUtf8(l), ColumnRole::Other);
        return known;
    }();
    return roles.value(label.trimmed(), ColumnRole::None);
}

bool looksLikeHorseName(const QString& word)
{
    static const QRegularExpression sexAndAge(QStringLiteral("^[牡牝セ騸][0-9]+$"));
    if (word.size() < 2 || sexAndAge.match(word).hasMatch() || columnRoleOf(word) != ColumnRole::None)
        return false;
    int katakana = 0;
    int latin = 0;
    for (const QChar c : word) {
        katakana += isKatakana(c);
        latin += isLatinLetter(c);
    }
    return katakana * 2 > word.size() || (katakana == 0 && latin * 2 > word.size() && latin >= 2);
}

QString withoutLeadingMarks(const QString& word)
{
    qsizetype begin = 0;
    while (begin < word.size() && (isMarkOrNoMark(word[begin]) || word[begin] == u' '))
        ++begin;
    return word.mid(begin);
}

std::vector<PastedLine> pastedLines(const QString& folded)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    std::vector<PastedLine> lines;
    const QStringList texts = folded.split(u'\n');
    for (qsizetype i = 0; i < texts.size(); ++i) {
        PastedLine line{static_cast<int>(i + 1), texts[i], {}, texts[i].contains(u'\t')};
        if (line.tabbed) {
            line.cells = texts[i].split(u'\t');
            // A row with nothing in it is no row, whatever its tabs.
            if (std::all_of(line.cells.begin(), line.cells.end(),
                            [](const QString& c) { return c.trimmed().isEmpty(); }))
                line.cells.clear();
        } else {
            line.cells = texts[i].split(blanks, Qt::SkipEmptyParts);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

RunnerTable readRunnerTable(const QString& text)
{
    const std::vector<PastedLine> lines = pastedLines(foldPastedText(text));
    // Most lines one cell: a card copied cell by cell; else each line is a runner's row.
    int filled = 0;
    int single = 0;
    for (const PastedLine& line : lines) {
        filled += !line.cells.isEmpty();
        single += line.cells.size() == 1;
    }
    RunnerTable table;
    if (single * 2 > filled)
        readCells(lines, table);
    else
        readRows(lines, table);

    // Two numbers told apart by their order alone: a frame is never above its horse number, so rows that say so were
    // copied with the horse number first. When the rows do not agree, those that contradict the order are not taken.
    auto& rows = table.rows;
    const auto assumed = [](const RunnerRow& row) { return row.orderAssumed; };
    const auto contradicts = [](const RunnerRow& row) { return row.orderAssumed && row.frame > row.number; };
    if (std::any_of(rows.begin(), rows.end(), contradicts)) {
        const bool horseFirst = std::all_of(rows.begin(), rows.end(), [&assumed](const RunnerRow& row) {
            return !assumed(row) || (row.number <= row.frame && row.number <= 8);
        });
        if (horseFirst) {
            for (RunnerRow& row : rows) {
                if (row.orderAssumed)
                    std::swap(row.frame, row.number);
            }
        } else {
            const auto end = std::remove_if(rows.begin(), rows.end(), contradicts);
            table.passedLines += static_cast<int>(rows.end() - end);
            rows.erase(end, rows.end());
        }
    }
    return table;
}

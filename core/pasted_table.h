#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Reading runner tables out of text copied from elsewhere: a race card on the web (copied row by row, cells joined by
// tabs, or cell by cell, one cell to a line), a newspaper's full-width rows, a spreadsheet. The marks and names pastes
// of the tipster grid read through it, and so can a reader of whole race cards or result pages.

// The text in one spelling: full-width latin letters, digits and signs as ASCII, the ideographic space as a blank,
// half-width katakana as full-width, every line end as \n. Marks, kanji, katakana and circled numbers stay as they are.
QString foldPastedText(const QString& text);

// The numbers a word of a runner's row holds: 「3」, 「3番」, 「③」, 「(3)」, 「1枠」, 「1枠①」. A number circled, in
// brackets or followed by 番 is a horse number for certain (never a frame); a number followed by 枠 is a frame.
// nullopt when the word holds anything else. The word is folded.
struct PrintedNumbers {
    int frame = 0;  // 0: none
    int number = 0; // 0: none
    bool certainlyHorse = false;
};
std::optional<PrintedNumbers> printedNumbers(const QString& word);

// The value of a circled or bracketed digit character (① ⑴ ❶ ➀ ㉑ …), 0 for any other character.
int circledNumber(QChar c);

// What a column's label in a header row says the column holds.
enum class ColumnRole {
    None,   // not a label this reader knows: a tipster's name, or any other text
    Frame,  // 枠, 枠番
    Number, // 馬番
    Name,   // 馬名
    Mark,   // 印
    Other,  // a known label of anything else: 性齢, 騎手, オッズ, レース名 …
};
ColumnRole columnRoleOf(const QString& label);

// A horse's name: mostly katakana (as every horse registered in Japan is named) or latin letters (a horse from
// abroad); not a column label, not the sex and age beside it. The word is folded.
bool looksLikeHorseName(const QString& word);

// The word without the marks or no-mark signs a card prints glued before a name (「◎ドウデュース」).
QString withoutLeadingMarks(const QString& word);

// One line of the paste: its cells, split at tabs when the line holds one, else at blanks.
struct PastedLine {
    int number = 0; // 1-based
    QString text;   // folded
    QStringList cells;
    bool tabbed = false;
};
std::vector<PastedLine> pastedLines(const QString& folded);

// The runners a pasted table names.
struct RunnerRow {
    int line = 0;              // where the name stands (1-based)
    int number = 0;            // the horse number as printed: not checked against any race
    int frame = 0;             // 0 when not printed or not known
    bool orderAssumed = false; // frame and horse number were told apart by their order alone, no header saying
    QString name;
    bool moreAfterName = false; // the row goes on after the name (sex and age, jockey …)
    bool endsPaste = false;     // the name is the last thing in the paste, with no line end after it
    int nameCell = -1;          // the cell of its line the name stands in (rows a line each; -1 cell by cell)
    // The cells after the name, trimmed: to the line's end, or (cell by cell) up to the next runner's numbers, so
    // that a 取消 printed before those numbers is among them.
    QStringList after;
    QString withdrawal; // 取消 or 除外 printed before the name (「取消 8 17 サンプルホース」), as printed
};
struct RunnerTable {
    QStringList header;               // the labels of the header row, when one names the columns
    bool headerTabbed = false;        // the header is a row of cells split at tabs (its columns those of the rows)
    bool hasColumnsAfterName = false; // the header names columns after 馬名
    std::vector<RunnerRow> rows;      // in the order of the paste
    int passedLines = 0;              // lines holding text that named no runner (titles, key/value lines, footers)
};
// The header row, when there is one, decides which number is the horse number (馬番 before or after 枠番); lines
// before it are passed over. Without one, a row's horse number is its number that is circled, bracketed or followed by
// 番, else the last of the numbers that open the row (a frame number comes before the horse number on most cards;
// where the rows show a frame above its horse number, the order was the other way).
// A number after a label (「レース 10」) or after any other word is never a horse number. A runner that does not run
// (取消, 除外, 出走取消, 競走除外 printed before its numbers or name) is read like the others, its word in withdrawal.
RunnerTable readRunnerTable(const QString& text);

// The word a card prints for a runner that does not run, 「取消」 or 「除外」 (also 「出走取消」, 「競走除外」, and
// with a bracket around it), or empty.
QString withdrawalOf(const QString& cell);

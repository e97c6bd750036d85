#pragma once

#include <QString>

#include <optional>
#include <vector>

// Reading marks and runner names out of text copied from elsewhere: a newspaper's or a web race card's marks, a
// spreadsheet column, a site's table of every tipster's marks, a race card's runner table. What is read is checked
// against the race: a paste that cannot be read whole is refused with a sentence saying where, never guessed.

// The mark kind (0 ◎ .. 5 ★) a character stands for: the six marks themselves, the keys 1..6 as typed (half- and
// full-width), and the stand-ins papers and sites print (◯ 〇 for ○, ☆ for ★, 注 for ×, x X ✕ for ×, ▽ for △).
// nullopt for anything else.
std::optional<int> markKindOfCharacter(QChar c, bool digitsAreMarks);

// One tipster's marks of a mark table.
struct PastedMarkColumn {
    QString tipster;        // as the header row spells it
    std::vector<int> marks; // marks[r]: the kind given runner r, or -1
};

// Marks pasted. Understood:
//   - pairs of a mark and a horse number in any order, separated by blanks, commas, 、 or lines: 「◎3 ○7 ▲1 △5 △12」,
//     「3◎ 7○」, 「◎-3」, 「◎：３」, 「◎③ ○⑦」, 「◎(3)」, a name after the number 「◎３番ドウデュース ○７番」;
//   - rows that begin with the horse number, each with one mark or none (「3<TAB>◎」, a race card's rows);
//   - one line per runner in runner order, each holding one mark or nothing (an empty line, 「-」, 「・」 or 「－」),
//     as a spreadsheet column or a race card's mark column is copied;
//   - a table with a header row: a 馬番 column and one column of marks (headed 印, or nothing), or one column of marks
//     per tipster headed by the tipster's name, as sites print their 予想印 tables. Other columns are passed over.
// Lines before and after the marks that hold no mark (titles, the header of a column, notes) are passed over.
// Either marks (one column, for the tipster pasted into) or table (a column per tipster named in the header) is
// filled. A number outside 1..runners, two marks for one runner, more lines than runners, a line between the marks
// that cannot be read, or a column of marks without a tipster's name beside others is refused.
struct PastedMarks {
    bool ok = false;
    std::vector<int> marks;
    std::vector<PastedMarkColumn> table;
    QString error;
};
PastedMarks parsePastedMarks(const QString& text, int runners);

// The marks of a column as a paper prints them, ◎ first: 「◎3 ○7 ▲1 △5 △12」.
QString marksAsPrinted(const std::vector<int>& marks);

// The runner list pasted into the names, read by readRunnerTable (core/pasted_table.h).
struct PastedName {
    int number = 0; // 1..runners
    QString name;
};
struct PastedNames {
    bool ok = false;               // false: nothing may be taken, error says why
    std::vector<PastedName> names; // what may be taken, by horse number
    std::vector<int> twoNames;     // numbers given two different names: not taken
    std::optional<PastedName> cut; // the last name, cut off by the end of the paste: not taken
    std::vector<int> missing;      // runners of the race the paste names not
    int ignoredLines = 0;          // lines holding text but no runner
    QString error;
    // What was taken and what was not, in one or two sentences for the screen.
    QString report;
};
PastedNames parsePastedNames(const QString& text, int runners);

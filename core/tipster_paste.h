#pragma once

#include <QString>

#include <optional>
#include <vector>

// Reading marks and runner names out of text copied from elsewhere: a newspaper's or a web race card's marks, a
// spreadsheet column, a race card's runner table.

// The mark kind (0 ◎ .. 5 ★) a character stands for: the six marks themselves, the keys 1..6 as typed (half- and
// full-width), and the stand-ins papers and sites print (◯ 〇 for ○, ☆ for ★, 注 for ×, x X ✕ for ×, ▽ for △).
// nullopt for anything else.
std::optional<int> markKindOfCharacter(QChar c, bool digitsAreMarks);

// A tipster's marks pasted as one column. Understood:
//   - pairs of a mark and a horse number in any order, separated by blanks, commas, 、 or lines: 「◎3 ○7 ▲1 △5 △12」,
//     「3◎ 7○」, 「◎-3」, 「◎：３」;
//   - one line per runner in runner order, each holding one mark or nothing (an empty line, 「-」, 「・」 or 「－」),
//   as a
//     spreadsheet column or a race card's mark column is copied.
// marks[r] is the kind given runner r or -1. A number outside 1..runners, two marks for one runner, more lines than
// runners or a line that holds anything else is refused with a sentence saying where.
struct PastedMarks {
    bool ok = false;
    std::vector<int> marks;
    QString error;
};
PastedMarks parsePastedMarks(const QString& text, int runners);

// The runner list pasted into the names: lines (or cells copied one to a line) holding a horse number and a name, as a
// race card on the web, a newspaper or a spreadsheet prints them. The name is the first word with katakana or latin
// letters that follows a horse number; of the numbers before it the last is the horse number (a frame number comes
// before it); a mark, the sex and age (牡5), the weight, the jockey, the odds and the like around it are passed over.
struct PastedName {
    int number = 0; // 1..runners
    QString name;
};
struct PastedNames {
    std::vector<PastedName> names; // in the order found; one per horse number
    int ignoredLines = 0;          // lines holding text but no runner
};
PastedNames parsePastedNames(const QString& text, int runners);

#pragma once

#include <QString>
#include <QStringView>

// The characters of a runner's or a tipster's name, one rule for every way a name comes in or goes out: typed,
// pasted, read from a race file or written to one.

// The longest name a box takes or a paste puts in, in characters. A horse registered in Japan has at most 9 katakana,
// one from abroad written in katakana a few more, and a tipster is a paper, a column and a person ("日刊スポーツ
// 本紙予想 山田太郎"); 40 leaves room for a note. In code page 932 a character is at most 2 bytes, so the names of a
// whole race (21 runners and 16 tipsters) stay under 3 KB, far inside the 1 MiB in which every reader wants a race's
// lines.
inline constexpr int maxNameLength = 40;

// Characters no line of a file may hold: the C0 controls (tab and the line breaks among them), DEL, the C1 controls
// and the line and paragraph separators.
bool isControlCharacter(char16_t c);

// A name as it is held, shown and stored: line breaks (CR, LF, the line and paragraph separators) are removed, so that
// a name pasted broken over two lines comes back whole; every other control character (a tab among them) becomes a
// blank; the blanks at both ends are removed. Reading a file and writing it apply the same rule, so that a save never
// changes a name, and no name carries a control character into a list, a tooltip or a CSV file. Applying it twice
// changes nothing.
QString plainName(QStringView text);

// The name cut to maxNameLength characters (never inside a surrogate pair); true when anything was cut.
bool fitNameLength(QString& name);

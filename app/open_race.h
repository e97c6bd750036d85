#pragma once

#include <QString>

class Dialogs;
class Navigator;

// Shows a race file the program was started with: the result entry (「レース結果を入力します」) over the title and the
// menu, with the race picked in its list as a click on its line picks it, so that its result can be entered and
// 戻ります leads to the menu as always. A file that is missing, not a race file, outside the race folder or unreadable
// is told in a message window (an unreadable race by the screen itself, as when its line is clicked). False when
// the race is not shown.
bool showRaceFile(Navigator& navigator, Dialogs& dialogs, const QString& raceFolder, const QString& path);

#pragma once

#include <QString>
#include <QStringList>

// The race folders the user worked in, kept in the user's settings (~/.config/tokiro/tokiro.conf): the one chosen in
// the menu, which a start from the desktop menu opens again, and the last few, which the menu offers.

inline constexpr int recentRaceFolderCount = 5;

// The folder chosen last in the menu, if it still is a folder; empty otherwise.
QString chosenRaceFolder();

// The folders worked in, newest first, those that still exist only.
QStringList recentRaceFolders();

// A folder worked in: first of the recent ones; chosen is true when the user chose it in the menu.
void rememberRaceFolder(const QString& folder, bool chosen);

// The folder the last backup of the race folder was written to, if it still is a folder; empty otherwise. A restore
// looks for backups there too.
QString backupFolder();
void rememberBackupFolder(const QString& folder);

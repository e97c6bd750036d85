#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

// Loads Qt's own Japanese texts (Debian's qtbase_ja), so that file dialogs, standard buttons and the boxes' context
// menus speak Japanese whatever the session's locale. False when the translation is not installed; the program
// then runs with Qt's English texts.
bool installQtJapanese(QCoreApplication& application);

// Started from the desktop menu (with ownFolderOption), the program keeps its races in a folder of its own in the
// home folder, made on first start; started with a folder, in that folder; started any other way, in the folder it
// was started in.
inline constexpr const char* ownFolderOption = "--own-folder";

// "トキロ": the race folder's name in the home folder.
QString ownRaceFolderName();

// What the command line asks for.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString output; // for Help and Version what to print, for Error the message
    bool ownFolder = false;
    QString folder; // the race folder given, an existing folder; empty when none was given
    // A race file given (by the desktop's 「このアプリケーションで開く」 or typed), as an absolute path: the folder of
    // a *.tkr file is then the race folder. A name ending in .tkr that does not exist, and any other file, are given
    // too, so that the user is told in a window rather than on a terminal no one sees.
    QString raceFile;
    int exitCode() const { return action == Action::Error ? 2 : 0; }
};

// Reads the program's arguments (a folder or a race file) (the first is the program itself) without needing a display,
// so that --help and
// --version work anywhere. Qt's own options (-style, -platform, -session, ...) are let through for Qt to take.
CommandLine readCommandLine(const QStringList& arguments);

struct StartFolder {
    QString path;  // the folder to work in; empty: stay in the current folder
    QString error; // a Japanese message when the folder could not be made or entered
};

// Makes the race folder the command line asks for the current folder: the folder given, else with ownFolder the own
// folder in home (a parameter so that tests can use a temporary one), else the current one stays.
StartFolder enterRaceFolder(const CommandLine& command, const QString& home);

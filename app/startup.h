#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

// Loads Qt's own Japanese texts (Debian's qtbase_ja), so that file dialogs, standard buttons and the boxes' context
// menus speak Japanese whatever the session's locale. False when the translation is not installed; the program
// then runs with Qt's English texts.
bool installQtJapanese(QCoreApplication& application);

// Started from the desktop menu (with ownFolderOption), the program keeps its races in a folder of its own in the
// home folder, made on first start; started any other way it works in the folder it was started in.
inline constexpr const char* ownFolderOption = "--own-folder";

// "トキロ": the race folder's name in the home folder.
QString ownRaceFolderName();

struct StartFolder {
    QString path;  // the folder to work in; empty: stay in the current folder
    QString error; // a Japanese message when the own folder could not be made or entered
};

// Picks the race folder from the program's arguments and makes it the current folder. home is the user's home
// folder (a parameter so that tests can use a temporary one).
StartFolder enterRaceFolder(const QStringList& arguments, const QString& home);

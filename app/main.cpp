#include "app/main_window.h"
#include "app/open_race.h"
#include "app/startup.h"
#include "core/race_folder_choice.h"
#include "screens/control_table.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QTimer>

#include <cstdio>

namespace {
void print(std::FILE* stream, const QString& text) { std::fputs(text.toLocal8Bit().constData(), stream); }
} // namespace

int main(int argc, char* argv[])
{
    // The command line is read before the window system is reached: --help, --version and a mistyped option answer
    // in a terminal without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const CommandLine command = readCommandLine(arguments);
    if (command.action != CommandLine::Action::Run) {
        print(command.action == CommandLine::Action::Error ? stderr : stdout, command.output);
        return command.exitCode();
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tokiro"));
    // Ties the window to the desktop entry, so that docks and task bars show its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tokiro"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("tokiro"),
                         QIcon(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tokiro.png")))));
    installQtJapanese(application);
    registerFontSubstitutions();
    // From the desktop menu, the folder chosen last in the menu is the race folder; a folder named on the command
    // line wins for that run.
    CommandLine start = command;
    if (start.folder.isEmpty() && start.ownFolder)
        start.folder = chosenRaceFolder();
    StartFolder folder = enterRaceFolder(start, QDir::homePath());
    // A race file's folder that cannot be entered is said in the window, as anything else about the file is; the
    // program then works where it would have without the file.
    QString raceFileProblem;
    CommandLine asked = command;
    if (!folder.error.isEmpty() && !command.raceFile.isEmpty() && !command.folder.isEmpty()) {
        raceFileProblem = folder.error;
        asked.folder.clear();
        start = asked;
        if (start.ownFolder)
            start.folder = chosenRaceFolder();
        folder = enterRaceFolder(start, QDir::homePath());
    }
    if (!folder.error.isEmpty() && asked.folder.isEmpty() && !start.folder.isEmpty())
        folder = enterRaceFolder(asked, QDir::homePath());
    // A folder asked for by name that cannot be entered ends the start: working elsewhere would hide its races.
    if (!asked.folder.isEmpty() && !folder.error.isEmpty()) {
        print(stderr, QStringLiteral("tokiro: %1\n").arg(folder.error));
        return 2;
    }

    Module1 module;
    // Race files are kept in the folder it works in, which enterRaceFolder has made the current one.
    module.raceFolder = QDir::currentPath();
    rememberRaceFolder(module.raceFolder, false);
    QtDialogs dialogs;
    dialogs.setFolder(module.raceFolder);
    MainWindow window(module, dialogs);
    dialogs.setWindow(&window);
    window.centreOnScreen();
    window.show();
    window.navigator().show(ScreenId::Form1);
    if (!folder.error.isEmpty())
        QTimer::singleShot(0, &window, [&] { dialogs.reportError(folder.error, QStringLiteral("レースの保存先")); });
    if (!raceFileProblem.isEmpty())
        QTimer::singleShot(0, &window, [&] { dialogs.reportError(raceFileProblem, QStringLiteral("レースを開く")); });
    else if (!command.raceFile.isEmpty())
        QTimer::singleShot(0, &window, [&] {
            // Said on the terminal too, for a user who started it there.
            if (!showRaceFile(window.navigator(), dialogs, module.raceFolder, command.raceFile))
                print(stderr, QStringLiteral("tokiro: 「%1」を開けませんでした。\n").arg(command.raceFile));
        });
    return application.exec();
}

#include "app/main_window.h"
#include "app/startup.h"
#include "screens/control_table.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tokiro"));
    // Ties the window to the desktop entry, so that docks and task bars show its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tokiro"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("tokiro"),
                         QIcon(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tokiro.png")))));
    installQtJapanese(application);
    registerFontSubstitutions();
    const StartFolder folder = enterRaceFolder(QCoreApplication::arguments(), QDir::homePath());

    Module1 module;
    // Race files are kept in the folder it works in, which enterRaceFolder has made the current one.
    module.raceFolder = QDir::currentPath();
    QtDialogs dialogs;
    dialogs.setFolder(module.raceFolder);
    MainWindow window(module, dialogs);
    dialogs.setWindow(&window);
    window.centreOnScreen();
    window.show();
    window.navigator().show(ScreenId::Form1);
    if (!folder.error.isEmpty())
        QTimer::singleShot(0, &window, [&] { dialogs.reportError(folder.error, QStringLiteral("レースの保存先")); });
    return application.exec();
}

#include "app/main_window.h"
#include "screens/control_table.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tokiro"));
    registerFontSubstitutions();

    Module1 module;
    QtDialogs dialogs;
    MainWindow window(module, dialogs);
    dialogs.setWindow(&window);
    window.centreOnScreen();
    window.show();
    window.navigator().show(ScreenId::Form1);
    return application.exec();
}

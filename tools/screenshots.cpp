// Renders screens of the program offscreen into PNG files, for the README and for checking layouts.
// Usage: screenshots [folder]   (default docs/screens/)
// Each shot starts a fresh program (shared module, window, navigator) and brings it into the state to show.
#include "app/main_window.h"
#include "screens/control_table.h"
#include "screens/help_window.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <vector>

namespace {
struct Program {
    Module1& module;
    MainWindow& window;
    Navigator& navigator;
};

// Lets the event loop run until `done` holds or the time is up; returns whether it holds.
bool waitUntil(const std::function<bool()>& done, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void settle()
{
    waitUntil([] { return false; }, 100);
}

// A setup brings the program into the state to show and returns the window to grab (nullptr: the main window).
using Setup = std::function<QWidget*(Program&)>;

struct Shot {
    const char* fileName;
    Setup setup;
};

QWidget* titleAfterAnimation(Program& program)
{
    program.navigator.show(ScreenId::Form1);
    Screen* title = program.navigator.screen(ScreenId::Form1);
    auto* timer = title ? title->findChild<QTimer*>(QStringLiteral("Timer1")) : nullptr;
    if (timer)
        waitUntil([timer] { return !timer->isActive(); }, 5000);
    return nullptr;
}

QWidget* menu(Program& program)
{
    program.navigator.show(ScreenId::Form1);
    program.navigator.close(ScreenId::Form1);
    program.navigator.show(ScreenId::Form2);
    return nullptr;
}

QWidget* help(Program& program)
{
    program.navigator.show(ScreenId::Form1);
    return HelpWindow::openFor(program.navigator.screen(ScreenId::Form1),
                               QDir(program.module.appFolder).filePath(QStringLiteral("tokiro.hlp")));
}

const std::vector<Shot>& shots()
{
    static const std::vector<Shot> list = {
        {"title.png", titleAfterAnimation},
        {"menu.png", menu},
        {"help.png", help},
    };
    return list;
}
} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    registerFontSubstitutions();
    QTextStream err(stderr);

    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screens"));
    if (!QDir().mkpath(folder.path())) {
        err << "cannot make the folder " << folder.path() << "\n";
        return 1;
    }

    int failures = 0;
    for (const Shot& shot : shots()) {
        Module1 module;
        QtDialogs dialogs;
        MainWindow window(module, dialogs);
        dialogs.setWindow(&window);
        window.navigator().setOnEnd([] {});
        window.show();
        Program program{module, window, window.navigator()};
        QWidget* target = shot.setup(program);
        if (!target)
            target = &window;
        settle();
        const QString path = folder.filePath(QString::fromUtf8(shot.fileName));
        if (!target->grab().save(path, "PNG")) {
            err << "cannot write " << path << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

// Peak memory of the program on a large race folder, run by hand under GNU time:
//   bench_memory make FOLDER COUNT [TIPSTERS]  writes a folder of COUNT generated races (as bench_analysis makes them),
//                                         with TIPSTERS tipsters' columns in each (none if not given)
//   bench_memory title FOLDER             the program at its title screen on that folder
//   bench_memory record FOLDER            … then the record screen opened over it, as the title's menu opens it
//   bench_memory analysis FOLDER          … then the analysis opened over it, alone
//   bench_memory record-analysis FOLDER   … then the record screen and the analysis opened from it, as a user does
// Each runs the event loop for a few seconds (the title's pictures, the analysis's intervals) and exits. The figure is
// the "Maximum resident set size" of `/usr/bin/time -v` for any of the screens less that for title, e.g.
//   xvfb-run -a /usr/bin/time -v build/bin/bench_memory record /tmp/races 2>&1 | grep Maximum
#include "bench_support.h"

#include "app/main_window.h"
#include "app/startup.h"
#include "screens/control_table.h"
#include "screens/dialogs.h"
#include "screens/module1.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    const auto usage = [] {
        std::fprintf(stderr, "usage: bench_memory make FOLDER COUNT [TIPSTERS] | bench_memory "
                             "title|record|analysis|record-analysis FOLDER\n");
        return 2;
    };
    if (argc < 3)
        return usage();
    const char* const mode = argv[1];
    if (std::strcmp(mode, "make") == 0) {
        if (argc != 4 && argc != 5)
            return usage();
        const int count = std::atoi(argv[3]);
        const int tipsters = argc == 5 ? std::atoi(argv[4]) : 0;
        if (count < 1 || tipsters < 0 || !QDir().mkpath(QString::fromLocal8Bit(argv[2]))
            || !bench::makeFolder(QString::fromLocal8Bit(argv[2]), count, true, tipsters)) {
            std::fprintf(stderr, "cannot make the race folder\n");
            return 1;
        }
        return 0;
    }
    const bool both = std::strcmp(mode, "record-analysis") == 0;
    const bool record = both || std::strcmp(mode, "record") == 0;
    const bool analysis = both || std::strcmp(mode, "analysis") == 0;
    if (argc != 3 || !(record || analysis || std::strcmp(mode, "title") == 0))
        return usage();

    // As the program starts: Qt's Japanese texts, the fonts, the folder, the window at its title screen.
    QApplication application(argc, argv);
    installQtJapanese(application);
    registerFontSubstitutions();
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot enter the race folder\n");
        return 1;
    }
    Module1 module;
    module.raceFolder = QDir::currentPath();
    QtDialogs dialogs;
    dialogs.setFolder(module.raceFolder);
    MainWindow window(module, dialogs);
    dialogs.setWindow(&window);
    window.show();
    window.navigator().show(ScreenId::Form1);
    QCoreApplication::processEvents();
    if (record)
        window.navigator().show(ScreenId::Form7);
    if (analysis)
        window.navigator().show(ScreenId::Analysis);
    // exit rather than quit: quit would ask the window to close, which a screen may refuse.
    QTimer::singleShot(3000, &application, [] { QCoreApplication::exit(0); });
    return application.exec();
}

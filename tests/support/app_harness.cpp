#include "app_harness.h"

#include <QDir>

AppHarness::AppHarness()
{
    // The tests make a temporary folder current and put their races there.
    module.raceFolder = QDir::currentPath();
    window = std::make_unique<MainWindow>(module, dialogs);
    window->navigator().setOnEnd([this] { endCalls++; });
    window->show();
    window->activateWindow();
    [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window.get());
}

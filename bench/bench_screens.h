#pragma once

// Stand-ins for the navigation and the dialogs, for benchmarks that open a screen by itself.
#include "screens/dialogs.h"
#include "screens/navigation.h"

namespace bench {

class NoNavigation final : public Navigation {
public:
    void show(ScreenId) override {}
    void close(ScreenId) override {}
    bool isLoaded(ScreenId) const override { return false; }
    void endProgram() override {}
};

class NoDialogs final : public Dialogs {
public:
    bool confirm(const QString&, const QString&) override { return false; }
    QString openFile(const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&) override { return {}; }
    void reportError(const QString&, const QString&) override {}
    bool waitForFolder(const QString&, std::chrono::milliseconds) override { return false; }
    void folderWaitOver() override {}
};

} // namespace bench

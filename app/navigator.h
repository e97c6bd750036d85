#pragma once

#include "screens/dialogs.h"
#include "screens/navigation.h"
#include "screens/screen.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QStackedWidget;

// Shows the screens as stacked pages of one window. The newest shown screen is the visible one; closing it
// reveals the next loaded one, and the program ends when none is left.
class Navigator final : public QObject, public Navigation {
    Q_OBJECT
public:
    Navigator(Module1& module, Dialogs& dialogs, QStackedWidget& pages);
    ~Navigator() override;

    void show(ScreenId id) override;
    void close(ScreenId id) override;
    bool isLoaded(ScreenId id) const override;
    bool confirmLeavingRace() override;
    void endProgram() override;

    // The window's close box: closes the front screen, after asking when that would throw away unsaved work; true
    // when that left no screen, so the window may close.
    bool closeFront();

    Screen* screen(ScreenId id) const;
    Screen* front() const;

    // What ending the program does (the application quits; tests record it).
    void setOnEnd(std::function<void()> onEnd) { onEnd_ = std::move(onEnd); }
    bool ended() const { return ended_; }

private:
    void scheduleEndCheck();

    Module1& module_;
    Dialogs& dialogs_;
    QStackedWidget& pages_;
    std::map<ScreenId, std::unique_ptr<Screen>> loaded_;
    std::vector<ScreenId> order_; // front last
    // The control that had the focus on each screen when another was shown over it, given back when it is revealed.
    std::map<ScreenId, QPointer<QWidget>> coveredFocus_;
    std::function<void()> onEnd_;
    bool ended_ = false;
};

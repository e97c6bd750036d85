#include "app/navigator.h"

#include "screens/screen_factory.h"

#include <QApplication>
#include <QStackedWidget>
#include <QTimer>

#include <algorithm>

Navigator::Navigator(Module1& module, Dialogs& dialogs, QStackedWidget& pages)
    : module_(module), dialogs_(dialogs), pages_(pages), onEnd_([] { QCoreApplication::exit(0); })
{
}

Navigator::~Navigator()
{
    // Destroying the window is not closing the screens: no unload handler runs here.
    for (auto& [id, screen] : loaded_)
        pages_.removeWidget(screen.get());
}

void Navigator::show(ScreenId id)
{
    if (ended_)
        return;
    Screen* target = screen(id);
    bool firstShow = false;
    if (!target) {
        std::unique_ptr<Screen> created = createScreen(id, module_, *this, dialogs_);
        target = created.get();
        pages_.addWidget(target);
        loaded_[id] = std::move(created);
        target->Form_Load();
        // The load handler may have closed this very screen.
        if (screen(id) != target)
            return;
        firstShow = true;
    }
    if (Screen* covered = front(); covered && covered != target) {
        QWidget* focused = QApplication::focusWidget();
        coveredFocus_[covered->screenId()] = covered->isAncestorOf(focused) ? focused : nullptr;
    }
    std::erase(order_, id);
    order_.push_back(id);
    pages_.setCurrentWidget(target);
    if (firstShow && target->firstFocus())
        target->firstFocus()->setFocus(Qt::OtherFocusReason);
    target->Form_Activate();
}

void Navigator::close(ScreenId id)
{
    auto found = loaded_.find(id);
    if (found == loaded_.end())
        return;
    const bool wasFront = !order_.empty() && order_.back() == id;
    std::unique_ptr<Screen> closing = std::move(found->second);
    loaded_.erase(found);
    std::erase(order_, id);
    closing->Form_Unload();
    pages_.removeWidget(closing.get());
    closing->hide();
    // The screen may be closing itself from one of its own handlers: delete it once that handler has returned.
    closing.release()->deleteLater();

    coveredFocus_.erase(id);
    if (wasFront && !order_.empty()) {
        Screen* revealed = screen(order_.back());
        pages_.setCurrentWidget(revealed);
        // The user goes on where they left the screen underneath.
        if (QWidget* focused = coveredFocus_[revealed->screenId()]; focused && focused->isVisible())
            focused->setFocus(Qt::OtherFocusReason);
    }
    scheduleEndCheck();
}

bool Navigator::isLoaded(ScreenId id) const { return loaded_.contains(id); }

void Navigator::endProgram()
{
    if (ended_)
        return;
    ended_ = true;
    onEnd_();
}

namespace {
bool confirmDiscard(Dialogs& dialogs)
{
    return dialogs.confirm(QStringLiteral("印や馬名などをセーブしていません。セーブせずに閉じますがよろしいですか？"),
                           QStringLiteral("データの破棄"));
}
} // namespace

bool Navigator::confirmLeavingRace()
{
    const Screen* sheet = screen(ScreenId::Form4);
    return !sheet || !sheet->hasUnsavedWork() || confirmDiscard(dialogs_);
}

bool Navigator::closeFront()
{
    // Closing a screen in front of the mark sheet only reveals it; closing the sheet itself would lose its work.
    if (const Screen* closing = front(); closing && closing->hasUnsavedWork() && !confirmDiscard(dialogs_))
        return false;
    if (!order_.empty())
        close(order_.back());
    if (!loaded_.empty())
        return false;
    endProgram();
    return true;
}

Screen* Navigator::screen(ScreenId id) const
{
    auto found = loaded_.find(id);
    return found == loaded_.end() ? nullptr : found->second.get();
}

Screen* Navigator::front() const { return order_.empty() ? nullptr : screen(order_.back()); }

void Navigator::scheduleEndCheck()
{
    // A handler often closes its own screen and then shows the next one; only when nothing is loaded once the
    // handler has finished does the program end, as it does when the last window closes.
    QTimer::singleShot(0, this, [this] {
        if (loaded_.empty())
            endProgram();
    });
}

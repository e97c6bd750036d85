#include "screens/event_hooks.h"

#include <QEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {
class EventHook final : public QObject {
public:
    EventHook(QWidget* widget, QEvent::Type type, std::function<bool(QEvent*)> handler)
        : QObject(widget), type_(type), handler_(std::move(handler))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == type_ && handler_(event); }

private:
    QEvent::Type type_;
    std::function<bool(QEvent*)> handler_;
};
} // namespace

void onEnter(QWidget* widget, std::function<void()> handler)
{
    new EventHook(widget, QEvent::KeyPress, [handler = std::move(handler)](QEvent* event) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        handler();
        return true;
    });
}

int keyAsciiOf(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    default: break;
    }
    const QString text = event->text();
    return text.isEmpty() ? -1 : static_cast<int>(text.at(0).unicode());
}

void onKeyAscii(QWidget* widget, std::function<bool(int keyAscii)> handler)
{
    new EventHook(widget, QEvent::KeyPress, [handler = std::move(handler)](QEvent* event) {
        const int keyAscii = keyAsciiOf(static_cast<QKeyEvent*>(event));
        return keyAscii >= 0 && handler(keyAscii);
    });
}

void onKey(QWidget* widget, Qt::Key key, std::function<void()> handler)
{
    new EventHook(widget, QEvent::KeyPress, [key, handler = std::move(handler)](QEvent* event) {
        if (static_cast<QKeyEvent*>(event)->key() != key)
            return false;
        handler();
        return true;
    });
}

void onFocusIn(QWidget* widget, std::function<void()> handler)
{
    new EventHook(widget, QEvent::FocusIn, [handler = std::move(handler)](QEvent*) {
        handler();
        return false;
    });
}

void onFocusFromUser(QWidget* widget, std::function<void()> handler)
{
    new EventHook(widget, QEvent::FocusIn, [handler = std::move(handler)](QEvent* event) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            handler();
        return false;
    });
}

void onInputMethod(QWidget* widget, std::function<void(const QInputMethodEvent*)> handler)
{
    new EventHook(widget, QEvent::InputMethod, [handler = std::move(handler)](QEvent* event) {
        handler(static_cast<QInputMethodEvent*>(event));
        return false;
    });
}

void onMousePress(QWidget* widget, std::function<void(Qt::MouseButton)> handler)
{
    auto press = [handler = std::move(handler)](QEvent* event) {
        handler(static_cast<QMouseEvent*>(event)->button());
        return true;
    };
    // The second press of a quick double click arrives as a double click instead of a press; it is a press all the
    // same.
    new EventHook(widget, QEvent::MouseButtonPress, press);
    new EventHook(widget, QEvent::MouseButtonDblClick, press);
}

void onPaste(QWidget* widget, std::function<bool()> handler)
{
    new EventHook(widget, QEvent::KeyPress, [handler = std::move(handler)](QEvent* event) {
        return static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste) && handler();
    });
}

#include "screens/focus_marker.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QRegion>

const QColor FocusMarker::colour = QColor(255, 200, 0);

FocusMarker::FocusMarker(QWidget* screen) : QWidget(screen), screen_(screen)
{
    setObjectName(QStringLiteral("focusMarker"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        // A window without focus (a message box or the help in front) keeps its mark for when the user returns.
        if (now)
            follow(now);
    });
}

void FocusMarker::follow(QWidget* now)
{
    QWidget* marked = now != screen_ && screen_->isAncestorOf(now) ? now : nullptr;
    if (marked == target_)
        return;
    if (target_)
        target_->removeEventFilter(this);
    target_ = marked;
    if (target_)
        target_->installEventFilter(this);
    place();
}

void FocusMarker::place()
{
    if (!target_ || !target_->isVisibleTo(screen_)) {
        hide();
        return;
    }
    const int outside = gap + width;
    const QRect box(target_->mapTo(screen_, QPoint(0, 0)), target_->size());
    const QRect outer = box.adjusted(-outside, -outside, outside, outside);
    setGeometry(outer);
    // Only the frame is this widget's: the control inside and its neighbours show through.
    setMask(QRegion(rect()) - QRegion(rect().adjusted(width, width, -width, -width)));
    raise();
    show();
    update();
}

bool FocusMarker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == target_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ParentChange: place(); break;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusMarker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), colour);
}

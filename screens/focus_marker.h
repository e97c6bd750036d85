#pragma once

#include <QPointer>
#include <QWidget>

// A bright frame around the control of a screen that has the keyboard focus (button, box, list, option), so that
// the focus is plain to see against the black screens whatever the style draws. It lies on top of the screen, takes
// no mouse clicks and follows the control when it moves, resizes or hides.
class FocusMarker final : public QWidget {
    Q_OBJECT
public:
    explicit FocusMarker(QWidget* screen);

    // The control marked now, or nullptr.
    QWidget* target() const { return target_; }

    static constexpr int gap = 1;   // black between the control and the frame
    static constexpr int width = 3; // the frame's own width
    static const QColor colour;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow(QWidget* now);
    void place();

    QWidget* screen_;
    QPointer<QWidget> target_;
};

#include "screens/control_table.h"

#include "screens/event_hooks.h"
#include "screens/twips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QFrame>
#include <QInputMethodQueryEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <cstring>

QFont screenFont(double pointSize, bool bold, const char* family)
{
    QFont font(QString::fromUtf8(family));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void registerFontSubstitutions()
{
    QFont::insertSubstitutions(QString::fromUtf8(minchoFamily),
                               {QStringLiteral("IPAMincho"), QStringLiteral("IPAexMincho"), QStringLiteral("IPA明朝"),
                                QStringLiteral("Noto Serif CJK JP")});
    QFont::insertSubstitutions(
        QString::fromUtf8(gothicFamily),
        {QStringLiteral("IPAPGothic"), QStringLiteral("IPAPゴシック"), QStringLiteral("Noto Sans CJK JP")});
}

void setColours(QWidget* widget, int fore, int back)
{
    QPalette palette = widget->palette();
    if (fore != noColour) {
        const QColor colour = QColor::fromRgb(static_cast<QRgb>(fore));
        palette.setColor(QPalette::WindowText, colour);
        palette.setColor(QPalette::Text, colour);
        palette.setColor(QPalette::ButtonText, colour);
    }
    if (back != noColour) {
        const QColor colour = QColor::fromRgb(static_cast<QRgb>(back));
        palette.setColor(QPalette::Window, colour);
        palette.setColor(QPalette::Base, colour);
        palette.setColor(QPalette::Button, colour);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

namespace {
// A QLineEdit tells the input method it accepts input whenever it is enabled and editable, whatever its
// WA_InputMethodEnabled says, and an input method such as fcitx5 then keeps converting keys for it (digits arrive as
// full-width "１８" on Enter). This answers the box's ImEnabled query with false, so that the platform passes keys
// straight through; every other query is the box's own answer.
class InputMethodOff final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::InputMethodQuery)
            return false;
        auto* query = static_cast<QInputMethodQueryEvent*>(event);
        const auto* widget = static_cast<QWidget*>(watched);
        for (unsigned bit = 1; bit != 0 && bit <= unsigned(query->queries()); bit <<= 1) {
            const auto asked = static_cast<Qt::InputMethodQuery>(bit);
            if (query->queries() & asked)
                query->setValue(asked, asked == Qt::ImEnabled ? QVariant(false) : widget->inputMethodQuery(asked));
        }
        query->accept();
        return true;
    }
};
} // namespace

void setInputMethod(QWidget* box, bool on)
{
    box->setAttribute(Qt::WA_InputMethodEnabled, on);
    const QString filterName = QStringLiteral("InputMethodOff");
    delete box->findChild<QObject*>(filterName, Qt::FindDirectChildrenOnly);
    if (!on) {
        box->setInputMethodHints(box->inputMethodHints() | Qt::ImhPreferLatin);
        auto* filter = new InputMethodOff(box);
        filter->setObjectName(filterName);
        box->installEventFilter(filter);
    }
}

namespace {
Qt::Alignment alignment(Align align)
{
    switch (align) {
    case Align::Centre: return Qt::AlignHCenter | Qt::AlignVCenter;
    case Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case Align::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}
} // namespace

// Buttons, boxes, lists and scroll bars keep the platform's look: the screen's black and white are meant for its
// background and captions, and would otherwise be inherited by every control on it.
void useStandardPalette(QWidget* widget)
{
    const QPalette standard = QApplication::palette(widget);
    QPalette palette = widget->palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            if (role == QPalette::NoRole)
                continue;
            const auto g = static_cast<QPalette::ColorGroup>(group);
            const auto r = static_cast<QPalette::ColorRole>(role);
            palette.setBrush(g, r, standard.brush(g, r));
        }
    }
    widget->setPalette(palette);
}

void pressWithEnter(QWidget* button)
{
    onEnter(button, [button] {
        auto* pressable = static_cast<QAbstractButton*>(button);
        if (pressable->isEnabled() && pressable->isVisible())
            pressable->click();
    });
}

QWidget* buildControl(QWidget* parent, const ControlLine& control, double formPointSize)
{
    const QString caption = QString::fromUtf8(control.caption);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::Label: {
        auto* label = new QLabel(caption, parent);
        // Wrapped captions start at the top of their box, as multi-line labels do.
        label->setAlignment(control.wordWrap ? (alignment(control.align) & Qt::AlignHorizontal_Mask) | Qt::AlignTop
                                             : alignment(control.align));
        label->setWordWrap(control.wordWrap);
        label->setTextFormat(Qt::PlainText);
        if (control.border) {
            label->setFrameShape(QFrame::Box);
            label->setLineWidth(1);
        }
        widget = label;
        break;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        pressWithEnter(button);
        widget = button;
        break;
    }
    case ControlKind::LineEdit: {
        auto* box = new QLineEdit(caption, parent);
        box->setAlignment(alignment(control.align));
        widget = box;
        break;
    }
    case ControlKind::TextEdit: {
        auto* box = new QPlainTextEdit(caption, parent);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget = box;
        break;
    }
    case ControlKind::List: widget = new QListWidget(parent); break;
    case ControlKind::Option: widget = new QRadioButton(caption, parent); break;
    case ControlKind::VScroll: widget = new QScrollBar(Qt::Vertical, parent); break;
    case ControlKind::Picture: {
        auto* picture = new QLabel(parent);
        picture->setScaledContents(true);
        widget = picture;
        break;
    }
    case ControlKind::Shape: {
        auto* shape = new QFrame(parent);
        shape->setFrameShape(QFrame::Box);
        widget = shape;
        break;
    }
    }
    widget->setObjectName(QString::fromUtf8(control.name));
    widget->setGeometry(twipsRect(control.left, control.top, control.width, control.height));
    widget->setFont(
        screenFont(control.pointSize > 0 ? control.pointSize : formPointSize, control.bold, control.family));
    if (control.kind != ControlKind::Label && control.kind != ControlKind::Picture && control.kind != ControlKind::Shape
        && control.kind != ControlKind::Option)
        useStandardPalette(widget);
    setColours(widget, control.fore, control.back);
    return widget;
}

const ControlLine& lineOf(std::span<const ControlLine> table, const char* name)
{
    for (const ControlLine& control : table) {
        if (std::strcmp(control.name, name) == 0)
            return control;
    }
    // A name missing from its own screen's table is a programming error caught by every screen test.
    qFatal("lineOf: no control named %s", name);
}

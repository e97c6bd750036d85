#include "screens/saved_race_common.h"

#include "core/numbers.h"
#include "racefile/file_names.h"
#include "screens/control_table.h"
#include "screens/event_hooks.h"

#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolTip>

#include <array>
#include <limits>

void buildSavedRaceHeader(QWidget* screen, const char* titleName, const char* productName, const char* versionName)
{
    const std::array<ControlLine, 3> header = {{
        {.name = titleName,
         .kind = ControlKind::Label,
         .caption = "馬連専用馬券予想プログラム",
         .left = 1200,
         .top = 840,
         .width = 5655,
         .height = 375,
         .fore = yellow,
         .pointSize = 20.25},
        {.name = productName,
         .kind = ControlKind::Label,
         .caption = "トキロ",
         .left = 7320,
         .top = 720,
         .width = 1815,
         .height = 495,
         .fore = green,
         .pointSize = 26.25},
        {.name = versionName,
         .kind = ControlKind::Label,
         .caption = "Ver.2.0",
         .left = 9120,
         .top = 840,
         .width = 1695,
         .height = 375,
         .fore = green,
         .pointSize = 20.25},
    }};
    for (const ControlLine& control : header)
        buildControl(screen, control, 14.25);
}

QFont savedRaceListFont()
{
    QFont font;
    // IPAGothic (not the proportional IPAPGothic) is the monospaced Japanese font Debian ships; the others are its
    // equivalents elsewhere.
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"), QStringLiteral("ＭＳ ゴシック"),
                      QStringLiteral("Noto Sans Mono CJK JP")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSizeF(9.75);
    // Synthetic bold could widen the glyphs unevenly and break the columns.
    font.setBold(false);
    return font;
}

void applyFirstDigitRule(QLineEdit* box, std::int16_t& keyCount, int keyAscii)
{
    // A full-width digit is a digit too.
    const bool digit = (keyAscii >= '0' && keyAscii <= '9') || (keyAscii >= 0xFF10 && keyAscii <= 0xFF19);
    if (digit && keyCount == 0)
        box->clear();
    if (keyCount < std::numeric_limits<std::int16_t>::max())
        ++keyCount;
}

double tailAmount(const TailValue& value)
{
    switch (value.kind) {
    case TailValue::Kind::Unset: return 0;
    case TailValue::Kind::Number: return value.number;
    case TailValue::Kind::Text: return numberValue(value.text);
    }
    return 0;
}

bool applyFirstDigitRule(QLineEdit* box, std::int16_t& keyCount, const QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    if (committed.isEmpty())
        return false;
    applyFirstDigitRule(box, keyCount, committed.at(0).unicode());
    return true;
}

QString plainIfNumber(const QString& text)
{
    const TypedNumber number = readTypedNumber(text);
    return number.kind == TypedNumber::Kind::Number ? number.plain : text;
}

void wireNumberBox(QLineEdit* box, std::int16_t& keyCount, std::function<void(int keyAscii)> keyPress,
                   std::function<void()> gotFocus)
{
    onFocusFromUser(box, std::move(gotFocus));
    onInputMethod(box, [box, &keyCount](const QInputMethodEvent* event) { applyFirstDigitRule(box, keyCount, event); });
    onKeyAscii(box, [keyPress = std::move(keyPress)](int keyAscii) {
        keyPress(keyAscii);
        // Enter is the handler's alone; every other key goes on into the box.
        return keyAscii == 13;
    });
}

namespace {
class FileNameTips final : public QObject {
public:
    FileNameTips(QListWidget* list, std::function<QString(int)> fileNameOf)
        : QObject(list), list_(list), fileNameOf_(std::move(fileNameOf))
    {
        list->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex at = list_->indexAt(help->pos());
        const QString name = at.isValid() ? fileNameOf_(at.row()) : QString();
        if (name.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), QStringLiteral("ファイル：%1").arg(shownFileName(name)),
                               list_->viewport(), list_->visualRect(at));
        }
        return true;
    }

private:
    QListWidget* list_;
    std::function<QString(int)> fileNameOf_;
};
} // namespace

void showFileNameTips(QListWidget* list, std::function<QString(int row)> fileNameOf)
{
    new FileNameTips(list, std::move(fileNameOf));
}

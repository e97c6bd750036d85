#include "screens/caption_fit.h"

#include <QFontMetrics>
#include <QLabel>

#include <algorithm>

void keepCaptionWhole(QLabel* label)
{
    const QFontMetrics metrics(label->font());
    if (metrics.height() <= label->height())
        return;
    // Some glyphs reach above the font's ascent; move the line down by that much so their tops are not cut.
    const int overshoot = std::max(0, -metrics.tightBoundingRect(label->text()).top() - metrics.ascent());
    label->setAlignment((label->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
    label->setContentsMargins(0, overshoot, 0, 0);
    label->resize(label->width(), std::max(label->height(), overshoot + metrics.height()));
}

#include "screens/name_columns.h"

#include <algorithm>

std::vector<QRect> columnPlaces(const QStringList& lines, const QFontMetrics& metrics, QSize box)
{
    const int lineHeight = metrics.lineSpacing();
    const int perColumn = lineHeight > 0 ? box.height() / lineHeight : 0;
    if (lines.isEmpty() || perColumn <= 0)
        return {};
    const int gap = metrics.horizontalAdvance(QStringLiteral("　"));
    std::vector<QRect> places;
    int left = 0;
    for (qsizetype first = 0; first < lines.size(); first += perColumn) {
        const qsizetype last = std::min<qsizetype>(first + perColumn, lines.size());
        int width = 0;
        for (qsizetype i = first; i < last; ++i)
            width = std::max(width, metrics.horizontalAdvance(lines[i]));
        if (left + width > box.width())
            return {};
        for (qsizetype i = first; i < last; ++i)
            places.emplace_back(left, static_cast<int>(i - first) * lineHeight, width, lineHeight);
        left += width + gap;
    }
    return places;
}

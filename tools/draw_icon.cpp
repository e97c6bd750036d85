// Draws the program's desktop icon at the usual sizes: a turf-green badge with 馬連 and トキロ, and 馬 alone where
// the icon is too small for more. Each size is drawn at its own pixels, so small icons stay crisp.
// Usage: draw_icon <folder>   (writes <folder>/<n>x<n>/apps/tokiro.png, as laid out in the hicolor icon theme)
#include "screens/control_table.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

namespace {
constexpr int sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Drawn on a 256-unit square; the border keeps at least one pixel at the smallest sizes.
    const double unit = size / 256.0;
    painter.scale(unit, unit);
    const double border = std::max(8.0, 1.5 / unit);
    QPainterPath badge;
    badge.addRoundedRect(QRectF(border / 2, border / 2, 256 - border, 256 - border), 40, 40);
    painter.fillPath(badge, QColor(20, 90, 40));
    painter.setPen(QPen(QColor(255, 255, 0), border));
    painter.drawPath(badge);

    QFont font = screenFont(1, true);
    painter.setPen(QColor(255, 255, 0));
    if (size < 48) {
        font.setPixelSize(190);
        painter.setFont(font);
        painter.drawText(QRectF(0, 0, 256, 256), Qt::AlignCenter, QStringLiteral("馬"));
        return image;
    }
    font.setPixelSize(96);
    painter.setFont(font);
    painter.drawText(QRectF(8, 20, 240, 110), Qt::AlignCenter, QStringLiteral("馬連"));
    font.setPixelSize(60);
    painter.setFont(font);
    painter.setPen(QColor(0, 255, 0));
    painter.drawText(QRectF(8, 130, 240, 100), Qt::AlignCenter, QStringLiteral("トキロ"));
    return image;
}
} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    registerFontSubstitutions();
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("icons"));
    QTextStream err(stderr);
    int failures = 0;
    for (const int size : sizes) {
        const QString sub = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = folder.filePath(sub + QStringLiteral("/tokiro.png"));
        if (!folder.mkpath(sub) || !drawIcon(size).save(path)) {
            err << "cannot write " << path << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

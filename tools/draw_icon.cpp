// Draws the program's desktop icon (assets/tokiro.png): a turf-green badge with the characters 馬連.
// Usage: draw_icon <output.png>
#include "screens/control_table.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    registerFontSubstitutions();
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("tokiro.png");

    QImage image(256, 256, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath badge;
    badge.addRoundedRect(QRectF(8, 8, 240, 240), 40, 40);
    painter.fillPath(badge, QColor(20, 90, 40));
    painter.setPen(QPen(QColor(255, 255, 0), 8));
    painter.drawPath(badge);

    QFont font = screenFont(1, true);
    font.setPixelSize(96);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 0));
    painter.drawText(QRectF(8, 20, 240, 110), Qt::AlignCenter, QStringLiteral("馬連"));
    font.setPixelSize(60);
    painter.setFont(font);
    painter.setPen(QColor(0, 255, 0));
    painter.drawText(QRectF(8, 130, 240, 100), Qt::AlignCenter, QStringLiteral("トキロ"));
    painter.end();
    return image.save(output) ? 0 : 1;
}

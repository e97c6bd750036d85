// Draws the four title pictures uma01.jpg .. uma04.jpg: a racehorse with its jockey galloping along the rail,
// one phase of the stride per picture. Usage: draw_title_pictures <folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <array>
#include <cmath>

namespace {
// 7000 x 4000 twips at twice the screen's pixel density, so that the pictures stay sharp on dense displays.
constexpr int pictureWidth = 934;
constexpr int pictureHeight = 534;
constexpr double groundY = 468;

const QColor coat(122, 70, 34); // bay
const QColor coatLight(160, 98, 52);
const QColor coatDark(78, 42, 20);
const QColor points(34, 24, 20); // black mane, tail and lower legs of a bay
const QColor hoofColour(52, 46, 42);

// A leg is a chain of segments from its root on the body. Angles in degrees from straight down,
// positive towards the front (the horse runs to the right).
struct Leg {
    std::array<double, 3> angles; // upper, cannon, pastern
};

struct Pose {
    double lift;  // body height above its standing place (positive = up)
    double pitch; // body rotation in degrees, positive = nose down
    Leg nearFore, farFore, nearHind, farHind;
    double tailWave;  // tail swing
    double railShift; // the rail posts move past as the horse runs (less than half their spacing per frame)
};

// Four phases of one gallop stride, ending on the stretched-out stride that stays on the title.
const std::array<Pose, 4> poses = {{
    // The last foreleg pushes off, the hind legs swing forward.
    {6, 2, {{-30, -40, -70}}, {{-10, -20, 25}}, {{10, -30, -50}}, {{30, -10, -20}}, 0.4, 0},
    // Gathered: all four legs under the body, no hoof on the ground.
    {8, -2, {{55, -35, -60}}, {{40, -55, -75}}, {{40, 10, 35}}, {{55, 25, 45}}, 0.0, 30},
    // Hind legs land, the forelegs reach out.
    {-2, -4, {{70, 55, 40}}, {{55, 30, 15}}, {{10, -12, 25}}, {{-20, -35, -10}}, 0.6, 60},
    // Stretched out: a foreleg takes the weight, the hind legs push away behind.
    {0, 3, {{12, 2, 35}}, {{55, 45, 30}}, {{-40, -55, -80}}, {{-25, -45, -70}}, 1.0, 90},
}};

QPointF along(QPointF from, double angleDegrees, double length)
{
    const double a = angleDegrees * M_PI / 180.0;
    return from + QPointF(std::sin(a) * length, std::cos(a) * length);
}

void drawBackground(QPainter& p, double railShift)
{
    // Sky.
    QLinearGradient sky(0, 0, 0, 260);
    sky.setColorAt(0, QColor(110, 160, 220));
    sky.setColorAt(1, QColor(205, 225, 245));
    p.fillRect(QRectF(0, 0, pictureWidth, 260), sky);

    // A few clouds.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    for (const QPointF c : {QPointF(150, 60), QPointF(620, 45), QPointF(820, 95)}) {
        p.drawEllipse(c, 60, 16);
        p.drawEllipse(c + QPointF(-30, 6), 38, 14);
        p.drawEllipse(c + QPointF(35, 4), 42, 13);
    }

    // Far hills and the grandstand on the far side of the course.
    QPainterPath hills;
    hills.moveTo(0, 215);
    hills.cubicTo(180, 170, 300, 200, 430, 190);
    hills.cubicTo(600, 175, 760, 205, pictureWidth, 180);
    hills.lineTo(pictureWidth, 260);
    hills.lineTo(0, 260);
    hills.closeSubpath();
    p.setBrush(QColor(120, 150, 130));
    p.drawPath(hills);
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(QRectF(40, 200, 250, 45));
    p.setBrush(QColor(150, 40, 40));
    QPainterPath roof;
    roof.moveTo(30, 205);
    roof.lineTo(300, 205);
    roof.lineTo(280, 188);
    roof.lineTo(50, 188);
    roof.closeSubpath();
    p.drawPath(roof);
    p.setBrush(QColor(90, 90, 100));
    for (int i = 0; i < 9; ++i)
        p.drawRect(QRectF(55 + i * 26, 212, 14, 22));

    // Turf with mowing stripes, darker towards the viewer.
    QLinearGradient turf(0, 245, 0, pictureHeight);
    turf.setColorAt(0, QColor(90, 160, 70));
    turf.setColorAt(1, QColor(40, 115, 40));
    p.fillRect(QRectF(0, 245, pictureWidth, pictureHeight - 245), turf);
    p.setBrush(QColor(255, 255, 255, 22));
    for (int i = -2; i < 12; ++i) {
        const double x = i * 110 - std::fmod(railShift * 1.6, 220.0);
        QPainterPath stripe;
        stripe.moveTo(x, 245);
        stripe.lineTo(x + 55, 245);
        stripe.lineTo(x + 55 - 160, pictureHeight);
        stripe.lineTo(x - 160, pictureHeight);
        stripe.closeSubpath();
        p.drawPath(stripe);
    }

    // The white running rail behind the horse.
    const double railTop = 268;
    p.setBrush(QColor(250, 250, 250));
    p.setPen(QPen(QColor(170, 170, 170), 1));
    for (int i = -1; i < 12; ++i) {
        const double x = i * 95 - std::fmod(railShift, 95.0);
        p.drawRect(QRectF(x, railTop, 7, 44));
    }
    p.drawRect(QRectF(-2, railTop - 4, pictureWidth + 4, 9));
    p.drawRect(QRectF(-2, railTop + 16, pictureWidth + 4, 5));
}

// Draws one leg as a tapering chain with a hoof; returns the hoof point.
QPointF drawLeg(QPainter& p, QPointF root, const Leg& leg, const std::array<double, 3>& lengths,
                const std::array<double, 3>& widths, const QColor& upper, const QColor& lower, double pitch)
{
    QPointF joint = root;
    std::array<QPointF, 4> at{root};
    for (std::size_t i = 0; i < 3; ++i) {
        joint = along(joint, leg.angles[i] + pitch, lengths[i]);
        at[i + 1] = joint;
    }
    p.setBrush(Qt::NoBrush);
    for (std::size_t i = 0; i < 3; ++i) {
        QPen pen(i == 0 ? upper : lower, widths[i], Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.drawLine(at[i], at[i + 1]);
    }
    // Fetlock joint, a little thicker than the cannon.
    p.setPen(Qt::NoPen);
    p.setBrush(lower);
    p.drawEllipse(at[2], widths[1] * 0.62, widths[1] * 0.62);
    // Hoof: a short wedge at the end of the pastern, sole square to it.
    const double a = (leg.angles[2] + pitch) * M_PI / 180.0;
    const QPointF down(std::sin(a), std::cos(a));
    const QPointF side(down.y(), -down.x());
    QPainterPath hoof;
    hoof.moveTo(at[3] - side * 7 - down * 4);
    hoof.lineTo(at[3] + side * 8 - down * 4);
    hoof.lineTo(at[3] + side * 11 + down * 11);
    hoof.lineTo(at[3] - side * 8 + down * 11);
    hoof.closeSubpath();
    p.setBrush(hoofColour);
    p.drawPath(hoof);
    return at[3] + down * 11;
}

void drawForeLeg(QPainter& p, QPointF root, const Leg& leg, bool near, double pitch)
{
    drawLeg(p, root, leg, {66, 56, 22}, {28, 15, 12}, near ? coat : coatDark, near ? points : QColor(20, 14, 12),
            pitch);
}

void drawHindLeg(QPainter& p, QPointF root, const Leg& leg, bool near, double pitch)
{
    drawLeg(p, root, leg, {74, 62, 22}, {30, 15, 12}, near ? coat : coatDark, near ? points : QColor(20, 14, 12),
            pitch);
}

void drawTail(QPainter& p, QPointF root, double wave)
{
    p.setBrush(Qt::NoBrush);
    for (int strand = 0; strand < 9; ++strand) {
        const double s = strand / 8.0;
        QPainterPath hair;
        hair.moveTo(root);
        const QPointF c1 = root + QPointF(-45, -8 + 10 * s);
        const QPointF c2 = root + QPointF(-95 - 10 * wave, 5 + 40 * s - 20 * wave);
        const QPointF end = root + QPointF(-130 - 15 * s - 10 * wave, 55 + 45 * s - 25 * wave);
        hair.cubicTo(c1, c2, end);
        p.setPen(QPen(strand % 2 ? points : QColor(55, 38, 28), 7 - 3 * s, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(hair);
    }
}

void drawBody(QPainter& p)
{
    // Barrel, quarters and shoulder in one outline (horse facing right), local coordinates.
    QPainterPath body;
    body.moveTo(600, 300);                      // point of the chest, low
    body.cubicTo(575, 330, 500, 338, 430, 326); // girth and belly
    body.cubicTo(400, 322, 378, 318, 362, 320); // flank to stifle
    body.cubicTo(340, 322, 318, 300, 312, 270); // back of the thigh
    body.cubicTo(306, 240, 315, 214, 335, 204); // buttock
    body.cubicTo(360, 192, 392, 193, 415, 203); // croup
    body.cubicTo(445, 214, 485, 216, 515, 205); // back
    body.cubicTo(530, 198, 548, 192, 562, 196); // withers
    body.cubicTo(600, 212, 625, 262, 600, 300); // front of the shoulder
    QLinearGradient shade(0, 190, 0, 335);
    shade.setColorAt(0, coatLight);
    shade.setColorAt(0.55, coat);
    shade.setColorAt(1, coatDark);
    p.setPen(QPen(coatDark, 2));
    p.setBrush(shade);
    p.drawPath(body);

    // Muscle lines of shoulder and quarters.
    p.setPen(QPen(QColor(90, 50, 25, 160), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath lines;
    lines.moveTo(560, 215);
    lines.cubicTo(580, 250, 585, 280, 570, 310);
    lines.moveTo(345, 215);
    lines.cubicTo(375, 240, 385, 275, 370, 312);
    p.drawPath(lines);
}

void drawNeckAndHead(QPainter& p)
{
    QPainterPath neck;
    neck.moveTo(548, 196);
    neck.cubicTo(590, 175, 640, 150, 678, 132); // crest to the poll
    neck.lineTo(700, 168);                      // throat
    neck.cubicTo(670, 200, 640, 240, 612, 292); // underside of the neck to the chest
    neck.cubicTo(600, 250, 580, 215, 548, 196);
    QLinearGradient shade(560, 150, 640, 280);
    shade.setColorAt(0, coatLight);
    shade.setColorAt(1, coat);
    p.setPen(QPen(coatDark, 2));
    p.setBrush(shade);
    p.drawPath(neck);

    // Head, stretched forward and down.
    QPainterPath head;
    head.moveTo(672, 128);                      // poll
    head.cubicTo(700, 122, 722, 140, 745, 168); // forehead
    head.cubicTo(760, 186, 775, 200, 782, 212); // face down to the nose
    head.cubicTo(788, 224, 780, 236, 766, 236); // muzzle
    head.cubicTo(752, 236, 745, 232, 738, 226); // chin
    head.cubicTo(722, 214, 708, 200, 702, 182); // under the jaw
    head.cubicTo(690, 180, 682, 172, 676, 160); // cheek to throat
    head.closeSubpath();
    QLinearGradient headShade(680, 130, 760, 230);
    headShade.setColorAt(0, coatLight);
    headShade.setColorAt(1, coat);
    p.setBrush(headShade);
    p.drawPath(head);

    // White blaze down the face.
    QPainterPath blaze;
    blaze.moveTo(708, 134);
    blaze.cubicTo(725, 145, 750, 175, 772, 206);
    blaze.lineTo(766, 210);
    blaze.cubicTo(745, 182, 722, 155, 704, 139);
    blaze.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 240, 232));
    p.drawPath(blaze);

    // Ears, pricked.
    p.setPen(QPen(coatDark, 2));
    p.setBrush(coat);
    QPainterPath ear;
    ear.moveTo(670, 132);
    ear.cubicTo(664, 116, 664, 104, 668, 94);
    ear.cubicTo(678, 104, 686, 116, 688, 128);
    ear.closeSubpath();
    p.drawPath(ear);
    p.setBrush(coatDark);
    p.drawPath(ear.translated(-8, 4));

    // Eye, nostril and mouth.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 12, 8));
    p.drawEllipse(QPointF(707, 152), 5.5, 4.5);
    p.setBrush(QColor(255, 255, 255, 180));
    p.drawEllipse(QPointF(709, 150), 1.6, 1.6);
    p.setBrush(QColor(40, 22, 14));
    p.drawEllipse(QPointF(772, 222), 4.5, 3);
    p.setPen(QPen(QColor(40, 22, 14), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(750, 230), QPointF(764, 231));

    // Bridle: noseband, cheek strap and browband.
    p.setPen(QPen(QColor(30, 20, 15), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(745, 195), QPointF(760, 182));
    p.drawLine(QPointF(750, 190), QPointF(738, 218));
    p.drawLine(QPointF(690, 135), QPointF(700, 172));
    p.drawLine(QPointF(692, 138), QPointF(714, 134));
}

void drawMane(QPainter& p, double wave)
{
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 14; ++i) {
        const double t = i / 13.0;
        const QPointF base(552 + 122 * t, 193 - 62 * t);
        const QPointF tip = base + QPointF(-26 - 10 * wave, -14 + 8 * t + 6 * std::sin(i * 1.7 + wave * 3));
        QPainterPath lock;
        lock.moveTo(base + QPointF(6, 4));
        lock.quadTo(base + QPointF(-8, -6), tip);
        p.setPen(QPen(i % 2 ? points : QColor(58, 40, 30), 7, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(lock);
    }
    // Forelock between the ears.
    p.setPen(QPen(points, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(678, 128), QPointF(692, 146));
}

void drawSaddleAndJockey(QPainter& p, double bob)
{
    // Saddle cloth with a number, then the saddle.
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(250, 250, 250));
    QPainterPath cloth;
    cloth.moveTo(455, 208);
    cloth.lineTo(530, 203);
    cloth.lineTo(536, 258);
    cloth.lineTo(462, 263);
    cloth.closeSubpath();
    p.drawPath(cloth);
    QFont number(QStringLiteral("DejaVu Sans"));
    number.setPixelSize(34);
    number.setBold(true);
    p.setFont(number);
    p.setPen(QColor(20, 20, 20));
    p.drawText(QRectF(462, 212, 70, 46), Qt::AlignCenter, QStringLiteral("1"));
    p.setPen(QPen(QColor(30, 20, 15), 2));
    p.setBrush(QColor(60, 40, 28));
    p.drawRoundedRect(QRectF(470, 196, 60, 14), 6, 6);

    const QColor silks(205, 30, 45);
    const QColor silksTrim(250, 215, 40);
    const QPointF lift(0, -bob);

    // Body crouched low over the neck: a flat back from the seat to the shoulders.
    const QPointF hip = QPointF(480, 152) + lift;
    const QPointF shoulder = QPointF(562, 132) + lift;
    p.setPen(QPen(QColor(120, 15, 25), 36, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hip + QPointF(-4, -6), shoulder);
    p.setPen(QPen(silks, 32, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hip + QPointF(-4, -6), shoulder);
    // Trim: a yellow band across the back.
    p.setPen(QPen(silksTrim, 7));
    p.drawLine(hip + QPointF(36, -14), hip + QPointF(44, 14));

    // Leg: thigh from the seat to the knee above the withers, shin down to the stirrup.
    const QPointF knee = QPointF(548, 186) + lift;
    const QPointF ankle = QPointF(522, 236);
    p.setPen(QPen(QColor(150, 150, 145), 22, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hip, knee);
    p.setPen(QPen(QColor(245, 245, 240), 19, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hip, knee);
    // Boot: white breeches to below the knee, then black down to the stirrup.
    const QPointF calf = knee + (ankle - knee) * 0.25;
    p.setPen(QPen(QColor(25, 25, 25), 15, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(calf, ankle);
    p.drawLine(ankle, ankle + QPointF(22, 2));
    // Stirrup leather and iron.
    p.setPen(QPen(QColor(60, 40, 28), 3));
    p.drawLine(QPointF(505, 205), ankle + QPointF(4, 6));
    p.setPen(QPen(QColor(190, 190, 190), 3));
    p.drawLine(ankle + QPointF(-4, 10), ankle + QPointF(22, 10));

    // Arm reaching down the neck to the reins.
    const QPointF elbow = shoulder + QPointF(28, 32);
    const QPointF hand = QPointF(622, 182) + lift * 0.5;
    p.setPen(QPen(silks, 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(shoulder, elbow);
    p.drawLine(elbow, hand);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 240, 235));
    p.drawEllipse(hand, 6.5, 6.5);
    // Reins to the bit.
    p.setPen(QPen(QColor(40, 25, 15), 2.5));
    p.setBrush(Qt::NoBrush);
    QPainterPath reins;
    reins.moveTo(hand);
    reins.quadTo(QPointF(690, 205), QPointF(741, 220));
    p.drawPath(reins);

    // Head with helmet and goggles.
    const QPointF head = shoulder + QPointF(24, -22);
    p.setPen(QPen(QColor(120, 15, 25), 2));
    p.setBrush(silksTrim);
    p.drawEllipse(head, 17, 15);
    p.setBrush(silks);
    p.drawChord(QRectF(head.x() - 17, head.y() - 15, 34, 30), 0, 180 * 16);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.drawLine(head + QPointF(2, -6), head + QPointF(26, -8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 190, 160));
    p.drawEllipse(head + QPointF(9, 6), 8, 7);
    p.setBrush(QColor(40, 60, 80));
    p.drawRoundedRect(QRectF(head.x() + 6, head.y() - 2, 14, 7), 3, 3);
}

QImage drawFrame(const Pose& pose)
{
    QImage image(pictureWidth, pictureHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawBackground(p, pose.railShift);

    // Shadow on the turf under the horse.
    QRadialGradient shadow(QPointF(0, 0), 230);
    shadow.setColorAt(0, QColor(0, 0, 0, 90));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.save();
    p.translate(470, groundY + 6);
    p.scale(1, 0.12);
    p.drawEllipse(QPointF(0, 0), 230, 230);
    p.restore();

    // The horse stands 470 px long; the whole figure is shifted so that it sits on the ground line and
    // rotated about the middle of the back for the rocking of the stride.
    p.save();
    p.translate(0, 4 - pose.lift);
    p.translate(470, 260);
    p.rotate(pose.pitch);
    p.translate(-470, -260);

    const QPointF foreRoot(572, 312);
    const QPointF hindRoot(366, 312);
    drawForeLeg(p, foreRoot + QPointF(-14, -6), pose.farFore, false, pose.pitch);
    drawHindLeg(p, hindRoot + QPointF(-12, -6), pose.farHind, false, pose.pitch);
    drawTail(p, QPointF(322, 214), pose.tailWave);
    drawBody(p);
    drawNeckAndHead(p);
    drawMane(p, pose.tailWave);
    drawForeLeg(p, foreRoot, pose.nearFore, true, pose.pitch);
    drawHindLeg(p, hindRoot, pose.nearHind, true, pose.pitch);
    drawSaddleAndJockey(p, pose.lift * 0.4);
    p.restore();
    return image;
}
} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: draw_title_pictures <folder>\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        err << "cannot make the folder " << folder.path() << "\n";
        return 1;
    }
    for (std::size_t i = 0; i < poses.size(); ++i) {
        const QString path = folder.filePath(QStringLiteral("uma%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0')));
        if (!drawFrame(poses[i]).save(path, "JPEG", 90)) {
            err << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}

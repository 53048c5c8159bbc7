#include "gui/IconPainter.h"

#include <QHash>
#include <QImage>
#include <QPainterPath>
#include <QtMath>

#include <cmath>

namespace kestrel::gui {
namespace {

const QColor kInk(245, 245, 245);
const QColor kLit(255, 204, 0);

void pen(QPainter& p, const QColor& color, qreal width) {
    QPen line(color, width);
    line.setCapStyle(Qt::RoundCap);
    line.setJoinStyle(Qt::RoundJoin);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
}

void camera(QPainter& p, const QColor& c) {
    pen(p, c, 3);
    p.drawRoundedRect(QRectF(12, 30, 76, 50), 8, 8);
    p.drawRect(QRectF(36, 20, 28, 10));
    p.drawEllipse(QPointF(50, 55), 16, 16);
    p.drawEllipse(QPointF(50, 55), 7, 7);
}

void bars(QPainter& p, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(30, 22, 14, 56), 3, 3);
    p.drawRoundedRect(QRectF(56, 22, 14, 56), 3, 3);
}

// Play: one triangle pointing right, centred.
void play(QPainter& p, const QColor& c) {
    QPainterPath path;
    path.moveTo(34, 22);
    path.lineTo(76, 50);
    path.lineTo(34, 78);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
}

// Skip forward (a triangle against a bar, ▶|), or mirrored, skip back.
void skip(QPainter& p, const QColor& c, bool forward) {
    p.save();
    if (!forward) {
        p.translate(100, 0);
        p.scale(-1, 1);
    }
    QPainterPath path;
    path.moveTo(24, 24);
    path.lineTo(62, 50);
    path.lineTo(24, 76);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
    p.drawRoundedRect(QRectF(66, 24, 10, 52), 2, 2);
    p.restore();
}

void bolt(QPainter& p, const QColor& c) {
    QPainterPath path;
    path.moveTo(56, 12);
    path.lineTo(28, 56);
    path.lineTo(48, 56);
    path.lineTo(40, 88);
    path.lineTo(72, 40);
    path.lineTo(52, 40);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
}

void gear(QPainter& p, const QColor& c) {
    pen(p, c, 3);
    p.drawEllipse(QPointF(50, 50), 22, 22);
    p.drawEllipse(QPointF(50, 50), 8, 8);
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        p.drawLine(QPointF(50 + 22 * qCos(a), 50 + 22 * qSin(a)),
                   QPointF(50 + 32 * qCos(a), 50 + 32 * qSin(a)));
    }
}

void album(QPainter& p, const QColor& c) {
    pen(p, c, 3);
    p.drawRect(QRectF(26, 18, 56, 46));
    p.setBrush(QColor(0, 0, 0, 160));
    p.drawRect(QRectF(16, 30, 56, 46));
    QPainterPath hill;
    hill.moveTo(18, 74);
    hill.lineTo(38, 52);
    hill.lineTo(52, 66);
    hill.lineTo(60, 58);
    hill.lineTo(70, 74);
    p.drawPath(hill);
}

void check(QPainter& p, const QColor& c) {
    pen(p, c, 8);
    p.drawPolyline(QPolygonF({QPointF(22, 52), QPointF(42, 72), QPointF(78, 28)}));
}

void cross(QPainter& p, const QColor& c) {
    pen(p, c, 8);
    p.drawLine(QPointF(28, 28), QPointF(72, 72));
    p.drawLine(QPointF(72, 28), QPointF(28, 72));
}

// Take it again: a circular arrow, its head at the top.
void retake(QPainter& p, const QColor& c) {
    pen(p, c, 7);
    p.drawArc(QRectF(20, 22, 60, 60), 100 * 16, 290 * 16);
    QPainterPath head;
    head.moveTo(36, 10);
    head.lineTo(58, 22);
    head.lineTo(38, 36);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(head);
}

void clock(QPainter& p, const QColor& c) {
    pen(p, c, 5);
    p.drawEllipse(QPointF(50, 52), 30, 30);
    p.drawLine(QPointF(50, 52), QPointF(50, 32));
    p.drawLine(QPointF(50, 52), QPointF(64, 60));
    p.drawLine(QPointF(42, 14), QPointF(58, 14));
}

void level(QPainter& p, const QColor& c) {
    pen(p, c, 5);
    p.drawRoundedRect(QRectF(14, 38, 72, 24), 12, 12);
    p.setBrush(c);
    p.drawEllipse(QPointF(50, 50), 7, 7);
    p.drawLine(QPointF(38, 34), QPointF(38, 66));
    p.drawLine(QPointF(62, 34), QPointF(62, 66));
}

// The sensing panel's "hold still" picture: a phone between shake marks.
void shaking(QPainter& p, const QColor& c) {
    pen(p, c, 5);
    p.drawRoundedRect(QRectF(36, 16, 28, 68), 5, 5);
    p.drawLine(QPointF(44, 74), QPointF(56, 74));
    pen(p, c, 4);
    p.drawArc(QRectF(14, 32, 16, 36), 110 * 16, 140 * 16);
    p.drawArc(QRectF(4, 24, 20, 52), 110 * 16, 140 * 16);
    p.drawArc(QRectF(70, 32, 16, 36), -70 * 16, 140 * 16);
    p.drawArc(QRectF(76, 24, 20, 52), -70 * 16, 140 * 16);
}

// The sensing panel's "listening" picture: a microphone on its stand.
void microphone(QPainter& p, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(38, 10, 24, 48), 12, 12);
    pen(p, c, 5);
    p.drawArc(QRectF(26, 30, 48, 40), 180 * 16, 180 * 16);
    p.drawLine(QPointF(50, 70), QPointF(50, 86));
    p.drawLine(QPointF(36, 88), QPointF(64, 88));
}

void toss(QPainter& p, const QColor& c) {
    pen(p, c, 5);
    p.drawArc(QRectF(16, 30, 68, 80), 20 * 16, 140 * 16);
    p.drawRoundedRect(QRectF(64, 16, 16, 24), 3, 3);
}

void motion(QPainter& p, const QColor& c) {
    pen(p, c, 5);
    p.drawLine(QPointF(12, 36), QPointF(44, 36));
    p.drawLine(QPointF(20, 50), QPointF(48, 50));
    p.drawLine(QPointF(12, 64), QPointF(44, 64));
    p.setBrush(c);
    p.drawEllipse(QPointF(68, 50), 16, 16);
}

// A smiling face: the Faces mode.
void smilingFace(QPainter& p, const QColor& c) {
    pen(p, c, 5);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(50, 50), 34, 34);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(38, 40), 5, 6);
    p.drawEllipse(QPointF(62, 40), 5, 6);
    pen(p, c, 5);
    p.drawArc(QRectF(30, 36, 40, 32), -30 * 16, -120 * 16);
}

void sound(QPainter& p, const QColor& c) {
    QPainterPath speaker;
    speaker.moveTo(14, 40);
    speaker.lineTo(28, 40);
    speaker.lineTo(46, 24);
    speaker.lineTo(46, 76);
    speaker.lineTo(28, 60);
    speaker.lineTo(14, 60);
    speaker.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(speaker);
    pen(p, c, 5);
    p.drawArc(QRectF(40, 34, 20, 32), -60 * 16, 120 * 16);
    p.drawArc(QRectF(40, 22, 36, 56), -60 * 16, 120 * 16);
}

void rapid(QPainter& p, const QColor& c) {
    pen(p, c, 4);
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(14 + i * 12, 22 + i * 10, 50, 36));
}

void doubleExposure(QPainter& p, const QColor& c) {
    pen(p, c, 5);
    p.drawEllipse(QPointF(40, 50), 24, 24);
    p.drawEllipse(QPointF(60, 50), 24, 24);
}

// "3D" over its own red and cyan shadows; the letters take the face's
// colour, lit or not, as every mode face does, and the shadows are muted
// on the plain face so only the chosen mode looks lit.
void anaglyph(QPainter& p, const QColor& c, bool lit) {
    QFont font = p.font();
    font.setPixelSize(42);
    font.setBold(true);
    p.setFont(font);
    const QRectF box(0, 10, 100, 80);
    p.setPen(lit ? QColor(230, 40, 40) : QColor(150, 110, 110));
    p.drawText(box.translated(-4, 0), Qt::AlignCenter, "3D");
    p.setPen(lit ? QColor(40, 200, 220) : QColor(110, 140, 150));
    p.drawText(box.translated(4, 0), Qt::AlignCenter, "3D");
    p.setPen(c);
    p.drawText(box, Qt::AlignCenter, "3D");
}

void letterA(QPainter& p, const QColor& c) {
    pen(p, c, 5);
    p.drawEllipse(QPointF(50, 50), 34, 34);
    QFont font = p.font();
    font.setPixelSize(40);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 0, 100, 100), Qt::AlignCenter, "A");
}

// Switch cameras: two turning arrows around what is in use now, the back
// camera's lens (turn1) or the user's own face (turn2, the front camera).
void turn(QPainter& p, const QColor& c, bool front) {
    pen(p, c, 5);
    p.drawArc(QRectF(10, 10, 80, 80), 30 * 16, 120 * 16);
    p.drawArc(QRectF(10, 10, 80, 80), 210 * 16, 120 * 16);
    p.drawPolyline(QPolygonF({QPointF(74, 12), QPointF(85, 30), QPointF(66, 32)}));
    p.drawPolyline(QPolygonF({QPointF(26, 88), QPointF(15, 70), QPointF(34, 68)}));
    if (front) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QPointF(50, 40), 12, 12);
        p.drawChord(QRectF(28, 54, 44, 40), 0, 180 * 16);
    } else {
        p.drawRoundedRect(QRectF(28, 36, 44, 30), 5, 5);
        p.drawEllipse(QPointF(50, 51), 9, 9);
    }
}

void trash(QPainter& p, const QColor& c) {
    pen(p, c, 5);
    p.drawLine(QPointF(20, 26), QPointF(80, 26));
    p.drawRect(QRectF(42, 16, 16, 10));
    p.drawPolygon(QPolygonF({QPointF(26, 26), QPointF(32, 84), QPointF(68, 84), QPointF(74, 26)}));
}

void envelope(QPainter& p, const QColor& c) {
    pen(p, c, 5);
    p.drawRect(QRectF(14, 26, 72, 48));
    p.drawPolyline(QPolygonF({QPointF(14, 26), QPointF(50, 54), QPointF(86, 26)}));
}

void star(QPainter& p, const QColor& c) {
    QPolygonF points;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 ? 16 : 38;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        points << QPointF(50 + r * qCos(a), 52 + r * qSin(a));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(points);
}

void person(QPainter& p, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(50, 32), 16, 16);
    p.drawChord(QRectF(18, 52, 64, 64), 0, 180 * 16);
}

void selection(QPainter& p, const QColor& c) {
    p.setPen(QPen(Qt::white, 4));
    p.setBrush(c);
    p.drawEllipse(QPointF(80, 80), 16, 16);
    pen(p, Qt::white, 5);
    p.drawPolyline(QPolygonF({QPointF(72, 80), QPointF(78, 86), QPointF(89, 73)}));
}

void rootScreen(QPainter& p) {
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(20, 30, 50));
    sky.setColorAt(1, QColor(5, 5, 10));
    p.fillRect(QRectF(0, 0, 100, 100), sky);
    p.setPen(QColor(200, 200, 210));
    QFont font = p.font();
    font.setPixelSize(12);
    p.setFont(font);
    p.drawText(QRectF(0, 40, 100, 20), Qt::AlignCenter, "Kestrel");
}

}  // namespace

QStringList IconPainter::names() {
    QStringList names{"camera.png",
                      "pause.png",
                      "album.png",
                      "settings.png",
                      "use.png",
                      "retake.png",
                      "cancel.png",
                      "flash_auto.png",
                      "flash_on.png",
                      "flash_off.png",
                      "turn1.png",
                      "turn2.png",
                      "Status_Shaking.png",
                      "Status_Sound.png",
                      "select_none.png",
                      "select_single.png",
                      "select_multi.png",
                      "Toolbar_Play.png",
                      "Toolbar_Pause.png",
                      "Toolbar_Previous.png",
                      "Toolbar_Next.png",
                      "Toolbar_Trash.png",
                      "About_Mail.png",
                      "About_Star.png",
                      "About_Friend.png",
                      "Screen4.png"};
    // Each mode's plain face (the settings' buttons, the camera's standard
    // and 3D icons) and its lit one (the chosen button, the camera's icon).
    for (const char* mode :
         {"Auto", "Stable", "Timer", "Toss", "Motion", "Sound", "Rapid", "Double", "3D", "Faces"}) {
        names << QString("Mode_%1.png").arg(mode) << QString("Mode_%1_on.png").arg(mode);
    }
    return names;
}

bool IconPainter::paint(QPainter& p, const QString& fileName, const QRectF& box) {
    // Drawn upright (no turn under way), an icon is rasterised once per size
    // and then only copied: the live view repaints thirty times a second and
    // its antialiased outlines cost more than the frame itself.
    const QTransform toDevice = p.deviceTransform();
    const qreal side = qMin(box.width(), box.height());
    if (toDevice.type() > QTransform::TxScale || side <= 0) return draw(p, fileName, box);
    const QRectF square(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
    const QRectF onDevice = toDevice.mapRect(square);
    const QSize pixels(qRound(onDevice.width()), qRound(onDevice.height()));
    if (pixels.isEmpty() || pixels.width() > kLargestCached || pixels.height() > kLargestCached)
        return draw(p, fileName, box);
    const qreal ratio = p.device()->devicePixelRatio();
    static QHash<QString, QImage> cache;
    const QString key = fileName + '@' + QString::number(pixels.width()) + 'x' +
                        QString::number(pixels.height()) + '/' + QString::number(ratio);
    auto found = cache.find(key);
    if (found == cache.end()) {
        if (cache.size() >= kCacheSize) cache.clear();  // sizes of a window long resized
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setFont(p.font());
        const bool known = draw(painter, fileName, QRectF(QPointF(0, 0), QSizeF(pixels)));
        painter.end();
        image.setDevicePixelRatio(ratio);  // its pixels are the device's
        if (!known) image = QImage();
        found = cache.insert(key, image);
    }
    if (found->isNull()) return draw(p, fileName, box);  // unknown or nothing drawn: answer as before
    p.save();
    p.resetTransform();
    p.drawImage(QPointF(std::round(onDevice.x()) / ratio, std::round(onDevice.y()) / ratio), *found);
    p.restore();
    return true;
}

bool IconPainter::draw(QPainter& p, const QString& fileName, const QRectF& box) {
    QString name = fileName;
    if (name.endsWith(".png")) name.chop(4);
    if (name == "select_none" || name.isEmpty()) return name == "select_none";
    const bool lit = name.endsWith("_on") && name != "flash_on";
    if (lit) name.chop(3);
    // Mode faces sit on the settings' white rows as well as on the live view.
    const QColor c = lit ? kLit : name.startsWith("Mode_") ? QColor(120, 124, 135) : kInk;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Icons are drawn on a 100 × 100 canvas, fitted into the box.
    const qreal side = qMin(box.width(), box.height());
    p.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    p.scale(side / 100, side / 100);
    bool known = true;
    if (name == "camera")
        camera(p, c);
    else if (name == "pause" || name == "Toolbar_Pause")
        bars(p, c);
    else if (name == "Toolbar_Play")
        play(p, c);
    else if (name == "Toolbar_Next")
        skip(p, c, true);
    else if (name == "Toolbar_Previous")
        skip(p, c, false);
    else if (name == "Toolbar_Trash")
        trash(p, c);
    else if (name == "album")
        album(p, c);
    else if (name == "settings")
        gear(p, c);
    else if (name == "use")
        check(p, QColor(80, 220, 100));
    else if (name == "retake")
        retake(p, c);
    else if (name == "cancel")
        cross(p, QColor(240, 90, 80));
    else if (name == "flash_on")
        bolt(p, kLit);
    else if (name == "flash_off") {
        bolt(p, QColor(150, 150, 150));
        pen(p, QColor(240, 90, 80), 6);
        p.drawLine(QPointF(20, 80), QPointF(80, 20));
    } else if (name == "flash_auto") {
        bolt(p, c);
        p.setPen(c);
        QFont f = p.font();
        f.setPixelSize(28);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(62, 58, 38, 40), Qt::AlignCenter, "A");
    } else if (name == "turn1" || name == "turn2")
        turn(p, c, name == "turn2");
    else if (name == "Mode_Auto")
        letterA(p, c);
    else if (name == "Mode_Stable")
        level(p, c);
    else if (name == "Mode_Timer")
        clock(p, c);
    else if (name == "Mode_Toss")
        toss(p, c);
    else if (name == "Mode_Motion")
        motion(p, c);
    else if (name == "Mode_Sound")
        sound(p, c);
    else if (name == "Mode_Faces")
        smilingFace(p, c);
    else if (name == "Status_Sound")
        microphone(p, c);
    else if (name == "Mode_Rapid")
        rapid(p, c);
    else if (name == "Mode_Double")
        doubleExposure(p, c);
    else if (name == "Mode_3D")
        anaglyph(p, c, lit);
    else if (name == "Status_Shaking")
        shaking(p, c);
    else if (name == "select_single")
        selection(p, QColor(0, 122, 255));
    else if (name == "select_multi")
        selection(p, QColor(230, 50, 50));
    else if (name == "About_Mail")
        envelope(p, QColor(0, 122, 255));
    else if (name == "About_Star")
        star(p, QColor(255, 180, 0));
    else if (name == "About_Friend")
        person(p, QColor(90, 160, 90));
    else if (name == "Screen4")
        rootScreen(p);
    else
        known = false;
    p.restore();
    return known;
}

}  // namespace kestrel::gui

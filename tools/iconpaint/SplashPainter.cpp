#include "IconPainter.h"

#include "Common/ResourceIds.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// A head in profile facing right, drawn in a unit box scaled to `box`.
QPainterPath headProfile(const QRectF& box)
{
    auto at = [&](qreal x, qreal y) {
        return QPointF(box.left() + x * box.width(), box.top() + y * box.height());
    };
    QPainterPath path;
    path.moveTo(at(0.30, 1.00));
    path.cubicTo(at(0.30, 0.85), at(0.18, 0.78), at(0.12, 0.62));
    path.cubicTo(at(0.00, 0.35), at(0.15, 0.02), at(0.50, 0.00));
    path.cubicTo(at(0.80, -0.01), at(0.95, 0.20), at(0.93, 0.38));
    path.lineTo(at(1.00, 0.52));
    path.lineTo(at(0.93, 0.55));
    path.cubicTo(at(0.96, 0.60), at(0.92, 0.62), at(0.92, 0.64));
    path.cubicTo(at(0.95, 0.68), at(0.92, 0.72), at(0.90, 0.74));
    path.cubicTo(at(0.92, 0.82), at(0.85, 0.86), at(0.70, 0.84));
    path.lineTo(at(0.68, 1.00));
    path.closeSubpath();
    return path;
}

} // namespace

QImage paintSplash()
{
    QImage image(400, 300, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(24, 42, 78));
    sky.setColorAt(1, QColor(58, 96, 150));
    p.fillRect(image.rect(), sky);

    QRadialGradient glow(QPointF(120, 150), 140);
    glow.setColorAt(0, QColor(120, 170, 230, 110));
    glow.setColorAt(1, QColor(120, 170, 230, 0));
    p.fillRect(image.rect(), glow);

    QPainterPath head = headProfile(QRectF(40, 40, 150, 220));
    QLinearGradient skin(40, 40, 190, 260);
    skin.setColorAt(0, QColor(246, 214, 184));
    skin.setColorAt(1, QColor(214, 160, 126));
    p.setPen(QPen(QColor(255, 255, 255, 200), 2));
    p.setBrush(skin);
    p.drawPath(head);

    // Sound leaving the mouth: arcs growing to the right.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 4; ++i) {
        QColor c(255, 214, 110, 230 - i * 45);
        p.setPen(QPen(c, 4, Qt::SolidLine, Qt::RoundCap));
        qreal r = 26 + i * 22;
        p.drawArc(QRectF(190 - r, 170 - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
    }

    // A waveform along the bottom.
    p.setPen(QPen(QColor(170, 210, 255, 200), 2, Qt::SolidLine, Qt::RoundCap));
    for (int x = 210; x < 390; x += 6) {
        qreal h = 4 + 22 * std::abs(std::sin(x * 0.11) * std::cos(x * 0.037));
        p.drawLine(QPointF(x, 268 - h), QPointF(x, 268 + h));
    }
    p.end();
    return image;
}

QImage paintAppIcon()
{
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 70, 130));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(QColor(240, 200, 166));
    p.drawPath(headProfile(QRectF(10, 8, 30, 50)));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(255, 214, 110), 3, Qt::SolidLine, Qt::RoundCap));
        qreal r = 7 + i * 7;
        p.drawArc(QRectF(40 - r, 38 - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
    }
    p.end();
    return image;
}

namespace {

QImage soundingSpeaker()
{
    QImage image(kIconWidth, kIconHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 48, 64), 1));
    p.setBrush(QColor(200, 206, 214));
    p.drawPolygon(QPolygonF{{1.5, 5.5}, {4.5, 5.5}, {8.5, 1.5}, {8.5, 13.5}, {4.5, 9.5}, {1.5, 9.5}});
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(46, 110, 196), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(6, 4, 6, 7), -50 * 16, 100 * 16);
    p.drawArc(QRectF(5, 1.5, 10, 12), -50 * 16, 100 * 16);
    p.end();
    return image;
}

} // namespace

QImage paintPreviewStrip(bool muted)
{
    // The preview panel's buttons in their order; only the sound button differs between the sets.
    const unsigned commands[] = {res::kCmdPlay, res::kCmdStop, res::kCmdDemoMouth, res::kCmdDemoBlink,
                                 res::kCmdDemoHead};
    constexpr int kButtons = sizeof commands / sizeof commands[0];
    QImage strip(kIconWidth * (kButtons + 1), kIconHeight, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.drawImage(0, 0, paintStrip(commands, kButtons, false));
    p.drawImage(kButtons * kIconWidth, 0, muted ? paintCommandIcon(res::kCmdMute) : soundingSpeaker());
    p.end();
    return strip;
}

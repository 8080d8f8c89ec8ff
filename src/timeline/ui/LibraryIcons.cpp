#include "timeline/ui/LibraryIcons.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>

QPixmap visemeIcon(int viseme)
{
    // How open and how wide each viseme's mouth is, 0 to 1.
    static constexpr std::array<std::pair<double, double>, 15> kShapes{{
        {0.15, 0.6}, {0.0, 0.6}, {0.1, 0.65}, {0.3, 0.6}, {0.3, 0.65}, {0.4, 0.6}, {0.3, 0.45}, {0.2, 0.75},
        {0.3, 0.6}, {0.3, 0.5}, {0.8, 0.6}, {0.45, 0.8}, {0.3, 0.85}, {0.7, 0.45}, {0.45, 0.35},
    }};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const auto [open, wide] = kShapes[size_t(std::clamp(viseme, 0, 14))];
    const QRectF lips(8 - 7 * wide, 8 - 1.5 - 5 * open, 14 * wide, 3 + 10 * open);
    p.setPen(QPen(QColor(150, 40, 50), 1.2));
    p.setBrush(QColor(220, 110, 120));
    p.drawEllipse(lips);
    if (open > 0.05) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 20, 25));
        p.drawEllipse(lips.adjusted(2, 1.5, -2, -1.5));
    }
    return pixmap;
}

QPixmap expressionIcon(int expression)
{
    QPixmap pixmap(28, 28);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    static const QColor kFaces[7] = {QColor(235, 220, 190), QColor(255, 215, 120), QColor(170, 200, 235),
                                     QColor(240, 140, 120), QColor(210, 200, 235), QColor(190, 220, 150),
                                     QColor(255, 235, 170)};
    const int e = std::clamp(expression, 0, 6);
    p.setPen(QPen(QColor(90, 70, 50), 1.2));
    p.setBrush(kFaces[e]);
    p.drawEllipse(QRectF(2, 2, 24, 24));
    // Brows: raised for surprise and fear, lowered inwards for anger, drooping for sadness.
    const double browTilt[7] = {0, -1, 2, -3, 2, -1.5, 0};
    const double browLift[7] = {0, 0.5, 0, 1, -2.5, 0, -3};
    p.setPen(QPen(QColor(60, 40, 30), 1.4));
    p.drawLine(QPointF(7.5, 9.5 + browLift[e] - browTilt[e]), QPointF(12, 9.5 + browLift[e] + browTilt[e]));
    p.drawLine(QPointF(16, 9.5 + browLift[e] + browTilt[e]), QPointF(20.5, 9.5 + browLift[e] - browTilt[e]));
    p.setBrush(QColor(40, 30, 25));
    p.setPen(Qt::NoPen);
    const double eye = e == 6 || e == 4 ? 2.4 : 1.7;
    p.drawEllipse(QPointF(10, 12.5), eye, eye);
    p.drawEllipse(QPointF(18, 12.5), eye, eye);
    QPainterPath mouth;
    p.setPen(QPen(QColor(120, 40, 40), 1.5));
    p.setBrush(Qt::NoBrush);
    switch (e) {
    case 1: // joy
        mouth.moveTo(8.5, 17.5);
        mouth.quadTo(14, 23.5, 19.5, 17.5);
        break;
    case 2: // sadness
    case 3: // anger
        mouth.moveTo(9, 21);
        mouth.quadTo(14, 16.5, 19, 21);
        break;
    case 4: // fear
        mouth.addEllipse(QRectF(11, 17.5, 6, 4));
        break;
    case 5: // disgust
        mouth.moveTo(9, 19.5);
        mouth.lineTo(12, 18.5);
        mouth.lineTo(15, 20);
        mouth.lineTo(19, 18);
        break;
    case 6: // surprise
        p.setBrush(QColor(90, 25, 25));
        mouth.addEllipse(QRectF(11.5, 16.5, 5, 6.5));
        break;
    default:
        mouth.moveTo(9.5, 19.5);
        mouth.lineTo(18.5, 19.5);
        break;
    }
    p.drawPath(mouth);
    return pixmap;
}

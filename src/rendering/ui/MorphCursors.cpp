#include "rendering/ui/MorphCursors.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 32;

// Black strokes with a white rim, so the cursor reads on the light photo and the dark background.
void stroke(QPainter& painter, const QPainterPath& path)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
}

void arrowHead(QPainterPath& path, QPointF tip, QPointF direction)
{
    QPointF side(-direction.y(), direction.x());
    path.moveTo(tip - direction * 4 + side * 3);
    path.lineTo(tip);
    path.lineTo(tip - direction * 4 - side * 3);
}

QPainterPath crossArrows(bool depth)
{
    QPainterPath path;
    const QPointF c(16, 16);
    if (!depth) {
        path.moveTo(4, 16), path.lineTo(28, 16);
        path.moveTo(16, 4), path.lineTo(16, 28);
        arrowHead(path, {28, 16}, {1, 0});
        arrowHead(path, {4, 16}, {-1, 0});
        arrowHead(path, {16, 4}, {0, -1});
        arrowHead(path, {16, 28}, {0, 1});
    } else {
        // A diagonal axis coming out of the screen, drawn in perspective.
        path.moveTo(7, 25), path.lineTo(25, 7);
        arrowHead(path, {25, 7}, {0.7071, -0.7071});
        arrowHead(path, {7, 25}, {-0.7071, 0.7071});
        path.addEllipse(c, 3, 3);
    }
    return path;
}

QPainterPath magnifier(bool withRectangle)
{
    QPainterPath path;
    path.addEllipse(QPointF(13, 13), 8, 8);
    path.moveTo(19, 19), path.lineTo(28, 28);
    if (withRectangle)
        path.addRect(9, 9, 8, 8);
    else
        path.moveTo(9, 13), path.lineTo(17, 13), path.moveTo(13, 9), path.lineTo(13, 17);
    return path;
}

QPainterPath hand()
{
    QPainterPath path;
    for (int finger = 0; finger < 4; ++finger) {
        qreal x = 9 + finger * 4.5;
        path.moveTo(x, 17), path.lineTo(x, 6 + (finger == 0 || finger == 3 ? 3 : 0));
    }
    path.moveTo(7, 15), path.lineTo(4, 12);
    path.moveTo(7, 15), path.quadTo(6, 27, 15, 28), path.quadTo(24, 28, 24, 17);
    return path;
}

QPainterPath orbitArrows()
{
    QPainterPath path;
    path.arcMoveTo(5, 8, 22, 16, 200);
    path.arcTo(5, 8, 22, 16, 200, 300);
    arrowHead(path, path.currentPosition(), {0.5, 0.866});
    path.addEllipse(QPointF(16, 16), 2.5, 2.5);
    return path;
}

QCursor drawCursor(int resource)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPoint hotSpot(16, 16);
    switch (resource) {
    case 141:
        stroke(painter, hand());
        break;
    case 142:
        stroke(painter, magnifier(false));
        hotSpot = {13, 13};
        break;
    case 143:
        stroke(painter, orbitArrows());
        break;
    case 168:
        stroke(painter, magnifier(true));
        hotSpot = {13, 13};
        break;
    case 184:
        stroke(painter, crossArrows(false));
        break;
    case 185:
        stroke(painter, crossArrows(true));
        break;
    default:
        return QCursor(Qt::ArrowCursor);
    }
    painter.end();
    return QCursor(pixmap, hotSpot.x(), hotSpot.y());
}

} // namespace

QCursor morphCursor(int resource)
{
    if (resource == -1)
        return QCursor(Qt::WaitCursor);
    static QHash<int, QCursor> drawn;
    auto found = drawn.find(resource);
    if (found == drawn.end())
        found = drawn.insert(resource, drawCursor(resource));
    return *found;
}

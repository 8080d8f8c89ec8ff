#include "IconPainter.h"

#include "Common/ResourceIds.h"

#include <QPainterPath>

namespace {

using namespace res;

const QColor kInk(40, 48, 64);
const QColor kPaper(252, 252, 248);
const QColor kBlue(46, 110, 196);
const QColor kGreen(40, 160, 70);
const QColor kRed(206, 48, 40);
const QColor kYellow(240, 196, 70);
const QColor kSkin(238, 190, 150);
const QColor kGrey(130, 138, 150);

QPen pen(const QColor& color, qreal width = 1.0)
{
    QPen p(color, width);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}

void page(QPainter& p, QRectF r = QRectF(2.5, 0.5, 10, 13))
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(pen(kInk));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void folder(QPainter& p)
{
    p.setPen(pen(QColor(150, 110, 20)));
    p.setBrush(kYellow.darker(110));
    p.drawRect(QRectF(0.5, 2.5, 6, 3));
    p.drawRect(QRectF(0.5, 3.5, 13, 9));
    p.setBrush(kYellow);
    QPolygonF flap{{2.5, 6.5}, {15.5, 6.5}, {13.5, 12.5}, {0.5, 12.5}};
    p.drawPolygon(flap);
}

void floppy(QPainter& p, QRectF r = QRectF(1.5, 0.5, 13, 13))
{
    p.setPen(pen(kInk));
    p.setBrush(kBlue);
    p.drawRoundedRect(r, 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(r.left() + 2, r.top(), r.width() - 4, 5));
    p.setBrush(kGrey.lighter(130));
    p.drawRect(QRectF(r.left() + 3, r.bottom() - 5, r.width() - 6, 5));
    p.fillRect(QRectF(r.left() + 8, r.top() + 1, 2, 3), kInk);
}

void face(QPainter& p, QRectF r, const QColor& skin = kSkin)
{
    p.setPen(pen(kInk));
    p.setBrush(skin);
    p.drawEllipse(r);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    qreal cx = r.center().x(), cy = r.center().y();
    p.drawEllipse(QPointF(cx - r.width() * 0.2, cy - r.height() * 0.12), 0.9, 0.9);
    p.drawEllipse(QPointF(cx + r.width() * 0.2, cy - r.height() * 0.12), 0.9, 0.9);
    p.setPen(pen(kRed.darker(120)));
    p.drawLine(QPointF(cx - r.width() * 0.15, cy + r.height() * 0.22),
               QPointF(cx + r.width() * 0.15, cy + r.height() * 0.22));
}

void wave(QPainter& p, QRectF r, const QColor& color = kBlue)
{
    static const qreal kHeights[] = {0.2, 0.5, 0.9, 0.6, 1.0, 0.4, 0.7, 0.3, 0.5};
    p.setPen(pen(color, 1.2));
    int n = int(sizeof kHeights / sizeof kHeights[0]);
    for (int i = 0; i < n; ++i) {
        qreal x = r.left() + i * r.width() / (n - 1);
        qreal h = kHeights[i] * r.height() / 2;
        p.drawLine(QPointF(x, r.center().y() - h), QPointF(x, r.center().y() + h));
    }
}

// A small arrow in the corner: pointing down into the document for imports, up out of it for exports.
void arrow(QPainter& p, bool in, const QColor& color = kGreen)
{
    QPolygonF shape =
        in ? QPolygonF{{10, 7}, {13, 7}, {13, 10}, {15.5, 10}, {11.5, 14.5}, {7.5, 10}, {10, 10}}
           : QPolygonF{{10, 14.5}, {13, 14.5}, {13, 11}, {15.5, 11}, {11.5, 6.5}, {7.5, 11}, {10, 11}};
    p.setPen(pen(color.darker(140)));
    p.setBrush(color);
    p.drawPolygon(shape);
}

void magnifier(QPainter& p, bool plus)
{
    p.setPen(pen(kInk, 1.2));
    p.setBrush(QColor(210, 230, 250));
    p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
    p.setPen(pen(kInk, 2.4));
    p.drawLine(QPointF(10.5, 10.5), QPointF(14.5, 13.5));
    p.setPen(pen(kInk, 1.4));
    p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
    if (plus)
        p.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
}

void speaker(QPainter& p)
{
    p.setPen(pen(kInk));
    p.setBrush(kGrey.lighter(140));
    p.drawPolygon(QPolygonF{{1.5, 5.5}, {4.5, 5.5}, {8.5, 1.5}, {8.5, 13.5}, {4.5, 9.5}, {1.5, 9.5}});
}

void drawCommand(QPainter& p, unsigned command)
{
    switch (command) {
    case kCmdNew:
        page(p);
        p.setPen(pen(kGreen.darker(110), 2.0));
        p.drawLine(QPointF(12.5, 9), QPointF(12.5, 14));
        p.drawLine(QPointF(10, 11.5), QPointF(15, 11.5));
        break;
    case kCmdOpen:
        folder(p);
        break;
    case kCmdSave:
        floppy(p);
        break;
    case kCmdSaveAs:
        floppy(p, QRectF(0.5, 0.5, 11, 11));
        p.setPen(pen(kInk));
        p.setBrush(kYellow);
        p.drawPolygon(QPolygonF{{9, 14.5}, {9.5, 11.5}, {14, 7}, {15.5, 8.5}, {11, 13}});
        break;
    case kCmdOpenHeadDefinition:
        folder(p);
        face(p, QRectF(7.5, 5.5, 7, 8.5));
        break;
    case kCmdOpenHeadAnimation:
        folder(p);
        wave(p, QRectF(6, 7.5, 9, 6), kBlue.darker(110));
        break;
    case kCmdImportFace:
        face(p, QRectF(1.5, 0.5, 10, 12.5));
        arrow(p, true);
        break;
    case kCmdExportFace:
        face(p, QRectF(1.5, 0.5, 10, 12.5));
        arrow(p, false, kBlue);
        break;
    case kCmdImportMask:
    case kCmdExportMask: {
        p.setPen(pen(kInk));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1.5, 0.5, 10, 12.5));
        QPainterPath half;
        half.addEllipse(QRectF(1.5, 0.5, 10, 12.5));
        QPainterPath left;
        left.addRect(QRectF(0, 0, 6.5, 15));
        p.setBrush(kInk);
        p.drawPath(half.intersected(left));
        arrow(p, command == kCmdImportMask, command == kCmdImportMask ? kGreen : kBlue);
        break;
    }
    case kCmdImportVoice:
        wave(p, QRectF(0.5, 1, 10, 10));
        arrow(p, true);
        break;
    case kCmdExportVoice:
        wave(p, QRectF(0.5, 1, 10, 10));
        arrow(p, false, kRed);
        break;
    case kCmdRecordVoice:
        p.setPen(pen(kRed.darker(150)));
        p.setBrush(kRed);
        p.drawEllipse(QPointF(8, 7.5), 5.5, 5.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 140));
        p.drawEllipse(QPointF(6.5, 5.5), 1.6, 1.6);
        break;
    case kCmdSaveStream:
        page(p, QRectF(1.5, 0.5, 10, 13));
        wave(p, QRectF(3.5, 5, 6, 6));
        arrow(p, false, kGreen);
        break;
    case kCmdExportMedia:
        p.setPen(pen(kInk));
        p.setBrush(QColor(60, 64, 72));
        p.drawRect(QRectF(0.5, 2.5, 15, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        for (int i = 0; i < 4; ++i) {
            p.drawRect(QRectF(2 + i * 3.5, 3.5, 1.5, 1.2));
            p.drawRect(QRectF(2 + i * 3.5, 10.3, 1.5, 1.2));
        }
        p.setBrush(QColor(120, 190, 250));
        p.drawPolygon(QPolygonF{{6, 5.5}, {10.5, 7.5}, {6, 9.5}});
        break;
    case kCmdPlay:
        p.setPen(pen(kGreen.darker(150)));
        p.setBrush(kGreen);
        p.drawPolygon(QPolygonF{{3.5, 1.5}, {13.5, 7.5}, {3.5, 13.5}});
        break;
    case kCmdStop:
        p.setPen(pen(kRed.darker(150)));
        p.setBrush(kRed);
        p.drawRoundedRect(QRectF(2.5, 2.5, 10, 10), 1.5, 1.5);
        break;
    case kCmdOptions:
        p.setPen(pen(kInk, 1.2));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(1.5, 3 + i * 4.5), QPointF(14.5, 3 + i * 4.5));
        p.setBrush(kBlue);
        p.setPen(pen(kInk));
        p.drawRect(QRectF(4.5, 1, 3, 4));
        p.drawRect(QRectF(9.5, 5.5, 3, 4));
        p.drawRect(QRectF(2.5, 10, 3, 4));
        break;
    case kCmdAbout:
        p.setPen(pen(kBlue.darker(140)));
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(7.5, 7.5), 6.5, 6.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(7.5, 4), 1.3, 1.3);
        p.drawRect(QRectF(6.5, 6, 2, 6));
        break;
    case kCmdSummary:
        page(p);
        p.setPen(pen(kGrey));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(4.5, 5.5 + i * 2), QPointF(i == 3 ? 8.5 : 10.5, 5.5 + i * 2));
        break;
    case kCmdHelpContents:
        p.setPen(pen(kInk));
        p.setBrush(kBlue);
        p.drawRect(QRectF(2.5, 1.5, 10, 12));
        p.setBrush(kPaper);
        p.drawRect(QRectF(2.5, 11.5, 10, 2));
        p.setPen(pen(Qt::white, 1.2));
        p.drawLine(QPointF(5, 5), QPointF(10, 5));
        p.drawLine(QPointF(5, 7.5), QPointF(9, 7.5));
        break;
    case kCmdDemoMouth: {
        QPainterPath upper, lower;
        upper.moveTo(1, 7.5);
        upper.cubicTo(4, 2.5, 6.5, 4, 8, 5);
        upper.cubicTo(9.5, 4, 12, 2.5, 15, 7.5);
        lower.moveTo(1, 7.5);
        lower.cubicTo(4, 14, 12, 14, 15, 7.5);
        p.setPen(pen(kRed.darker(130)));
        p.setBrush(kRed.lighter(115));
        p.drawPath(upper + lower);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 20, 30));
        p.drawEllipse(QRectF(4, 6.5, 8, 3.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 6.5, 6, 1.3));
        break;
    }
    case kCmdDemoBlink:
        p.setPen(pen(kInk));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(0.5, 3.5, 8.5, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue.darker(120));
        p.drawEllipse(QPointF(4.75, 6.5), 2.2, 2.2);
        p.setPen(pen(kInk, 1.3));
        p.drawLine(QPointF(10, 6.5), QPointF(15.5, 6.5));
        for (qreal x : {11.0, 13.0, 15.0})
            p.drawLine(QPointF(x, 6.5), QPointF(x - 0.6, 9));
        break;
    case kCmdDemoHead: {
        face(p, QRectF(3, 2, 9, 11));
        QPainterPath turn;
        turn.moveTo(1, 12);
        turn.cubicTo(3, 15, 12, 15, 14.5, 11);
        p.setPen(pen(kGreen.darker(120), 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(turn);
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen.darker(120));
        p.drawPolygon(QPolygonF{{15.5, 9}, {15.5, 13.5}, {11.5, 12}});
        break;
    }
    case kCmdMute:
        speaker(p);
        p.setPen(pen(kRed, 1.6));
        p.drawLine(QPointF(10.5, 5), QPointF(14.5, 10));
        p.drawLine(QPointF(14.5, 5), QPointF(10.5, 10));
        break;
    case kCmdExit:
        p.setPen(pen(kInk));
        p.setBrush(QColor(170, 120, 70));
        p.drawRect(QRectF(1.5, 0.5, 8, 14));
        p.setBrush(kYellow);
        p.drawEllipse(QPointF(7.5, 8), 0.8, 0.8);
        arrow(p, false, kRed);
        break;
    case kCmdOrbitTool: {
        face(p, QRectF(4.5, 3.5, 7, 8.5));
        QPainterPath ring;
        ring.arcMoveTo(QRectF(0.5, 4.5, 15, 7), 200);
        ring.arcTo(QRectF(0.5, 4.5, 15, 7), 200, 300);
        p.setPen(pen(kBlue, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(ring);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF{{12.5, 3.5}, {15.5, 6.5}, {11.5, 7.5}});
        break;
    }
    case kCmdPanTool:
        p.setPen(pen(kInk, 1.2));
        p.drawLine(QPointF(8, 1), QPointF(8, 14));
        p.drawLine(QPointF(1.5, 7.5), QPointF(14.5, 7.5));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawPolygon(QPolygonF{{8, 0}, {10.5, 3}, {5.5, 3}});
        p.drawPolygon(QPolygonF{{8, 15}, {10.5, 12}, {5.5, 12}});
        p.drawPolygon(QPolygonF{{0.5, 7.5}, {3.5, 5}, {3.5, 10}});
        p.drawPolygon(QPolygonF{{15.5, 7.5}, {12.5, 5}, {12.5, 10}});
        break;
    case kCmdZoomTool:
        magnifier(p, true);
        break;
    case kCmdZoomBoxTool: {
        QPen dashed = pen(kBlue);
        dashed.setDashPattern({2, 1.5});
        p.setPen(dashed);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 0.5, 9, 8));
        p.setPen(pen(kInk, 1.2));
        p.setBrush(QColor(210, 230, 250));
        p.drawEllipse(QPointF(9.5, 8.5), 3.5, 3.5);
        p.setPen(pen(kInk, 2.2));
        p.drawLine(QPointF(12, 11), QPointF(15, 14));
        break;
    }
    case kCmdResetCamera:
        face(p, QRectF(3.5, 1.5, 9, 12));
        p.setPen(pen(kGreen.darker(120), 1.2));
        p.drawLine(QPointF(0.5, 14.5), QPointF(3, 14.5));
        p.drawLine(QPointF(0.5, 14.5), QPointF(0.5, 12));
        break;
    case kCmdFitCamera:
        face(p, QRectF(4, 3, 8, 9.5));
        p.setPen(pen(kInk, 1.2));
        for (QPointF c : {QPointF(0.5, 0.5), QPointF(15.5, 0.5), QPointF(0.5, 14.5), QPointF(15.5, 14.5)}) {
            qreal dx = c.x() < 8 ? 3 : -3, dy = c.y() < 8 ? 3 : -3;
            p.drawLine(c, QPointF(c.x() + dx, c.y()));
            p.drawLine(c, QPointF(c.x(), c.y() + dy));
        }
        break;
    case kCmdDrawWireframe:
    case kCmdDrawFlat:
    case kCmdDrawTextured: {
        const QPolygonF outer{{1.5, 13.5}, {7.5, 1.5}, {14.5, 13.5}};
        const QColor fill = command == kCmdDrawFlat ? kGrey.lighter(150) : kSkin;
        p.setPen(pen(kBlue.darker(120)));
        p.setBrush(command == kCmdDrawWireframe ? QBrush(Qt::NoBrush) : QBrush(fill));
        p.drawPolygon(outer);
        if (command == kCmdDrawFlat) {
            p.setPen(Qt::NoPen);
            p.setBrush(kGrey);
            p.drawPolygon(QPolygonF{{4.5, 7.5}, {11, 7.5}, {8, 13.5}});
        }
        if (command == kCmdDrawTextured) {
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawEllipse(QPointF(6, 9), 0.9, 0.9);
            p.drawEllipse(QPointF(9.5, 9), 0.9, 0.9);
            p.setPen(pen(kRed.darker(120)));
            p.drawLine(QPointF(6.5, 11.8), QPointF(9, 11.8));
        } else {
            p.setPen(pen(kBlue.darker(120)));
            p.drawLine(QPointF(4.5, 7.5), QPointF(11, 7.5));
            p.drawLine(QPointF(4.5, 7.5), QPointF(8, 13.5));
            p.drawLine(QPointF(11, 7.5), QPointF(8, 13.5));
        }
        break;
    }
    case kCmdShowEditLines: {
        QPainterPath curve;
        curve.moveTo(1.5, 12);
        curve.cubicTo(4, 1, 11, 1, 14.5, 12);
        p.setPen(pen(kGreen.darker(120), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(curve);
        p.setPen(pen(kInk));
        p.setBrush(Qt::white);
        for (QPointF c : {QPointF(1.5, 12), QPointF(8, 4), QPointF(14.5, 12)})
            p.drawRect(QRectF(c.x() - 1.5, c.y() - 1.5, 3, 3));
        break;
    }
    case kCmdEditTool:
        p.setPen(pen(kInk));
        p.setBrush(Qt::white);
        p.drawPolygon(
            QPolygonF{{3.5, 0.5}, {3.5, 12.5}, {6.5, 9.5}, {9, 14.5}, {11, 13.5}, {8.5, 8.5}, {12.5, 8.5}});
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QPointF(13, 3), 2, 2);
        break;
    case kCmdMoveXY:
    case kCmdMoveZ:
        p.setPen(pen(kInk, 1.2));
        p.setBrush(Qt::NoBrush);
        if (command == kCmdMoveXY) {
            p.drawLine(QPointF(2, 13.5), QPointF(14, 13.5));
            p.drawLine(QPointF(2, 13.5), QPointF(2, 1.5));
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawPolygon(QPolygonF{{15.5, 13.5}, {12.5, 11}, {12.5, 16}});
            p.drawPolygon(QPolygonF{{2, 0}, {4.5, 3}, {-0.5, 3}});
            p.setBrush(kRed);
            p.drawEllipse(QPointF(8.5, 7.5), 2, 2);
        } else {
            p.drawLine(QPointF(13, 2), QPointF(3, 12.5));
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawPolygon(QPolygonF{{1.5, 14}, {2.5, 9.5}, {6, 13}});
            p.drawPolygon(QPolygonF{{14.5, 0.5}, {13.5, 5}, {10, 1.5}});
            p.setBrush(kRed);
            p.drawEllipse(QPointF(8, 7.25), 2, 2);
        }
        break;
    case kCmdShowCurrent:
    case kCmdShowReference:
    case kCmdShowNeutral: {
        const QColor ink = command == kCmdShowCurrent ? kRed : command == kCmdShowReference ? kGrey : kBlue;
        face(p, QRectF(2.5, 1.5, 11, 12.5), command == kCmdShowCurrent ? kSkin : kSkin.lighter(112));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (QPointF c :
             {QPointF(4.5, 4.5), QPointF(11.5, 4.5), QPointF(8, 13), QPointF(3, 9), QPointF(13, 9)})
            p.drawEllipse(c, 1.5, 1.5);
        break;
    }
    case kCmdFitToLines:
        face(p, QRectF(2.5, 1.5, 11, 12.5));
        p.setPen(pen(kGreen.darker(110), 1.2));
        p.drawLine(QPointF(1.5, 7.5), QPointF(14.5, 7.5));
        p.drawLine(QPointF(8, 0.5), QPointF(8, 14.5));
        break;
    case kCmdNormalise: {
        face(p, QRectF(4, 3.5, 8, 8.5));
        QPen dashed = pen(kBlue);
        dashed.setDashPattern({2, 1.5});
        p.setPen(dashed);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1.5, 0.5, 13, 14));
        break;
    }
    case kCmdRevertDrag:
    case kCmdRestoreReference: {
        if (command == kCmdRestoreReference)
            face(p, QRectF(5.5, 5, 9.5, 9.5), kSkin.lighter(112));
        QPainterPath back;
        back.moveTo(13, 9);
        back.cubicTo(13, 2, 5, 1.5, 3, 6);
        p.setPen(pen(kBlue.darker(110), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(back);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue.darker(110));
        p.drawPolygon(QPolygonF{{0.5, 4}, {6, 5}, {2, 9.5}});
        break;
    }
    case kCmdTogglePage:
        p.setPen(pen(kInk));
        p.setBrush(kSkin);
        p.drawRect(QRectF(0.5, 0.5, 9, 8));
        p.setBrush(QColor(200, 220, 245));
        p.drawRect(QRectF(5.5, 5.5, 10, 9));
        wave(p, QRectF(7, 7.5, 7, 5));
        break;
    case kCmdLipSync: {
        // An open mouth over the voice's wave.
        wave(p, QRectF(0.5, 9.5, 15, 5.5), kBlue);
        QPainterPath lips;
        lips.moveTo(2, 4.5);
        lips.cubicTo(5, 0, 11, 0, 14, 4.5);
        lips.cubicTo(11, 9, 5, 9, 2, 4.5);
        p.setPen(pen(kRed.darker(130)));
        p.setBrush(kRed);
        p.drawPath(lips);
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(8, 4.5), 3.2, 1.4);
        break;
    }
    case kCmdHeadTurns: {
        face(p, QRectF(3.5, 3, 9, 11));
        QPainterPath swing;
        swing.arcMoveTo(QRectF(1, 0.5, 14, 6), 160);
        swing.arcTo(QRectF(1, 0.5, 14, 6), 160, -140);
        p.setPen(pen(kGreen.darker(120), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(swing);
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen.darker(120));
        p.drawPolygon(QPolygonF{{15.5, 4.5}, {12, 4}, {14.5, 1}});
        break;
    }
    default:
        p.setPen(pen(kInk));
        p.setBrush(kGrey);
        p.drawRect(QRectF(3.5, 3.5, 8, 8));
        break;
    }
}

// A hot image is the same picture a little lighter, with its darkest lines kept dark, so the button
// under the pointer lifts without losing its outline.
QImage lightened(const QImage& source)
{
    QImage out = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            QColor c = QColor::fromRgba(row[x]);
            if (c.alpha() == 0 || c.lightness() < 70)
                continue;
            row[x] = c.lighter(118).rgba() | (row[x] & 0xff000000u);
        }
    }
    return out;
}

} // namespace

QImage paintCommandIcon(unsigned command)
{
    QImage image(kIconWidth, kIconHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawCommand(painter, command);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage paintStrip(const unsigned* commands, unsigned count, bool hot)
{
    int images = 0;
    for (unsigned i = 0; i < count; ++i)
        images += commands[i] != 0;
    QImage strip(kIconWidth * std::max(images, 1), kIconHeight, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter painter(&strip);
    int at = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (!commands[i])
            continue;
        QImage icon = paintCommandIcon(commands[i]);
        painter.drawImage(at * kIconWidth, 0, hot ? lightened(icon) : icon);
        ++at;
    }
    painter.end();
    return strip;
}

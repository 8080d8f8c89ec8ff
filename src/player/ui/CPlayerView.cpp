#include "player/ui/CPlayerView.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// Drawing a frame costs its area in the software renderer: above this the smooth scaling takes over.
constexpr int kLargestFrameSide = 768;
constexpr int kSmallestFrameSide = 256;
constexpr int kMessageMargin = 24;

} // namespace

CPlayerView::CPlayerView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 160);
}

void CPlayerView::showFrame(const QImage& frame)
{
    frame_ = frame;
    message_.clear();
    update();
}

void CPlayerView::showMessage(const QString& text, bool warning)
{
    frame_ = QImage();
    message_ = text;
    warning_ = warning;
    update();
}

QRect CPlayerView::frameRect() const
{
    if (frame_.isNull())
        return {};
    const QSize fitted = frame_.size().scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

int CPlayerView::wantedFrameSide() const
{
    const int side = int(std::min(width(), height()) * devicePixelRatioF());
    return std::clamp(side, kSmallestFrameSide, kLargestFrameSide);
}

void CPlayerView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(frameRect(), frame_);
        return;
    }
    QFont font = painter.font();
    font.setPointSizeF(font.pointSizeF() * 1.2);
    painter.setFont(font);
    painter.setPen(warning_ ? QColor(255, 170, 150) : QColor(170, 170, 170));
    painter.drawText(rect().adjusted(kMessageMargin, kMessageMargin, -kMessageMargin, -kMessageMargin),
                     Qt::AlignCenter | Qt::TextWordWrap, message_);
}

void CPlayerView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

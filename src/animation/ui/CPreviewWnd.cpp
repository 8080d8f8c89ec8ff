#include "animation/ui/CPreviewWnd.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>

CPreviewWnd::CPreviewWnd(QWidget* parent, bool openGl, int processorType,
                         const ExpressionRows& expressionRows)
    : QWidget(parent)
{
    AnimPlayerSetup setup;
    setup.drawLock = drawLock_;
    setup.makeRenderer = chosenPlayerRenderer(openGl, processorType, choice_);
    setup.expressionRows = expressionRows;
    setup.onFrame = [this](const std::uint32_t* pixels, int width, int height) {
        takeFrame(pixels, width, height);
    };
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(64, 64);
    player_ = std::make_unique<CAnimPlayer>(std::move(setup));
    player_->started().wait();
    if (!choice_->fallbackReason.empty()) {
        fallbackMessage_ = tr("OpenGL drawing is not available (%1); the preview draws in software.")
                               .arg(QString::fromStdString(choice_->fallbackReason));
        qWarning().noquote() << fallbackMessage_;
    }
    player_->resize(width(), height());
}

CPreviewWnd::~CPreviewWnd()
{
    player_->stop();
    player_.reset();
}

void CPreviewWnd::setModel(CHeadModel* model)
{
    model_ = model;
    player_->setModel(model);
}

void CPreviewWnd::takeFrame(const std::uint32_t* pixels, int width, int height)
{
    // Worker thread, under the draw lock. The buffer's rows run bottom to top; alpha is ignored.
    QImage copy =
        QImage(reinterpret_cast<const uchar*>(pixels), width, height, width * 4, QImage::Format_RGB32)
            .mirrored(false, true);
    QMetaObject::invokeMethod(
        this,
        [this, copy = std::move(copy)] {
            frame_ = copy;
            ++frameCount_;
            frameArrived_ = true;
            update();
            emit frameShown();
        },
        Qt::QueuedConnection);
}

void CPreviewWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (frame_.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(QPoint(0, 0), frame_);
    // A paint that only shows the new frame must not ask for another one.
    if (!frameArrived_)
        player_->redraw();
    frameArrived_ = false;
}

void CPreviewWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    player_->resize(width(), height());
    player_->redraw();
}

void CPreviewWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && parentWidget())
        emit rightButtonUp(mapToParent(event->position().toPoint()));
    QWidget::mouseReleaseEvent(event);
}

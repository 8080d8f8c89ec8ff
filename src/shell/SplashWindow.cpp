#include "shell/SplashWindow.h"

#include "Common/ResourceIds.h"
#include "shell/ResourceUi.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("SplashWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    picture_ = ResourceUi::bitmap(res::kBitmapSplash);
    setFixedSize(picture_.isNull() ? QSize(400, 300) : picture_.size());
}

void SplashWindow::showCentred()
{
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    QApplication::processEvents();
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!picture_.isNull())
        painter.drawPixmap(0, 0, picture_);
    else
        painter.fillRect(rect(), QColor(40, 70, 130));
    // The product name and the loading line are texts of the library, drawn over the picture.
    QFont title = font();
    title.setPointSize(20);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    QRect textArea = rect().adjusted(196, 26, -12, -200);
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, ResourceUi::dialogText(res::kDialogSplash, 0));
    QFont small = font();
    small.setPointSize(9);
    painter.setFont(small);
    painter.setPen(QColor(220, 230, 245));
    painter.drawText(rect().adjusted(16, 0, -16, -12), Qt::AlignLeft | Qt::AlignBottom,
                     ResourceUi::dialogText(res::kDialogSplash, 1301));
}

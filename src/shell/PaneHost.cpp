#include "shell/PaneHost.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

PaneHost::PaneHost(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    state_ = new QWidget(this);
    state_->setObjectName(name + "State");
    state_->setAutoFillBackground(true);
    QPalette palette = state_->palette();
    palette.setColor(QPalette::Window, QColor(250, 250, 250));
    state_->setPalette(palette);
    auto* stateLayout = new QVBoxLayout(state_);
    stateLayout->setContentsMargins(12, 10, 12, 10);
    picture_ = new QLabel(state_);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->hide();
    text_ = new QLabel(state_);
    text_->setObjectName("stateText");
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    stateLayout->addWidget(picture_, 0, Qt::AlignHCenter);
    stateLayout->addWidget(text_);
    stateLayout->addStretch(1);
    layout_->addWidget(state_);
}

void PaneHost::host(QWidget* window)
{
    if (!window || window == hosted_)
        return;
    delete hosted_.data();
    hosted_ = window;
    window->setParent(this);
    state_->hide();
    layout_->addWidget(window);
    window->show();
}

void PaneHost::setStateText(const QString& text)
{
    text_->setText(text);
}

QString PaneHost::stateText() const
{
    return text_->text();
}

void PaneHost::setPicture(const QImage& picture)
{
    if (picture.isNull()) {
        picture_->clear();
        picture_->hide();
        return;
    }
    picture_->setPixmap(QPixmap::fromImage(picture));
    picture_->show();
}

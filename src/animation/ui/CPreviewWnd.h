#pragma once

#include "animation/CAnimPlayer.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <mutex>

class CHeadModel;

// Shows the animation player's frames. The player draws on its worker thread into its own buffer;
// each finished frame is copied under the window's draw lock and handed to this widget by a queued
// call, so only the user-interface thread touches the widget.
class CPreviewWnd : public QWidget {
    Q_OBJECT
public:
    // `openGl` asks for the OpenGL drawing mode: the player's thread draws into an offscreen context of
    // its own and the window shows each frame read back. Without a context the software mode draws.
    CPreviewWnd(QWidget* parent, bool openGl, int processorType, const ExpressionRows& expressionRows = {});
    ~CPreviewWnd() override;

    void setModel(CHeadModel* model);
    CAnimPlayer& player() { return *player_; }
    // The last frame shown and how many have arrived, for the studio's snapshots and for tests.
    QImage lastFrame() const { return frame_; }
    int frameCount() const { return frameCount_; }
    // True when the frames come from the OpenGL renderer.
    bool drawsWithOpenGl() const { return choice_->openGl; }
    // Why the OpenGL mode was asked for and the software one draws instead; empty otherwise.
    QString fallbackMessage() const { return fallbackMessage_; }

signals:
    // A right click, in the parent's coordinates, for the parent's context menu.
    void rightButtonUp(QPoint parentPoint);
    void frameShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void takeFrame(const std::uint32_t* pixels, int width, int height);

    std::shared_ptr<std::mutex> drawLock_ = std::make_shared<std::mutex>();
    std::shared_ptr<PlayerRendererChoice> choice_ = std::make_shared<PlayerRendererChoice>();
    QString fallbackMessage_;
    std::unique_ptr<CAnimPlayer> player_;
    CHeadModel* model_ = nullptr;
    QImage frame_;
    int frameCount_ = 0;
    bool frameArrived_ = false;
};

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
    // `openGl` asks for the OpenGL drawing mode; until that renderer exists the software one draws.
    CPreviewWnd(QWidget* parent, bool openGl, int processorType, const ExpressionRows& expressionRows = {});
    ~CPreviewWnd() override;

    void setModel(CHeadModel* model);
    CAnimPlayer& player() { return *player_; }
    // The last frame shown and how many have arrived, for the studio's snapshots and for tests.
    QImage lastFrame() const { return frame_; }
    int frameCount() const { return frameCount_; }

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
    std::unique_ptr<CAnimPlayer> player_;
    CHeadModel* model_ = nullptr;
    QImage frame_;
    int frameCount_ = 0;
    bool frameArrived_ = false;
};

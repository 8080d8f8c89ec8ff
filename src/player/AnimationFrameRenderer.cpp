#include "player/AnimationFrameRenderer.h"

#include "face/CHeadModel.h"
#include "face/HeadModelLock.h"

bool AnimationFrameRenderer::create(CHeadModel& head, int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    head_ = &head;
    width_ = width;
    height_ = height;
    pixels_.assign(std::size_t(width) * std::size_t(height), 0);
    // The generic rasteriser and the export's view, so that a frame matches the rendered video's.
    return renderer_.create(&head, 0) && renderer_.setPerspective(false) &&
           renderer_.setSquareViewport(false) && renderer_.resetCamera() &&
           renderer_.setViewport(width, height, pixels_.data());
}

bool AnimationFrameRenderer::draw(const FapFrame& values)
{
    if (!head_)
        return false;
    HeadModelLock lock(*head_);
    for (int i = 0; i < kFapCount; ++i)
        head_->setFapValue(i, values[std::size_t(i)]);
    head_->deform(false);
    return renderer_.drawPlayerFrame();
}

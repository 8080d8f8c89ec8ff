#include "animation/PlayerRenderer.h"

#include "rendering/CSoftRenderer.h"

#include <algorithm>
#include <vector>

namespace {

// The player's frame drawn by the software renderer into a buffer the player owns.
class SoftPlayerRenderer final : public PlayerRenderer {
public:
    bool create(CHeadModel* model, int processorType)
    {
        if (!renderer_.create(model, processorType) || !renderer_.setPerspective(false))
            return false;
        renderer_.resetCamera();
        return resize(256, 256);
    }
    bool setModel(CHeadModel* model) override { return renderer_.setModel(model); }
    bool resize(int width, int height) override
    {
        width_ = std::max(width, 1);
        height_ = std::max(height, 1);
        pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
        return renderer_.setViewport(width_, height_, pixels_.data());
    }
    bool drawFrame() override { return renderer_.drawPlayerFrame(); }
    const std::uint32_t* pixels() const override { return pixels_.data(); }
    int width() const override { return width_; }
    int height() const override { return height_; }

private:
    CSoftRenderer renderer_;
    std::vector<std::uint32_t> pixels_;
    int width_ = 1;
    int height_ = 1;
};

} // namespace

PlayerRendererFactory softPlayerRenderer(int processorType)
{
    return [processorType](CHeadModel* model) -> std::unique_ptr<PlayerRenderer> {
        auto renderer = std::make_unique<SoftPlayerRenderer>();
        if (!renderer->create(model, processorType))
            return nullptr;
        return renderer;
    };
}

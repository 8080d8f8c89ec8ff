#include "animation/PlayerRenderer.h"

#include "rendering/gl/CGLRenderer.h"
#include "rendering/gl/EglOffscreenContext.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kTexturedDrawMode = 2;

// The player's frame drawn through OpenGL into an offscreen surface and read back, so the window shows
// it exactly as it shows a software frame. The context is current on the worker thread only.
class GlPlayerRenderer final : public PlayerRenderer {
public:
    ~GlPlayerRenderer() override
    {
        // The textures belong to the context: let go of them while it is still current.
        if (context_.makeCurrent())
            renderer_.destroy();
    }

    bool create(CHeadModel* model)
    {
        if (!context_.open(256, 256) || !renderer_.create(model) || !renderer_.setPerspective(false) ||
            !renderer_.setDrawMode(kTexturedDrawMode))
            return false;
        renderer_.resetCamera();
        return resize(256, 256);
    }
    std::string error() const
    {
        return context_.error().empty() ? "cannot create the OpenGL renderer" : context_.error();
    }

    bool setModel(CHeadModel* model) override { return renderer_.setModel(model); }
    bool resize(int width, int height) override
    {
        width = std::max(width, 1);
        height = std::max(height, 1);
        if (!context_.resize(width, height) || !renderer_.setViewport(width, height))
            return false;
        pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        return true;
    }
    bool drawFrame() override
    {
        if (!renderer_.drawPlayerFrame())
            return false;
        pixels_ = context_.readPixels();
        return true;
    }
    const std::uint32_t* pixels() const override { return pixels_.data(); }
    int width() const override { return context_.width(); }
    int height() const override { return context_.height(); }

private:
    EglOffscreenContext context_;
    CGLRenderer renderer_;
    std::vector<std::uint32_t> pixels_;
};

} // namespace

PlayerRendererFactory glPlayerRenderer(std::shared_ptr<std::string> failure)
{
    return [failure](CHeadModel* model) -> std::unique_ptr<PlayerRenderer> {
        auto renderer = std::make_unique<GlPlayerRenderer>();
        if (renderer->create(model))
            return renderer;
        if (failure)
            *failure = renderer->error();
        return nullptr;
    };
}

PlayerRendererFactory chosenPlayerRenderer(bool openGl, int processorType,
                                           std::shared_ptr<PlayerRendererChoice> choice)
{
    return [openGl, processorType, choice](CHeadModel* model) -> std::unique_ptr<PlayerRenderer> {
        if (openGl) {
            auto failure = std::make_shared<std::string>();
            if (std::unique_ptr<PlayerRenderer> renderer = glPlayerRenderer(failure)(model)) {
                if (choice)
                    *choice = PlayerRendererChoice{true, {}};
                return renderer;
            }
            if (choice)
                *choice = PlayerRendererChoice{false, *failure};
        } else if (choice) {
            *choice = PlayerRendererChoice{};
        }
        return softPlayerRenderer(processorType)(model);
    };
}

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CHeadModel;

// What the animation player needs of a preview renderer: the software one draws into a 32-bit buffer,
// an OpenGL one into its own context and returns no pixels. Made, used and destroyed on the player's
// worker thread only.
class PlayerRenderer {
public:
    virtual ~PlayerRenderer() = default;
    virtual bool setModel(CHeadModel* model) = 0;
    // The view size; each side at least 1.
    virtual bool resize(int width, int height) = 0;
    // Background, head and photo overlay; the model is locked by the caller.
    virtual bool drawFrame() = 0;
    // The finished frame, bottom row first, blue, green, red, alpha; null when the frame is not in memory.
    virtual const std::uint32_t* pixels() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

// Makes the renderer on the calling (worker) thread for the model; null when it cannot be created.
using PlayerRendererFactory = std::function<std::unique_ptr<PlayerRenderer>(CHeadModel* model)>;

// The software renderer with the given processor path (0 generic, 1 and 2 the vector paths).
PlayerRendererFactory softPlayerRenderer(int processorType);

// The OpenGL renderer in an offscreen context of its own, each finished frame read back into memory.
// Null, with the reason in `failure` when given, when this machine offers no such context.
PlayerRendererFactory glPlayerRenderer(std::shared_ptr<std::string> failure = nullptr);

// Which renderer a preview got: OpenGL only when it was asked for and could be made.
struct PlayerRendererChoice {
    bool openGl = false;
    // Why OpenGL was asked for and not made; empty otherwise.
    std::string fallbackReason;
};

// OpenGL when asked for and possible, else the software renderer; `choice` is filled on the worker
// thread before the player reports that it started.
PlayerRendererFactory chosenPlayerRenderer(bool openGl, int processorType,
                                           std::shared_ptr<PlayerRendererChoice> choice);

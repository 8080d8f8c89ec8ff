#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// An OpenGL compatibility context on an offscreen surface of EGL's surfaceless platform, so that
// OpenGL drawing runs with no window system (Mesa's llvmpipe where there is no GPU).
class EglOffscreenContext {
public:
    EglOffscreenContext();
    ~EglOffscreenContext();
    EglOffscreenContext(const EglOffscreenContext&) = delete;
    EglOffscreenContext& operator=(const EglOffscreenContext&) = delete;

    // Makes the context and a width x height surface and makes them current. False, with the reason
    // in error(), when this machine offers no such context.
    bool open(int width, int height);
    // A new surface of another size, same context (textures survive), made current.
    bool resize(int width, int height);
    bool makeCurrent();
    int width() const { return width_; }
    int height() const { return height_; }
    const std::string& error() const { return error_; }
    // The surface's pixels, bytes blue, green, red, alpha, bottom row first.
    std::vector<uint32_t> readPixels() const;

private:
    struct State;
    std::unique_ptr<State> state_;
    int width_ = 0, height_ = 0;
    std::string error_;
};

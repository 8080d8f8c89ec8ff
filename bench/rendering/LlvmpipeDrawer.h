#pragma once

#include "BenchScene.h"

#include <memory>

// Draws a scene through Mesa's software OpenGL (llvmpipe) in an offscreen surfaceless context, with
// the fixed-function pipeline the OpenGL preview uses. Set LP_NUM_THREADS before creating it.
class LlvmpipeDrawer {
public:
    LlvmpipeDrawer();
    ~LlvmpipeDrawer();
    LlvmpipeDrawer(const LlvmpipeDrawer&) = delete;
    LlvmpipeDrawer& operator=(const LlvmpipeDrawer&) = delete;

    // False when no offscreen OpenGL context could be made on this machine.
    bool open(int width, int height, const BenchScene& scene);
    void drawFrame(const BenchScene& scene);
    const char* rendererName() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

#pragma once

#include "animation/CFapMixer.h"
#include "rendering/CSoftRenderer.h"

#include <cstdint>
#include <vector>

class CHeadModel;

// Draws the head of an animation stream as the player's frame: the record's values into the model,
// every other parameter zero, deformed and drawn with the default camera on the background slot.
class AnimationFrameRenderer {
public:
    bool create(CHeadModel& head, int width, int height);
    bool draw(const FapFrame& values);
    // Bottom row first, blue, green, red and a fourth byte that is not coverage.
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    CHeadModel* head_ = nullptr;
    CSoftRenderer renderer_;
    std::vector<std::uint32_t> pixels_;
    int width_ = 0;
    int height_ = 0;
};

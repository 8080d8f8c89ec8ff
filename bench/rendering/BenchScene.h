#pragma once

#include <cstdint>
#include <vector>

// A head-like test scene: a textured, closed mesh in front of a background quad, with the picture
// slots the preview uses. Built without the face library so the drawers can be compared alone.
struct BenchTriangle {
    float position[3][3];
    float texture[3][2];
    int slot;
};

struct BenchScene {
    std::vector<BenchTriangle> triangles;
    std::vector<uint32_t> slotPixels[10];
    int slotWidth[10] = {}, slotHeight[10] = {};
    float pitch = 0.05f, yaw = 0.2f, roll = 0.02f;
    float pivot[3] = {0, 14, 0};
};

// An ellipsoid of rings x segments quads (two triangles each) around the face area.
BenchScene buildBenchScene(int rings, int segments);

#pragma once

#include <cstdint>

class CHeadModel;

// What the renderers read from the head model, in one place. Every function accepts a null model
// and then reports an empty one.
namespace headaccess {

int triangleCount(const CHeadModel* model);
// Current corner positions, texture coordinates and texture slot of triangle `face`.
bool triangle(const CHeadModel* model, int face, float positions[3][3], float texture[3][2], int& slot);
void headPose(const CHeadModel* model, float& pitch, float& yaw, float& roll);
void headPivot(const CHeadModel* model, float pivot[3]);
// False when the model has no vertices.
bool extents(const CHeadModel* model, float maximum[3], float minimum[3]);
// The pixels of a texture slot and its size; null for slots without storage.
const uint32_t* slotPixels(const CHeadModel* model, int slot, int& width, int& height);
int slotCounter(const CHeadModel* model, int slot);

} // namespace headaccess

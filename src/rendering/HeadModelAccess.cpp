#include "rendering/HeadModelAccess.h"

#include "face/CHeadModel.h"

namespace headaccess {

int triangleCount(const CHeadModel* model)
{
    return model ? model->faceCount() : 0;
}

bool triangle(const CHeadModel* model, int face, float positions[3][3], float texture[3][2], int& slot)
{
    int corners[3];
    if (!model || !model->getFace(face, corners[0], corners[1], corners[2]))
        return false;
    const Vec3f* current = model->currentPositions();
    for (int c = 0; c < 3; ++c) {
        const Vec3f& p = current[corners[c]];
        positions[c][0] = p.x, positions[c][1] = p.y, positions[c][2] = p.z;
        model->getTextureCoordinate(face, c, texture[c][0], texture[c][1]);
    }
    return model->getTextureSlot(face, slot) != 0;
}

void headPose(const CHeadModel* model, float& pitch, float& yaw, float& roll)
{
    pitch = yaw = roll = 0;
    if (model)
        model->getHeadPose(pitch, yaw, roll);
}

void headPivot(const CHeadModel* model, float pivot[3])
{
    Vec3f p = model ? model->headPivot() : Vec3f{};
    pivot[0] = p.x, pivot[1] = p.y, pivot[2] = p.z;
}

bool extents(const CHeadModel* model, float maximum[3], float minimum[3])
{
    if (!model || model->vertexCount() <= 0)
        return false;
    Vec3f high, low, span;
    model->extents(high, low, span);
    maximum[0] = high.x, maximum[1] = high.y, maximum[2] = high.z;
    minimum[0] = low.x, minimum[1] = low.y, minimum[2] = low.z;
    return true;
}

const uint32_t* slotPixels(const CHeadModel* model, int slot, int& width, int& height)
{
    width = height = 0;
    if (!model || !model->slotSize(slot, width, height) || width <= 0 || height <= 0)
        return nullptr;
    // The model hands out writable storage; the renderers only read it.
    return const_cast<CHeadModel*>(model)->slotPixels(slot);
}

int slotCounter(const CHeadModel* model, int slot)
{
    return model ? model->slotCounter(slot) : 0;
}

} // namespace headaccess

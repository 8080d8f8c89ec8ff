#include "rendering/HeadViewSetup.h"

#include "face/CHeadModel.h"
#include "rendering/CSoftRenderer.h"

#include <algorithm>
#include <limits>

namespace headview {

void applyFacePhotoMapping(CHeadModel& model)
{
    for (int face = 0; face < model.faceCount(); ++face) {
        int slot = -1, corners[3];
        if (!model.getTextureSlot(face, slot) || slot != 0 ||
            !model.getFace(face, corners[0], corners[1], corners[2]))
            continue;
        for (int c = 0; c < 3; ++c) {
            Vec3f p;
            model.getVertex(corners[c], p);
            model.setTextureCoordinate(face, c, p.x * 0.025f + 0.5f, 1.0f - p.y * 0.025f);
        }
    }
}

namespace {

// The smallest z over all vertices but the rotation centre, which sits inside the head.
float frontmostExceptPivot(const CHeadModel& model)
{
    int pivot = model.getFeaturePoint(7, 1);
    float smallest = std::numeric_limits<float>::max();
    const Vec3f* positions = model.currentPositions();
    for (int i = 0; i < model.vertexCount(); ++i)
        if (i != pivot)
            smallest = std::min(smallest, positions[i].z);
    return smallest == std::numeric_limits<float>::max() ? 0.0f : smallest;
}

} // namespace

void normaliseModel(CHeadModel& model)
{
    Vec3f maximum, minimum, span;
    model.extents(maximum, minimum, span);
    if (model.vertexCount() > 0 && span.y > 0) {
        float factor = 25.0f / span.y;
        model.scale(factor, factor, factor);
        model.extents(maximum, minimum, span);
        model.translate(0, 5 - minimum.y, -frontmostExceptPivot(model));
    }
    applyFacePhotoMapping(model);
    model.saveToSet(0);
}

void attachWithNormalise(CSoftRenderer& renderer, CHeadModel& model)
{
    normaliseModel(model);
    renderer.setModel(&model);
    renderer.fitCameraToModel();
}

} // namespace headview

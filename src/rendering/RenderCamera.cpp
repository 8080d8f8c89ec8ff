#include "rendering/RenderCamera.h"

#include "rendering/HeadModelAccess.h"
#include "SML/smlmath.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr double kMoveFactor = 0.005;

SmlVec3 toVec(const double v[3])
{
    return {v[0], v[1], v[2]};
}

double modelWidth(const CHeadModel* model)
{
    float maximum[3], minimum[3];
    if (!headaccess::extents(model, maximum, minimum))
        return 0.0;
    return static_cast<double>(maximum[0]) - minimum[0];
}

} // namespace

void RenderCamera::reset()
{
    target[0] = 0, target[1] = 20, target[2] = 0;
    eye[0] = 0, eye[1] = 20, eye[2] = 120;
    viewSize = kDefaultViewSize;
}

void RenderCamera::fitTo(const CHeadModel* model)
{
    float maximum[3], minimum[3];
    if (!headaccess::extents(model, maximum, minimum)) {
        std::fill(std::begin(target), std::end(target), 0.0);
        eye[0] = 0, eye[1] = 0, eye[2] = 250;
    } else {
        double centreX = (maximum[0] + minimum[0]) / 2.0, centreY = (maximum[1] + minimum[1]) / 2.0;
        double depth = static_cast<double>(maximum[2]) - minimum[2];
        target[0] = centreX, target[1] = centreY, target[2] = 0;
        eye[0] = centreX, eye[1] = centreY, eye[2] = maximum[2] + 6.0 * depth;
    }
    viewSize = kDefaultViewSize;
}

void RenderCamera::screenAxes(double right[3], double up[3]) const
{
    SmlVec3 d = smlSub(toVec(eye), toVec(target));
    SmlVec3 r = smlNormalise(smlCross({0, 1, 0}, d));
    SmlVec3 u = smlNormalise(smlCross(d, r));
    right[0] = r.x, right[1] = r.y, right[2] = r.z;
    up[0] = u.x, up[1] = u.y, up[2] = u.z;
}

void RenderCamera::pan(const CHeadModel* model, double a, double b)
{
    double right[3], up[3];
    screenAxes(right, up);
    double scale = modelWidth(model) * kMoveFactor;
    for (int k = 0; k < 3; ++k) {
        double move = (b * up[k] + a * right[k]) * scale;
        eye[k] += move;
        target[k] += move;
    }
}

void RenderCamera::orbit(const CHeadModel* model, double dx, double dy)
{
    double right[3], up[3];
    screenAxes(right, up);
    SmlVec3 d = smlSub(toVec(eye), toVec(target));
    double radius = std::sqrt(smlDot(d, d));
    double scale = model ? radius * kMoveFactor : 1.0;
    for (int k = 0; k < 3; ++k)
        eye[k] += (-dy * up[k] - dx * right[k]) * scale;
    SmlVec3 offset = smlNormalise(smlSub(toVec(eye), toVec(target)));
    eye[0] = target[0] + offset.x * radius;
    eye[1] = target[1] + offset.y * radius;
    eye[2] = target[2] + offset.z * radius;
}

void RenderCamera::zoom(const CHeadModel* model, bool perspective, double dy)
{
    double width = modelWidth(model);
    if (perspective) {
        SmlVec3 d = smlSub(toVec(eye), toVec(target));
        double distance = std::max(std::sqrt(smlDot(d, d)) + dy * width * kMoveFactor, width * kMoveFactor);
        SmlVec3 direction = smlNormalise(d);
        eye[0] = target[0] + direction.x * distance;
        eye[1] = target[1] + direction.y * distance;
        eye[2] = target[2] + direction.z * distance;
    } else if (model) {
        viewSize = std::max(viewSize + dy * 0.2, kMinViewSize);
    }
}

void RenderCamera::zoomToRectangle(int viewportWidth, int viewportHeight, int left, int bottom, int width,
                                   int height)
{
    double w = viewportWidth, h = viewportHeight, s = viewSize;
    double shiftX = (width / 2.0 + left - w / 2) * s / w, shiftY = (height / 2.0 + bottom - h / 2) * s / h;
    eye[0] += shiftX, target[0] += shiftX;
    eye[1] += shiftY, target[1] += shiftY;
    double factor = std::min(w / std::max(width, 1), h / std::max(height, 1));
    viewSize = std::max(s / std::max(factor, 0.001), kMinViewSize);
}

// The view size spans the longer side, so one pixel is viewSize / longer side in both directions.
void RenderCamera::zoomAbout(int viewportWidth, int viewportHeight, double x, double y, double factor)
{
    int longer = std::max({viewportWidth, viewportHeight, 1});
    double unitsPerPixel = viewSize / longer;
    double offsetX = (x - viewportWidth / 2.0) * unitsPerPixel,
           offsetY = (y - viewportHeight / 2.0) * unitsPerPixel;
    double newSize = std::max(viewSize * factor, kMinViewSize);
    double keep = 1.0 - newSize / viewSize;
    double right[3], up[3];
    screenAxes(right, up);
    for (int k = 0; k < 3; ++k) {
        double move = (offsetX * right[k] + offsetY * up[k]) * keep;
        eye[k] += move;
        target[k] += move;
    }
    viewSize = newSize;
}

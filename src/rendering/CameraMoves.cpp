// The camera moves of the editing view, shared by both renderer forms' rules.
#include "rendering/CSoftRenderer.h"

#include "rendering/HeadModelAccess.h"
#include "SML/smlmath.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMoveFactor = 0.005;
constexpr double kMinViewSize = 4.0;

SmlVec3 toVec(const double v[3])
{
    return {v[0], v[1], v[2]};
}

} // namespace

double CSoftRenderer::modelWidth() const
{
    float maximum[3], minimum[3];
    if (!headaccess::extents(model_, maximum, minimum))
        return 0.0;
    return static_cast<double>(maximum[0]) - minimum[0];
}

void CSoftRenderer::screenAxes(double right[3], double up[3]) const
{
    SmlVec3 d = smlSub(toVec(eye_), toVec(target_));
    SmlVec3 r = smlNormalise(smlCross({0, 1, 0}, d));
    SmlVec3 u = smlNormalise(smlCross(d, r));
    right[0] = r.x, right[1] = r.y, right[2] = r.z;
    up[0] = u.x, up[1] = u.y, up[2] = u.z;
}

void CSoftRenderer::pan(double a, double b)
{
    double right[3], up[3];
    screenAxes(right, up);
    double scale = modelWidth() * kMoveFactor;
    for (int k = 0; k < 3; ++k) {
        double move = (b * up[k] + a * right[k]) * scale;
        eye_[k] += move;
        target_[k] += move;
    }
    matricesStale_ = true;
}

void CSoftRenderer::orbit(double dx, double dy)
{
    double right[3], up[3];
    screenAxes(right, up);
    SmlVec3 d = smlSub(toVec(eye_), toVec(target_));
    double radius = std::sqrt(smlDot(d, d));
    double scale = model_ ? radius * kMoveFactor : 1.0;
    for (int k = 0; k < 3; ++k)
        eye_[k] += (-dy * up[k] - dx * right[k]) * scale;
    SmlVec3 offset = smlNormalise(smlSub(toVec(eye_), toVec(target_)));
    eye_[0] = target_[0] + offset.x * radius;
    eye_[1] = target_[1] + offset.y * radius;
    eye_[2] = target_[2] + offset.z * radius;
    matricesStale_ = true;
}

void CSoftRenderer::zoom(double dy)
{
    double width = modelWidth();
    if (perspective_) {
        SmlVec3 d = smlSub(toVec(eye_), toVec(target_));
        double distance = std::max(std::sqrt(smlDot(d, d)) + dy * width * kMoveFactor, width * kMoveFactor);
        SmlVec3 direction = smlNormalise(d);
        eye_[0] = target_[0] + direction.x * distance;
        eye_[1] = target_[1] + direction.y * distance;
        eye_[2] = target_[2] + direction.z * distance;
    } else if (model_) {
        viewSize_ = std::max(viewSize_ + dy * 0.2, kMinViewSize);
    }
    matricesStale_ = true;
}

void CSoftRenderer::zoomToRectangle(int left, int bottom, int width, int height)
{
    if (perspective_ || !model_ || width_ <= 0 || height_ <= 0)
        return;
    double w = width_, h = height_, s = viewSize_;
    double shiftX = (width / 2.0 + left - w / 2) * s / w, shiftY = (height / 2.0 + bottom - h / 2) * s / h;
    eye_[0] += shiftX, target_[0] += shiftX;
    eye_[1] += shiftY, target_[1] += shiftY;
    double factor = std::min(w / std::max(width, 1), h / std::max(height, 1));
    viewSize_ = std::max(s / std::max(factor, 0.001), kMinViewSize);
    matricesStale_ = true;
}

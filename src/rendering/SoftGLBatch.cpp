// Vertex submission and the drawing of one batch: transform, cull, clip, project, scan-convert.
#include "rendering/CSoftGLContext.h"

#include <algorithm>
#include <cmath>

void CSoftGLContext::begin(int primitive)
{
    if (refuseInsideBegin())
        return;
    if (primitive != kSglTriangles)
        return setError(kSglInvalidEnum);
    insideBegin_ = true;
    accept();
}

void CSoftGLContext::vertex3fv(const float* position)
{
    if (position)
        addVertex(position[0], position[1], position[2]);
}

void CSoftGLContext::vertex3dv(const double* position)
{
    if (position)
        addVertex(position[0], position[1], position[2]);
}

void CSoftGLContext::addVertex(double x, double y, double z)
{
    if (!insideBegin_)
        return setError(kSglInvalidOperation);
    if (vertices_.empty())
        return;
    if (triangleCount_ == kBatchTriangles)
        drawBatch();
    Vertex& vertex = vertices_[static_cast<size_t>(vertexCount_)];
    vertex.object[0] = static_cast<float>(x);
    vertex.object[1] = static_cast<float>(y);
    vertex.object[2] = static_cast<float>(z);
    vertex.normal[0] = static_cast<float>(normal_[0]);
    vertex.normal[1] = static_cast<float>(normal_[1]);
    vertex.normal[2] = static_cast<float>(-normal_[2]);
    vertex.texture[0] = static_cast<float>(texCoord_[0]);
    vertex.texture[1] = static_cast<float>(texCoord_[1]);
    vertexColors_[static_cast<size_t>(vertexCount_)] = currentColor_;
    ++vertexCount_;
    if (vertexCount_ % 3 != 0)
        return;
    Triangle& triangle = triangles_[static_cast<size_t>(triangleCount_++)];
    for (int c = 0; c < 3; ++c) {
        triangle.corners[c] = vertexCount_ - 3 + c;
        triangle.cornerColors[c] = vertexColors_[static_cast<size_t>(vertexCount_ - 3 + c)];
    }
    triangle.color = currentColor_;
    const Texture& texture = textures_[boundTexture_];
    triangle.texture = RasterTexture{};
    if (boundTexture_ != 0 && texture.pixels)
        triangle.texture = RasterTexture{texture.pixels, texture.logWidth, texture.logHeight};
}

void CSoftGLContext::end()
{
    if (!insideBegin_)
        return setError(kSglInvalidOperation);
    insideBegin_ = false;
    drawBatch();
    accept();
}

void CSoftGLContext::finish()
{
    if (refuseInsideBegin())
        return;
    accept();
}

void CSoftGLContext::drawBatch()
{
    if (triangleCount_ > 0) {
        smlTransformPoints(mathPath_, modelview_, vertices_[0].object, vertices_[0].eye,
                           static_cast<size_t>(vertexCount_), sizeof(Vertex) / sizeof(float));
        for (int i = 0; i < vertexCount_; ++i)
            vertices_[static_cast<size_t>(i)].eye[2] = -vertices_[static_cast<size_t>(i)].eye[2];
        for (int i = 0; i < triangleCount_; ++i)
            drawTriangle(triangles_[static_cast<size_t>(i)]);
    }
    // A vertex left over from an unfinished triangle is dropped with the batch.
    triangleCount_ = 0;
    vertexCount_ = 0;
}

// Orientation as the viewer sees it, worked out in eye space (z negated back to the usual sign).
bool CSoftGLContext::isFront(const Triangle& triangle) const
{
    const float* a = vertices_[static_cast<size_t>(triangle.corners[0])].eye;
    const float* b = vertices_[static_cast<size_t>(triangle.corners[1])].eye;
    const float* c = vertices_[static_cast<size_t>(triangle.corners[2])].eye;
    double ab[3] = {b[0] - a[0], b[1] - a[1], -(b[2] - a[2])};
    double ac[3] = {c[0] - a[0], c[1] - a[1], -(c[2] - a[2])};
    double normal[3] = {ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                        ab[0] * ac[1] - ab[1] * ac[0]};
    double facing = perspective_ ? -(normal[0] * a[0] + normal[1] * a[1] - normal[2] * a[2]) : normal[2];
    bool counterClockwise = facing > 0;
    return frontFace_ == kSglFrontCounterClockwise ? counterClockwise : !counterClockwise;
}

// Flat lighting of one face: ambient plus diffuse by n.l for every enabled light, with a specular
// highlight from the shared table, each channel saturated.
uint32_t CSoftGLContext::litColor(const Triangle& triangle) const
{
    double normal[3] = {0, 0, 0};
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k)
            normal[k] += vertices_[static_cast<size_t>(triangle.corners[c])].normal[k];
    double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    if (length > 0)
        for (double& component : normal)
            component /= length;
    int64_t sum[3] = {0, 0, 0};
    const uint32_t material = triangle.color;
    for (const Light& light : lights_) {
        if (!light.enabled)
            continue;
        double dot =
            normal[0] * light.direction[0] + normal[1] * light.direction[1] + normal[2] * light.direction[2];
        int32_t nl = static_cast<int32_t>(std::clamp(dot, 0.0, 1.0) * 65536.0);
        int32_t specular = nl > 0 ? specularTable_[static_cast<size_t>(nl)] : 0;
        for (int k = 0; k < 3; ++k) {
            int64_t channel = (material >> (16 - 8 * k)) & 0xFF;
            int64_t factor = light.ambient[k] + (static_cast<int64_t>(light.diffuse[k]) * nl >> 16);
            sum[k] += channel * factor + static_cast<int64_t>(light.specular[k]) * specular;
        }
    }
    uint32_t result = 0;
    for (int k = 0; k < 3; ++k)
        result |= static_cast<uint32_t>(std::min<int64_t>(sum[k], 0xFF0000) >> 16) << (16 - 8 * k);
    return result;
}

void CSoftGLContext::projectPolygon(const ClipPolygon& clipped, ScreenPolygon& screen) const
{
    const double scaleX = width_ / (right_ - left_), scaleY = height_ / (top_ - bottom_);
    screen.count = std::min(clipped.count, kMaxPolygonCorners);
    for (int i = 0; i < screen.count; ++i) {
        const ClipVertex& in = clipped.corners[i];
        ScreenVertex& out = screen.corners[i];
        double x = in.x, y = in.y;
        if (perspective_) {
            x = x * near_ / in.z;
            y = y * near_ / in.z;
        }
        out.x = (x - left_) * scaleX;
        out.y = (y - bottom_) * scaleY;
        out.invZ = 1.0 / in.z;
        out.s = in.s;
        out.t = in.t;
        out.red = in.red, out.green = in.green, out.blue = in.blue;
    }
}

namespace {

void unpackColor(uint32_t color, ClipVertex& vertex)
{
    vertex.red = (color >> 16) & 0xFF;
    vertex.green = (color >> 8) & 0xFF;
    vertex.blue = color & 0xFF;
}

} // namespace

void CSoftGLContext::drawTriangle(const Triangle& triangle)
{
    if (!rasterizer_.hasTarget())
        return;
    if (cullFace_ && !isFront(triangle))
        return;
    ClipPolygon polygon;
    polygon.count = 3;
    double farthest = 0;
    for (int c = 0; c < 3; ++c) {
        const Vertex& vertex = vertices_[static_cast<size_t>(triangle.corners[c])];
        ClipVertex& corner = polygon.corners[c];
        corner.x = vertex.eye[0], corner.y = vertex.eye[1], corner.z = vertex.eye[2];
        corner.s = vertex.texture[0], corner.t = vertex.texture[1];
        unpackColor(shadeModel_ == kSglSmooth ? triangle.cornerColors[c] : triangle.color, corner);
        farthest = c == 0 ? corner.z : std::max(farthest, corner.z);
    }
    if (!(farthest > near_))
        return;
    ClipVolume volume{left_, right_, bottom_, top_, near_, perspective_};
    if (!clipPolygon(volume, polygon))
        return;
    ScreenPolygon screen;
    projectPolygon(polygon, screen);
    if (texturing_ && triangle.texture.texels) {
        RasterTextureMode mode = blend_ ? kRasterBlend : alphaTest_ ? kRasterAlphaTest : kRasterReplace;
        rasterizer_.fillTextured(screen, triangle.texture, mode, depthTest_, perspective_);
        return;
    }
    if (lighting_ && shadeModel_ == kSglFlat) {
        uint32_t lit = litColor(triangle);
        for (int i = 0; i < screen.count; ++i) {
            screen.corners[i].red = (lit >> 16) & 0xFF;
            screen.corners[i].green = (lit >> 8) & 0xFF;
            screen.corners[i].blue = lit & 0xFF;
        }
    }
    rasterizer_.fillColor(screen, shadeModel_ == kSglSmooth, depthTest_);
}

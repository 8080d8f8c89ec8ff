#include "rendering/CSoftRenderer.h"

#include "rendering/HeadModelAccess.h"
#include "rendering/SoftGLFactory.h"
#include "SML/smlmath.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadiansToDegrees = 57.295776;

// Corners of a fixed quad: x, y, s, t, in the order the player draws its two triangles.
struct QuadCorner {
    float x, y, s, t;
};
constexpr QuadCorner kBackgroundQuad[6] = {{-18, 38, 0, 0}, {18, 2, 1, 1},   {18, 38, 1, 0},
                                           {18, 2, 1, 1},   {-18, 38, 0, 0}, {-18, 2, 0, 1}};
constexpr QuadCorner kOverlayQuad[6] = {{-20, 40, 0, 0}, {20, 0, 1, 1},   {20, 40, 1, 0},
                                        {20, 0, 1, 1},   {-20, 40, 0, 0}, {-20, 0, 0, 1}};

} // namespace

CSoftRenderer::~CSoftRenderer()
{
    destroy();
}

bool CSoftRenderer::create(CHeadModel* model, int processorType)
{
    destroy();
    context_ = createSoftGLContext(processorType);
    perspective_ = true;
    squareViewport_ = false;
    camera_ = RenderCamera();
    drawMode_ = 1;
    inFrame_ = false;
    width_ = height_ = 256;
    fallbackPixels_.assign(kFallbackSize * kFallbackSize, 0);
    fallbackTexture_ = createTexture(kFallbackSize, kFallbackSize, fallbackPixels_.data());
    return setModel(model);
}

void CSoftRenderer::destroy()
{
    if (context_)
        context_->destroy();
    context_.reset();
    model_ = nullptr;
    inFrame_ = false;
    std::fill(std::begin(slotTextures_), std::end(slotTextures_), 0u);
    std::fill(std::begin(slotStamps_), std::end(slotStamps_), 0);
    fallbackTexture_ = 0;
}

void CSoftRenderer::deleteSlotTextures()
{
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (slotTextures_[slot] != 0 && context_)
            context_->deleteTextures(1, &slotTextures_[slot]);
        slotTextures_[slot] = 0;
        slotStamps_[slot] = 0;
    }
}

bool CSoftRenderer::setModel(CHeadModel* model)
{
    if (!context_)
        return false;
    deleteSlotTextures();
    model_ = model;
    return true;
}

bool CSoftRenderer::setPerspective(bool on)
{
    if (inFrame_)
        return false;
    perspective_ = on;
    matricesStale_ = true;
    return true;
}

bool CSoftRenderer::setSquareViewport(bool on)
{
    if (inFrame_)
        return false;
    squareViewport_ = on;
    matricesStale_ = true;
    return true;
}

bool CSoftRenderer::setDrawMode(int mode)
{
    if (mode < 0 || mode > 2)
        return false;
    drawMode_ = mode;
    return true;
}

bool CSoftRenderer::setViewport(int width, int height, void* pixels)
{
    if (!context_ || width < 0 || height < 0)
        return false;
    width_ = width;
    height_ = height;
    context_->viewport(0, 0, width, height);
    if (pixels)
        context_->useColorBuffer(pixels);
    matricesStale_ = true;
    return context_->getError() == kSglNoError;
}

bool CSoftRenderer::resetCamera()
{
    if (perspective_)
        return false;
    camera_.reset();
    matricesStale_ = true;
    return true;
}

bool CSoftRenderer::fitCameraToModel()
{
    camera_.fitTo(model_);
    matricesStale_ = true;
    return true;
}

unsigned CSoftRenderer::createTexture(int width, int height, const void* pixels)
{
    if (!context_)
        return 0;
    unsigned name = 0;
    context_->genTextures(1, &name);
    if (context_->getError() != kSglNoError)
        return 0;
    context_->bindTexture(kSglTexture2D, name);
    context_->texImage2D(kSglTexture2D, 0, kSglInternalFormat, width, height, 0, kSglPixelFormatBgra,
                         kSglUnsignedByte, pixels);
    bool ok = context_->getError() == kSglNoError;
    context_->bindTexture(kSglTexture2D, 0);
    if (!ok) {
        context_->deleteTextures(1, &name);
        return 0;
    }
    return name;
}

// A slot is re-uploaded whenever its counter differs from the one last seen, by any amount.
void CSoftRenderer::refreshTextures()
{
    for (int slot = 0; slot < kSlotCount; ++slot) {
        int counter = headaccess::slotCounter(model_, slot);
        if (counter == slotStamps_[slot])
            continue;
        if (slotTextures_[slot] != 0)
            context_->deleteTextures(1, &slotTextures_[slot]);
        int width = 0, height = 0;
        const uint32_t* pixels = headaccess::slotPixels(model_, slot, width, height);
        slotTextures_[slot] = pixels ? createTexture(width, height, pixels) : 0;
        slotStamps_[slot] = counter;
    }
}

unsigned CSoftRenderer::textureForSlot(int slot) const
{
    if (slot >= 0 && slot < kSlotCount && slotTextures_[slot] != 0)
        return slotTextures_[slot];
    return fallbackTexture_;
}

// The view size spans the longer side of the viewport. A square viewport is kept as the largest
// centred square of the buffer by widening the volume so the square shows exactly the view size.
void CSoftRenderer::applyProjection()
{
    int width = std::max(width_, 1), height = std::max(height_, 1);
    double aspect = static_cast<double>(width) / height;
    double s = camera_.viewSize;
    context_->matrixMode(kSglProjection);
    context_->loadIdentity();
    if (perspective_) {
        context_->frustum(-s / 2, s / 2, -s / 2, s / 2, s, 500);
    } else if (squareViewport_) {
        double unitsPerPixel = s / std::min(width, height);
        context_->ortho(-width * unitsPerPixel / 2, width * unitsPerPixel / 2, -height * unitsPerPixel / 2,
                        height * unitsPerPixel / 2, 1, 500);
    } else if (height < width) {
        context_->ortho(-s / 2, s / 2, -s / (2 * aspect), s / (2 * aspect), 1, 500);
    } else {
        context_->ortho(-s * aspect / 2, s * aspect / 2, -s / 2, s / 2, 1, 500);
    }
    context_->matrixMode(kSglModelview);
    matricesStale_ = false;
}

bool CSoftRenderer::beginFrame()
{
    if (!context_ || inFrame_)
        return false;
    inFrame_ = true;
    refreshTextures();
    context_->enable(kSglDepthTest);
    context_->clear(kSglColorBufferBit | kSglDepthBufferBit);
    applyProjection();
    setCamera();
    return true;
}

bool CSoftRenderer::depthTest(bool on)
{
    if (!inFrame_)
        return false;
    on ? context_->enable(kSglDepthTest) : context_->disable(kSglDepthTest);
    return true;
}

bool CSoftRenderer::blending(bool on)
{
    if (!inFrame_)
        return false;
    on ? context_->enable(kSglBlend) : context_->disable(kSglBlend);
    return true;
}

bool CSoftRenderer::setCamera()
{
    if (!inFrame_)
        return false;
    context_->matrixMode(kSglModelview);
    context_->loadIdentity();
    const double* eye = camera_.eye;
    const double* target = camera_.target;
    context_->lookAt(eye[0], eye[1], eye[2], target[0], target[1], target[2], 0, 1, 0);
    return true;
}

bool CSoftRenderer::setCameraWithHeadPose()
{
    if (!setCamera())
        return false;
    float pitch = 0, yaw = 0, roll = 0, pivot[3] = {0, 0, 0};
    headaccess::headPose(model_, pitch, yaw, roll);
    headaccess::headPivot(model_, pivot);
    context_->translated(pivot[0], pivot[1], pivot[2]);
    context_->rotated(yaw * kRadiansToDegrees, 0, 1, 0);
    context_->rotated(pitch * kRadiansToDegrees, 1, 0, 0);
    context_->rotated(roll * kRadiansToDegrees, 0, 0, 1);
    context_->translated(-pivot[0], -pivot[1], -pivot[2]);
    return true;
}

// Always textured and unlit: each run of triangles with the same slot is one begin/end with that
// slot's texture, or the fallback (black, transparent) when the slot has none.
bool CSoftRenderer::drawMesh()
{
    if (!inFrame_)
        return false;
    int count = headaccess::triangleCount(model_);
    context_->enable(kSglTexture2D);
    int boundSlot = -1;
    bool open = false;
    for (int face = 0; face < count; ++face) {
        float positions[3][3], texture[3][2];
        int slot = 0;
        if (!headaccess::triangle(model_, face, positions, texture, slot))
            continue;
        if (slot != boundSlot || !open) {
            if (open)
                context_->end();
            context_->bindTexture(kSglTexture2D, textureForSlot(slot));
            bool hasTexture = slot >= 0 && slot < kSlotCount && slotTextures_[slot] != 0;
            hasTexture ? context_->color3ub(255, 255, 255) : context_->color3ub(0, 0, 0);
            context_->begin(kSglTriangles);
            open = true;
            boundSlot = slot;
        }
        for (int c = 0; c < 3; ++c) {
            context_->texCoord2d(texture[c][0], texture[c][1]);
            context_->vertex3fv(positions[c]);
        }
    }
    if (open)
        context_->end();
    context_->disable(kSglTexture2D);
    return true;
}

bool CSoftRenderer::drawTexturedTriangle(const RenderTriangle& triangle, uint8_t red, uint8_t green,
                                         uint8_t blue, int slot)
{
    if (!inFrame_)
        return false;
    context_->enable(kSglTexture2D);
    context_->bindTexture(kSglTexture2D, textureForSlot(slot));
    context_->color3ub(red, green, blue);
    context_->begin(kSglTriangles);
    for (int c = 0; c < 3; ++c) {
        context_->texCoord2d(triangle.texture[c][0], triangle.texture[c][1]);
        context_->normal3fv(triangle.normals[c]);
        context_->vertex3fv(triangle.positions[c]);
    }
    context_->end();
    context_->disable(kSglTexture2D);
    return true;
}

bool CSoftRenderer::endFrame(bool)
{
    if (!inFrame_)
        return false;
    context_->finish();
    inFrame_ = false;
    return true;
}

bool CSoftRenderer::readPixels(void* destination) const
{
    if (!context_ || !destination || inFrame_)
        return false;
    context_->readPixels(0, 0, width_, height_, kSglPixelFormatBgra, kSglUnsignedByte, destination);
    return context_->getError() == kSglNoError;
}

namespace {

bool drawQuad(CSoftRenderer& renderer, const QuadCorner (&corners)[6], int slot)
{
    for (int triangle = 0; triangle < 2; ++triangle) {
        float positions[3][3];
        RenderTriangle record{};
        for (int c = 0; c < 3; ++c) {
            const QuadCorner& corner = corners[triangle * 3 + c];
            positions[c][0] = corner.x, positions[c][1] = corner.y, positions[c][2] = 0;
            record.positions[c] = positions[c];
            record.normals[c][2] = 1;
            record.texture[c][0] = corner.s, record.texture[c][1] = corner.t;
        }
        if (!renderer.drawTexturedTriangle(record, 255, 255, 255, slot))
            return false;
    }
    return true;
}

} // namespace

bool CSoftRenderer::drawBackgroundQuad()
{
    return drawQuad(*this, kBackgroundQuad, 7);
}

bool CSoftRenderer::drawPhotoOverlay()
{
    return drawQuad(*this, kOverlayQuad, 0);
}

// One frame as the animation player and the export draw it.
bool CSoftRenderer::drawPlayerFrame()
{
    if (!beginFrame())
        return false;
    depthTest(false);
    drawBackgroundQuad();
    setCameraWithHeadPose();
    depthTest(true);
    drawMesh();
    blending(true);
    drawPhotoOverlay();
    blending(false);
    return endFrame(true);
}

void CSoftRenderer::pan(double a, double b)
{
    camera_.pan(model_, a, b);
    matricesStale_ = true;
}

void CSoftRenderer::orbit(double dx, double dy)
{
    camera_.orbit(model_, dx, dy);
    matricesStale_ = true;
}

void CSoftRenderer::zoom(double dy)
{
    camera_.zoom(model_, perspective_, dy);
    matricesStale_ = true;
}

void CSoftRenderer::zoomToRectangle(int left, int bottom, int width, int height)
{
    if (perspective_ || !model_ || width_ <= 0 || height_ <= 0)
        return;
    camera_.zoomToRectangle(width_, height_, left, bottom, width, height);
    matricesStale_ = true;
}

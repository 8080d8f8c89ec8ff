#pragma once

#include "rendering/CSoftGLContext.h"
#include "rendering/RenderCamera.h"

#include <cstdint>
#include <memory>
#include <vector>

class CHeadModel;

// A triangle as the preview renderers draw it outside the mesh: three corner positions, normals and
// texture coordinates. The last field is not read.
struct RenderTriangle {
    const float* positions[3];
    float normals[3][3];
    float texture[3][2];
    int unused;
};

// The preview renderer in its software form: draws the head model with its textures, the background
// and the photo overlay through a software GL context into a 32-bit pixel buffer. Operations return
// true on success and false when refused.
class CSoftRenderer {
public:
    static constexpr int kSlotCount = 10;
    static constexpr int kFallbackSize = 8;

    CSoftRenderer() = default;
    ~CSoftRenderer();
    CSoftRenderer(const CSoftRenderer&) = delete;
    CSoftRenderer& operator=(const CSoftRenderer&) = delete;

    bool create(CHeadModel* model, int processorType);
    void destroy();
    bool setModel(CHeadModel* model);
    CHeadModel* model() const { return model_; }

    bool setPerspective(bool on);
    bool setSquareViewport(bool on);
    bool setDrawMode(int mode);
    int getDrawMode() const { return drawMode_; }
    // The context draws into `pixels` (width x height, bottom row first) when given, else into its own.
    bool setViewport(int width, int height, void* pixels = nullptr);

    bool resetCamera();
    bool fitCameraToModel();
    void pan(double a, double b);
    void orbit(double dx, double dy);
    void zoom(double dy);
    void zoomToRectangle(int left, int bottom, int width, int height);
    RenderCamera& camera() { return camera_; }

    bool beginFrame();
    bool depthTest(bool on);
    bool blending(bool on);
    bool setCamera();
    bool setCameraWithHeadPose();
    bool drawMesh();
    bool drawTexturedTriangle(const RenderTriangle& triangle, uint8_t red, uint8_t green, uint8_t blue,
                              int slot);
    bool endFrame(bool swap);
    bool readPixels(void* destination) const;
    unsigned createTexture(int width, int height, const void* pixels);

    // The fixed scene pieces and the whole frame of the animation player and the export.
    bool drawBackgroundQuad();
    bool drawPhotoOverlay();
    bool drawPlayerFrame();

    bool inFrame() const { return inFrame_; }
    double viewSize() const { return camera_.viewSize; }
    const double* eye() const { return camera_.eye; }
    const double* target() const { return camera_.target; }
    int viewportWidth() const { return width_; }
    int viewportHeight() const { return height_; }
    CSoftGLContext* context() { return context_.get(); }

private:
    void refreshTextures();
    void deleteSlotTextures();
    unsigned textureForSlot(int slot) const;
    void applyProjection();

    std::unique_ptr<CSoftGLContext> context_;
    CHeadModel* model_ = nullptr;
    bool perspective_ = true;
    bool squareViewport_ = false;
    RenderCamera camera_;
    int drawMode_ = 1;
    bool inFrame_ = false;
    bool matricesStale_ = true;
    int width_ = 256, height_ = 256;
    unsigned slotTextures_[kSlotCount] = {};
    int slotStamps_[kSlotCount] = {};
    unsigned fallbackTexture_ = 0;
    std::vector<uint32_t> fallbackPixels_;
};

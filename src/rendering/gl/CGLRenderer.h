#pragma once

#include "rendering/CSoftRenderer.h"
#include "rendering/RenderCamera.h"

#include <cstdint>
#include <functional>
#include <mutex>

class CHeadModel;

// The preview renderer in its OpenGL form: fixed-function OpenGL 1.1 and GLU on a compatibility
// context, with picking through the selection buffer for the editors. It draws into the context that
// is current when it is created and whenever it is called; the caller owns that context and keeps it
// current on this thread. Operations return true on success and false when refused.
class CGLRenderer {
public:
    static constexpr int kSlotCount = 10;
    static constexpr int kFallbackSize = 2;
    static constexpr int kSelectionSize = 64;
    static constexpr int kPickRegion = 9;

    // Pick classes reported by endFrame.
    static constexpr int kPickNone = 0;
    static constexpr int kPickTriangle = 3;
    static constexpr int kPickPoint = 4;
    static constexpr int kPickLine = 5;

    CGLRenderer() = default;
    ~CGLRenderer();
    CGLRenderer(const CGLRenderer&) = delete;
    CGLRenderer& operator=(const CGLRenderer&) = delete;

    // `swapBuffers` presents the back buffer when a frame ends with swap; may be empty (a widget or an
    // offscreen surface presents by itself).
    bool create(CHeadModel* model, std::function<void()> swapBuffers = {});
    void destroy();
    bool created() const { return created_; }
    bool setModel(CHeadModel* model);
    CHeadModel* model() const { return model_; }

    bool setPerspective(bool on);
    bool perspective() const { return perspective_; }
    bool setSquareViewport(bool on);
    bool setDrawMode(int mode);
    int getDrawMode() const { return drawMode_; }
    bool setViewport(int width, int height);
    // Draws stored set 0 or 1 instead of the current positions; set < 0 draws the current positions.
    bool setStoredSetView(int set);
    int storedSetView() const { return storedSet_; }

    bool resetCamera();
    bool fitCameraToModel();
    void pan(double a, double b);
    void orbit(double dx, double dy);
    void zoom(double dy);
    void zoomToRectangle(int left, int bottom, int width, int height);
    // Wheel zoom: the view size times `factor`, the point under (x, y) (viewport pixels, y from the
    // bottom) staying put.
    void zoomAbout(double x, double y, double factor);
    const RenderCamera& camera() const { return camera_; }

    // The pick point is in window pixels, y from the bottom.
    bool beginFrame(bool pick = false, double pickX = 0, double pickY = 0);
    bool depthTest(bool on);
    bool blending(bool on);
    bool setCamera();
    bool setCameraWithHeadPose();
    bool drawMesh();
    bool drawTexturedTriangle(const RenderTriangle& triangle, uint8_t red, uint8_t green, uint8_t blue,
                              int slot);
    bool drawPoint(const float position[3], uint8_t red, uint8_t green, uint8_t blue, int pickIndex);
    bool drawLine(const float from[3], const float to[3], uint8_t red, uint8_t green, uint8_t blue,
                  int pickIndex);
    // Width in pixels of the lines that follow; only in frame.
    bool setLineWidth(float width);
    // Size in pixels of the points that follow (5 unless changed); only in frame.
    bool setPointSize(float size);
    // Window pixel coordinates, y from the bottom of the viewport.
    bool drawScreenLine(const double from[2], const double to[2], uint8_t red, uint8_t green, uint8_t blue);
    // Window x, y (from the bottom) and depth of a model position under the view's camera.
    bool projectPoint(const float position[3], double& x, double& y, double& depth);
    // pickClass / pickIndex may be null; when given in a picking frame they receive the first hit.
    bool endFrame(bool swap, int* pickClass = nullptr, int* pickIndex = nullptr);
    unsigned createTexture(int width, int height, const void* pixels);

    // The fixed scene pieces and the whole frame of the animation player.
    bool drawBackgroundQuad();
    // `viewOrder` draws the two triangles in the editing view's order, whose back faces meet light 1.
    bool drawPhotoOverlay(bool viewOrder = false);
    bool drawPlayerFrame();
    // Light 1 from (0, 0, -1) with lighting on, as the editing view lights its photo overlay; off again
    // with false. Only in frame.
    bool setOverlayLight(bool on);

    bool inFrame() const { return inFrame_; }
    int viewportWidth() const { return viewport_[2]; }
    int viewportHeight() const { return viewport_[3]; }
    int viewportX() const { return viewport_[0]; }
    int viewportY() const { return viewport_[1]; }
    // How often a slot's picture was sent to OpenGL; for tests of the change counters.
    int uploadCount(int slot) const { return slot >= 0 && slot < kSlotCount ? uploads_[slot] : 0; }

private:
    void applyFixedSettings();
    void refreshTextures();
    void deleteSlotTextures();
    unsigned textureForSlot(int slot) const;
    void loadProjection();
    void loadCamera();
    void refreshMatrices();

    bool created_ = false;
    std::function<void()> swapBuffers_;
    CHeadModel* model_ = nullptr;
    bool perspective_ = true;
    bool squareViewport_ = false;
    int storedSet_ = -1;
    RenderCamera camera_;
    int drawMode_ = 1;
    bool pickRequest_ = false;
    unsigned selection_[kSelectionSize] = {};
    bool matricesStale_ = true;
    double modelview_[16] = {}, projection_[16] = {};
    int viewport_[4] = {0, 0, 1, 1};
    bool inFrame_ = false;
    unsigned slotTextures_[kSlotCount] = {};
    int slotStamps_[kSlotCount] = {};
    int uploads_[kSlotCount] = {};
    unsigned fallbackTexture_ = 0;
    std::unique_lock<std::recursive_mutex> frameLock_;
};

#pragma once

#include "rendering/CSoftGLContextBase.h"
#include "rendering/SoftClipper.h"
#include "rendering/SoftGLTypes.h"
#include "rendering/SoftRasterizer.h"
#include "SML/smlxmatrix.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// A small OpenGL-like state machine drawn entirely in software into a 32-bit colour buffer (bytes
// blue, green, red, x; bottom row first) with an integer depth buffer. This is the generic variant;
// the processor variants change only the maths path and the span routines.
class CSoftGLContext : public CSoftGLContextBase {
public:
    CSoftGLContext();
    ~CSoftGLContext() override;

    void destroy() override;
    void clearColor(double red, double green, double blue, double alpha) override;
    void shadeModel(int mode) override;
    void enable(int capability) override;
    void disable(int capability) override;
    void viewport(int x, int y, int width, int height) override;
    void getIntegerv(int query, int* values) override;
    void lightfv(int light, int parameter, const float* values) override;
    void genTextures(int count, unsigned* names) override;
    void deleteTextures(int count, const unsigned* names) override;
    void bindTexture(int target, unsigned name) override;
    void texImage2D(int target, int level, int internalFormat, int width, int height, int border, int format,
                    int type, const void* pixels) override;
    void clear(unsigned bits) override;
    void frontFace(int mode) override;
    void matrixMode(int mode) override;
    void loadIdentity() override;
    void translated(double x, double y, double z) override;
    void rotated(double degrees, double x, double y, double z) override;
    void multMatrixf(const float* matrix) override;
    void multMatrixd(const double* matrix) override;
    void lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
                double upX, double upY, double upZ) override;
    void color3ub(uint8_t red, uint8_t green, uint8_t blue) override;
    void color4ub(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) override;
    void color3ubv(const uint8_t* rgb) override;
    void color4ubv(const uint8_t* rgba) override;
    void color3f(float red, float green, float blue) override;
    void color4f(float red, float green, float blue, float alpha) override;
    void color3fv(const float* rgb) override;
    void color4fv(const float* rgba) override;
    void color3d(double red, double green, double blue) override;
    void color4d(double red, double green, double blue, double alpha) override;
    void color3dv(const double* rgb) override;
    void color4dv(const double* rgba) override;
    void texCoord2d(double s, double t) override;
    void begin(int primitive) override;
    void normal3fv(const float* normal) override;
    void normal3dv(const double* normal) override;
    void vertex3fv(const float* position) override;
    void vertex3dv(const double* position) override;
    void end() override;
    void finish() override;
    void readPixels(int x, int y, int width, int height, int format, int type, void* destination) override;
    void frustum(double left, double right, double bottom, double top, double nearZ, double farZ) override;
    void ortho(double left, double right, double bottom, double top, double nearZ, double farZ) override;
    int getError() override { return error_; }
    void useColorBuffer(void* pixels) override;
    void drawBatch() override;

    // For callers that hand pixels straight to a window or a file.
    const uint32_t* colorBuffer() const { return color_; }
    int viewportWidth() const { return width_; }
    int viewportHeight() const { return height_; }

    static constexpr int kBatchVertices = 768;
    static constexpr int kBatchTriangles = 256;
    static constexpr int kMaxTextures = 64;

protected:
    CSoftGLContext(SmlPath mathPath, const RasterSpanRoutines& spans);

private:
    struct Texture {
        bool named = false;
        int width = 0, height = 0, logWidth = 0, logHeight = 0;
        const uint32_t* pixels = nullptr;
    };
    // 14 floats: object position, eye position, normal (z negated), texture coordinate, spare.
    struct Vertex {
        float object[3];
        float eye[3];
        float normal[3];
        float texture[2];
        float work[3];
    };
    struct Triangle {
        int corners[3];
        RasterTexture texture;
        uint32_t color;
        uint32_t cornerColors[3];
    };
    struct Light {
        bool enabled = false;
        int32_t ambient[3] = {0, 0, 0}; // 16.16 fractions
        int32_t diffuse[3] = {0, 0, 0};
        uint8_t specular[3] = {0, 0, 0};
        double direction[3] = {0, 0, -1};
    };

    bool refuseInsideBegin();
    void setError(int code) { error_ = code; }
    void accept() { error_ = kSglNoError; }
    void setColor(uint32_t packed);
    void setColorUnit(double red, double green, double blue, double alpha);
    void multiplyModelview(const SmlMatrix& matrix);
    void addVertex(double x, double y, double z);
    bool allocateBuffers(int width, int height);
    void resetRasterizer();
    bool isFront(const Triangle& triangle) const;
    uint32_t litColor(const Triangle& triangle) const;
    void drawTriangle(const Triangle& triangle);
    void projectPolygon(const ClipPolygon& clipped, ScreenPolygon& screen) const;
    bool capability(int capability, bool on);
    void buildSpecularTable();

    SmlPath mathPath_ = kSmlPortable;
    int error_ = kSglNoError;
    bool insideBegin_ = false;
    int shadeModel_ = kSglFlat;
    int frontFace_ = kSglFrontCounterClockwise;
    int matrixMode_ = kSglModelview;
    bool depthTest_ = false, cullFace_ = false, alphaTest_ = false, blend_ = false;
    bool lighting_ = false, texturing_ = false;
    SmlMatrix modelview_{};
    bool modelviewIsIdentity_ = true;
    double left_ = -1, right_ = 1, bottom_ = -1, top_ = 1, near_ = 1, far_ = 10;
    bool perspective_ = false;
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> ownedColor_;
    std::vector<int32_t> depthBuffer_;
    uint32_t* color_ = nullptr;
    uint32_t currentColor_ = 0xFFFFFFFFu, clearColor_ = 0;
    double normal_[3] = {0, 0, 1};
    double texCoord_[2] = {0, 0};
    std::array<Texture, kMaxTextures> textures_{};
    unsigned boundTexture_ = 0;
    std::array<Light, 8> lights_{};
    std::vector<int32_t> specularTable_;
    std::vector<Vertex> vertices_;
    std::vector<uint32_t> vertexColors_;
    std::vector<Triangle> triangles_;
    int vertexCount_ = 0, triangleCount_ = 0;
    SoftRasterizer rasterizer_;
};

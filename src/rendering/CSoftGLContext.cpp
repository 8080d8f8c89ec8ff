#include "rendering/CSoftGLContext.h"

#include "rendering/SoftSpans.h"
#include "SML/smlmath.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// A larger viewport is treated as an allocation failure rather than attempted.
constexpr long long kMaxViewportPixels = 16384LL * 16384LL;

uint8_t unitToByte(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 1.0)
        return 255;
    return static_cast<uint8_t>(std::lround(value * 255.0));
}

uint32_t pack(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha)
{
    return static_cast<uint32_t>(alpha) << 24 | static_cast<uint32_t>(red) << 16 |
           static_cast<uint32_t>(green) << 8 | blue;
}

int log2Exact(int value)
{
    if (value < 1 || value > 1024 || (value & (value - 1)) != 0)
        return -1;
    int log = 0;
    while ((1 << log) < value)
        ++log;
    return log;
}

} // namespace

CSoftGLContext::CSoftGLContext() : CSoftGLContext(kSmlPortable, genericSpanRoutines()) {}

CSoftGLContext::CSoftGLContext(SmlPath mathPath, const RasterSpanRoutines& spans) : mathPath_(mathPath)
{
    smlIdentity(modelview_);
    rasterizer_.setSpans(&spans);
    lights_[0].diffuse[0] = lights_[0].diffuse[1] = lights_[0].diffuse[2] = 65536;
    lights_[0].specular[0] = lights_[0].specular[1] = lights_[0].specular[2] = 255;
    buildSpecularTable();
    try {
        vertices_.resize(kBatchVertices);
        vertexColors_.resize(kBatchVertices);
        triangles_.resize(kBatchTriangles);
    } catch (const std::bad_alloc&) {
        vertices_.clear();
        triangles_.clear();
    }
    allocateBuffers(256, 256);
}

CSoftGLContext::~CSoftGLContext()
{
    destroy();
}

void CSoftGLContext::destroy()
{
    std::vector<uint32_t>().swap(ownedColor_);
    std::vector<int32_t>().swap(depthBuffer_);
    color_ = nullptr;
    rasterizer_.setTarget(nullptr, nullptr, 0, 0);
    textures_.fill(Texture{});
    boundTexture_ = 0;
}

void CSoftGLContext::buildSpecularTable()
{
    specularTable_.resize(65537);
    for (int i = 0; i <= 65536; ++i)
        specularTable_[static_cast<size_t>(i)] = static_cast<int32_t>(std::pow(i / 65536.0, 10.0) * 65536.0);
}

bool CSoftGLContext::refuseInsideBegin()
{
    if (insideBegin_)
        setError(kSglInvalidOperation);
    return insideBegin_;
}

bool CSoftGLContext::allocateBuffers(int width, int height)
{
    width_ = width;
    height_ = height;
    color_ = nullptr;
    std::vector<uint32_t>().swap(ownedColor_);
    std::vector<int32_t>().swap(depthBuffer_);
    bool ok = static_cast<long long>(width) * height <= kMaxViewportPixels;
    if (ok) {
        try {
            size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
            ownedColor_.assign(pixels, 0);
            depthBuffer_.assign(pixels, 0);
            color_ = ownedColor_.data();
        } catch (const std::bad_alloc&) {
            std::vector<uint32_t>().swap(ownedColor_);
            std::vector<int32_t>().swap(depthBuffer_);
            ok = false;
        }
    }
    resetRasterizer();
    return ok;
}

void CSoftGLContext::resetRasterizer()
{
    bool haveBuffers =
        color_ && depthBuffer_.size() == static_cast<size_t>(width_) * static_cast<size_t>(height_);
    if (haveBuffers && width_ > 0 && height_ > 0)
        rasterizer_.setTarget(color_, depthBuffer_.data(), width_, height_);
    else
        rasterizer_.setTarget(nullptr, nullptr, 0, 0);
}

void CSoftGLContext::clearColor(double red, double green, double blue, double alpha)
{
    if (refuseInsideBegin())
        return;
    clearColor_ = pack(unitToByte(red), unitToByte(green), unitToByte(blue), unitToByte(alpha));
    accept();
}

void CSoftGLContext::shadeModel(int mode)
{
    if (refuseInsideBegin())
        return;
    if (mode != kSglFlat && mode != kSglSmooth)
        return setError(kSglInvalidEnum);
    shadeModel_ = mode;
    accept();
}

bool CSoftGLContext::capability(int which, bool on)
{
    switch (which) {
    case kSglDepthTest:
        depthTest_ = on;
        return true;
    case kSglCullFace:
        cullFace_ = on;
        return true;
    case kSglAlphaTest:
        alphaTest_ = on;
        return true;
    case kSglBlend:
        blend_ = on;
        return true;
    case kSglLighting:
        lighting_ = on;
        return true;
    case kSglTexture2D:
        texturing_ = on;
        return true;
    default:
        break;
    }
    if (which >= kSglLight0 && which <= kSglLight7) {
        lights_[static_cast<size_t>(which - kSglLight0)].enabled = on;
        return true;
    }
    return false;
}

void CSoftGLContext::enable(int which)
{
    if (refuseInsideBegin())
        return;
    if (!capability(which, true))
        return setError(kSglInvalidEnum);
    accept();
}

void CSoftGLContext::disable(int which)
{
    if (refuseInsideBegin())
        return;
    if (!capability(which, false))
        return setError(kSglInvalidEnum);
    accept();
}

void CSoftGLContext::viewport(int x, int y, int width, int height)
{
    if (refuseInsideBegin())
        return;
    if (x != 0 || y != 0 || width < 0 || height < 0)
        return setError(kSglInvalidValue);
    allocateBuffers(width, height);
    accept();
}

void CSoftGLContext::getIntegerv(int query, int* values)
{
    if (refuseInsideBegin())
        return;
    if (query != kSglViewportQuery)
        return setError(kSglInvalidEnum);
    if (!values)
        return setError(kSglInvalidValue);
    values[0] = 0;
    values[1] = 0;
    values[2] = width_;
    values[3] = height_;
    accept();
}

void CSoftGLContext::lightfv(int light, int parameter, const float* values)
{
    if (refuseInsideBegin())
        return;
    if (light < kSglLight0 || light > kSglLight7 || parameter < kSglAmbient || parameter > kSglPosition)
        return setError(kSglInvalidEnum);
    if (!values)
        return setError(kSglInvalidValue);
    Light& target = lights_[static_cast<size_t>(light - kSglLight0)];
    for (int c = 0; c < 3; ++c) {
        double byte = unitToByte(values[c]);
        if (parameter == kSglAmbient)
            target.ambient[c] = static_cast<int32_t>(byte * 65536.0 / 255.0);
        else if (parameter == kSglDiffuse)
            target.diffuse[c] = static_cast<int32_t>(byte * 65536.0 / 255.0);
        else if (parameter == kSglSpecular)
            target.specular[c] = static_cast<uint8_t>(byte);
    }
    if (parameter == kSglPosition) {
        SmlVec3 direction = smlNormalise({values[0], values[1], values[2]});
        target.direction[0] = direction.x;
        target.direction[1] = direction.y;
        target.direction[2] = -direction.z;
    }
    accept();
}

void CSoftGLContext::genTextures(int count, unsigned* names)
{
    if (refuseInsideBegin())
        return;
    if (count < 0 || (count > 0 && !names))
        return setError(kSglInvalidValue);
    std::vector<unsigned> free;
    for (unsigned name = 1; name < kMaxTextures && free.size() < static_cast<size_t>(count); ++name)
        if (!textures_[name].named)
            free.push_back(name);
    if (free.size() < static_cast<size_t>(count))
        return setError(kSglInvalidValue);
    for (int i = 0; i < count; ++i) {
        names[i] = free[static_cast<size_t>(i)];
        textures_[names[i]] = Texture{};
        textures_[names[i]].named = true;
    }
    accept();
}

void CSoftGLContext::deleteTextures(int count, const unsigned* names)
{
    if (refuseInsideBegin())
        return;
    if (count < 0 || (count > 0 && !names))
        return setError(kSglInvalidValue);
    for (int i = 0; i < count; ++i) {
        unsigned name = names[i];
        if (name == 0 || name >= kMaxTextures)
            continue;
        textures_[name] = Texture{};
        if (boundTexture_ == name)
            boundTexture_ = 0;
    }
    accept();
}

void CSoftGLContext::bindTexture(int target, unsigned name)
{
    if (refuseInsideBegin())
        return;
    if (target != kSglTexture2D)
        return setError(kSglInvalidEnum);
    if (name >= kMaxTextures)
        return setError(kSglInvalidValue);
    if (name != 0)
        textures_[name].named = true;
    boundTexture_ = name;
    accept();
}

void CSoftGLContext::texImage2D(int target, int level, int internalFormat, int width, int height, int border,
                                int format, int type, const void* pixels)
{
    if (refuseInsideBegin())
        return;
    if (target != kSglTexture2D || internalFormat != kSglInternalFormat || format != kSglPixelFormatBgra ||
        type != kSglUnsignedByte)
        return setError(kSglInvalidEnum);
    int logWidth = log2Exact(width), logHeight = log2Exact(height);
    if (level != 0 || border != 0 || logWidth < 0 || logHeight < 0)
        return setError(kSglInvalidValue);
    // The default object cannot hold an image: there would be no name to draw it by.
    if (boundTexture_ == 0)
        return setError(kSglInvalidOperation);
    Texture& texture = textures_[boundTexture_];
    texture.width = width;
    texture.height = height;
    texture.logWidth = logWidth;
    texture.logHeight = logHeight;
    texture.pixels = static_cast<const uint32_t*>(pixels);
    accept();
}

void CSoftGLContext::clear(unsigned bits)
{
    if (refuseInsideBegin())
        return;
    if (bits & ~static_cast<unsigned>(kSglDepthBufferBit | kSglColorBufferBit))
        return setError(kSglInvalidValue);
    size_t pixels = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    if ((bits & kSglDepthBufferBit) && depthBuffer_.size() == pixels)
        std::fill(depthBuffer_.begin(), depthBuffer_.end(), 0);
    if ((bits & kSglColorBufferBit) && color_)
        std::memset(color_, 0, pixels * sizeof(uint32_t));
    accept();
}

void CSoftGLContext::frontFace(int mode)
{
    if (refuseInsideBegin())
        return;
    if (mode != kSglFrontClockwise && mode != kSglFrontCounterClockwise)
        return setError(kSglInvalidEnum);
    frontFace_ = mode;
    accept();
}

void CSoftGLContext::matrixMode(int mode)
{
    if (refuseInsideBegin())
        return;
    if (mode != kSglModelview && mode != kSglProjection)
        return setError(kSglInvalidEnum);
    matrixMode_ = mode;
    accept();
}

void CSoftGLContext::loadIdentity()
{
    if (refuseInsideBegin())
        return;
    if (matrixMode_ == kSglModelview) {
        smlIdentity(modelview_);
        modelviewIsIdentity_ = true;
    } else {
        left_ = -1, right_ = 1, bottom_ = -1, top_ = 1, near_ = 1, far_ = 10;
        perspective_ = false;
    }
    accept();
}

void CSoftGLContext::multiplyModelview(const SmlMatrix& matrix)
{
    if (matrixMode_ != kSglModelview)
        return;
    smlMultiply(mathPath_, modelview_, matrix, modelview_);
    modelviewIsIdentity_ = smlIsIdentity(modelview_);
}

void CSoftGLContext::translated(double x, double y, double z)
{
    if (refuseInsideBegin())
        return;
    SmlMatrix matrix;
    smlTranslation(x, y, z, matrix);
    multiplyModelview(matrix);
    accept();
}

void CSoftGLContext::rotated(double degrees, double x, double y, double z)
{
    if (refuseInsideBegin())
        return;
    SmlMatrix matrix;
    smlRotation(degrees, x, y, z, matrix);
    multiplyModelview(matrix);
    accept();
}

void CSoftGLContext::multMatrixf(const float* values)
{
    if (refuseInsideBegin())
        return;
    if (!values)
        return setError(kSglInvalidValue);
    SmlMatrix matrix;
    std::memcpy(matrix.m, values, sizeof matrix.m);
    multiplyModelview(matrix);
    accept();
}

void CSoftGLContext::multMatrixd(const double* values)
{
    if (refuseInsideBegin())
        return;
    if (!values)
        return setError(kSglInvalidValue);
    SmlMatrix matrix;
    for (int i = 0; i < 16; ++i)
        matrix.m[i] = static_cast<float>(values[i]);
    multiplyModelview(matrix);
    accept();
}

void CSoftGLContext::lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY,
                            double centreZ, double upX, double upY, double upZ)
{
    if (refuseInsideBegin())
        return;
    const double eye[3] = {eyeX, eyeY, eyeZ}, centre[3] = {centreX, centreY, centreZ},
                 up[3] = {upX, upY, upZ};
    SmlMatrix rotation, translation;
    smlLookAt(eye, centre, up, rotation);
    smlTranslation(-eyeX, -eyeY, -eyeZ, translation);
    multiplyModelview(rotation);
    multiplyModelview(translation);
    accept();
}

void CSoftGLContext::setColor(uint32_t packed)
{
    currentColor_ = packed;
    if (!insideBegin_)
        accept();
}

void CSoftGLContext::setColorUnit(double red, double green, double blue, double alpha)
{
    setColor(pack(unitToByte(red), unitToByte(green), unitToByte(blue), unitToByte(alpha)));
}

void CSoftGLContext::color3ub(uint8_t r, uint8_t g, uint8_t b)
{
    setColor(pack(r, g, b, 255));
}
void CSoftGLContext::color4ub(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    setColor(pack(r, g, b, a));
}
void CSoftGLContext::color3ubv(const uint8_t* v)
{
    if (v)
        setColor(pack(v[0], v[1], v[2], 255));
}
void CSoftGLContext::color4ubv(const uint8_t* v)
{
    if (v)
        setColor(pack(v[0], v[1], v[2], v[3]));
}
void CSoftGLContext::color3f(float r, float g, float b)
{
    setColorUnit(r, g, b, 1.0);
}
void CSoftGLContext::color4f(float r, float g, float b, float a)
{
    setColorUnit(r, g, b, a);
}
void CSoftGLContext::color3fv(const float* v)
{
    if (v)
        setColorUnit(v[0], v[1], v[2], 1.0);
}
void CSoftGLContext::color4fv(const float* v)
{
    if (v)
        setColorUnit(v[0], v[1], v[2], v[3]);
}
void CSoftGLContext::color3d(double r, double g, double b)
{
    setColorUnit(r, g, b, 1.0);
}
void CSoftGLContext::color4d(double r, double g, double b, double a)
{
    setColorUnit(r, g, b, a);
}
void CSoftGLContext::color3dv(const double* v)
{
    if (v)
        setColorUnit(v[0], v[1], v[2], 1.0);
}
void CSoftGLContext::color4dv(const double* v)
{
    if (v)
        setColorUnit(v[0], v[1], v[2], v[3]);
}

void CSoftGLContext::texCoord2d(double s, double t)
{
    texCoord_[0] = s;
    texCoord_[1] = t;
    if (!insideBegin_)
        accept();
}

void CSoftGLContext::normal3fv(const float* normal)
{
    if (normal) {
        const double values[3] = {normal[0], normal[1], normal[2]};
        normal3dv(values);
    }
}

void CSoftGLContext::normal3dv(const double* normal)
{
    if (!normal)
        return;
    std::copy(normal, normal + 3, normal_);
    if (!insideBegin_)
        accept();
}

void CSoftGLContext::readPixels(int x, int y, int width, int height, int format, int type, void* destination)
{
    if (refuseInsideBegin())
        return;
    if (format != kSglPixelFormatBgra || type != kSglUnsignedByte)
        return setError(kSglInvalidEnum);
    if (x != 0 || y != 0 || width != width_ || height != height_ || !destination)
        return setError(kSglInvalidValue);
    if (!color_)
        return setError(kSglInvalidOperation);
    std::memcpy(destination, color_, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    accept();
}

// A degenerate volume would divide by zero when projecting; it is refused and the old one kept.
void CSoftGLContext::frustum(double left, double right, double bottom, double top, double nearZ, double farZ)
{
    if (refuseInsideBegin())
        return;
    if (matrixMode_ != kSglProjection)
        return accept();
    if (left == right || bottom == top || !(nearZ > 0) || !(farZ > 0) || nearZ == farZ)
        return setError(kSglInvalidValue);
    left_ = left, right_ = right, bottom_ = bottom, top_ = top, near_ = nearZ, far_ = farZ;
    perspective_ = true;
    resetRasterizer();
    accept();
}

void CSoftGLContext::ortho(double left, double right, double bottom, double top, double nearZ, double farZ)
{
    if (refuseInsideBegin())
        return;
    if (matrixMode_ != kSglProjection)
        return accept();
    if (left == right || bottom == top || nearZ == farZ)
        return setError(kSglInvalidValue);
    left_ = left, right_ = right, bottom_ = bottom, top_ = top, near_ = nearZ, far_ = farZ;
    perspective_ = false;
    resetRasterizer();
    accept();
}

void CSoftGLContext::useColorBuffer(void* pixels)
{
    if (refuseInsideBegin())
        return;
    if (!pixels)
        return setError(kSglInvalidValue);
    std::vector<uint32_t>().swap(ownedColor_);
    color_ = static_cast<uint32_t*>(pixels);
    resetRasterizer();
    accept();
}

#include "rendering/gl/CGLRenderer.h"

#include "face/CHeadModel.h"
#include "rendering/HeadModelAccess.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <utility>

namespace {

constexpr double kRadiansToDegrees = 57.295776;
constexpr uint32_t kFallbackPixels[CGLRenderer::kFallbackSize * CGLRenderer::kFallbackSize] = {};

// Every OpenGL renderer of the process draws its frames under this one lock.
std::recursive_mutex& sharedRendererLock()
{
    static std::recursive_mutex lock;
    return lock;
}

// Held for one call made outside a frame; inside a frame the frame already holds the lock.
class OutsideFrameLock {
public:
    explicit OutsideFrameLock(bool inFrame)
    {
        if (!inFrame)
            lock_ = std::unique_lock<std::recursive_mutex>(sharedRendererLock());
    }

private:
    std::unique_lock<std::recursive_mutex> lock_;
};

} // namespace

CGLRenderer::~CGLRenderer()
{
    destroy();
}

bool CGLRenderer::create(CHeadModel* model, std::function<void()> swapBuffers)
{
    destroy();
    OutsideFrameLock lock(false);
    swapBuffers_ = std::move(swapBuffers);
    perspective_ = true;
    squareViewport_ = false;
    storedSet_ = -1;
    camera_ = RenderCamera();
    drawMode_ = 1;
    glGetIntegerv(GL_VIEWPORT, viewport_);
    applyFixedSettings();
    created_ = true;
    fallbackTexture_ = createTexture(kFallbackSize, kFallbackSize, kFallbackPixels);
    return setModel(model);
}

void CGLRenderer::applyFixedSettings()
{
    glClearColor(0.2f, 0.2f, 0.2f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    const GLfloat ambient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
    const GLfloat diffuse0[4] = {0.5f, 0.5f, 0.5f, 1.0f}, specular0[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    const GLfloat diffuse1[4] = {0.9f, 0.9f, 0.9f, 1.0f}, specular1[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse0);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular0);
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse1);
    glLightfv(GL_LIGHT1, GL_SPECULAR, specular1);
    glPointSize(5.0f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void CGLRenderer::destroy()
{
    if (!created_)
        return;
    if (inFrame_)
        endFrame(false);
    OutsideFrameLock lock(false);
    deleteSlotTextures();
    if (fallbackTexture_ != 0)
        glDeleteTextures(1, &fallbackTexture_);
    fallbackTexture_ = 0;
    model_ = nullptr;
    created_ = false;
}

void CGLRenderer::deleteSlotTextures()
{
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (slotTextures_[slot] != 0)
            glDeleteTextures(1, &slotTextures_[slot]);
        slotTextures_[slot] = 0;
        slotStamps_[slot] = 0;
    }
}

bool CGLRenderer::setModel(CHeadModel* model)
{
    if (!created_)
        return false;
    OutsideFrameLock lock(inFrame_);
    deleteSlotTextures();
    model_ = model;
    matricesStale_ = true;
    return true;
}

bool CGLRenderer::setPerspective(bool on)
{
    if (inFrame_)
        return false;
    perspective_ = on;
    matricesStale_ = true;
    return true;
}

bool CGLRenderer::setSquareViewport(bool on)
{
    if (inFrame_)
        return false;
    squareViewport_ = on;
    matricesStale_ = true;
    return true;
}

bool CGLRenderer::setDrawMode(int mode)
{
    if (mode < 0 || mode > 2)
        return false;
    drawMode_ = mode;
    if (inFrame_)
        glPolygonMode(GL_FRONT_AND_BACK, mode == 0 ? GL_LINE : GL_FILL);
    return true;
}

bool CGLRenderer::setStoredSetView(int set)
{
    if (set > 1)
        return false;
    storedSet_ = set < 0 ? -1 : set;
    return true;
}

bool CGLRenderer::setViewport(int width, int height)
{
    if (width < 0 || height < 0)
        return false;
    OutsideFrameLock lock(inFrame_);
    if (squareViewport_ && !perspective_) {
        if (width < height)
            viewport_[0] = 0, viewport_[1] = (height - width) / 2, viewport_[2] = viewport_[3] = width;
        else
            viewport_[0] = (width - height) / 2, viewport_[1] = 0, viewport_[2] = viewport_[3] = height;
    } else {
        viewport_[0] = viewport_[1] = 0, viewport_[2] = width, viewport_[3] = height;
    }
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    matricesStale_ = true;
    return true;
}

bool CGLRenderer::resetCamera()
{
    if (perspective_)
        return false;
    camera_.reset();
    matricesStale_ = true;
    return true;
}

bool CGLRenderer::fitCameraToModel()
{
    camera_.fitTo(model_);
    matricesStale_ = true;
    return true;
}

void CGLRenderer::pan(double a, double b)
{
    camera_.pan(model_, a, b);
    matricesStale_ = true;
}

void CGLRenderer::orbit(double dx, double dy)
{
    camera_.orbit(model_, dx, dy);
    matricesStale_ = true;
}

void CGLRenderer::zoom(double dy)
{
    camera_.zoom(model_, perspective_, dy);
    matricesStale_ = true;
}

void CGLRenderer::zoomToRectangle(int left, int bottom, int width, int height)
{
    if (perspective_ || !model_ || viewport_[2] <= 0 || viewport_[3] <= 0)
        return;
    camera_.zoomToRectangle(viewport_[2], viewport_[3], left, bottom, width, height);
    matricesStale_ = true;
}

void CGLRenderer::zoomAbout(double x, double y, double factor)
{
    if (perspective_ || !model_ || factor <= 0)
        return;
    camera_.zoomAbout(viewport_[2], viewport_[3], x, y, factor);
    matricesStale_ = true;
}

unsigned CGLRenderer::createTexture(int width, int height, const void* pixels)
{
    if (!created_ || width <= 0 || height <= 0 || !pixels)
        return 0;
    OutsideFrameLock lock(inFrame_);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

// A slot is sent again whenever its counter differs from the one last sent, by any amount.
void CGLRenderer::refreshTextures()
{
    for (int slot = 0; slot < kSlotCount; ++slot) {
        int counter = headaccess::slotCounter(model_, slot);
        if (counter == slotStamps_[slot])
            continue;
        if (slotTextures_[slot] != 0)
            glDeleteTextures(1, &slotTextures_[slot]);
        int width = 0, height = 0;
        const uint32_t* pixels = headaccess::slotPixels(model_, slot, width, height);
        slotTextures_[slot] = pixels ? createTexture(width, height, pixels) : 0;
        slotStamps_[slot] = counter;
        ++uploads_[slot];
    }
}

unsigned CGLRenderer::textureForSlot(int slot) const
{
    if (slot >= 0 && slot < kSlotCount && slotTextures_[slot] != 0)
        return slotTextures_[slot];
    return fallbackTexture_;
}

// Multiplies the projection for the viewport; the view size spans the viewport's longer side.
void CGLRenderer::loadProjection()
{
    int width = viewport_[2] <= 0 ? 1 : viewport_[2], height = viewport_[3] <= 0 ? 1 : viewport_[3];
    double aspect = static_cast<double>(width) / height;
    double s = camera_.viewSize;
    if (perspective_)
        gluPerspective(30.0, aspect, 1.0, 1000.0);
    else if (squareViewport_)
        glOrtho(-s / 2, s / 2, -s / 2, s / 2, 1, 500);
    else if (height < width)
        glOrtho(-s / 2, s / 2, -s / (2 * aspect), s / (2 * aspect), 1, 500);
    else
        glOrtho(-s * aspect / 2, s * aspect / 2, -s / 2, s / 2, 1, 500);
}

void CGLRenderer::loadCamera()
{
    const double* eye = camera_.eye;
    const double* target = camera_.target;
    glLoadIdentity();
    gluLookAt(eye[0], eye[1], eye[2], target[0], target[1], target[2], 0, 1, 0);
}

bool CGLRenderer::beginFrame(bool pick, double pickX, double pickY)
{
    if (!created_ || inFrame_)
        return false;
    pickRequest_ = pick;
    frameLock_ = std::unique_lock<std::recursive_mutex>(sharedRendererLock());
    inFrame_ = true;
    refreshTextures();
    // The widget toolkits reset the viewport before painting; ours is put back.
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    glGetIntegerv(GL_VIEWPORT, viewport_);
    glEnable(GL_DEPTH_TEST);
    // A picking frame draws nothing, so the picture on screen is kept.
    if (!pick)
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (pick) {
        selection_[0] = 0;
        glSelectBuffer(kSelectionSize, selection_);
        gluPickMatrix(pickX, pickY, kPickRegion, kPickRegion, viewport_);
    }
    loadProjection();
    glMatrixMode(GL_MODELVIEW);
    loadCamera();
    if (pick) {
        glRenderMode(GL_SELECT);
        glInitNames();
    }
    glPolygonMode(GL_FRONT_AND_BACK, drawMode_ == 0 ? GL_LINE : GL_FILL);
    return true;
}

bool CGLRenderer::depthTest(bool on)
{
    if (!inFrame_)
        return false;
    on ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    return true;
}

bool CGLRenderer::blending(bool on)
{
    if (!inFrame_)
        return false;
    on ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    return true;
}

bool CGLRenderer::setCamera()
{
    if (!inFrame_)
        return false;
    glMatrixMode(GL_MODELVIEW);
    loadCamera();
    return true;
}

bool CGLRenderer::setCameraWithHeadPose()
{
    if (!setCamera())
        return false;
    float pitch = 0, yaw = 0, roll = 0, pivot[3] = {0, 0, 0};
    headaccess::headPose(model_, pitch, yaw, roll);
    headaccess::headPivot(model_, pivot);
    glTranslated(pivot[0], pivot[1], pivot[2]);
    glRotated(yaw * kRadiansToDegrees, 0, 1, 0);
    glRotated(pitch * kRadiansToDegrees, 1, 0, 0);
    glRotated(roll * kRadiansToDegrees, 0, 0, 1);
    glTranslated(-pivot[0], -pivot[1], -pivot[2]);
    return true;
}

bool CGLRenderer::endFrame(bool swap, int* pickClass, int* pickIndex)
{
    if (!inFrame_)
        return false;
    glFlush();
    if (pickRequest_) {
        // An overflowing buffer (-1) still holds its first records whole.
        GLint hits = glRenderMode(GL_RENDER);
        if (pickClass && pickIndex) {
            *pickClass = kPickNone;
            if (hits != 0 && selection_[0] == 2) {
                *pickClass = static_cast<int>(selection_[3]);
                *pickIndex = static_cast<int>(selection_[4]);
            }
        }
    }
    pickRequest_ = false;
    if (swap && swapBuffers_)
        swapBuffers_();
    inFrame_ = false;
    frameLock_ = {};
    return true;
}

bool CGLRenderer::projectPoint(const float position[3], double& x, double& y, double& depth)
{
    if (!created_)
        return false;
    if (matricesStale_)
        refreshMatrices();
    return gluProject(position[0], position[1], position[2], modelview_, projection_, viewport_, &x, &y,
                      &depth) == GL_TRUE;
}

// The camera's own matrices, as a frame without picking would load them.
void CGLRenderer::refreshMatrices()
{
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    loadProjection();
    glGetDoublev(GL_PROJECTION_MATRIX, projection_);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    loadCamera();
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview_);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(mode));
    matricesStale_ = false;
}

// Under the address sanitizer: Mesa's driver and LLVM keep allocations for the life of the process, and the
// driver is unloaded before the leak check runs, which leaves those allocations without a module name to
// recognise them by. Every program that draws with this renderer loads the driver once more, never to be
// unloaded, so it keeps its name and its own allocations are left out of the report. Other builds have
// none of this. (The toolkit's D-Bus connection of the windowed programs keeps one block the same way.)
// The list is weak: a program with leaks of its own to pass over gives a list of its own, these included.
#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>

#include <initializer_list>

extern "C" __attribute__((weak)) const char* __lsan_default_suppressions()
{
    return "leak:swrast_dri.so\nleak:libLLVM\nleak:libEGL_mesa\nleak:libGLX_mesa\nleak:libglapi\n"
           "leak:libdbus-1.so\n";
}

namespace {

const bool kDriverKept = [] {
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "/usr/lib64/dri/swrast_dri.so",
                             "/usr/lib/dri/swrast_dri.so"})
        if (dlopen(path, RTLD_NOW | RTLD_NODELETE))
            return true;
    return false;
}();

} // namespace
#endif

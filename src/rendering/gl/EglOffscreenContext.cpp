#include "rendering/gl/EglOffscreenContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <mutex>

namespace {

// EGL hands every caller of the surfaceless platform the same display, and terminating it frees the
// contexts of all its users: the last context of the process terminates it, not the first to close.
std::mutex displayUsersLock;
int displayUsers = 0;

bool initializeDisplay(EGLDisplay display)
{
    std::lock_guard guard(displayUsersLock);
    if (!eglInitialize(display, nullptr, nullptr))
        return false;
    ++displayUsers;
    return true;
}

void releaseDisplay(EGLDisplay display)
{
    std::lock_guard guard(displayUsersLock);
    if (--displayUsers == 0)
        eglTerminate(display);
}

} // namespace

struct EglOffscreenContext::State {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLConfig config = nullptr;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
};

EglOffscreenContext::EglOffscreenContext() : state_(std::make_unique<State>()) {}

EglOffscreenContext::~EglOffscreenContext()
{
    State& s = *state_;
    if (s.display == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (s.context != EGL_NO_CONTEXT)
        eglDestroyContext(s.display, s.context);
    if (s.surface != EGL_NO_SURFACE)
        eglDestroySurface(s.display, s.surface);
    releaseDisplay(s.display);
}

bool EglOffscreenContext::open(int width, int height)
{
    State& s = *state_;
    if (s.display != EGL_NO_DISPLAY)
        return resize(width, height);
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay)
        s.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (s.display == EGL_NO_DISPLAY || !initializeDisplay(s.display)) {
        s.display = EGL_NO_DISPLAY;
        error_ = "no EGL surfaceless display";
        return false;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_ALPHA_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       24,
                                       EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(s.display, configAttributes, &s.config, 1, &count) || count < 1) {
        error_ = "no EGL configuration for OpenGL with a depth buffer";
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error_ = "EGL offers no desktop OpenGL";
        return false;
    }
    // Without attributes EGL gives a compatibility context, which the fixed-function calls need.
    s.context = eglCreateContext(s.display, s.config, EGL_NO_CONTEXT, nullptr);
    if (s.context == EGL_NO_CONTEXT) {
        error_ = "cannot create an OpenGL context";
        return false;
    }
    return resize(width, height);
}

bool EglOffscreenContext::resize(int width, int height)
{
    State& s = *state_;
    if (s.context == EGL_NO_CONTEXT || width < 1 || height < 1)
        return false;
    if (s.surface != EGL_NO_SURFACE && width == width_ && height == height_)
        return makeCurrent();
    eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (s.surface != EGL_NO_SURFACE)
        eglDestroySurface(s.display, s.surface);
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    s.surface = eglCreatePbufferSurface(s.display, s.config, surfaceAttributes);
    if (s.surface == EGL_NO_SURFACE) {
        error_ = "cannot create an offscreen surface";
        return false;
    }
    width_ = width, height_ = height;
    return makeCurrent();
}

bool EglOffscreenContext::makeCurrent()
{
    State& s = *state_;
    if (s.surface == EGL_NO_SURFACE || !eglMakeCurrent(s.display, s.surface, s.surface, s.context)) {
        error_ = "cannot make the OpenGL context current";
        return false;
    }
    return true;
}

std::vector<uint32_t> EglOffscreenContext::readPixels() const
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

#include "LlvmpipeDrawer.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

struct LlvmpipeDrawer::State {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
    GLuint textures[10] = {};
    int width = 0, height = 0;
};

LlvmpipeDrawer::LlvmpipeDrawer() : state_(std::make_unique<State>()) {}

LlvmpipeDrawer::~LlvmpipeDrawer()
{
    if (state_->display == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(state_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (state_->context != EGL_NO_CONTEXT)
        eglDestroyContext(state_->display, state_->context);
    if (state_->surface != EGL_NO_SURFACE)
        eglDestroySurface(state_->display, state_->surface);
    eglTerminate(state_->display);
}

namespace {

EGLDisplay surfacelessDisplay()
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

} // namespace

bool LlvmpipeDrawer::open(int width, int height, const BenchScene& scene)
{
    State& s = *state_;
    s.display = surfacelessDisplay();
    if (s.display == EGL_NO_DISPLAY || !eglInitialize(s.display, nullptr, nullptr))
        return false;
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
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(s.display, configAttributes, &config, 1, &count) || count < 1)
        return false;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    s.surface = eglCreatePbufferSurface(s.display, config, surfaceAttributes);
    if (s.surface == EGL_NO_SURFACE || !eglBindAPI(EGL_OPENGL_API))
        return false;
    s.context = eglCreateContext(s.display, config, EGL_NO_CONTEXT, nullptr);
    if (s.context == EGL_NO_CONTEXT || !eglMakeCurrent(s.display, s.surface, s.surface, s.context))
        return false;
    s.width = width, s.height = height;
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 0);
    glGenTextures(10, s.textures);
    for (int slot = 0; slot < 10; ++slot) {
        glBindTexture(GL_TEXTURE_2D, s.textures[slot]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        static const uint32_t empty[64] = {};
        bool has = !scene.slotPixels[slot].empty();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, has ? scene.slotWidth[slot] : 8,
                     has ? scene.slotHeight[slot] : 8, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     has ? scene.slotPixels[slot].data() : empty);
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return true;
}

const char* LlvmpipeDrawer::rendererName() const
{
    const GLubyte* name = glGetString(GL_RENDERER);
    return name ? reinterpret_cast<const char*>(name) : "unknown";
}

namespace {

void flatQuad(GLuint texture, float half, float top, float bottom)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_TRIANGLES);
    const float corners[6][4] = {{-half, top, 0, 0},   {half, bottom, 1, 1}, {half, top, 1, 0},
                                 {half, bottom, 1, 1}, {-half, top, 0, 0},   {-half, bottom, 0, 1}};
    for (const auto& c : corners) {
        glTexCoord2f(c[2], c[3]);
        glVertex3f(c[0], c[1], 0);
    }
    glEnd();
}

} // namespace

void LlvmpipeDrawer::drawFrame(const BenchScene& scene)
{
    State& s = *state_;
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-18, 18, -18, 18, 1, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 20, 120, 0, 20, 0, 0, 1, 0);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    flatQuad(s.textures[7], 18, 38, 2);
    glTranslatef(scene.pivot[0], scene.pivot[1], scene.pivot[2]);
    glRotatef(scene.yaw * 57.295776f, 0, 1, 0);
    glRotatef(scene.pitch * 57.295776f, 1, 0, 0);
    glRotatef(scene.roll * 57.295776f, 0, 0, 1);
    glTranslatef(-scene.pivot[0], -scene.pivot[1], -scene.pivot[2]);
    glEnable(GL_DEPTH_TEST);
    int bound = -1;
    glBegin(GL_TRIANGLES);
    for (const BenchTriangle& t : scene.triangles) {
        if (t.slot != bound) {
            glEnd();
            glBindTexture(GL_TEXTURE_2D, s.textures[t.slot]);
            bound = t.slot;
            glBegin(GL_TRIANGLES);
        }
        for (int c = 0; c < 3; ++c) {
            glTexCoord2fv(t.texture[c]);
            glVertex3fv(t.position[c]);
        }
    }
    glEnd();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    flatQuad(s.textures[0], 20, 40, 0);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glFinish();
}

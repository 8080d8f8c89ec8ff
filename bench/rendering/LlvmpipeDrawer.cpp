#include "LlvmpipeDrawer.h"

#include "rendering/gl/EglOffscreenContext.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

struct LlvmpipeDrawer::State {
    EglOffscreenContext context;
    GLuint textures[10] = {};
    int width = 0, height = 0;
};

LlvmpipeDrawer::LlvmpipeDrawer() : state_(std::make_unique<State>()) {}

LlvmpipeDrawer::~LlvmpipeDrawer() = default;

bool LlvmpipeDrawer::open(int width, int height, const BenchScene& scene)
{
    State& s = *state_;
    if (!s.context.open(width, height))
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

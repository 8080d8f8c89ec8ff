// What CGLRenderer puts into a frame: the mesh, single triangles, the fixed quads and the named points
// and lines that the editors pick.
#include "rendering/gl/CGLRenderer.h"

#include "face/CHeadModel.h"

#include <GL/gl.h>

namespace {

constexpr uint8_t kSlotColours[CGLRenderer::kSlotCount][3] = {
    {255, 255, 255}, {150, 150, 255}, {255, 150, 150}, {150, 150, 255}, {150, 255, 150},
    {128, 50, 50},   {50, 50, 50},    {255, 255, 255}, {255, 255, 255}, {0, 0, 0}};

struct QuadCorner {
    float x, y, s, t;
};
constexpr QuadCorner kBackgroundQuad[6] = {{-18, 38, 0, 0}, {18, 2, 1, 1},   {18, 38, 1, 0},
                                           {18, 2, 1, 1},   {-18, 38, 0, 0}, {-18, 2, 0, 1}};
constexpr QuadCorner kOverlayPlayerOrder[6] = {{-20, 40, 0, 0}, {20, 0, 1, 1},   {20, 40, 1, 0},
                                               {20, 0, 1, 1},   {-20, 40, 0, 0}, {-20, 0, 0, 1}};
constexpr QuadCorner kOverlayViewOrder[6] = {{-20, 40, 0, 0}, {20, 40, 1, 0}, {20, 0, 1, 1},
                                             {20, 0, 1, 1},   {-20, 0, 0, 1}, {-20, 40, 0, 0}};

const uint8_t* slotColour(int slot)
{
    static constexpr uint8_t kBlack[3] = {0, 0, 0};
    return slot >= 0 && slot < CGLRenderer::kSlotCount ? kSlotColours[slot] : kBlack;
}

// One corner as the mesh sends it: texture coordinate, normal, position.
void sendCorner(const CHeadModel& model, const Vec3f* positions, int face, int corner, int vertex)
{
    float u = 0, v = 0;
    Vec3f normal;
    model.getTextureCoordinate(face, corner, u, v);
    model.getCornerNormal(face, corner, normal);
    glTexCoord2f(u, v);
    glNormal3f(normal.x, normal.y, normal.z);
    const Vec3f& p = positions[vertex];
    glVertex3f(p.x, p.y, p.z);
}

} // namespace

// Names are only recorded between primitives, so a picking frame sends one primitive per triangle;
// a drawing frame sends each run of equal slots as one primitive, which draws the same pixels.
bool CGLRenderer::drawMesh()
{
    if (!inFrame_)
        return false;
    const bool textured = drawMode_ == 2;
    if (textured) {
        glEnable(GL_TEXTURE_2D);
    } else {
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
    }
    glPushName(kPickTriangle);
    const int count = model_ ? model_->faceCount() : 0;
    const Vec3f* positions = nullptr;
    if (model_)
        positions = storedSet_ >= 0 && model_->isSetValid(storedSet_) ? model_->storedPositions(storedSet_)
                                                                      : model_->currentPositions();
    const GLenum primitive = drawMode_ == 0 ? GL_LINES : GL_TRIANGLES;
    int previousSlot = 0;
    bool open = false, bound = false;
    for (int face = 0; face < count; ++face) {
        int corners[3], slot = 0;
        if (!model_->getFace(face, corners[0], corners[1], corners[2]))
            continue;
        model_->getTextureSlot(face, slot);
        if (!bound || slot != previousSlot) {
            if (open)
                glEnd(), open = false;
            glBindTexture(GL_TEXTURE_2D, textureForSlot(slot));
            const uint8_t* colour = textured ? kSlotColours[0] : slotColour(slot);
            glColor3ub(colour[0], colour[1], colour[2]);
            previousSlot = slot;
            bound = true;
        }
        if (pickRequest_)
            glPushName(static_cast<GLuint>(face));
        if (!open)
            glBegin(primitive), open = true;
        if (drawMode_ == 0) {
            for (int edge = 0; edge < 3; ++edge) {
                sendCorner(*model_, positions, face, edge, corners[edge]);
                sendCorner(*model_, positions, face, (edge + 1) % 3, corners[(edge + 1) % 3]);
            }
        } else {
            for (int c = 0; c < 3; ++c)
                sendCorner(*model_, positions, face, c, corners[c]);
        }
        if (pickRequest_) {
            glEnd(), open = false;
            glPopName();
        }
    }
    if (open)
        glEnd();
    glPopName();
    if (textured) {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_LIGHT0);
        glDisable(GL_LIGHTING);
    }
    return true;
}

bool CGLRenderer::drawTexturedTriangle(const RenderTriangle& triangle, uint8_t red, uint8_t green,
                                       uint8_t blue, int slot)
{
    if (!inFrame_)
        return false;
    const bool textured = drawMode_ == 2;
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textureForSlot(slot));
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glColor3ub(red, green, blue);
    glBegin(GL_TRIANGLES);
    for (int c = 0; c < 3; ++c) {
        glTexCoord2f(triangle.texture[c][0], triangle.texture[c][1]);
        glNormal3fv(triangle.normals[c]);
        glVertex3fv(triangle.positions[c]);
    }
    glEnd();
    if (textured) {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
    return true;
}

bool CGLRenderer::drawPoint(const float position[3], uint8_t red, uint8_t green, uint8_t blue, int pickIndex)
{
    if (!inFrame_)
        return false;
    glPushName(kPickPoint);
    glPushName(static_cast<GLuint>(pickIndex));
    glColor3ub(red, green, blue);
    glBegin(GL_POINTS);
    glVertex3fv(position);
    glEnd();
    glPopName();
    glPopName();
    return true;
}

bool CGLRenderer::drawLine(const float from[3], const float to[3], uint8_t red, uint8_t green, uint8_t blue,
                           int pickIndex)
{
    if (!inFrame_)
        return false;
    glPushName(kPickLine);
    glPushName(static_cast<GLuint>(pickIndex));
    glColor3ub(red, green, blue);
    glBegin(GL_LINES);
    glVertex3fv(from);
    glVertex3fv(to);
    glEnd();
    glPopName();
    glPopName();
    return true;
}

bool CGLRenderer::setLineWidth(float width)
{
    if (!inFrame_ || width <= 0)
        return false;
    glLineWidth(width);
    return true;
}

bool CGLRenderer::setPointSize(float size)
{
    if (!inFrame_ || size <= 0)
        return false;
    glPointSize(size);
    return true;
}

bool CGLRenderer::drawScreenLine(const double from[2], const double to[2], uint8_t red, uint8_t green,
                                 uint8_t blue)
{
    if (!inFrame_)
        return false;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport_[2], 0, viewport_[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3ub(red, green, blue);
    glBegin(GL_LINES);
    glVertex2d(from[0], from[1]);
    glVertex2d(to[0], to[1]);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return true;
}

namespace {

bool drawQuad(CGLRenderer& renderer, const QuadCorner (&corners)[6], int slot)
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

bool CGLRenderer::drawBackgroundQuad()
{
    return drawQuad(*this, kBackgroundQuad, 7);
}

bool CGLRenderer::drawPhotoOverlay(bool viewOrder)
{
    return drawQuad(*this, viewOrder ? kOverlayViewOrder : kOverlayPlayerOrder, 0);
}

// One frame as the animation player draws it.
bool CGLRenderer::drawPlayerFrame()
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

bool CGLRenderer::setOverlayLight(bool on)
{
    if (!inFrame_)
        return false;
    if (on) {
        const GLfloat direction[4] = {0.0f, 0.0f, -1.0f, 0.0f};
        glLightfv(GL_LIGHT1, GL_POSITION, direction);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT1);
    } else {
        glDisable(GL_LIGHT1);
        glDisable(GL_LIGHTING);
    }
    return true;
}

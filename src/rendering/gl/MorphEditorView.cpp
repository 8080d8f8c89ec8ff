// The 3D view's paint, its picking pass and its commands.
#include "rendering/gl/CMorphEditor.h"

#include "face/MeshFitting.h"
#include "rendering/HeadViewSetup.h"
#include "rendering/gl/ModelLock.h"
#include "rendering/gl/MorphCommands.h"

namespace {

constexpr uint8_t kLineColour[3] = {1, 169, 94};
constexpr uint8_t kBoxColour[3] = {1, 94, 169};
constexpr float kLineWidth = 2.0f;
constexpr float kHoveredPointSize = 9.0f;

Vec3f boxCorner(const Vec3f& low, const Vec3f& high, int corner)
{
    return {corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y, corner & 4 ? high.z : low.z};
}

const float* asArray(const Vec3f& p)
{
    return &p.x;
}

} // namespace

const Vec3f* CMorphEditor::shownPositions() const
{
    int set = renderer_.storedSetView();
    if (set >= 0 && model_->isSetValid(set))
        return model_->storedPositions(set);
    return model_->currentPositions();
}

// Picking takes the first hit, so the pass names points before lines: a line's end vertex under the
// pointer wins over the line through it, and a box corner over the box's edges.
void CMorphEditor::drawPickables(bool picking)
{
    if (!model_)
        return;
    const Vec3f* positions = shownPositions();
    const int vertexCount = model_->vertexCount();
    const bool edit = tool_ == kEdit;
    const bool lineHovered = edit && hoverClass_ == CGLRenderer::kPickLine && hoverIndex_ < vertexCount;
    const bool boxHovered = edit && hoverClass_ == CGLRenderer::kPickLine && hoverIndex_ == vertexCount;
    Vec3f corners[8];
    for (int c = 0; c < 8; ++c)
        corners[c] = boxCorner(boxMin_, boxMax_, c);
    auto drawEdges = [&] {
        for (int c = 0; c < 8; ++c)
            for (int bit : {1, 2, 4})
                if (!(c & bit)) {
                    const uint8_t* colour = boxHovered ? nullptr : kBoxColour;
                    renderer_.drawLine(asArray(corners[c]), asArray(corners[c | bit]),
                                       colour ? colour[0] : 255, colour ? colour[1] : 255,
                                       colour ? colour[2] : 255, vertexCount);
                }
    };
    auto drawCorners = [&] {
        for (int c = 0; c < 8; ++c)
            renderer_.drawPoint(asArray(corners[c]), 0, 255, 0, vertexCount + c);
    };
    if (picking) {
        if (showLines_)
            for (int v : endVertices_)
                renderer_.drawPoint(asArray(positions[v]), 255, 255, 0, v);
        drawCorners();
        if (showLines_)
            for (const Segment& s : segments_)
                renderer_.drawLine(asArray(positions[s.a]), asArray(positions[s.b]), 255, 255, 255, s.number);
        drawEdges();
        return;
    }
    renderer_.depthTest(false);
    if (showLines_) {
        // Thin lines vanish in a photograph; the box keeps the thin line of a frame.
        renderer_.setLineWidth(kLineWidth);
        for (const Segment& s : segments_)
            renderer_.drawLine(asArray(positions[s.a]), asArray(positions[s.b]), kLineColour[0],
                               kLineColour[1], kLineColour[2], s.number);
        if (lineHovered)
            for (const Segment& s : segments_)
                if (s.number == hoverIndex_)
                    renderer_.drawLine(asArray(positions[s.a]), asArray(positions[s.b]), 255, 255, 255,
                                       s.number);
        renderer_.setLineWidth(1.0f);
        for (int v : endVertices_)
            renderer_.drawPoint(asArray(positions[v]), 255, 255, 0, v);
    }
    renderer_.depthTest(true);
    drawEdges();
    drawCorners();
    // The hovered point goes on top of everything, box corners included.
    renderer_.depthTest(false);
    if (edit && hoverClass_ == CGLRenderer::kPickPoint) {
        // Larger than the others, so it shows among the dense points of the eyes and lips.
        renderer_.setPointSize(kHoveredPointSize);
        if (hoverIndex_ >= 0 && hoverIndex_ < vertexCount)
            renderer_.drawPoint(asArray(positions[hoverIndex_]), 255, 0, 0, hoverIndex_);
        else if (hoverIndex_ >= vertexCount && hoverIndex_ < vertexCount + 8)
            renderer_.drawPoint(asArray(corners[hoverIndex_ - vertexCount]), 255, 0, 0, hoverIndex_);
        renderer_.setPointSize(5.0f);
    }
}

void CMorphEditor::paint()
{
    ModelLock lock(model_);
    if (!renderer_.created())
        return;
    if (busy()) {
        renderer_.beginFrame();
        renderer_.endFrame(true);
        return;
    }
    renderer_.beginFrame();
    renderer_.depthTest(true);
    renderer_.drawMesh();
    collectSegments();
    drawPickables(false);
    if (tool_ == kZoomRectangle && buttonDown_) {
        const double x0 = pressX_ + 0.5, x1 = currentX_ + 0.5;
        const double y0 = height_ - pressY_ - 0.5, y1 = height_ - currentY_ - 0.5;
        const double corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        for (int k = 0; k < 4; ++k)
            renderer_.drawScreenLine(corners[k], corners[(k + 1) % 4], 255, 255, 255);
    }
    renderer_.depthTest(true);
    // Without its texture the overlay is a plain white square (and, in wireframe, its outline with the
    // diagonal) hiding the view's background, so it is shown in the textured mode only.
    if (renderer_.getDrawMode() == 2) {
        renderer_.blending(true);
        renderer_.setOverlayLight(true);
        renderer_.drawPhotoOverlay(true);
        renderer_.setOverlayLight(false);
        renderer_.blending(false);
    }
    renderer_.endFrame(true);
}

bool CMorphEditor::isCommandEnabled(int id) const
{
    using namespace morphcmd;
    if (buttonDown_ || busy())
        return false;
    ModelLock lock(model_);
    const bool hasModel = model_ != nullptr;
    switch (id) {
    case kOrbitTool:
    case kPanTool:
    case kZoomTool:
    case kZoomRectangleTool:
    case kResetCamera:
    case kFitCamera:
    case kWireframe:
    case kFlat:
    case kTextured:
    case kShowLines:
        return true;
    case kEditTool:
    case kMoveXY:
    case kMoveZ:
    case kShowCurrent:
        return hasModel;
    case kTemporaryPan:
    case kTemporaryOrbit:
    case kTemporaryZoom:
        return pointerInside_ && !temporary_;
    case kShowReference:
        return hasModel && model_->isSetValid(0);
    case kShowNeutral:
        return hasModel && model_->isSetValid(1);
    case kFitToLines:
        return hasModel && !segments_.empty() && model_->isSetValid(0) && renderer_.storedSetView() < 0;
    case kNormalise:
        return hasModel && model_->vertexCount() > 0 && renderer_.storedSetView() < 0;
    case kRevertDrag:
        return !undo_.empty() && undo_.back().drag;
    case kRestoreReference:
        return hasModel && model_->isSetValid(0) && renderer_.storedSetView() < 0;
    default:
        return false;
    }
}

bool CMorphEditor::isCommandChecked(int id) const
{
    using namespace morphcmd;
    switch (id) {
    case kOrbitTool:
        return tool_ == CMorphEditor::kOrbit;
    case kPanTool:
        return tool_ == CMorphEditor::kPan;
    case kZoomTool:
        return tool_ == CMorphEditor::kZoom;
    case kZoomRectangleTool:
        return tool_ == CMorphEditor::kZoomRectangle;
    case kEditTool:
        return tool_ == CMorphEditor::kEdit;
    case kWireframe:
    case kFlat:
    case kTextured:
        return renderer_.getDrawMode() == id - kWireframe;
    case kShowLines:
        return showLines_;
    case kMoveXY:
        return subMode_ == 0;
    case kMoveZ:
        return subMode_ == 1;
    case kShowCurrent:
        return renderer_.storedSetView() < 0;
    case kShowReference:
        return renderer_.storedSetView() == 0;
    case kShowNeutral:
        return renderer_.storedSetView() == 1;
    default:
        return false;
    }
}

bool CMorphEditor::runCommand(int id)
{
    using namespace morphcmd;
    if (!isCommandEnabled(id))
        return false;
    ModelLock lock(model_);
    switch (id) {
    case kOrbitTool:
        return setTool(CMorphEditor::kOrbit);
    case kPanTool:
        return setTool(CMorphEditor::kPan);
    case kZoomTool:
        return setTool(CMorphEditor::kZoom);
    case kZoomRectangleTool:
        return setTool(CMorphEditor::kZoomRectangle);
    case kEditTool:
        return setTool(CMorphEditor::kEdit);
    case kResetCamera:
        return renderer_.resetCamera();
    case kFitCamera:
        return renderer_.fitCameraToModel();
    case kWireframe:
    case kFlat:
    case kTextured:
        return renderer_.setDrawMode(id - kWireframe);
    case kShowLines:
        showLines_ = !showLines_;
        hoverClass_ = 0, hoverIndex_ = -1;
        return true;
    case kTemporaryPan:
        return startTemporaryMode(CMorphEditor::kPan);
    case kTemporaryOrbit:
        return startTemporaryMode(CMorphEditor::kOrbit);
    case kTemporaryZoom:
        return startTemporaryMode(CMorphEditor::kZoom);
    case kMoveXY:
    case kMoveZ:
        subMode_ = id == kMoveXY ? 0 : 1;
        return true;
    case kShowCurrent:
    case kShowReference:
    case kShowNeutral:
        hoverClass_ = 0, hoverIndex_ = -1;
        return renderer_.setStoredSetView(id - kShowReference);
    case kFitToLines:
        return changeModel([this] { return fitToLines(*model_) != 0; });
    case kNormalise:
        if (!changeModel([this] {
                headview::normaliseModel(*model_);
                return true;
            }))
            return false;
        return renderer_.fitCameraToModel();
    case kRevertDrag:
        return undo();
    case kRestoreReference:
        return changeModel([this] { return model_->restoreFromSet(0) != 0; });
    default:
        return false;
    }
}

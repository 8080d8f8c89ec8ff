#include "rendering/gl/CMorphEditor.h"
#include "rendering/gl/ModelLock.h"

#include "rendering/HeadViewSetup.h"
#include "rendering/gl/MorphCommands.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kWheelStep = 0.9;

int toolOfKey(CMorphEditor::Key key)
{
    switch (key) {
    case CMorphEditor::kKeySpace:
        return CMorphEditor::kPan;
    case CMorphEditor::kKeyControl:
        return CMorphEditor::kOrbit;
    case CMorphEditor::kKeyShift:
        return CMorphEditor::kZoom;
    }
    return CMorphEditor::kNoTool;
}

} // namespace

bool CMorphEditor::createRenderer(std::function<void()> swapBuffers)
{
    ModelLock lock(model_);
    if (!renderer_.create(model_, std::move(swapBuffers)))
        return false;
    renderer_.setDrawMode(2);
    renderer_.setPerspective(false);
    renderer_.setViewport(width_, height_);
    renderer_.fitCameraToModel();
    fitBoxToMesh();
    return true;
}

void CMorphEditor::destroyRenderer()
{
    renderer_.destroy();
}

void CMorphEditor::setModel(CHeadModel* model, bool normalise)
{
    ModelLock lock(model);
    model_ = model;
    undo_.clear();
    redo_.clear();
    hoverClass_ = 0, hoverIndex_ = -1;
    buttonDown_ = false;
    dragTarget_ = DragTarget::None;
    if (model_ && normalise && !model_->busy())
        headview::normaliseModel(*model_);
    collectSegments();
    fitBoxToMesh();
    if (renderer_.created()) {
        renderer_.setModel(model_);
        renderer_.fitCameraToModel();
    }
}

void CMorphEditor::resize(int width, int height)
{
    width_ = std::max(width, 1), height_ = std::max(height, 1);
    if (renderer_.created())
        renderer_.setViewport(width_, height_);
}

bool CMorphEditor::busy() const
{
    ModelLock lock(model_);
    return model_ && model_->busy();
}

int CMorphEditor::cursorResource() const
{
    if (busy())
        return kCursorWait;
    switch (tool_) {
    case kOrbit:
        return 143;
    case kPan:
        return 141;
    case kZoom:
        return 142;
    case kZoomRectangle:
        return 168;
    case kEdit:
        return subMode_ == 0 ? 184 : 185;
    default:
        return kCursorArrow;
    }
}

bool CMorphEditor::editable() const
{
    return model_ && renderer_.storedSetView() < 0;
}

void CMorphEditor::clampToView(int& x, int& y) const
{
    x = std::clamp(x, 0, width_ - 1);
    y = std::clamp(y, 0, height_ - 1);
}

void CMorphEditor::collectSegments()
{
    segments_.clear();
    endVertices_.clear();
    if (!model_)
        return;
    auto gather = [this] {
        segments_.clear();
        model_->visitEditingLines(
            [](void* context, int a, int b, int number) {
                static_cast<std::vector<Segment>*>(context)->push_back({a, b, number});
                return 1;
            },
            &segments_);
    };
    gather();
    if (std::any_of(segments_.begin(), segments_.end(), [](const Segment& s) { return s.number < 0; })) {
        model_->computeLineNumbers();
        gather();
    }
    for (const Segment& s : segments_) {
        endVertices_.push_back(s.a);
        endVertices_.push_back(s.b);
    }
    std::sort(endVertices_.begin(), endVertices_.end());
    endVertices_.erase(std::unique(endVertices_.begin(), endVertices_.end()), endVertices_.end());
}

void CMorphEditor::fitBoxToMesh()
{
    Vec3f span;
    boxMin_ = boxMax_ = Vec3f{};
    if (model_)
        model_->extents(boxMax_, boxMin_, span);
}

void CMorphEditor::mapPhoto()
{
    if (model_)
        headview::applyFacePhotoMapping(*model_);
}

bool CMorphEditor::windowPoint(const Vec3f& position, double& x, double& y)
{
    const float p[3] = {position.x, position.y, position.z};
    double depth = 0;
    if (!renderer_.projectPoint(p, x, y, depth))
        return false;
    y = height_ - y;
    return true;
}

void CMorphEditor::pickAt(int x, int y, int& pickClass, int& pickIndex)
{
    pickClass = CGLRenderer::kPickNone, pickIndex = -1;
    if (!renderer_.created() || !renderer_.beginFrame(true, x + 0.5, height_ - y - 0.5))
        return;
    drawPickables(true);
    renderer_.endFrame(false, &pickClass, &pickIndex);
}

bool CMorphEditor::mouseMove(int x, int y)
{
    ModelLock lock(model_);
    pointerInside_ = true;
    if (busy())
        return false;
    if (!buttonDown_) {
        if (tool_ != kEdit || !editable())
            return false;
        int pickClass = 0, pickIndex = -1;
        pickAt(x, y, pickClass, pickIndex);
        if (pickClass == hoverClass_ && pickIndex == hoverIndex_)
            return false;
        hoverClass_ = pickClass, hoverIndex_ = pickIndex;
        return true;
    }
    clampToView(x, y);
    currentX_ = x, currentY_ = y;
    switch (tool_) {
    case kOrbit:
        renderer_.orbit(x - lastX_, lastY_ - y);
        break;
    case kPan:
        renderer_.pan(lastX_ - x, y - lastY_);
        break;
    case kZoom:
        renderer_.zoom(y - lastY_);
        break;
    case kEdit:
        dragBy(x - lastX_, lastY_ - y);
        break;
    default:
        break;
    }
    lastX_ = x, lastY_ = y;
    return true;
}

bool CMorphEditor::buttonDown(int x, int y)
{
    ModelLock lock(model_);
    pointerInside_ = true;
    if (busy() || buttonDown_)
        return false;
    clampToView(x, y);
    buttonDown_ = true;
    pressX_ = lastX_ = currentX_ = x;
    pressY_ = lastY_ = currentY_ = y;
    dragTarget_ = DragTarget::None;
    if (tool_ == kEdit && editable())
        beginEditDrag(x, y);
    return true;
}

bool CMorphEditor::buttonUp(int x, int y)
{
    ModelLock lock(model_);
    if (!buttonDown_)
        return false;
    buttonDown_ = false;
    // A drag the player interrupted is left as it is: the model belongs to the player now.
    if (busy()) {
        dragTarget_ = DragTarget::None;
        return true;
    }
    clampToView(x, y);
    if (tool_ == kZoomRectangle) {
        int left = std::min(pressX_, x), top = std::min(pressY_, y);
        int width = std::abs(x - pressX_), height = std::abs(y - pressY_);
        renderer_.zoomToRectangle(left, height_ - (top + height), width, height);
    } else if (tool_ == kEdit) {
        endEditDrag();
    }
    return true;
}

bool CMorphEditor::startTemporaryMode(int tool)
{
    if (temporary_ || !pointerInside_)
        return false;
    savedTool_ = tool_;
    tool_ = tool;
    temporary_ = true;
    return true;
}

bool CMorphEditor::keyUp(Key key)
{
    if (!temporary_)
        return false;
    bool cameraTool = tool_ >= kOrbit && tool_ <= kZoom;
    if (cameraTool && toolOfKey(key) != tool_)
        return false;
    tool_ = savedTool_;
    temporary_ = false;
    return true;
}

bool CMorphEditor::leave()
{
    pointerInside_ = false;
    bool changed = hoverClass_ != 0;
    hoverClass_ = 0, hoverIndex_ = -1;
    if (temporary_ && !buttonDown_) {
        tool_ = savedTool_;
        temporary_ = false;
        changed = true;
    }
    return changed;
}

bool CMorphEditor::wheel(int x, int y, double notches)
{
    ModelLock lock(model_);
    if (busy() || buttonDown_ || notches == 0)
        return false;
    renderer_.zoomAbout(x + 0.5, height_ - y - 0.5, std::pow(kWheelStep, notches));
    return true;
}

bool CMorphEditor::setTool(int tool)
{
    tool_ = tool;
    temporary_ = false;
    hoverClass_ = 0, hoverIndex_ = -1;
    return true;
}

// Edit drags of the 3D view, the fitting that follows them, and undo and redo of every change.
#include "rendering/gl/CMorphEditor.h"
#include "rendering/gl/ModelLock.h"

#include "face/MeshFitting.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDragFactor = 0.8;

} // namespace

// The drag axes are the candidate axes that run most nearly along the screen's x and y at the
// reference point; their screen length sets how far one pixel moves.
void CMorphEditor::beginEditDrag(int x, int y)
{
    collectSegments();
    int pickClass = 0, pickIndex = -1;
    pickAt(x, y, pickClass, pickIndex);
    hoverClass_ = pickClass, hoverIndex_ = pickIndex;
    const int vertexCount = model_->vertexCount();
    Vec3f reference;
    if (pickClass == CGLRenderer::kPickPoint && pickIndex >= 0 && pickIndex < vertexCount)
        dragTarget_ = DragTarget::Vertex;
    else if (pickClass == CGLRenderer::kPickPoint && pickIndex >= vertexCount && pickIndex < vertexCount + 8)
        dragTarget_ = DragTarget::BoxCorner;
    else if (pickClass == CGLRenderer::kPickLine && pickIndex >= 0 && pickIndex < vertexCount)
        dragTarget_ = DragTarget::Line;
    else if (pickClass == CGLRenderer::kPickLine && pickIndex == vertexCount)
        dragTarget_ = DragTarget::Box;
    else
        return;
    if (dragTarget_ == DragTarget::Vertex || dragTarget_ == DragTarget::Line)
        model_->getVertex(pickIndex, reference);
    else
        reference = boxMin_;
    dragIndex_ = dragTarget_ == DragTarget::BoxCorner ? pickIndex - vertexCount : pickIndex;

    static const Vec3f kFrontAxes[4] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    static const Vec3f kDepthAxes[2] = {{0, 0, 1}, {0, 0, -1}};
    const Vec3f* candidates = subMode_ == 0 ? kFrontAxes : kDepthAxes;
    const int count = subMode_ == 0 ? 4 : 2;
    double originX = 0, originY = 0;
    windowPoint(reference, originX, originY);
    double bestX = -1e300, bestY = -1e300;
    pixelsPerUnit_ = 1.0;
    for (int k = 0; k < count; ++k) {
        const Vec3f& axis = candidates[k];
        double px = 0, py = 0;
        windowPoint({reference.x + axis.x, reference.y + axis.y, reference.z + axis.z}, px, py);
        double offsetX = px - originX, offsetY = originY - py; // screen y upwards
        if (offsetX > bestX)
            bestX = offsetX, horizontalAxis_ = axis;
        if (offsetY > bestY)
            bestY = offsetY, verticalAxis_ = axis;
        pixelsPerUnit_ = std::max({pixelsPerUnit_, std::fabs(offsetX), std::fabs(offsetY)});
    }
    dragBefore_ = snapshot();
    dragMoved_ = false;
}

void CMorphEditor::moveVertices(const std::vector<int>& vertices, const Vec3f& by)
{
    for (int v : vertices) {
        Vec3f p;
        if (model_->getVertex(v, p))
            model_->setVertex(v, p.x + by.x, p.y + by.y, p.z + by.z);
    }
}

// The opposite corner stays; the box keeps its minimum thickness; the mesh is mapped from the old box
// onto the new one by the model's own scale and translation, which carry its stored sets along.
void CMorphEditor::moveBoxCorner(int corner, const Vec3f& by)
{
    const Vec3f oldMin = boxMin_, oldMax = boxMax_;
    float* low[3] = {&boxMin_.x, &boxMin_.y, &boxMin_.z};
    float* high[3] = {&boxMax_.x, &boxMax_.y, &boxMax_.z};
    const float move[3] = {by.x, by.y, by.z};
    for (int k = 0; k < 3; ++k) {
        if (corner >> k & 1)
            *high[k] = std::max(*high[k] + move[k], *low[k] + kMinBoxThickness);
        else
            *low[k] = std::min(*low[k] + move[k], *high[k] - kMinBoxThickness);
    }
    const float oldLow[3] = {oldMin.x, oldMin.y, oldMin.z}, oldHigh[3] = {oldMax.x, oldMax.y, oldMax.z};
    float factor[3], shift[3];
    for (int k = 0; k < 3; ++k) {
        float oldSpan = oldHigh[k] - oldLow[k], newSpan = *high[k] - *low[k];
        factor[k] = oldSpan > 1e-6f ? newSpan / oldSpan : 1.0f;
        shift[k] = *low[k] - oldLow[k] * factor[k];
    }
    model_->scale(factor[0], factor[1], factor[2]);
    model_->translate(shift[0], shift[1], shift[2]);
}

void CMorphEditor::dragBy(int dx, int dy)
{
    if (dragTarget_ == DragTarget::None || (dx == 0 && dy == 0))
        return;
    const double h = dx * kDragFactor / pixelsPerUnit_, v = dy * kDragFactor / pixelsPerUnit_;
    const Vec3f by{static_cast<float>(horizontalAxis_.x * h + verticalAxis_.x * v),
                   static_cast<float>(horizontalAxis_.y * h + verticalAxis_.y * v),
                   static_cast<float>(horizontalAxis_.z * h + verticalAxis_.z * v)};
    switch (dragTarget_) {
    case DragTarget::Vertex:
        moveVertices({dragIndex_}, by);
        break;
    case DragTarget::Line: {
        std::vector<int> vertices;
        for (const Segment& s : segments_)
            if (s.number == dragIndex_)
                vertices.push_back(s.a), vertices.push_back(s.b);
        std::sort(vertices.begin(), vertices.end());
        vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
        moveVertices(vertices, by);
        break;
    }
    case DragTarget::BoxCorner:
        moveBoxCorner(dragIndex_, by);
        break;
    case DragTarget::Box:
        model_->translate(by.x, by.y, by.z);
        boxMin_ = {boxMin_.x + by.x, boxMin_.y + by.y, boxMin_.z + by.z};
        boxMax_ = {boxMax_.x + by.x, boxMax_.y + by.y, boxMax_.z + by.z};
        break;
    case DragTarget::None:
        break;
    }
    mapPhoto();
    dragMoved_ = true;
}

void CMorphEditor::endEditDrag()
{
    DragTarget target = dragTarget_;
    dragTarget_ = DragTarget::None;
    if (target == DragTarget::None || !dragMoved_)
        return;
    fitToLines(*model_);
    fitBoxToMesh();
    mapPhoto();
    pushUndo(std::move(dragBefore_), true);
    notifyModelChanged();
}

CMorphEditor::Snapshot CMorphEditor::snapshot() const
{
    Snapshot s;
    if (!model_)
        return s;
    const int count = model_->vertexCount();
    s.current.assign(model_->currentPositions(), model_->currentPositions() + count);
    for (int set = 0; set < kStoredSetCount; ++set) {
        s.valid[set] = model_->isSetValid(set) != 0;
        if (s.valid[set])
            s.stored[set].assign(model_->storedPositions(set), model_->storedPositions(set) + count);
    }
    return s;
}

// Positions are put back exactly, stored sets first (through the current positions, which is the
// model's only way into a set), then the current positions by the model's own setter.
void CMorphEditor::restore(const Snapshot& s)
{
    const size_t count = static_cast<size_t>(model_->vertexCount());
    if (s.current.size() != count)
        return;
    for (int set = 0; set < kStoredSetCount; ++set) {
        if (!s.valid[set])
            continue;
        std::copy(s.stored[set].begin(), s.stored[set].end(), model_->currentPositions());
        model_->saveToSet(set);
    }
    for (size_t i = 0; i < count; ++i)
        model_->setVertex(static_cast<int>(i), s.current[i]);
    mapPhoto();
    fitBoxToMesh();
}

void CMorphEditor::pushUndo(Snapshot before, bool drag)
{
    undo_.push_back({std::move(before), snapshot(), drag});
    if (undo_.size() > static_cast<size_t>(kUndoDepth))
        undo_.pop_front();
    redo_.clear();
}

void CMorphEditor::notifyModelChanged()
{
    if (modelChanged_)
        modelChanged_();
}

bool CMorphEditor::canUndo() const
{
    return !undo_.empty() && !buttonDown_ && !busy();
}

bool CMorphEditor::canRedo() const
{
    return !redo_.empty() && !buttonDown_ && !busy();
}

bool CMorphEditor::undo()
{
    ModelLock lock(model_);
    if (!model_ || !canUndo())
        return false;
    restore(undo_.back().before);
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
    notifyModelChanged();
    return true;
}

bool CMorphEditor::redo()
{
    ModelLock lock(model_);
    if (!model_ || !canRedo())
        return false;
    restore(redo_.back().after);
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
    notifyModelChanged();
    return true;
}

bool CMorphEditor::changeModel(const std::function<bool()>& change)
{
    ModelLock lock(model_);
    if (!model_ || busy())
        return false;
    Snapshot before = snapshot();
    if (!change())
        return false;
    mapPhoto();
    fitBoxToMesh();
    pushUndo(std::move(before), false);
    notifyModelChanged();
    return true;
}

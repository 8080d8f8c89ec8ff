#include "face/CHeadModel.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr int kGroupSizes[kFeatureGroupCount] = {0, 14, 14, 6, 4, 4, 1, 10, 15, 10, 6};
constexpr int kSlotWidths[kTextureSlotCount] = {256, 64, 64, 0, 0, 0, 0, 256, 256, 0};
constexpr int kSlotHeights[kTextureSlotCount] = {256, 16, 16, 0, 0, 0, 0, 256, 256, 0};

bool validSet(int set)
{
    return set >= 0 && set < kStoredSetCount;
}

bool validSlot(int slot)
{
    return slot >= 0 && slot < kTextureSlotCount;
}

} // namespace

CHeadModel::CHeadModel(int vertexCount, int faceCount)
{
    vertexCount = std::max(vertexCount, 0);
    faceCount = std::max(faceCount, 0);
    try {
        current_.resize(static_cast<size_t>(vertexCount));
        stored_[0].resize(static_cast<size_t>(vertexCount));
        stored_[1].resize(static_cast<size_t>(vertexCount));
        faces_.resize(static_cast<size_t>(faceCount));
        vertexCount_ = vertexCount;
        faceCount_ = faceCount;
    } catch (const std::bad_alloc&) {
        current_.clear();
        current_.shrink_to_fit();
        for (auto& set : stored_) {
            set.clear();
            set.shrink_to_fit();
        }
        faces_.clear();
        faces_.shrink_to_fit();
    }
    for (int slot = 0; slot < kTextureSlotCount; ++slot)
        slots_[slot].assign(static_cast<size_t>(kSlotWidths[slot] * kSlotHeights[slot]), 0u);
    buildAxisMasks();
    reset();
}

void CHeadModel::reset()
{
    pitch_ = yaw_ = roll_ = 0.0f;
    for (auto& table : eyelids_)
        table.fill(EyelidSlot{});
    lines_.clear();
    fapValues_.fill(0);
    slotCounters_.fill(0);
}

void CHeadModel::lock()
{
    mutex_.lock();
    ++lockDepth_;
}

void CHeadModel::unlock()
{
    --lockDepth_;
    mutex_.unlock();
}

void CHeadModel::touchGeometry()
{
    setInSync_[0] = setInSync_[1] = 0;
}

int CHeadModel::setVertex(int i, float x, float y, float z)
{
    if (!validVertex(i))
        return 0;
    current_[i] = {x, y, z};
    touchGeometry();
    return 1;
}

int CHeadModel::getVertex(int i, Vec3f& p) const
{
    if (!validVertex(i))
        return 0;
    p = current_[i];
    return 1;
}

int CHeadModel::getStoredVertex(int set, int i, Vec3f& p) const
{
    if (!validSet(set) || !setValid_[set] || !validVertex(i))
        return 0;
    p = stored_[set][i];
    return 1;
}

int CHeadModel::setFace(int f, int a, int b, int c)
{
    if (!validFace(f) || !validVertex(a) || !validVertex(b) || !validVertex(c))
        return 0;
    faces_[f].corners[0] = a;
    faces_[f].corners[1] = b;
    faces_[f].corners[2] = c;
    touchGeometry();
    return 1;
}

int CHeadModel::getFace(int f, int& a, int& b, int& c) const
{
    if (!validFace(f))
        return 0;
    a = faces_[f].corners[0];
    b = faces_[f].corners[1];
    c = faces_[f].corners[2];
    return 1;
}

int CHeadModel::setTextureCoordinate(int f, int corner, float u, float v)
{
    if (!validFace(f) || corner < 0 || corner > 2)
        return 0;
    faces_[f].uv[corner][0] = u;
    faces_[f].uv[corner][1] = v;
    touchGeometry();
    return 1;
}

int CHeadModel::getTextureCoordinate(int f, int corner, float& u, float& v) const
{
    if (!validFace(f) || corner < 0 || corner > 2)
        return 0;
    u = faces_[f].uv[corner][0];
    v = faces_[f].uv[corner][1];
    return 1;
}

int CHeadModel::setTextureSlot(int f, int slot)
{
    if (!validFace(f) || !validSlot(slot))
        return 0;
    faces_[f].slot = slot;
    touchGeometry();
    return 1;
}

int CHeadModel::getTextureSlot(int f, int& slot) const
{
    if (!validFace(f))
        return 0;
    slot = faces_[f].slot;
    return 1;
}

int CHeadModel::getCornerNormal(int f, int corner, Vec3f& n) const
{
    if (!validFace(f) || corner < 0 || corner > 2)
        return 0;
    n = faces_[f].normals[corner];
    return 1;
}

int CHeadModel::computeFaceNormal(int f)
{
    if (!validFace(f))
        return 0;
    Face& face = faces_[f];
    const Vec3f& a = current_[face.corners[0]];
    const Vec3f& b = current_[face.corners[1]];
    const Vec3f& c = current_[face.corners[2]];
    Vec3f e1{b.x - a.x, b.y - a.y, b.z - a.z};
    Vec3f e2{c.x - b.x, c.y - b.y, c.z - b.z};
    Vec3f n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    // A collinear face has no direction of its own; facing the viewer is the least surprising choice.
    n = length > 0.0f ? Vec3f{n.x / length, n.y / length, n.z / length} : Vec3f{0.0f, 0.0f, 1.0f};
    for (Vec3f& corner : face.normals)
        corner = n;
    return 1;
}

int CHeadModel::scale(float sx, float sy, float sz)
{
    auto scaleAll = [&](std::vector<Vec3f>& points) {
        for (Vec3f& p : points) {
            p.x *= sx;
            p.y *= sy;
            p.z *= sz;
        }
    };
    scaleAll(current_);
    for (int set = 0; set < kStoredSetCount; ++set)
        if (setValid_[set])
            scaleAll(stored_[set]);
    touchGeometry();
    return 1;
}

int CHeadModel::translate(float dx, float dy, float dz)
{
    auto moveAll = [&](std::vector<Vec3f>& points) {
        for (Vec3f& p : points) {
            p.x += dx;
            p.y += dy;
            p.z += dz;
        }
    };
    moveAll(current_);
    for (int set = 0; set < kStoredSetCount; ++set)
        if (setValid_[set])
            moveAll(stored_[set]);
    touchGeometry();
    return 1;
}

void CHeadModel::extents(Vec3f& max, Vec3f& min, Vec3f& span) const
{
    max = min = span = Vec3f{};
    if (vertexCount_ == 0)
        return;
    max = min = current_[0];
    for (const Vec3f& p : current_) {
        max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
        min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    }
    span = {max.x - min.x, max.y - min.y, max.z - min.z};
}

int CHeadModel::saveToSet(int set)
{
    if (!validSet(set))
        return 0;
    stored_[set] = current_;
    setValid_[set] = setInSync_[set] = 1;
    return 1;
}

int CHeadModel::restoreFromSet(int set)
{
    if (!validSet(set) || !setValid_[set])
        return 0;
    current_ = stored_[set];
    setInSync_[set] = 1;
    return 1;
}

int CHeadModel::isSetValid(int set) const
{
    return validSet(set) ? setValid_[set] : 0;
}

int CHeadModel::isInSync(int set) const
{
    return validSet(set) ? setInSync_[set] : 0;
}

void CHeadModel::getHeadPose(float& pitch, float& yaw, float& roll) const
{
    pitch = pitch_;
    yaw = yaw_;
    roll = roll_;
}

Vec3f CHeadModel::headPivot() const
{
    int vertex = featureVertex(7, 1);
    return vertex >= 0 ? current_[vertex] : Vec3f{};
}

int CHeadModel::pointCount(int groupIndex)
{
    return groupIndex >= 0 && groupIndex < kFeatureGroupCount ? kGroupSizes[groupIndex] : -1;
}

int CHeadModel::featureIndex(int group, int k)
{
    if (group < 1 || group > kFeatureGroupCount || k < 1 || k > kGroupSizes[group - 1])
        return -1;
    int index = k - 1;
    for (int g = 0; g < group - 1; ++g)
        index += kGroupSizes[g];
    return index;
}

int CHeadModel::isAnimated(int group, int k)
{
    if (featureIndex(group, k) < 0)
        return 0;
    switch (group) {
    case 2: return k <= 10;
    case 3: return k <= 6;
    case 4: case 5: case 6: case 7: case 8: return 1;
    case 9: return k <= 3;
    case 10: return k <= 4;
    default: return 0;
    }
}

int CHeadModel::isAssignable(int group, int k)
{
    if (featureIndex(group, k) < 0)
        return 0;
    // The ear points 10.1 to 10.6 stay assignable: FAPs 65 to 68 move 10.1 to 10.4, and a point that
    // could never carry a vertex would leave those FAPs without effect on every head.
    if (group == 9)
        return k < 8 || k > 11;
    if (group == 11)
        return k < 5;
    return 1;
}

int CHeadModel::axisMask(int group, int k) const
{
    int index = featureIndex(group, k);
    return index < 0 ? 0 : featurePoints_[index].axisMask;
}

void CHeadModel::buildAxisMasks()
{
    for (int fap = 0; fap < kFapEntryCount; ++fap) {
        FeaturePointId point{};
        for (int n = 0; fapPoint(fap, n, point); ++n)
            featurePoints_[featureIndex(point.group, point.point)].axisMask |= fapDirection(fap);
    }
}

int CHeadModel::setFeaturePoint(int group, int k, int vertex)
{
    int index = featureIndex(group, k);
    if (index < 0 || (vertex != -1 && !validVertex(vertex)) || !isAssignable(group, k))
        return 0;
    featurePoints_[index].vertex = vertex;
    return 1;
}

int CHeadModel::getFeaturePoint(int group, int k) const
{
    return featureVertex(group, k);
}

int CHeadModel::featureVertex(int group, int k) const
{
    int index = featureIndex(group, k);
    return index < 0 ? -1 : featurePoints_[index].vertex;
}

int CHeadModel::setFapValue(int i, int value)
{
    if (i < 0 || i >= kFapEntryCount)
        return 0;
    fapValues_[i] = value;
    return 1;
}

int CHeadModel::fapValue(int i) const
{
    return i >= 0 && i < kFapEntryCount ? fapValues_[i] : 0;
}

int CHeadModel::regionEdit(int vertex, int region, bool add)
{
    if (!validVertex(vertex) || region < 0 || region >= kRegionCount)
        return 0;
    std::vector<int>& list = regions_[region];
    auto found = std::find(list.begin(), list.end(), vertex);
    if (!add) {
        if (found != list.end())
            list.erase(found);
        return 1;
    }
    for (int group = 1; group <= kFeatureGroupCount; ++group)
        for (int k = 1; k <= kGroupSizes[group - 1]; ++k)
            if (isAnimated(group, k) && featureVertex(group, k) == vertex)
                return 0;
    if (found == list.end()) {
        try {
            list.push_back(vertex);
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    return 1;
}

int CHeadModel::regionSize(int region) const
{
    return region >= 0 && region < kRegionCount ? static_cast<int>(regions_[region].size()) : 0;
}

int CHeadModel::regionVertex(int region, int k) const
{
    if (k < 0 || k >= regionSize(region))
        return -1;
    return regions_[region][k];
}

int CHeadModel::setEyelidPair(int kind, int key, int partner)
{
    if (kind != kEyelidLeft && kind != kEyelidRight)
        return 0;
    auto& table = eyelids_[kind - kEyelidLeft];
    auto slot = std::find_if(table.begin(), table.end(), [key](const EyelidSlot& s) { return s.key == key; });
    if (partner == -1) {
        if (slot != table.end())
            *slot = EyelidSlot{};
        return 1;
    }
    if (key == partner || !validVertex(key) || !validVertex(partner))
        return 0;
    if (slot != table.end()) {
        slot->partner = partner;
        return 1;
    }
    auto empty = std::find_if(table.begin(), table.end(), [](const EyelidSlot& s) { return s.key == -1; });
    if (empty == table.end())
        return 0;
    *empty = {key, partner};
    return 1;
}

int CHeadModel::visitEyelidPairs(int kind, EyelidVisitor visitor, void* context) const
{
    if (kind != kEyelidLeft && kind != kEyelidRight)
        return 0;
    for (const EyelidSlot& slot : eyelids_[kind - kEyelidLeft]) {
        if (slot.key < 0 || slot.partner < 0)
            continue;
        if (!visitor(context, slot.key, slot.partner))
            return 0;
    }
    return 1;
}

int CHeadModel::addEditingLine(int a, int b)
{
    if (a == b || !validVertex(a) || !validVertex(b))
        return 0;
    removeEditingLine(a, b);
    try {
        lines_.push_front({std::min(a, b), std::max(a, b), -1});
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

int CHeadModel::removeEditingLine(int a, int b)
{
    int low = std::min(a, b), high = std::max(a, b);
    auto before = lines_.before_begin();
    for (auto it = lines_.begin(); it != lines_.end(); before = it++) {
        if (it->a == low && it->b == high) {
            lines_.erase_after(before);
            return 1;
        }
    }
    return 0;
}

int CHeadModel::visitEditingLines(LineVisitor visitor, void* context) const
{
    for (const EditingLine& line : lines_)
        if (!visitor(context, line.a, line.b, line.number))
            return 0;
    return 1;
}

void CHeadModel::computeLineNumbers()
{
    if (lines_.empty())
        return;
    std::vector<int> label(static_cast<size_t>(vertexCount_), -1);
    for (const EditingLine& line : lines_) {
        label[line.a] = std::max(label[line.a], line.b);
        label[line.b] = std::max(label[line.b], line.b);
    }
    bool changed = true;
    while (changed) {
        changed = false;
        for (const EditingLine& line : lines_) {
            int start = std::max(label[line.a], label[line.b]);
            int top = start;
            while (label[top] > top)
                top = label[top];
            auto raise = [&](int vertex) {
                if (label[vertex] < top) {
                    label[vertex] = top;
                    changed = true;
                }
            };
            for (int v = start; v != top;) {
                int next = label[v];
                raise(v);
                v = next;
            }
            raise(line.a);
            raise(line.b);
        }
    }
    for (EditingLine& line : lines_)
        line.number = label[line.a];
}

int CHeadModel::writeSlotPixels(int slot, const std::uint32_t* pixels)
{
    if (!validSlot(slot) || slots_[slot].empty() || !pixels)
        return 0;
    std::copy(pixels, pixels + slots_[slot].size(), slots_[slot].begin());
    ++slotCounters_[slot];
    touchGeometry();
    return 1;
}

int CHeadModel::writeSlotColour(int slot, const std::uint32_t* pixels)
{
    if (!validSlot(slot) || slots_[slot].empty() || !pixels)
        return 0;
    for (size_t i = 0; i < slots_[slot].size(); ++i)
        slots_[slot][i] = (slots_[slot][i] & 0xFF000000u) | (pixels[i] & 0x00FFFFFFu);
    ++slotCounters_[slot];
    touchGeometry();
    return 1;
}

int CHeadModel::writeSlotAlpha(int slot, const std::uint32_t* pixels)
{
    if (!validSlot(slot) || slots_[slot].empty() || !pixels)
        return 0;
    for (size_t i = 0; i < slots_[slot].size(); ++i)
        slots_[slot][i] = (slots_[slot][i] & 0x00FFFFFFu) | (pixels[i] & 0xFF000000u);
    ++slotCounters_[slot];
    touchGeometry();
    return 1;
}

std::uint32_t* CHeadModel::slotPixels(int slot)
{
    return validSlot(slot) && !slots_[slot].empty() ? slots_[slot].data() : nullptr;
}

const std::uint32_t* CHeadModel::slotPixels(int slot) const
{
    return validSlot(slot) && !slots_[slot].empty() ? slots_[slot].data() : nullptr;
}

int CHeadModel::slotSize(int slot, int& width, int& height) const
{
    if (!validSlot(slot))
        return 0;
    width = kSlotWidths[slot];
    height = kSlotHeights[slot];
    return 1;
}

int CHeadModel::slotCounter(int slot) const
{
    return validSlot(slot) ? slotCounters_[slot] : 0;
}

int CHeadModel::loadFrom(const CHeadModel& other)
{
    if (other.vertexCount_ != vertexCount_ || other.faceCount_ != faceCount_)
        return 0;
    std::array<std::vector<int>, kRegionCount> regions;
    std::forward_list<EditingLine> lines;
    try {
        regions = regions_;
        for (int r = 0; r < kRegionCount; ++r)
            for (int vertex : other.regions_[r])
                if (std::find(regions[r].begin(), regions[r].end(), vertex) == regions[r].end())
                    regions[r].push_back(vertex);
        lines = other.lines_;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    reset();
    regions_.swap(regions);
    lines_.swap(lines);
    std::copy(other.current_.begin(), other.current_.end(), current_.begin());
    std::copy(other.faces_.begin(), other.faces_.end(), faces_.begin());
    featurePoints_ = other.featurePoints_;
    eyelids_ = other.eyelids_;
    touchGeometry();
    return 1;
}

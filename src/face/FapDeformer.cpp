// The per-frame deformation of the head model; runs under the caller's lock and allocates nothing.
#include "face/CHeadModel.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr float kUnitScale = 1.0f / 1024.0f;
constexpr float kAngleUnit = 0.00001f;
constexpr float kHuge = 3.4028235e38f;

float inverseSquare(float a, float b)
{
    float d = a * a + b * b;
    return d > 1e-8f ? 1.0f / d : 1e8f;
}

float inverseCube(float a, float b)
{
    float d = a * a + b * b;
    float d3 = d * std::sqrt(d);
    return d3 > 1e-8f ? 1.0f / d3 : 1e8f;
}

struct Rect {
    float minX = kHuge, minY = kHuge, maxX = -kHuge, maxY = -kHuge;
    void extend(float x, float y)
    {
        minX = std::fmin(minX, x);
        minY = std::fmin(minY, y);
        maxX = std::fmax(maxX, x);
        maxY = std::fmax(maxY, y);
    }
};

} // namespace

float CHeadModel::unitValue(int unitCode) const
{
    if (unitCode == kUnitAu)
        return kAngleUnit;
    if (!setValid_[1])
        return 0.0f;
    auto distance = [this](int g1, int k1, int g2, int k2, bool alongX) {
        int a = featureVertex(g1, k1), b = featureVertex(g2, k2);
        if (a < 0 || b < 0)
            return 0.0f;
        const Vec3f& p = stored_[1][a];
        const Vec3f& q = stored_[1][b];
        return std::fabs(alongX ? p.x - q.x : p.y - q.y) * kUnitScale;
    };
    switch (unitCode) {
    case kUnitIrisd: return distance(3, 1, 3, 3, false);
    case kUnitEs: return distance(3, 5, 3, 6, true);
    case kUnitEns: return distance(3, 5, 9, 15, false);
    case kUnitMns: return distance(9, 15, 2, 2, false);
    case kUnitMw: return distance(8, 3, 8, 4, true);
    default: return 0.0f;
    }
}

int CHeadModel::deform(bool recomputeNormals)
{
    if (!setValid_[1])
        return 1;
    std::copy(stored_[1].begin(), stored_[1].end(), current_.begin());
    applyFeaturePoints();
    applyJaw();
    applyRegions();
    applyUpperLip();
    applyEyelids();
    if (recomputeNormals)
        for (int f = 0; f < faceCount_; ++f)
            computeFaceNormal(f);
    pitch_ = static_cast<float>(fapValues_[47]) * kAngleUnit;
    yaw_ = static_cast<float>(fapValues_[48]) * kAngleUnit;
    roll_ = static_cast<float>(fapValues_[49]) * kAngleUnit;
    touchGeometry();
    return 1;
}

void CHeadModel::applyFeaturePoints()
{
    const std::vector<Vec3f>& neutral = stored_[1];
    for (int fap = 0; fap < kFapEntryCount; ++fap) {
        float unit = unitValue(fapUnit(fap));
        if (unit == 0.0f)
            continue;
        float offset = static_cast<float>(fapValues_[fap]) * unit;
        int direction = fapDirection(fap);
        FeaturePointId point{};
        for (int n = 0; fapPoint(fap, n, point); ++n) {
            int x = featureVertex(point.group, point.point);
            if (x < 0)
                continue;
            switch (direction) {
            case kDirUp: current_[x].y = neutral[x].y + offset; break;
            case kDirDown: current_[x].y = neutral[x].y - offset; break;
            case kDirLeft: current_[x].x = neutral[x].x + offset; break;
            case kDirRight: current_[x].x = neutral[x].x - offset; break;
            case kDirForward: current_[x].z = neutral[x].z + offset; break;
            default: break;
            }
        }
    }
}

void CHeadModel::applyJaw()
{
    int chin = featureVertex(2, 1);
    if (chin < 0)
        return;
    const std::vector<Vec3f>& neutral = stored_[1];
    Vec3f d{current_[chin].x - neutral[chin].x, current_[chin].y - neutral[chin].y,
            current_[chin].z - neutral[chin].z};
    for (int x : regions_[0])
        current_[x] = {neutral[x].x + d.x, neutral[x].y + d.y, neutral[x].z + d.z};
    int chinBottom = featureVertex(2, 10);
    if (chinBottom >= 0) {
        current_[chinBottom].x += d.x;
        current_[chinBottom].y += d.y;
        current_[chinBottom].z += d.z;
    }
}

void CHeadModel::applyRegions()
{
    const std::vector<Vec3f>& neutral = stored_[1];
    Rect rect; // grows over all regions on purpose: later regions are anchored by earlier ones' bounds
    for (int region = 1; region < kRegionCount; ++region) {
        const std::vector<int>& list = regions_[region];
        for (int x : list)
            rect.extend(neutral[x].x, neutral[x].y);
        if (list.size() < 2)
            continue;
        bool cubicEdges = region == 7 || region == 8;
        auto edge = cubicEdges ? inverseCube : inverseSquare;
        int controlCount = regionControlPointCount(region);
        for (int e : list) {
            const Vec3f ne = neutral[e];
            float weights[8];
            Vec3f moves[8];
            int used = 0;
            float total = 0.0f;
            for (int c = 0; c < controlCount; ++c) {
                FeaturePointId point{};
                regionControlPoint(region, c, point);
                int m = featureVertex(point.group, point.point);
                if (m < 0)
                    continue;
                moves[used] = {current_[m].x - neutral[m].x, current_[m].y - neutral[m].y,
                               current_[m].z - neutral[m].z};
                weights[used] = inverseSquare(ne.x - neutral[m].x, ne.y - neutral[m].y);
                total += weights[used];
                rect.extend(neutral[m].x, neutral[m].y);
                ++used;
            }
            total += edge(ne.x - rect.minX, 0.0f);
            total += edge(ne.x - rect.maxX, 0.0f);
            total += edge(0.0f, ne.y - rect.minY);
            total += edge(0.0f, ne.y - rect.maxY);
            for (int c = 0; c < used; ++c) {
                float share = weights[c] / total;
                current_[e].x += share * moves[c].x;
                current_[e].y += share * moves[c].y;
                current_[e].z += share * moves[c].z;
            }
        }
    }
}

void CHeadModel::applyUpperLip()
{
    int top = featureVertex(8, 1);
    if (top < 0)
        return;
    const std::vector<Vec3f>& neutral = stored_[1];
    Vec3f d{current_[top].x - neutral[top].x, current_[top].y - neutral[top].y,
            current_[top].z - neutral[top].z};
    for (int k : {9, 10}) {
        int x = featureVertex(8, k);
        if (x >= 0)
            current_[x] = {neutral[x].x + d.x, neutral[x].y + d.y, neutral[x].z + d.z};
    }
}

void CHeadModel::applyEyelids()
{
    for (int eye = 0; eye < 2; ++eye) {
        int a = featureVertex(3, 1 + eye);
        int b = featureVertex(3, 3 + eye);
        for (const EyelidSlot& slot : eyelids_[eye]) {
            lidFollow(a, b, slot.key, slot.partner);
            lidFollow(b, a, slot.partner, slot.key);
        }
    }
}

void CHeadModel::lidFollow(int a, int b, int v, int t)
{
    if (a < 0 || b < 0 || !validVertex(v) || !validVertex(t))
        return;
    const std::vector<Vec3f>& neutral = stored_[1];
    float span = neutral[a].y - neutral[b].y;
    if (span == 0.0f)
        return;
    current_[v].y = neutral[t].y + (neutral[v].y - neutral[t].y) * (current_[a].y - neutral[b].y) / span;
}

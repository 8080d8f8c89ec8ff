#pragma once

#include "Common/RasterSpan.h"

#include <cstdint>
#include <vector>

// A corner of a clipped polygon in window coordinates (y up, pixel centres at +0.5), with the
// reciprocal of its eye distance, its texture coordinate and its colour (0-255 per channel).
struct ScreenVertex {
    // Left uninitialised on purpose: corners are always filled before use.
    double x, y;
    double invZ;
    double s, t;
    double red, green, blue;
};

constexpr int kMaxPolygonCorners = 12;

struct ScreenPolygon {
    ScreenVertex corners[kMaxPolygonCorners];
    int count = 0;
};

struct RasterTexture {
    const uint32_t* texels = nullptr;
    int logWidth = 0, logHeight = 0;
};

// Scan-converts convex polygons into a colour and depth buffer through a set of span routines.
// A pixel belongs to a polygon when its centre lies inside; centres on a left or top edge count,
// on a right or bottom edge do not, so polygons sharing an edge never overlap.
class SoftRasterizer {
public:
    void setTarget(uint32_t* color, int32_t* depth, int width, int height);
    void setSpans(const RasterSpanRoutines* spans) { spans_ = spans; }
    bool hasTarget() const { return color_ != nullptr && depth_ != nullptr; }

    void fillTextured(const ScreenPolygon& polygon, const RasterTexture& texture, RasterTextureMode mode,
                      bool depthTest, bool perspective);
    void fillColor(const ScreenPolygon& polygon, bool smooth, bool depthTest);

private:
    struct Plane {
        double atX = 0, atY = 0, value = 0, dx = 0, dy = 0;
        double at(double x, double y) const { return value + dx * (x - atX) + dy * (y - atY); }
    };
    template <typename Get> bool buildPlane(const ScreenPolygon& polygon, Get get, Plane& plane) const;
    bool buildSpans(const ScreenPolygon& polygon);
    void texturedRows(const Plane planes[3], const Plane& depthPlane, RasterTexturedRun& run,
                      RasterTexturedRoutine routine, bool depthTest) const;
    void texturedRowPerspective(int y, const Plane planes[3], const Plane& depthPlane, RasterTexturedRun& run,
                                RasterTexturedRoutine routine, bool depthTest) const;

    uint32_t* color_ = nullptr;
    int32_t* depth_ = nullptr;
    int width_ = 0, height_ = 0;
    std::vector<int> rowOffsets_;
    std::vector<int> spanLeft_, spanRight_;
    int firstRow_ = 0, lastRow_ = -1;
    const RasterSpanRoutines* spans_ = nullptr;
    int bestA_ = 0, bestB_ = 1, bestC_ = 2;
};

#pragma once

// A polygon corner in eye space with z negated (visible points have z > 0), carrying what the
// rasteriser interpolates.
struct ClipVertex {
    // Left uninitialised on purpose: polygons are built per triangle and always filled before use.
    double x, y, z;
    double s, t;
    double red, green, blue;
};

constexpr int kMaxClipCorners = 12;

struct ClipPolygon {
    ClipVertex corners[kMaxClipCorners];
    int count = 0;
};

// The view volume's sides: the near plane and the four edges. The perspective volume's edges pass
// through the eye; the orthographic ones are parallel to the view direction.
struct ClipVolume {
    double left = -1, right = 1, bottom = -1, top = 1, nearZ = 1;
    bool perspective = false;
};

// Cuts the polygon to the volume; returns false when nothing is left.
bool clipPolygon(const ClipVolume& volume, ClipPolygon& polygon);

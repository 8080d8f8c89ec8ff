// Teeth, the mouth's back wall and the tongue: seen only while the lips part.
#include "HeadParameters.h"
#include "HeadParts.h"
#include "HeadSurface.h"

namespace headgen {

namespace {

// A sheet facing forward (or up, for the tongue) from a point function of (u, v) in [0, 1].
template <typename PointAt>
StripGrid buildSheet(MeshBuilder& mesh, int columns, int rows, int slot, PointAt pointAt)
{
    StripGrid grid;
    grid.columns = columns + 1;
    grid.rows = rows + 1;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            double u = static_cast<double>(c) / columns, v = static_cast<double>(r) / rows;
            grid.vertex.push_back(mesh.addVertex(pointAt(u, v), u, v));
        }
    // Row 0 is the top (the back, for the tongue); counter-clockwise seen from outside.
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            mesh.addQuad(grid.at(r + 1, c), grid.at(r + 1, c + 1), grid.at(r, c + 1), grid.at(r, c), slot,
                         (c < columns / 2) == (r % 2 == 0));
    return grid;
}

double lipSurfaceZ()
{
    return skinAt(0.0, kMouthY).z;
}

Point3 teethPoint(double u, double top, double bottom, double v, double setBack)
{
    double x = -kTeethHalfWidth + 2.0 * kTeethHalfWidth * u;
    double z = lipSurfaceZ() - setBack - kTeethArchCurve * x * x;
    return {x, kMouthY + top + (bottom - top) * v, z};
}

} // namespace

MouthInside buildMouthInside(MeshBuilder& mesh)
{
    MouthInside inside;
    inside.upperTeeth = buildSheet(mesh, kTeethColumns, 2, kSlotUpperTeeth, [](double u, double v) {
        return teethPoint(u, kUpperTeethTop, kUpperTeethEdge, v, kTeethSetBack);
    });
    inside.lowerTeeth = buildSheet(mesh, kTeethColumns, 2, kSlotLowerTeeth, [](double u, double v) {
        return teethPoint(u, kLowerTeethEdge, kLowerTeethBottom, v, kTeethSetBack + kLowerTeethSetBack);
    });
    inside.interior = buildSheet(mesh, 8, 4, kSlotInterior, [](double u, double v) {
        double x = -kInteriorHalfWidth + 2.0 * kInteriorHalfWidth * u;
        double t = x / kInteriorHalfWidth;
        double z = lipSurfaceZ() - kInteriorDepth + kInteriorCurve * t * t;
        return Point3{x, kMouthY + kInteriorTop + (kInteriorBottom - kInteriorTop) * v, z};
    });
    // The tongue lies low behind the lower teeth, facing up; its last row is the tip.
    inside.tongue = buildSheet(mesh, 4, 2, kSlotInterior, [](double u, double v) {
        double x = -kTongueHalfWidth + 2.0 * kTongueHalfWidth * u;
        double t = x / kTongueHalfWidth;
        double z = lipSurfaceZ() - kTongueFront - kTongueLength * (1.0 - v);
        double y = kMouthY + kTongueTop - 0.35 * t * t + 0.15 * (1.0 - v);
        return Point3{x, y, z};
    });
    return inside;
}

} // namespace headgen

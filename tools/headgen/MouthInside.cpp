// Teeth, the mouth's back wall and the tongue: seen only while the lips part.
#include "HeadParameters.h"
#include "HeadParts.h"
#include "HeadSurface.h"

#include <cmath>

namespace headgen {

namespace {

// Picture coordinates of a sheet that shows its picture as it is (the teeth).
Point3 wholePicture(double u, double v)
{
    return {u, v, 0.0};
}

// A sheet facing forward (or up, for the tongue) from a point function of (u, v) in [0, 1]; pictureAt
// gives each vertex its picture coordinates (x, y of the result).
template <typename PointAt, typename PictureAt>
StripGrid buildSheet(MeshBuilder& mesh, int columns, int rows, int slot, PointAt pointAt, PictureAt pictureAt)
{
    StripGrid grid;
    grid.columns = columns + 1;
    grid.rows = rows + 1;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            double u = static_cast<double>(c) / columns, v = static_cast<double>(r) / rows;
            Point3 picture = pictureAt(u, v);
            grid.vertex.push_back(mesh.addVertex(pointAt(u, v), picture.x, picture.y));
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

// The inside of the mouth has no picture of its own (a slot without one draws black in the software
// renderer), so it borrows the teeth pictures' gum, which their painters darken towards the mouth
// corners: the cavity takes the upper gum from its darkest corner inwards, shading from deep red at its
// sides to a lighter red in the middle; the tongue the lower gum nearer the middle.
Point3 shadedPicture(double u, double pictureV, double darkest, double lightest)
{
    double fromMiddle = std::fabs(u - 0.5) * 2.0;
    return {lightest + (darkest - lightest) * fromMiddle, pictureV, 0.0};
}

} // namespace

MouthInside buildMouthInside(MeshBuilder& mesh)
{
    MouthInside inside;
    inside.upperTeeth = buildSheet(
        mesh, kTeethColumns, 2, kSlotUpperTeeth,
        [](double u, double v) { return teethPoint(u, kUpperTeethTop, kUpperTeethEdge, v, kTeethSetBack); },
        wholePicture);
    inside.lowerTeeth = buildSheet(
        mesh, kTeethColumns, 2, kSlotLowerTeeth,
        [](double u, double v) {
            return teethPoint(u, kLowerTeethEdge, kLowerTeethBottom, v, kTeethSetBack + kLowerTeethSetBack);
        },
        wholePicture);
    inside.interior = buildSheet(
        mesh, 8, 4, kSlotUpperTeeth,
        [](double u, double v) {
            double x = -kInteriorHalfWidth + 2.0 * kInteriorHalfWidth * u;
            double t = x / kInteriorHalfWidth;
            double z = lipSurfaceZ() - kInteriorDepth + kInteriorCurve * t * t;
            return Point3{x, kMouthY + kInteriorTop + (kInteriorBottom - kInteriorTop) * v, z};
        },
        [](double u, double) {
            return shadedPicture(u, kCavityPictureV, kCavityDarkestU, kCavityLightestU);
        });
    // The tongue lies low behind the lower teeth, facing up; its last row is the tip.
    inside.tongue = buildSheet(
        mesh, 4, 2, kSlotLowerTeeth,
        [](double u, double v) {
            double x = -kTongueHalfWidth + 2.0 * kTongueHalfWidth * u;
            double t = x / kTongueHalfWidth;
            double z = lipSurfaceZ() - kTongueFront - kTongueLength * (1.0 - v);
            double y = kMouthY + kTongueTop - 0.35 * t * t + 0.15 * (1.0 - v);
            return Point3{x, y, z};
        },
        [](double u, double) {
            return shadedPicture(u, kTonguePictureV, kTongueDarkestU, kTongueLightestU);
        });
    // The tongue's feature points ride on it but stay out of its surface: the jaw carries the drawn
    // tongue, and a vertex a FAP moves may not follow the jaw as well.
    for (int k = 0; k < 4; ++k) {
        const int row = k == 0 ? inside.tongue.rows - 1 : (inside.tongue.rows - 1) / 2;
        const int column = k < 2 ? inside.tongue.columns / 2 : k == 2 ? inside.tongue.columns - 1 : 0;
        inside.tonguePoints[k] =
            mesh.addVertex(mesh.points()[static_cast<size_t>(inside.tongue.at(row, column))]);
    }
    return inside;
}

} // namespace headgen

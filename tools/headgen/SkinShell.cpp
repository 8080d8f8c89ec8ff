// The skin outside the features: a grid of rows (by height) and columns (by angle round the head),
// with openings cut where the mouth and eye patches go and the patches stitched into them.
#include "HeadParameters.h"
#include "HeadParts.h"
#include "HeadSurface.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace headgen {

int ShellGrid::at(int row, int column) const
{
    int count = columns();
    column = ((column % count) + count) % count;
    return vertex[static_cast<size_t>(row * count + column)];
}

ShellGrid planShellGrid()
{
    ShellGrid grid;
    grid.rowY.assign(std::begin(kRowHeights), std::end(kRowHeights));
    // Front columns are evenly spaced in x; the back columns share the rest of the circle.
    double exponent = kSectionExponent / 2.0;
    auto frontAngle = [&](int k) {
        double ratio = std::fabs(k * kColumnSpacing) / kColumnReferenceHalfWidth;
        return std::copysign(std::asin(std::pow(ratio, exponent)), static_cast<double>(k));
    };
    double edge = frontAngle(kFrontColumnsEachSide);
    double step = (2.0 * std::numbers::pi - 2.0 * edge) / kBackColumnSteps;
    for (int j = kBackColumnSteps / 2 + 1; j < kBackColumnSteps; ++j)
        grid.columnAngle.push_back(edge + j * step - 2.0 * std::numbers::pi);
    for (int k = -kFrontColumnsEachSide; k <= kFrontColumnsEachSide; ++k)
        grid.columnAngle.push_back(frontAngle(k));
    for (int j = 1; j <= kBackColumnSteps / 2; ++j)
        grid.columnAngle.push_back(edge + j * step);
    return grid;
}

GridHole holeAround(const ShellGrid& grid, const MeshBuilder& mesh, const RingPatch& patch, double margin,
                    double reachUpTo)
{
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (int vertex : patch.rings.back()) {
        const Point3& p = mesh.points()[static_cast<size_t>(vertex)];
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    maxY = std::max(maxY, reachUpTo - margin);
    GridHole hole{0, grid.rows() - 1, 0, grid.columns() - 1};
    for (int r = 0; r < grid.rows(); ++r) {
        if (grid.rowY[static_cast<size_t>(r)] <= minY - margin)
            hole.row0 = r;
        if (grid.rowY[static_cast<size_t>(r)] >= maxY + margin) {
            hole.row1 = r;
            break;
        }
    }
    auto columnX = [&](int c, int r) {
        return skinAtAngle(grid.columnAngle[static_cast<size_t>(c)], grid.rowY[static_cast<size_t>(r)]).x;
    };
    auto clearOfPatch = [&](int c, bool left) {
        for (int r = hole.row0; r <= hole.row1; ++r)
            if (left ? columnX(c, r) > minX - margin : columnX(c, r) < maxX + margin)
                return false;
        return true;
    };
    hole.column0 = 0;
    for (int c = 0; c < grid.columns(); ++c)
        if (clearOfPatch(c, true) &&
            std::fabs(grid.columnAngle[static_cast<size_t>(c)]) < std::numbers::pi / 2)
            hole.column0 = c;
        else if (hole.column0 > 0)
            break;
    for (int c = grid.columns() - 1; c > hole.column0; --c)
        if (clearOfPatch(c, false) &&
            std::fabs(grid.columnAngle[static_cast<size_t>(c)]) < std::numbers::pi / 2)
            hole.column1 = c;
    return hole;
}

namespace {

bool quadInHole(const std::vector<GridHole>& holes, int row, int column)
{
    for (const GridHole& h : holes)
        if (row >= h.row0 && row < h.row1 && column >= h.column0 && column < h.column1)
            return true;
    return false;
}

bool vertexInHole(const std::vector<GridHole>& holes, int row, int column)
{
    for (const GridHole& h : holes)
        if (h.inside(row, column))
            return true;
    return false;
}

} // namespace

void buildShell(MeshBuilder& mesh, ShellGrid& grid, const std::vector<GridHole>& holes)
{
    int rows = grid.rows(), columns = grid.columns();
    grid.vertex.assign(static_cast<size_t>(rows * columns), -1);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            if (!vertexInHole(holes, r, c))
                grid.vertex[static_cast<size_t>(r * columns + c)] = mesh.addVertex(
                    skinAtAngle(grid.columnAngle[static_cast<size_t>(c)], grid.rowY[static_cast<size_t>(r)]));
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            if (quadInHole(holes, r, c))
                continue;
            // Diagonals mirror across the middle of the face so both halves deform alike.
            bool leftHalf = grid.columnAngle[static_cast<size_t>(c)] >= 0.0;
            mesh.addQuad(grid.at(r, c), grid.at(r, c + 1), grid.at(r + 1, c + 1), grid.at(r + 1, c),
                         kSlotFace, leftHalf);
        }
    Section top = sectionAt(kTopY), bottom = sectionAt(kBottomY);
    grid.topPole = mesh.addVertex({0.0, kTopY, 0.5 * (top.front + top.back)});
    grid.bottomCentre = mesh.addVertex({0.0, kBottomY, 0.5 * (bottom.front + bottom.back)});
    for (int c = 0; c < columns; ++c) {
        mesh.addTriangle(grid.at(rows - 1, c), grid.at(rows - 1, c + 1), grid.topPole, kSlotFace);
        mesh.addTriangle(grid.at(0, c + 1), grid.at(0, c), grid.bottomCentre, kSlotFace);
    }
}

void stitchPatch(MeshBuilder& mesh, const ShellGrid& grid, const GridHole& hole, const RingPatch& patch,
                 ZipWalk walk)
{
    std::vector<int> rim;
    for (int c = hole.column0; c < hole.column1; ++c)
        rim.push_back(grid.at(hole.row0, c));
    for (int r = hole.row0; r < hole.row1; ++r)
        rim.push_back(grid.at(r, hole.column1));
    for (int c = hole.column1; c > hole.column0; --c)
        rim.push_back(grid.at(hole.row1, c));
    for (int r = hole.row1; r > hole.row0; --r)
        rim.push_back(grid.at(r, hole.column0));
    zipLoops(mesh, patch.rings.back(), rim, patch.centreX, patch.centreY, kSlotFace, walk);
}

namespace {

// The right eye's stitch is the left one's mirror image, so both eyes deform alike (stitching by
// angle would break near-ties one way on one side and the other way on the other).
void mirrorStitch(MeshBuilder& mesh, const HeadParts& parts, size_t leftStart)
{
    std::map<int, int> mirror;
    const auto& left = parts.leftEye.lids.rings;
    const auto& right = parts.rightEye.lids.rings;
    int segments = parts.leftEye.lids.segments(), half = segments / 2;
    for (size_t ring = 0; ring < left.size(); ++ring)
        for (int i = 0; i < segments; ++i)
            mirror[left[ring][static_cast<size_t>(i)]] =
                right[ring][static_cast<size_t>((half - i + segments) % segments)];
    const ShellGrid& grid = parts.shell;
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.columns(); ++c)
            if (grid.at(r, c) >= 0)
                mirror[grid.at(r, c)] = grid.at(r, grid.columns() - 1 - c);
    size_t end = mesh.triangles().size();
    for (size_t t = leftStart; t < end; ++t) {
        Triangle tri = mesh.triangles()[t];
        mesh.addTriangle(mirror.at(tri.a), mirror.at(tri.c), mirror.at(tri.b), tri.slot);
    }
}

} // namespace

HeadParts buildHeadParts(MeshBuilder& mesh)
{
    HeadParts parts;
    parts.mouth = buildMouthRings(mesh);
    parts.leftEye = buildEye(mesh, true);
    parts.rightEye = buildEye(mesh, false);
    buildEyeball(mesh, parts.leftEye);
    buildEyeball(mesh, parts.rightEye);
    parts.inside = buildMouthInside(mesh);
    parts.shell = planShellGrid();
    std::vector<GridHole> holes = {
        holeAround(parts.shell, mesh, parts.mouth, kMouthHoleMargin, kMouthHoleTop),
        holeAround(parts.shell, mesh, parts.leftEye.lids, kEyeHoleMargin, kEyeHoleTop),
        holeAround(parts.shell, mesh, parts.rightEye.lids, kEyeHoleMargin, kEyeHoleTop)};
    buildShell(mesh, parts.shell, holes);
    // The mouth's opening is wide and reaches the nose, so its strip goes by length; the eyes' strips go
    // by angle, which keeps the brows clear of the forehead above them when they frown.
    stitchPatch(mesh, parts.shell, holes[0], parts.mouth, ZipWalk::byLength);
    size_t leftStart = mesh.triangles().size();
    stitchPatch(mesh, parts.shell, holes[1], parts.leftEye.lids, ZipWalk::byAngle);
    mirrorStitch(mesh, parts, leftStart);
    parts.leftEar = buildEar(mesh, true);
    parts.rightEar = buildEar(mesh, false);
    parts.pivot = mesh.addVertex({0.0, kPivotY, kPivotZ});
    return parts;
}

} // namespace headgen

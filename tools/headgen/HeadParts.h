#pragma once

#include "MeshBuilder.h"

#include <cstddef>
#include <vector>

namespace headgen {

// Vertices of the skin grid by row (bottom to top) and column (by angle, from the back round the
// front); -1 where a feature opening took the grid's place.
struct ShellGrid {
    std::vector<double> rowY, columnAngle;
    std::vector<int> vertex;
    int topPole = -1, bottomCentre = -1;
    int rows() const { return static_cast<int>(rowY.size()); }
    int columns() const { return static_cast<int>(columnAngle.size()); }
    int at(int row, int column) const;
};

// Rows and columns that bound a feature's opening in the grid (the bounds themselves stay).
struct GridHole {
    int row0, row1, column0, column1;
    bool inside(int row, int column) const
    {
        return row > row0 && row < row1 && column > column0 && column < column1;
    }
};

// Closed rings around a centre, ring 0 innermost; ring[k][i] is the vertex at segment i.
struct RingPatch {
    double centreX = 0.0, centreY = 0.0;
    std::vector<std::vector<int>> rings;
    int segments() const { return rings.empty() ? 0 : static_cast<int>(rings[0].size()); }
};

struct EyeParts {
    RingPatch lids; // lid margins, lids, eyebrow
    RingPatch ball; // eyeball cap rings
    int pupil = -1; // centre of the cap
    bool faceLeft = true;
};

struct StripGrid {
    int columns = 0, rows = 0;
    std::vector<int> vertex; // row-major
    int at(int row, int column) const { return vertex[static_cast<std::size_t>(row * columns + column)]; }
};

struct MouthInside {
    StripGrid upperTeeth, lowerTeeth, interior, tongue;
    int tonguePoints[4] = {-1, -1, -1, -1}; // feature points 6.1 to 6.4
};

// The ear's base lines on the skin (front and back) and its rim, bottom to top; the rim holds one
// vertex per base row plus the lobe's tip below and the top's tip above them.
struct EarParts {
    std::vector<int> front, back, rim;
    int outermost = -1; // the rim vertex standing out furthest from the head
};

struct HeadParts {
    ShellGrid shell;
    RingPatch mouth;
    EyeParts leftEye, rightEye;
    EarParts leftEar, rightEar;
    MouthInside inside;
    int pivot = -1;
};

// Each builder adds its vertices and triangles to the mesh.
RingPatch buildMouthRings(MeshBuilder& mesh);
// Whether segment i of the inner lip contour is the lower lip's vertex between a corner and a mid point.
bool isLowerLipBetween(int i);
EyeParts buildEye(MeshBuilder& mesh, bool faceLeft);
void buildEyeball(MeshBuilder& mesh, EyeParts& eye);
MouthInside buildMouthInside(MeshBuilder& mesh);
EarParts buildEar(MeshBuilder& mesh, bool faceLeft);
ShellGrid planShellGrid();
// The grid's opening around a patch, from its outermost ring's extent plus a margin.
GridHole holeAround(const ShellGrid& grid, const MeshBuilder& mesh, const RingPatch& patch, double margin,
                    double reachUpTo = 0.0);
void buildShell(MeshBuilder& mesh, ShellGrid& grid, const std::vector<GridHole>& holes);
// Triangles between a patch's outer ring and the rim of its opening.
void stitchPatch(MeshBuilder& mesh, const ShellGrid& grid, const GridHole& hole, const RingPatch& patch,
                 ZipWalk walk);

HeadParts buildHeadParts(MeshBuilder& mesh);

} // namespace headgen

// Lines the head definition editor drags to fit the mesh to a photograph: the face outline, the eyes,
// the brows, the nose and the mouth.
#include "face/CHeadModel.h"
#include "HeadParameters.h"
#include "HeadRigging.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace headgen {

int nearestFrontVertex(const MeshBuilder& mesh, const ShellGrid& grid, double x, double y);

namespace {

// The face outline as an ellipse from the chin to the hairline, traced on the grid.
constexpr double kOutlineCentreY = 16.2, kOutlineHalfWidth = 6.0, kOutlineHalfHeight = 9.35;
constexpr int kOutlineSamples = 48;

void addPolyline(CHeadModel& model, const std::vector<int>& vertices, bool closed)
{
    for (size_t i = 0; i + 1 < vertices.size(); ++i)
        if (vertices[i] != vertices[i + 1])
            model.addEditingLine(vertices[i], vertices[i + 1]);
    if (closed && vertices.size() > 2 && vertices.front() != vertices.back())
        model.addEditingLine(vertices.back(), vertices.front());
}

std::vector<int> outline(const MeshBuilder& mesh, const ShellGrid& grid)
{
    std::vector<int> vertices;
    for (int i = 0; i < kOutlineSamples; ++i) {
        double a = 2.0 * std::numbers::pi * i / kOutlineSamples - std::numbers::pi / 2;
        int v = nearestFrontVertex(mesh, grid, kOutlineHalfWidth * std::cos(a),
                                   kOutlineCentreY + kOutlineHalfHeight * std::sin(a));
        if (vertices.empty() || vertices.back() != v)
            vertices.push_back(v);
    }
    return vertices;
}

std::vector<int> nose(const MeshBuilder& mesh, const ShellGrid& grid)
{
    // Along the ridge from the bridge to the tip, then round the nostril wings.
    const double points[][2] = {{0.0, 18.45},     {0.0, 17.55}, {0.0, 16.75}, {0.0, 15.85},
                                {0.0, kNoseTipY}, {0.0, 14.25}, {0.0, 13.85}};
    std::vector<int> ridge;
    for (const auto& p : points)
        ridge.push_back(nearestFrontVertex(mesh, grid, p[0], p[1]));
    return ridge;
}

std::vector<int> nostrils(const MeshBuilder& mesh, const ShellGrid& grid)
{
    const double points[][2] = {{-1.68, 14.25}, {-1.26, 14.65}, {-0.84, 14.25}, {0.0, 13.85},
                                {0.84, 14.25},  {1.26, 14.65},  {1.68, 14.25}};
    std::vector<int> wings;
    for (const auto& p : points)
        wings.push_back(nearestFrontVertex(mesh, grid, p[0], p[1]));
    return wings;
}

} // namespace

void addEditingLines(CHeadModel& model, const MeshBuilder& mesh, const HeadParts& parts)
{
    addPolyline(model, outline(mesh, parts.shell), true);
    addPolyline(model, nose(mesh, parts.shell), false);
    addPolyline(model, nostrils(mesh, parts.shell), false);
    addPolyline(model, parts.mouth.rings[kLipBorderRing], true);
    for (const EyeParts* eye : {&parts.leftEye, &parts.rightEye}) {
        addPolyline(model, eye->lids.rings[0], true);
        const auto& brow = eye->lids.rings[kBrowRing];
        addPolyline(model, std::vector<int>(brow.begin() + 1, brow.begin() + kEyeSegments / 2), false);
    }
    model.computeLineNumbers();
}

} // namespace headgen

#include "face/SampleHead.h"

#include "face/CHeadModel.h"

#include <cmath>
#include <vector>

namespace {

constexpr int kColumns = 40;
constexpr int kRows = 30;
constexpr float kHalfWidth = 8.0f;
constexpr float kHalfHeight = 10.0f;

struct Placement {
    int group, point;
    float x, y;
};

constexpr Placement kPlacements[] = {
    {2, 1, 0.0f, -9.5f},   {2, 10, 0.0f, -8.0f},  {2, 2, 0.0f, -4.6f},   {2, 3, 0.0f, -5.3f},
    {2, 4, 1.4f, -5.0f},   {2, 5, -1.4f, -5.0f},  {2, 6, 0.7f, -4.6f},   {2, 7, -0.7f, -4.6f},
    {2, 8, 0.7f, -5.3f},   {2, 9, -0.7f, -5.3f},  {3, 1, 3.0f, 3.7f},    {3, 3, 3.0f, 2.3f},
    {3, 5, 3.0f, 3.0f},    {3, 2, -3.0f, 3.7f},   {3, 4, -3.0f, 2.3f},   {3, 6, -3.0f, 3.0f},
    {4, 1, 1.5f, 5.0f},    {4, 3, 3.0f, 5.5f},    {4, 5, 4.5f, 5.0f},    {4, 2, -1.5f, 5.0f},
    {4, 4, -3.0f, 5.5f},   {4, 6, -4.5f, 5.0f},   {5, 1, 4.5f, -3.0f},   {5, 2, -4.5f, -3.0f},
    {5, 3, 4.0f, -1.0f},   {5, 4, -4.0f, -1.0f},  {7, 1, 0.0f, 0.0f},    {8, 1, 0.0f, -4.0f},
    {8, 2, 0.0f, -6.0f},   {8, 3, 2.2f, -5.0f},   {8, 4, -2.2f, -5.0f},  {8, 5, 1.1f, -4.1f},
    {8, 6, -1.1f, -4.1f},  {8, 7, 1.1f, -5.9f},   {8, 8, -1.1f, -5.9f},  {8, 9, 0.6f, -3.8f},
    {8, 10, -0.6f, -3.8f}, {9, 1, 1.0f, -1.5f},   {9, 2, -1.0f, -1.5f},  {9, 3, 0.0f, -1.0f},
    {9, 15, 0.0f, 1.5f},   {11, 1, 0.0f, 9.5f},
};

// Reach of each region around its control points; region 0 is the chin block below the mouth.
constexpr float kRegionReach[kRegionCount] = {0.0f, 0.8f, 1.5f, 1.2f, 1.2f, 1.5f, 1.5f, 2.5f, 2.5f,
                                              2.0f, 2.0f, 1.2f, 1.2f, 1.2f, 1.2f, 0.8f, 0.8f, 1.2f};

int vertexAt(int row, int column)
{
    return row * kColumns + column;
}

void addFace(CHeadModel& model, int face, int a, int b, int c)
{
    model.setFace(face, a, b, c);
    int corners[3] = {a, b, c};
    for (int corner = 0; corner < 3; ++corner) {
        float u = static_cast<float>(corners[corner] % kColumns) / (kColumns - 1);
        float v = static_cast<float>(corners[corner] / kColumns) / (kRows - 1);
        model.setTextureCoordinate(face, corner, u, 1.0f - v);
    }
    model.computeFaceNormal(face);
}

void buildSurface(CHeadModel& model)
{
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            float x = -kHalfWidth + 2.0f * kHalfWidth * static_cast<float>(column) / (kColumns - 1);
            float y = -kHalfHeight + 2.0f * kHalfHeight * static_cast<float>(row) / (kRows - 1);
            float bulge = 1.0f - (x / 9.0f) * (x / 9.0f) - (y / 11.0f) * (y / 11.0f);
            model.setVertex(vertexAt(row, column), x, y, 6.0f * std::sqrt(std::fmax(bulge, 0.0f)));
        }
    }
    int face = 0;
    for (int row = 0; row + 1 < kRows; ++row) {
        for (int column = 0; column + 1 < kColumns; ++column) {
            int a = vertexAt(row, column), b = vertexAt(row, column + 1);
            int c = vertexAt(row + 1, column), d = vertexAt(row + 1, column + 1);
            addFace(model, face++, a, b, d);
            addFace(model, face++, a, d, c);
        }
    }
}

int nearestFreeVertex(const CHeadModel& model, float x, float y, const std::vector<bool>& taken)
{
    int best = -1;
    float bestDistance = 0.0f;
    for (int i = 0; i < model.vertexCount(); ++i) {
        Vec3f p;
        model.getVertex(i, p);
        float distance = (p.x - x) * (p.x - x) + (p.y - y) * (p.y - y);
        if (!taken[i] && (best < 0 || distance < bestDistance)) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void placeFeaturePoints(CHeadModel& model)
{
    std::vector<bool> taken(static_cast<size_t>(model.vertexCount()), false);
    for (const Placement& place : kPlacements) {
        int vertex = nearestFreeVertex(model, place.x, place.y, taken);
        model.setFeaturePoint(place.group, place.point, vertex);
        taken[vertex] = true;
    }
}

bool nearControlPoint(const CHeadModel& model, int region, const Vec3f& p)
{
    for (int n = 0; n < regionControlPointCount(region); ++n) {
        FeaturePointId point{};
        regionControlPoint(region, n, point);
        Vec3f c;
        if (!model.getVertex(model.getFeaturePoint(point.group, point.point), c))
            continue;
        float reach = kRegionReach[region];
        if ((p.x - c.x) * (p.x - c.x) + (p.y - c.y) * (p.y - c.y) < reach * reach)
            return true;
    }
    return false;
}

void fillRegions(CHeadModel& model)
{
    for (int i = 0; i < model.vertexCount(); ++i) {
        Vec3f p;
        model.getVertex(i, p);
        if (p.y < -6.8f && std::fabs(p.x) < 5.0f)
            model.regionEdit(i, 0, true); // refused for feature-point vertices, as wanted
        for (int region = 1; region < kRegionCount; ++region)
            if (nearControlPoint(model, region, p))
                model.regionEdit(i, region, true);
    }
}

// Pairs each upper-lid vertex beside the lid's feature point with the lower-lid vertex below it.
void pairEyelids(CHeadModel& model, int kind, int upperPoint, int lowerPoint)
{
    int upper = model.getFeaturePoint(3, upperPoint);
    int lower = model.getFeaturePoint(3, lowerPoint);
    int upperRow = upper / kColumns, lowerRow = lower / kColumns, centre = upper % kColumns;
    for (int column = centre - 3; column <= centre + 3; ++column)
        if (column != centre && column >= 0 && column < kColumns)
            model.setEyelidPair(kind, vertexAt(upperRow, column), vertexAt(lowerRow, column));
}

void addOutline(CHeadModel& model)
{
    const int pairs[][4] = {{11, 1, 9, 15}, {9, 15, 2, 1}, {3, 6, 3, 5}, {5, 4, 5, 3}, {8, 4, 8, 3}};
    for (const auto& pair : pairs)
        model.addEditingLine(model.getFeaturePoint(pair[0], pair[1]), model.getFeaturePoint(pair[2], pair[3]));
    model.addEditingLine(vertexAt(0, 0), vertexAt(kRows - 1, 0));
    model.addEditingLine(vertexAt(0, kColumns - 1), vertexAt(kRows - 1, kColumns - 1));
    model.computeLineNumbers();
}

} // namespace

std::unique_ptr<CHeadModel> buildSampleHead()
{
    auto model = std::make_unique<CHeadModel>(kRows * kColumns, (kRows - 1) * (kColumns - 1) * 2);
    if (model->vertexCount() == 0)
        return nullptr;
    buildSurface(*model);
    placeFeaturePoints(*model);
    fillRegions(*model);
    pairEyelids(*model, kEyelidLeft, 1, 3);
    pairEyelids(*model, kEyelidRight, 2, 4);
    addOutline(*model);
    model->saveToSet(0);
    model->saveToSet(1);
    return model;
}

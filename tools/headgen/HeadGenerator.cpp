#include "HeadGenerator.h"

#include "face/CHeadModel.h"
#include "face/FapDefinitions.h"
#include "HeadParameters.h"
#include "HeadParts.h"
#include "HeadRigging.h"

#include <cmath>
#include <vector>

namespace headgen {

namespace {

// Positions are rounded before they become floats, so the written text does not depend on how the
// compiler evaluated the shape functions.
float rounded(double value)
{
    return static_cast<float>(std::round(value * 10000.0) / 10000.0);
}

// Scales a point of the built head to the attached height of 25 on y = 5, so the file holds the pose
// the editing view and the players attach it in and photo pixels map onto it directly. The rigging
// works on the built head, in the units its parameters are given in.
Point3 attached(const Point3& p)
{
    return {p.x * kAttachScale, (p.y - kBottomY) * kAttachScale + 5.0, p.z * kAttachScale};
}

void copyMesh(CHeadModel& model, const MeshBuilder& mesh)
{
    for (int i = 0; i < mesh.vertexCount(); ++i) {
        const Point3 p = attached(mesh.points()[static_cast<size_t>(i)]);
        model.setVertex(i, rounded(p.x), rounded(p.y), rounded(p.z));
    }
    for (size_t f = 0; f < mesh.triangles().size(); ++f) {
        const Triangle& t = mesh.triangles()[f];
        int face = static_cast<int>(f);
        model.setFace(face, t.a, t.b, t.c);
        model.setTextureSlot(face, t.slot);
        int corners[3] = {t.a, t.b, t.c};
        for (int corner = 0; corner < 3; ++corner) {
            Vec3f p;
            model.getVertex(corners[corner], p);
            // The face photo is mapped from the front, as the editing view does on attaching the head.
            if (t.slot == kSlotFace)
                model.setTextureCoordinate(face, corner, rounded(p.x * 0.025 + 0.5),
                                           rounded(1.0 - p.y * 0.025));
            else
                model.setTextureCoordinate(face, corner, rounded(mesh.u(corners[corner])),
                                           rounded(mesh.v(corners[corner])));
        }
        model.computeFaceNormal(face);
    }
}

// Stands the head's back on z = 0, as attaching it does, so the file holds the attached pose.
void placeBackAtZero(std::vector<Point3>& points, int pivot)
{
    double back = 1e9;
    for (size_t i = 0; i < points.size(); ++i)
        if (static_cast<int>(i) != pivot)
            back = std::fmin(back, points[i].z);
    for (Point3& p : points)
        p.z -= back;
}

std::vector<bool> regionMembers(const CHeadModel& model)
{
    std::vector<bool> member(static_cast<size_t>(model.vertexCount()), false);
    for (int region = 0; region < kRegionCount; ++region)
        for (int k = 0; k < model.regionSize(region); ++k)
            member[static_cast<size_t>(model.regionVertex(region, k))] = true;
    return member;
}

} // namespace

std::unique_ptr<CHeadModel> generateHead(const HairShape& hair)
{
    MeshBuilder mesh;
    HeadParts parts = buildHeadParts(mesh);
    const std::vector<Point3> asBuilt = mesh.points();
    placeBackAtZero(mesh.points(), parts.pivot);
    auto model = std::make_unique<CHeadModel>(mesh.vertexCount(), static_cast<int>(mesh.triangles().size()));
    if (model->vertexCount() != mesh.vertexCount())
        return nullptr;
    copyMesh(*model, mesh);
    // The rigging is chosen on the generic head, so every head shares it and loads in its place.
    assignFeaturePoints(*model, mesh, parts);
    fillRegions(*model, mesh, parts);
    pairEyelids(*model, parts);
    addEditingLines(*model, mesh, parts);
    if (!hair.empty()) {
        mesh.points() = asBuilt;
        shapeHair(mesh.points(), regionMembers(*model), hair);
        placeBackAtZero(mesh.points(), parts.pivot);
        copyMesh(*model, mesh);
    }
    model->saveToSet(0);
    model->saveToSet(1);
    return model;
}

HairShape bobHair()
{
    return {kBobOutline};
}

} // namespace headgen

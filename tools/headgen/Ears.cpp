// The ears: a wedge on each side of the head, its front face towards the camera showing the photo's ear,
// its back face turned away, its base buried a little in the skin so no gap opens where they meet.
#include "HeadParameters.h"
#include "HeadParts.h"
#include "HeadSurface.h"

#include <cmath>
#include <iterator>

namespace headgen {

namespace {

struct Vec {
    double x, y, z;
};

Vec minus(const Point3& a, const Point3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

// A point of the skin at an angle round the head, pushed in along the radius by `depth`.
Point3 buriedSkin(double angle, double y, double depth)
{
    Point3 p = skinAtAngle(angle, y);
    const Section s = sectionAt(y);
    const double middle = 0.5 * (s.front + s.back);
    const double dx = p.x, dz = p.z - middle, length = std::hypot(dx, dz);
    return {p.x - depth * dx / length, p.y, p.z - depth * dz / length};
}

// Adds the triangle turned so that its normal points away from `inside`.
void addOutward(MeshBuilder& mesh, int a, int b, int c, const Point3& inside)
{
    const auto& p = mesh.points();
    Vec u = minus(p[static_cast<size_t>(b)], p[static_cast<size_t>(a)]);
    Vec v = minus(p[static_cast<size_t>(c)], p[static_cast<size_t>(a)]);
    Vec n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    Vec out = minus(p[static_cast<size_t>(a)], inside);
    if (n.x * out.x + n.y * out.y + n.z * out.z >= 0)
        mesh.addTriangle(a, b, c, kSlotFace);
    else
        mesh.addTriangle(a, c, b, kSlotFace);
}

} // namespace

EarParts buildEar(MeshBuilder& mesh, bool faceLeft)
{
    EarParts ear;
    const double side = faceLeft ? 1.0 : -1.0;
    constexpr int rows = static_cast<int>(std::size(kEarRim));
    for (int r = 0; r < rows; ++r) {
        const EarRimRow& row = kEarRim[r];
        const double y = row.y;
        ear.front.push_back(mesh.addVertex(buriedSkin(side * kEarFrontAngle, y, kEarBury)));
        ear.back.push_back(mesh.addVertex(buriedSkin(side * kEarBackAngle, y, kEarBury)));
        Point3 base = skinAtAngle(side * 0.5 * (kEarFrontAngle + kEarBackAngle), y);
        ear.rim.push_back(mesh.addVertex({base.x + side * row.out, y, base.z - row.back}));
    }
    const auto& p = mesh.points();
    auto at = [&](int v) { return p[static_cast<size_t>(v)]; };
    for (int r = 0; r + 1 < rows; ++r) {
        const Point3 f = at(ear.front[r]), k = at(ear.back[r]), t = at(ear.rim[r]);
        const Point3 inside{(f.x + k.x + t.x) / 3, at(ear.rim[r]).y, (f.z + k.z + t.z) / 3};
        Point3 middle = inside;
        middle.y = 0.5 * (at(ear.rim[r]).y + at(ear.rim[r + 1]).y);
        addOutward(mesh, ear.front[r], ear.rim[r], ear.rim[r + 1], middle);
        addOutward(mesh, ear.front[r], ear.rim[r + 1], ear.front[r + 1], middle);
        addOutward(mesh, ear.back[r], ear.rim[r + 1], ear.rim[r], middle);
        addOutward(mesh, ear.back[r], ear.back[r + 1], ear.rim[r + 1], middle);
    }
    // Caps at both ends close the wedge.
    for (int r : {0, rows - 1}) {
        Point3 inside = at(ear.rim[r]);
        inside.y += r == 0 ? 0.5 : -0.5;
        addOutward(mesh, ear.front[r], ear.back[r], ear.rim[r], inside);
    }
    return ear;
}

} // namespace headgen

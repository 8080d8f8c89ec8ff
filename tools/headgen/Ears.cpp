// The ears: a wedge on each side of the head, its front face towards the camera showing the photo's ear,
// its back face turned away, its base buried a little in the skin so no gap opens where they meet.
#include "HeadParameters.h"
#include "HeadParts.h"
#include "HeadSurface.h"

#include <cmath>
#include <initializer_list>
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

Point3 average(std::initializer_list<Point3> points)
{
    Point3 sum{0.0, 0.0, 0.0};
    for (const Point3& p : points) {
        sum.x += p.x;
        sum.y += p.y;
        sum.z += p.z;
    }
    const double n = static_cast<double>(points.size());
    return {sum.x / n, sum.y / n, sum.z / n};
}

Point3 rimPoint(const EarRimRow& row, double side)
{
    Point3 base = skinAtAngle(side * 0.5 * (kEarFrontAngle + kEarBackAngle), row.y);
    return {base.x + side * row.out, row.y, base.z - row.back};
}

} // namespace

EarParts buildEar(MeshBuilder& mesh, bool faceLeft)
{
    EarParts ear;
    const double side = faceLeft ? 1.0 : -1.0;
    constexpr int rows = static_cast<int>(std::size(kEarRim));
    ear.rim.push_back(mesh.addVertex(rimPoint(kEarLobeTip, side)));
    double furthest = 0.0;
    for (int r = 0; r < rows; ++r) {
        const EarRimRow& row = kEarRim[r];
        ear.front.push_back(mesh.addVertex(buriedSkin(side * kEarFrontAngle, row.y, kEarBury)));
        ear.back.push_back(mesh.addVertex(buriedSkin(side * kEarBackAngle, row.y, kEarBury)));
        ear.rim.push_back(mesh.addVertex(rimPoint(row, side)));
        if (row.out > furthest) {
            furthest = row.out;
            ear.outermost = ear.rim.back();
        }
    }
    ear.rim.push_back(mesh.addVertex(rimPoint(kEarTopTip, side)));
    const auto& p = mesh.points();
    auto at = [&](int v) { return p[static_cast<size_t>(v)]; };
    // Rim vertex r + 1 stands beside base row r.
    for (int r = 0; r + 1 < rows; ++r) {
        const int rim0 = ear.rim[r + 1], rim1 = ear.rim[r + 2];
        const Point3 middle = average({at(ear.front[r]), at(ear.back[r]), at(rim0), at(ear.front[r + 1]),
                                       at(ear.back[r + 1]), at(rim1)});
        addOutward(mesh, ear.front[r], rim0, rim1, middle);
        addOutward(mesh, ear.front[r], rim1, ear.front[r + 1], middle);
        addOutward(mesh, ear.back[r], rim1, rim0, middle);
        addOutward(mesh, ear.back[r], ear.back[r + 1], rim1, middle);
    }
    // The tips close the wedge at both ends: a front face, a back face and the base between them.
    for (bool bottom : {true, false}) {
        const int row = bottom ? 0 : rows - 1;
        const int front = ear.front[row], back = ear.back[row], rim = ear.rim[bottom ? 1 : rows];
        const int tip = bottom ? ear.rim.front() : ear.rim.back();
        const Point3 inside = average({at(front), at(back), at(rim), at(tip)});
        addOutward(mesh, front, rim, tip, inside);
        addOutward(mesh, back, tip, rim, inside);
        addOutward(mesh, front, tip, back, inside);
    }
    return ear;
}

} // namespace headgen

#include "MeshBuilder.h"

#include <cmath>
#include <numbers>

int MeshBuilder::addVertex(const Point3& p, double u, double v)
{
    points_.push_back(p);
    u_.push_back(u);
    v_.push_back(v);
    return static_cast<int>(points_.size()) - 1;
}

void MeshBuilder::addTriangle(int a, int b, int c, int slot)
{
    if (a == b || b == c || a == c)
        return;
    triangles_.push_back({a, b, c, slot});
}

namespace {

double area(const Point3& a, const Point3& b, const Point3& c)
{
    double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    return 0.5 * std::sqrt(nx * nx + ny * ny + nz * nz);
}

} // namespace

void MeshBuilder::addQuad(int a, int b, int c, int d, int slot, bool splitAlongAc)
{
    // A quad with a collapsed or straight corner keeps the split that leaves no sliver.
    auto at = [this](int i) { return points_[static_cast<size_t>(i)]; };
    auto smallest = [&](int p, int q, int r, int s) {
        double first = p == q || q == r || p == r ? 1e30 : area(at(p), at(q), at(r));
        double second = p == r || r == s || p == s ? 1e30 : area(at(p), at(r), at(s));
        return std::fmin(first, second);
    };
    double alongAc = smallest(a, b, c, d), alongBd = smallest(b, c, d, a);
    if (splitAlongAc ? alongAc < 0.1 * alongBd : alongBd < 0.1 * alongAc)
        splitAlongAc = !splitAlongAc;
    if (splitAlongAc) {
        addTriangle(a, b, c, slot);
        addTriangle(a, c, d, slot);
    } else {
        addTriangle(a, b, d, slot);
        addTriangle(b, c, d, slot);
    }
}

namespace {

// Angles of a loop's vertices around the centre, unwrapped so they rise from the first vertex on.
std::vector<double> unwrappedAngles(const MeshBuilder& mesh, const std::vector<int>& loop, double centreX,
                                    double centreY, double start)
{
    std::vector<double> angles;
    for (int vertex : loop) {
        const Point3& p = mesh.points()[static_cast<size_t>(vertex)];
        double angle = std::atan2(p.y - centreY, p.x - centreX) - start;
        while (angle < 0.0)
            angle += 2.0 * std::numbers::pi;
        while (angle >= 2.0 * std::numbers::pi)
            angle -= 2.0 * std::numbers::pi;
        angles.push_back(angle);
    }
    return angles;
}

size_t firstAtOrAfterZero(const std::vector<double>& angles)
{
    size_t best = 0;
    for (size_t i = 1; i < angles.size(); ++i)
        if (angles[i] < angles[best])
            best = i;
    return best;
}

// For each step k from `start` round a closed loop, the share of its length walked so far (1 at the end).
std::vector<double> lengthShares(const MeshBuilder& mesh, const std::vector<int>& loop, size_t start)
{
    const size_t n = loop.size();
    std::vector<double> shares(n + 1, 0.0);
    for (size_t k = 0; k < n; ++k) {
        const Point3& a = mesh.points()[static_cast<size_t>(loop[(start + k) % n])];
        const Point3& b = mesh.points()[static_cast<size_t>(loop[(start + k + 1) % n])];
        shares[k + 1] = shares[k] + std::hypot(a.x - b.x, a.y - b.y);
    }
    for (double& share : shares)
        share = shares[n] > 0.0 ? share / shares[n] : 1.0;
    return shares;
}

} // namespace

void zipLoops(MeshBuilder& mesh, const std::vector<int>& inner, const std::vector<int>& outer, double centreX,
              double centreY, int slot, ZipWalk walk)
{
    // Both walks start straight below the centre, on the face's middle for the mouth, so the strip comes
    // out the same on both halves of the face.
    double start = -0.5 * std::numbers::pi - 1e-9;
    std::vector<double> innerAngles = unwrappedAngles(mesh, inner, centreX, centreY, start);
    std::vector<double> outerAngles = unwrappedAngles(mesh, outer, centreX, centreY, start);
    size_t i0 = firstAtOrAfterZero(innerAngles), j0 = firstAtOrAfterZero(outerAngles);
    size_t n = inner.size(), m = outer.size();
    auto angleAt = [](const std::vector<double>& angles, size_t start0, size_t step) {
        size_t count = angles.size();
        double angle = angles[(start0 + step) % count];
        return step == count ? angle + 2.0 * std::numbers::pi : angle;
    };
    // By length both loops are walked at the same share of their length, so a wide opening's rim meets
    // the patch evenly rather than in fans from the few patch vertices that face its corners; each edge
    // goes by its middle, which walks the face's two halves alike in their opposite directions.
    std::vector<double> innerShare = lengthShares(mesh, inner, i0), outerShare = lengthShares(mesh, outer, j0);
    size_t i = 0, j = 0;
    while (i < n || j < m) {
        int a = inner[(i0 + i) % n], b = outer[(j0 + j) % m];
        bool advanceInner =
            j == m || (i < n && (walk == ZipWalk::byLength
                                     ? innerShare[i] + innerShare[i + 1] < outerShare[j] + outerShare[j + 1]
                                     : angleAt(innerAngles, i0, i + 1) < angleAt(outerAngles, j0, j + 1)));
        if (advanceInner) {
            mesh.addTriangle(a, b, inner[(i0 + i + 1) % n], slot);
            ++i;
        } else {
            mesh.addTriangle(a, b, outer[(j0 + j + 1) % m], slot);
            ++j;
        }
    }
}

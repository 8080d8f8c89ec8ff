#pragma once

#include <cstddef>
#include <vector>

struct Point3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

// Texture slots the head uses; the inside of the mouth takes its colours from the teeth pictures.
enum HeadSlot { kSlotFace = 0, kSlotUpperTeeth = 1, kSlotLowerTeeth = 2 };

struct Triangle {
    int a, b, c;
    int slot;
};

// Collects the mesh while the parts are built. Triangles are given counter-clockwise as seen from
// outside, so every normal points away from the head; picture coordinates are kept per vertex
// (one picture per vertex is enough: no vertex is shared between two slots).
class MeshBuilder {
public:
    int addVertex(const Point3& p, double u = 0.0, double v = 0.0);
    // Skips triangles that a collapsed ring edge made degenerate (two equal corners).
    void addTriangle(int a, int b, int c, int slot);
    // a, b, c, d counter-clockwise; split along the diagonal a-c or b-d.
    void addQuad(int a, int b, int c, int d, int slot, bool splitAlongAc = true);

    int vertexCount() const { return static_cast<int>(points_.size()); }
    const std::vector<Point3>& points() const { return points_; }
    std::vector<Point3>& points() { return points_; }
    const std::vector<Triangle>& triangles() const { return triangles_; }
    double u(int vertex) const { return u_[static_cast<std::size_t>(vertex)]; }
    double v(int vertex) const { return v_[static_cast<std::size_t>(vertex)]; }

private:
    std::vector<Point3> points_;
    std::vector<double> u_, v_;
    std::vector<Triangle> triangles_;
};

// Joins an inner loop to an outer loop around it (both counter-clockwise seen from the front) with a
// strip of triangles, walking both loops from the vertex straight below `centreX`, `centreY`, either by
// the share of their length walked or by the angle round the centre.
enum class ZipWalk { byLength, byAngle };
void zipLoops(MeshBuilder& mesh, const std::vector<int>& inner, const std::vector<int>& outer, double centreX,
              double centreY, int slot, ZipWalk walk);

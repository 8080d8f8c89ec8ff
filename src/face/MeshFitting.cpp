#include "face/MeshFitting.h"

#include "face/CHeadModel.h"

#include <cmath>
#include <new>
#include <vector>

namespace {

struct LineEnds {
    Vec3f a, b;       // reference
    Vec3f aNow, bNow; // current
};

struct Displacement {
    float weight = 0.0f, dx = 0.0f, dy = 0.0f;
};

Displacement frontPass(const LineEnds& line, const Vec3f& x)
{
    const Vec3f &a = line.a, &b = line.b, &a2 = line.aNow, &b2 = line.bNow;
    float lineX = b.x - a.x, lineY = b.y - a.y;
    float length = std::sqrt(lineX * lineX + lineY * lineY);
    float nowX = b2.x - a2.x, nowY = b2.y - a2.y;
    float lengthNow = std::sqrt(nowX * nowX + nowY * nowY);
    if (length < 1e-7f || lengthNow < 1e-7f)
        return {};
    float relX = x.x - a.x, relY = x.y - a.y;
    float u = (relX * lineX + relY * lineY) / (length * length);
    float normalX = a.y - b.y, normalY = b.x - a.x;
    float v = (relX * normalX + relY * normalY) / length;
    float normalNowX = a2.y - b2.y, normalNowY = b2.x - a2.x;
    float carriedX = a2.x + u * nowX + v * normalNowX / lengthNow;
    float carriedY = a2.y + u * nowY + v * normalNowY / lengthNow;
    float distance;
    if (u <= 0.0f)
        distance = std::sqrt(relX * relX + relY * relY);
    else if (u >= 1.0f)
        distance = std::sqrt((x.x - b.x) * (x.x - b.x) + (x.y - b.y) * (x.y - b.y));
    else
        distance = std::fabs(v);
    float inverse = 1.0f / (distance + 1e-6f);
    return {inverse * inverse, carriedX - x.x, carriedY - x.y};
}

float sidePass(const LineEnds& line, const Vec3f& x)
{
    const Vec3f &a = line.a, &b = line.b, &a2 = line.aNow, &b2 = line.bNow;
    bool vertical = std::fabs(b.y - a.y) >= std::fabs(b.x - a.x);
    float delta = vertical ? b.y - a.y : b.x - a.x;
    float e = vertical ? x.y - a.y : x.x - a.x;
    float r = std::sqrt((b.z - a.z) * (b.z - a.z) + delta * delta);
    if (r < 1e-7f || std::fabs(delta) < 1e-7f)
        return 0.0f;
    float v = ((x.z - a.z) * delta + (a.z - b.z) * e) / r;
    float lengthNow = std::sqrt((b2.z - a2.z) * (b2.z - a2.z) + delta * delta);
    float z = a2.z + (lengthNow * v + (b2.z - a2.z) * e) / delta;
    return z - x.z;
}

struct Collected {
    std::vector<LineEnds>* lines;
    std::vector<unsigned char>* marks;
    const CHeadModel* model;
};

int collectLine(void* context, int a, int b, int)
{
    auto* collected = static_cast<Collected*>(context);
    LineEnds ends;
    collected->model->getStoredVertex(0, a, ends.a);
    collected->model->getStoredVertex(0, b, ends.b);
    collected->model->getVertex(a, ends.aNow);
    collected->model->getVertex(b, ends.bNow);
    collected->lines->push_back(ends);
    (*collected->marks)[a] = (*collected->marks)[b] = 1;
    return 1;
}

} // namespace

int fitToLines(CHeadModel& model)
{
    std::vector<LineEnds> lines;
    std::vector<unsigned char> marks;
    std::vector<float> weights;
    try {
        marks.assign(static_cast<size_t>(model.vertexCount()), 0);
        Collected collected{&lines, &marks, &model};
        model.visitEditingLines(collectLine, &collected);
        weights.resize(lines.size());
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!model.isSetValid(0))
        return 1; // no reference pose to warp from
    for (int i = 0; i < model.vertexCount(); ++i) {
        if (marks[i])
            continue;
        Vec3f x;
        model.getStoredVertex(0, i, x);
        float sumX = 0.0f, sumY = 0.0f, sumZ = 0.0f, total = 0.0f;
        for (size_t k = 0; k < lines.size(); ++k) {
            Displacement d = frontPass(lines[k], x);
            weights[k] = d.weight;
            sumX += d.weight * d.dx;
            sumY += d.weight * d.dy;
            total += d.weight;
        }
        if (total == 0.0f)
            continue;
        for (size_t k = 0; k < lines.size(); ++k)
            sumZ += weights[k] * sidePass(lines[k], x);
        model.setVertex(i, x.x + sumX / total, x.y + sumY / total, x.z + sumZ / total);
    }
    return 1;
}

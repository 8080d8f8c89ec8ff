#include "timeline/HeadTurnGenerator.h"

#include "timeline/TimelineData.h"

#include <cmath>
#include <cstdint>
#include <random>

namespace {

constexpr float kLattice[10][10] = {
    {0.0f, 0.7f, 0.1f, 0.3f, 0.9f, 1.0f, 0.0f, 0.5f, 0.2f, 0.8f},
    {0.1f, 0.1f, 1.0f, 0.7f, 0.9f, 0.2f, 0.7f, 0.6f, 1.0f, 0.0f},
    {0.4f, 0.1f, 0.0f, 0.8f, 1.0f, 0.0f, 0.0f, 0.1f, 1.0f, 0.7f},
    {0.8f, 0.3f, 0.5f, 0.1f, 0.0f, 0.2f, 0.9f, 0.9f, 0.2f, 0.2f},
    {1.0f, 0.9f, 0.4f, 0.5f, 0.9f, 0.0f, 0.7f, 0.8f, 0.4f, 0.4f},
    {0.0f, 1.0f, 0.8f, 0.8f, 0.2f, 0.1f, 1.0f, 0.6f, 0.7f, 0.8f},
    {0.9f, 0.0f, 0.9f, 0.1f, 0.1f, 0.9f, 0.0f, 0.2f, 0.2f, 0.6f},
    {0.4f, 0.7f, 0.4f, 0.3f, 0.5f, 0.4f, 0.4f, 0.6f, 0.1f, 0.7f},
    {0.7f, 0.8f, 0.4f, 0.4f, 0.1f, 0.2f, 0.2f, 0.0f, 0.5f, 0.8f},
    {0.0f, 0.3f, 0.1f, 0.1f, 0.5f, 0.1f, 0.3f, 0.5f, 0.9f, 0.1f},
};

constexpr double kSmallestLayer = 0.0132;
constexpr double kNoiseScale = 0.024;
constexpr double kNoiseNorm = 0.44444445;
constexpr std::uint32_t kLongestGapKey = 10000;
constexpr std::uint32_t kFullRampAt = 32000;

// Lattice index of a coordinate; the modulo keeps huge coordinates inside the table.
int latticeIndex(double truncated)
{
    return int(std::fmod(truncated, 10.0));
}

struct Angles {
    std::int32_t a, b, c;
};

Angles anglesAt(std::uint32_t keyEnd, double x, double y)
{
    const double ramp = keyEnd < kFullRampAt ? keyEnd * 0.00003125 : 1.0;
    return {std::int32_t(ramp * (headTurnNoise(x, y, 1.0) - 0.5) * 60),
            std::int32_t(ramp * (headTurnNoise(0.4 * x + 7.32512, 0.4 * y, 1.0) - 0.5) * 60),
            std::int32_t(ramp * (headTurnNoise(x, y, 0.1) - 0.05) * 60)};
}

bool insertKey(TimelineData& timeline, std::uint32_t start, std::uint32_t end, double x, double y)
{
    timeline.setSelection(std::int32_t(start), std::int32_t(end));
    HeadTurnKey* key = timeline.insertHeadTurn();
    if (!key)
        return false;
    const Angles angles = anglesAt(end, x, y);
    key->angle_a = angles.a;
    key->angle_b = angles.b;
    key->angle_c = angles.c;
    return true;
}

} // namespace

double latticeNoise(double u, double v)
{
    if (u < 0)
        u = 1 - u;
    if (v < 0)
        v = 1 - v;
    const double tu = std::trunc(u);
    const double tv = std::trunc(v);
    const int i0 = latticeIndex(tu), i1 = (i0 + 1) % 10;
    const int j0 = latticeIndex(tv), j1 = (j0 + 1) % 10;
    const double fu = u - tu, fv = v - tv;
    const double a0 = kLattice[i0][j0] + fu * (kLattice[i1][j0] - kLattice[i0][j0]);
    const double a1 = kLattice[i0][j1] + fu * (kLattice[i1][j1] - kLattice[i0][j1]);
    return a0 + fv * (a1 - a0);
}

double headTurnNoise(double x, double y, double amplitude)
{
    if (amplitude <= kSmallestLayer)
        return 0.0;
    double sum = 0.0;
    for (double layer = amplitude; layer > kSmallestLayer; layer /= 2)
        sum += layer;
    return latticeNoise(kNoiseScale * x, kNoiseScale * y) * sum * kNoiseNorm;
}

double drawHeadTurnOffset()
{
    std::random_device seed;
    std::uniform_int_distribution<int> draw(0, 32767);
    return draw(seed) / 32767.0 * 100.0;
}

bool generateHeadTurns(TimelineData& timeline, double offset)
{
    const std::int32_t savedStart = timeline.selectionStart();
    const std::int32_t savedEnd = timeline.selectionEnd();
    timeline.headTurns().clear();
    bool stored = true;
    std::uint32_t b = 0;
    const auto& visemes = timeline.visemes().records();
    for (size_t i = 0; i < visemes.size() && stored; ++i) {
        const VisemeItem item = visemes[i];
        if (item.length == 0 || item.end <= b)
            continue;
        if (b < item.start) {
            const std::uint32_t gap = item.start - b;
            const std::uint32_t gapEnd = b + (gap <= kLongestGapKey ? gap : kLongestGapKey);
            stored = insertKey(timeline, b, gapEnd, offset + gapEnd * 0.003, offset + (double(i) - 1) * 6);
            b = gapEnd;
        }
        if (stored)
            stored = insertKey(timeline, std::max(item.start, b), item.end, offset + item.end * 0.003,
                               offset + double(i) * 6);
        b = item.end;
    }
    timeline.setSelection(savedStart, savedEnd);
    return stored;
}

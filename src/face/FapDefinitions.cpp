#include "face/FapDefinitions.h"

namespace {

struct FapRecord {
    int unit;
    int direction;
    int pointCount;
    FeaturePointId points[2];
};

constexpr FapRecord kFaps[kFapEntryCount] = {
    {kUnitNone, kDirNone, 0, {}},                           // 1
    {kUnitNone, kDirNone, 0, {}},                           // 2
    {kUnitMns, kDirDown, 1, {{2, 1}}},                      // 3
    {kUnitMns, kDirDown, 1, {{2, 2}}},                      // 4
    {kUnitMns, kDirUp, 1, {{2, 3}}},                        // 5
    {kUnitMw, kDirLeft, 1, {{2, 4}}},                       // 6
    {kUnitMw, kDirRight, 1, {{2, 5}}},                      // 7
    {kUnitMns, kDirDown, 1, {{2, 6}}},                      // 8
    {kUnitMns, kDirDown, 1, {{2, 7}}},                      // 9
    {kUnitMns, kDirUp, 1, {{2, 8}}},                        // 10
    {kUnitMns, kDirUp, 1, {{2, 9}}},                        // 11
    {kUnitMns, kDirUp, 1, {{2, 4}}},                        // 12
    {kUnitMns, kDirUp, 1, {{2, 5}}},                        // 13
    {kUnitMns, kDirForward, 1, {{2, 1}}},                   // 14
    {kUnitMw, kDirRight, 1, {{2, 1}}},                      // 15
    {kUnitMns, kDirForward, 1, {{2, 3}}},                   // 16
    {kUnitMns, kDirForward, 1, {{2, 2}}},                   // 17
    {kUnitMns, kDirUp, 1, {{2, 10}}},                       // 18
    {kUnitIrisd, kDirDown, 1, {{3, 1}}},                    // 19
    {kUnitIrisd, kDirDown, 1, {{3, 2}}},                    // 20
    {kUnitIrisd, kDirUp, 1, {{3, 3}}},                      // 21
    {kUnitIrisd, kDirUp, 1, {{3, 4}}},                      // 22
    {kUnitAu, kDirLeft, 0, {}},                             // 23
    {kUnitAu, kDirLeft, 0, {}},                             // 24
    {kUnitAu, kDirDown, 0, {}},                             // 25
    {kUnitAu, kDirDown, 0, {}},                             // 26
    {kUnitEs, kDirForward, 0, {}},                          // 27
    {kUnitEs, kDirForward, 0, {}},                          // 28
    {kUnitIrisd, kDirPupil, 1, {{3, 5}}},                   // 29
    {kUnitIrisd, kDirPupil, 1, {{3, 6}}},                   // 30
    {kUnitEns, kDirUp, 1, {{4, 1}}},                        // 31
    {kUnitEns, kDirUp, 1, {{4, 2}}},                        // 32
    {kUnitEns, kDirUp, 1, {{4, 3}}},                        // 33
    {kUnitEns, kDirUp, 1, {{4, 4}}},                        // 34
    {kUnitEns, kDirUp, 1, {{4, 5}}},                        // 35
    {kUnitEns, kDirUp, 1, {{4, 6}}},                        // 36
    {kUnitEs, kDirRight, 1, {{4, 1}}},                      // 37
    {kUnitEs, kDirLeft, 1, {{4, 2}}},                       // 38
    {kUnitEs, kDirLeft, 1, {{5, 1}}},                       // 39
    {kUnitEs, kDirRight, 1, {{5, 2}}},                      // 40
    {kUnitEns, kDirUp, 1, {{5, 3}}},                        // 41
    {kUnitEns, kDirUp, 1, {{5, 4}}},                        // 42
    {kUnitMw, kDirRight, 1, {{6, 1}}},                      // 43
    {kUnitMns, kDirUp, 1, {{6, 1}}},                        // 44
    {kUnitMw, kDirForward, 1, {{6, 1}}},                    // 45
    {kUnitMns, kDirUp, 1, {{6, 2}}},                        // 46
    {kUnitAu, kDirRoll, 2, {{6, 3}, {6, 4}}},               // 47
    {kUnitAu, kDirDown, 0, {}},                             // 48
    {kUnitAu, kDirLeft, 0, {}},                             // 49
    {kUnitAu, kDirRight, 0, {}},                            // 50
    {kUnitMns, kDirDown, 1, {{8, 1}}},                      // 51
    {kUnitMns, kDirUp, 1, {{8, 2}}},                        // 52
    {kUnitMw, kDirLeft, 1, {{8, 3}}},                       // 53
    {kUnitMw, kDirRight, 1, {{8, 4}}},                      // 54
    {kUnitMns, kDirDown, 1, {{8, 5}}},                      // 55
    {kUnitMns, kDirDown, 1, {{8, 6}}},                      // 56
    {kUnitMns, kDirUp, 1, {{8, 7}}},                        // 57
    {kUnitMns, kDirUp, 1, {{8, 8}}},                        // 58
    {kUnitMns, kDirUp, 1, {{8, 3}}},                        // 59
    {kUnitMns, kDirUp, 1, {{8, 4}}},                        // 60
    {kUnitEns, kDirLeft, 1, {{9, 1}}},                      // 61
    {kUnitEns, kDirRight, 1, {{9, 2}}},                     // 62
    {kUnitEns, kDirUp, 1, {{9, 3}}},                        // 63
    {kUnitEns, kDirRight, 1, {{9, 3}}},                     // 64
    {kUnitEns, kDirUp, 1, {{10, 1}}},                       // 65
    {kUnitEns, kDirUp, 1, {{10, 2}}},                       // 66
    {kUnitEns, kDirLeft, 1, {{10, 3}}},                     // 67
    {kUnitEns, kDirRight, 1, {{10, 4}}},                    // 68
};

struct RegionRecord {
    int count;
    FeaturePointId points[8];
};

constexpr RegionRecord kRegions[kRegionCount] = {
    {1, {{2, 1}}},
    {8, {{2, 2}, {2, 3}, {2, 4}, {2, 5}, {2, 6}, {2, 7}, {2, 8}, {2, 9}}},
    {1, {{2, 10}}},
    {2, {{3, 1}, {3, 3}}},
    {2, {{3, 2}, {3, 4}}},
    {3, {{4, 1}, {4, 3}, {4, 5}}},
    {3, {{4, 2}, {4, 4}, {4, 6}}},
    {1, {{5, 1}}},
    {1, {{5, 2}}},
    {1, {{5, 3}}},
    {1, {{5, 4}}},
    {3, {{8, 1}, {8, 5}, {8, 6}}},
    {3, {{8, 2}, {8, 7}, {8, 8}}},
    {1, {{8, 3}}},
    {1, {{8, 4}}},
    {1, {{9, 1}}},
    {1, {{9, 2}}},
    {1, {{9, 3}}},
};

bool validFap(int fapIndex)
{
    return fapIndex >= 0 && fapIndex < kFapEntryCount;
}

} // namespace

int fapUnit(int fapIndex)
{
    return validFap(fapIndex) ? kFaps[fapIndex].unit : 0;
}

int fapDirection(int fapIndex)
{
    return validFap(fapIndex) ? kFaps[fapIndex].direction : 0;
}

int fapPoint(int fapIndex, int n, FeaturePointId& point)
{
    if (!validFap(fapIndex) || n < 0 || n >= kFaps[fapIndex].pointCount)
        return 0;
    point = kFaps[fapIndex].points[n];
    return 1;
}

int regionControlPointCount(int region)
{
    return region >= 0 && region < kRegionCount ? kRegions[region].count : 0;
}

int regionControlPoint(int region, int n, FeaturePointId& point)
{
    if (n < 0 || n >= regionControlPointCount(region))
        return 0;
    point = kRegions[region].points[n];
    return 1;
}

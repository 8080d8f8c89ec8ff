#pragma once

// Constant tables of the face animation parameters: unit, direction and moved feature points of each
// FAP, and the control points of the deformation regions. Index conventions: FAP n is entry n - 1.

constexpr int kFapEntryCount = 68;
constexpr int kRegionCount = 18;
constexpr int kFeatureGroupCount = 11;

enum FapUnit { kUnitNone = 0, kUnitIrisd = 1, kUnitEs = 2, kUnitEns = 3, kUnitMns = 4, kUnitMw = 5, kUnitAu = 6 };

enum FapDirection {
    kDirNone = 0,
    kDirUp = 1,
    kDirDown = 2,
    kDirLeft = 4,
    kDirRight = 8,
    kDirForward = 16,
    kDirPupil = 32,
    kDirRoll = 64
};

struct FeaturePointId {
    int group; // 1-11
    int point; // 1-based within the group
};

// Unit code of FAP index 0-67; 0 outside.
int fapUnit(int fapIndex);
// Direction code of FAP index 0-67; 0 outside.
int fapDirection(int fapIndex);
// The n-th point moved by a FAP; 0 when there is none.
int fapPoint(int fapIndex, int n, FeaturePointId& point);
// Number of control points of region 0-17; 0 outside.
int regionControlPointCount(int region);
// The n-th control point of a region; 0 when n or the region is out of range.
int regionControlPoint(int region, int n, FeaturePointId& point);

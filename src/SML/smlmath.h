#pragma once

#include <cmath>

// Three-component vectors in double precision, used for camera and lighting set-up.
struct SmlVec3 {
    double x = 0, y = 0, z = 0;
};

inline SmlVec3 smlSub(const SmlVec3& a, const SmlVec3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

inline SmlVec3 smlCross(const SmlVec3& a, const SmlVec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline double smlDot(const SmlVec3& a, const SmlVec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A zero vector stays zero rather than becoming NaN.
inline SmlVec3 smlNormalise(const SmlVec3& v)
{
    double length = std::sqrt(smlDot(v, v));
    if (length == 0.0)
        return v;
    return {v.x / length, v.y / length, v.z / length};
}

constexpr double kSmlPi = 3.14159265358979323846;

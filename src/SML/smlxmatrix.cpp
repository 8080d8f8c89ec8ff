#include "SML/smlxmatrix.h"

#include "SML/smlmath.h"

#include <cmath>
#include <cstring>

#if defined(__SSE__)
#include <xmmintrin.h>
#define SML_HAVE_SSE 1
#else
#define SML_HAVE_SSE 0
#endif

namespace {

void multiplyPortable(const SmlMatrix& a, const SmlMatrix& b, SmlMatrix& out)
{
    SmlMatrix result;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = a.m[r] * b.m[c * 4];
            sum = sum + a.m[4 + r] * b.m[c * 4 + 1];
            sum = sum + a.m[8 + r] * b.m[c * 4 + 2];
            sum = sum + a.m[12 + r] * b.m[c * 4 + 3];
            result.m[c * 4 + r] = sum;
        }
    }
    out = result;
}

void transformPortable(const SmlMatrix& matrix, const float* in, float* out, size_t count, size_t stride)
{
    const float* m = matrix.m;
    for (size_t i = 0; i < count; ++i, in += stride, out += stride) {
        float x = in[0], y = in[1], z = in[2];
        float rx = m[0] * x + m[4] * y;
        float ry = m[1] * x + m[5] * y;
        float rz = m[2] * x + m[6] * y;
        rx = rx + m[8] * z;
        ry = ry + m[9] * z;
        rz = rz + m[10] * z;
        out[0] = rx + m[12];
        out[1] = ry + m[13];
        out[2] = rz + m[14];
    }
}

#if SML_HAVE_SSE
void multiplySse(const SmlMatrix& a, const SmlMatrix& b, SmlMatrix& out)
{
    __m128 a0 = _mm_load_ps(a.m), a1 = _mm_load_ps(a.m + 4);
    __m128 a2 = _mm_load_ps(a.m + 8), a3 = _mm_load_ps(a.m + 12);
    __m128 columns[4];
    for (int c = 0; c < 4; ++c) {
        __m128 sum = _mm_mul_ps(a0, _mm_set1_ps(b.m[c * 4]));
        sum = _mm_add_ps(sum, _mm_mul_ps(a1, _mm_set1_ps(b.m[c * 4 + 1])));
        sum = _mm_add_ps(sum, _mm_mul_ps(a2, _mm_set1_ps(b.m[c * 4 + 2])));
        columns[c] = _mm_add_ps(sum, _mm_mul_ps(a3, _mm_set1_ps(b.m[c * 4 + 3])));
    }
    for (int c = 0; c < 4; ++c)
        _mm_store_ps(out.m + c * 4, columns[c]);
}

void transformSse(const SmlMatrix& matrix, const float* in, float* out, size_t count, size_t stride)
{
    const __m128 c0 = _mm_load_ps(matrix.m), c1 = _mm_load_ps(matrix.m + 4);
    const __m128 c2 = _mm_load_ps(matrix.m + 8), c3 = _mm_load_ps(matrix.m + 12);
    alignas(16) float result[4];
    for (size_t i = 0; i < count; ++i, in += stride, out += stride) {
        __m128 sum = _mm_add_ps(_mm_mul_ps(c0, _mm_set1_ps(in[0])), _mm_mul_ps(c1, _mm_set1_ps(in[1])));
        sum = _mm_add_ps(sum, _mm_mul_ps(c2, _mm_set1_ps(in[2])));
        _mm_store_ps(result, _mm_add_ps(sum, c3));
        out[0] = result[0];
        out[1] = result[1];
        out[2] = result[2];
    }
}
#endif

} // namespace

void smlIdentity(SmlMatrix& out)
{
    std::memset(out.m, 0, sizeof out.m);
    out.m[0] = out.m[5] = out.m[10] = out.m[15] = 1.0f;
}

bool smlIsIdentity(const SmlMatrix& matrix)
{
    SmlMatrix identity;
    smlIdentity(identity);
    return std::memcmp(identity.m, matrix.m, sizeof identity.m) == 0;
}

void smlMultiply(SmlPath path, const SmlMatrix& a, const SmlMatrix& b, SmlMatrix& out)
{
#if SML_HAVE_SSE
    if (path == kSmlSse) {
        multiplySse(a, b, out);
        return;
    }
#endif
    (void)path;
    multiplyPortable(a, b, out);
}

void smlTransformPoints(SmlPath path, const SmlMatrix& matrix, const float* in, float* out, size_t count,
                        size_t stride)
{
#if SML_HAVE_SSE
    if (path == kSmlSse) {
        transformSse(matrix, in, out, count, stride);
        return;
    }
#endif
    (void)path;
    transformPortable(matrix, in, out, count, stride);
}

void smlTranslation(double x, double y, double z, SmlMatrix& out)
{
    smlIdentity(out);
    out.m[12] = static_cast<float>(x);
    out.m[13] = static_cast<float>(y);
    out.m[14] = static_cast<float>(z);
}

namespace {

// The coordinate axes get exact sines and cosines in the right places, with no cross terms.
bool axisRotation(double c, double s, double x, double y, double z, SmlMatrix& out)
{
    smlIdentity(out);
    float fc = static_cast<float>(c), fs = static_cast<float>(s);
    if (y == 0.0 && z == 0.0 && x != 0.0) {
        fs = x < 0 ? -fs : fs;
        out.m[5] = fc, out.m[6] = fs, out.m[9] = -fs, out.m[10] = fc;
        return true;
    }
    if (x == 0.0 && z == 0.0 && y != 0.0) {
        fs = y < 0 ? -fs : fs;
        out.m[0] = fc, out.m[2] = -fs, out.m[8] = fs, out.m[10] = fc;
        return true;
    }
    if (x == 0.0 && y == 0.0 && z != 0.0) {
        fs = z < 0 ? -fs : fs;
        out.m[0] = fc, out.m[1] = fs, out.m[4] = -fs, out.m[5] = fc;
        return true;
    }
    return false;
}

} // namespace

void smlRotation(double degrees, double x, double y, double z, SmlMatrix& out)
{
    double radians = degrees * kSmlPi / 180.0;
    double c = std::cos(radians), s = std::sin(radians);
    if (axisRotation(c, s, x, y, z, out))
        return;
    SmlVec3 axis = smlNormalise({x, y, z});
    smlIdentity(out);
    if (axis.x == 0.0 && axis.y == 0.0 && axis.z == 0.0)
        return;
    double t = 1.0 - c;
    const double r[3][3] = {
        {t * axis.x * axis.x + c, t * axis.x * axis.y - s * axis.z, t * axis.x * axis.z + s * axis.y},
        {t * axis.x * axis.y + s * axis.z, t * axis.y * axis.y + c, t * axis.y * axis.z - s * axis.x},
        {t * axis.x * axis.z - s * axis.y, t * axis.y * axis.z + s * axis.x, t * axis.z * axis.z + c},
    };
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            out.m[col * 4 + row] = static_cast<float>(r[row][col]);
}

void smlLookAt(const double eye[3], const double centre[3], const double up[3], SmlMatrix& out)
{
    SmlVec3 forward = smlNormalise(smlSub({centre[0], centre[1], centre[2]}, {eye[0], eye[1], eye[2]}));
    SmlVec3 side = smlNormalise(smlCross(forward, {up[0], up[1], up[2]}));
    SmlVec3 trueUp = smlCross(side, forward);
    smlIdentity(out);
    const SmlVec3 rows[3] = {side, trueUp, {-forward.x, -forward.y, -forward.z}};
    for (int row = 0; row < 3; ++row) {
        out.m[row] = static_cast<float>(rows[row].x);
        out.m[4 + row] = static_cast<float>(rows[row].y);
        out.m[8 + row] = static_cast<float>(rows[row].z);
    }
}

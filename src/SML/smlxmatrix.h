#pragma once

#include <cstddef>

// 4 x 4 single-precision matrices stored in column order (element [c * 4 + r]), as the context's
// modelview matrix is. Every operation exists as a portable routine and an SSE routine; both do the
// same float operations in the same order, so their results are bit-identical.
struct SmlMatrix {
    alignas(16) float m[16];
};

enum SmlPath : int { kSmlPortable = 0, kSmlSse = 1 };

void smlIdentity(SmlMatrix& out);
bool smlIsIdentity(const SmlMatrix& matrix);
// out = a * b (b applied first to a point).
void smlMultiply(SmlPath path, const SmlMatrix& a, const SmlMatrix& b, SmlMatrix& out);
void smlTranslation(double x, double y, double z, SmlMatrix& out);
// Rotation by `degrees` about the axis (x, y, z), normalised here; a zero axis gives the identity.
void smlRotation(double degrees, double x, double y, double z, SmlMatrix& out);
// The view matrix of a camera at `eye` looking at `centre` with the given up direction.
void smlLookAt(const double eye[3], const double centre[3], const double up[3], SmlMatrix& out);

// Transforms `count` points (x, y, z at `stride` floats apart, starting at `in`) by the affine part of
// `matrix`, writing x, y, z at `out` with the same stride.
void smlTransformPoints(SmlPath path, const SmlMatrix& matrix, const float* in, float* out, size_t count,
                        size_t stride);

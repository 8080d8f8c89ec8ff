#pragma once

// The software context's own enumeration values (not OpenGL's).
enum SoftGLEnum : int {
    kSglDepthTest = 2,
    kSglCullFace = 3,
    kSglAlphaTest = 4,
    kSglBlend = 5,
    kSglLighting = 8,
    kSglLight0 = 9, // lights 0-7 are 9-16
    kSglLight7 = 16,
    kSglAmbient = 17,
    kSglDiffuse = 18,
    kSglSpecular = 19,
    kSglPosition = 20,
    kSglTexture2D = 21,
    kSglInternalFormat = 22,
    kSglPixelFormatBgra = 23,
    kSglUnsignedByte = 24,
    kSglModelview = 25,
    kSglProjection = 26,
    kSglTriangles = 28,
    kSglFrontClockwise = 29,
    kSglFrontCounterClockwise = 30,
    kSglViewportQuery = 6,
    kSglDepthBufferBit = 0x100,
    kSglColorBufferBit = 0x4000,
    kSglNoError = 31,
    kSglInvalidOperation = 32,
    kSglInvalidEnum = 33,
    kSglInvalidValue = 34,
};

enum SoftGLShade : int { kSglFlat = 0, kSglSmooth = 1 };

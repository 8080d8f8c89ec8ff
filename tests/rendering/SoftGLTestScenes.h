#pragma once

#include "rendering/CSoftGLContext.h"

#include <cstdint>
#include <vector>

// Small drawing helpers shared by the context tests.
namespace softgltest {

struct Corner {
    double x, y, z, s, t;
};

inline void triangle(CSoftGLContext& gl, const Corner& a, const Corner& b, const Corner& c)
{
    gl.begin(kSglTriangles);
    for (const Corner* corner : {&a, &b, &c}) {
        gl.texCoord2d(corner->s, corner->t);
        const double position[3] = {corner->x, corner->y, corner->z};
        gl.vertex3dv(position);
    }
    gl.end();
}

// An axis-aligned quad at depth z covering [x0, x1] x [y0, y1], texture 0..1 across it.
inline void quad(CSoftGLContext& gl, double x0, double y0, double x1, double y1, double z)
{
    triangle(gl, {x0, y1, z, 0, 0}, {x1, y0, z, 1, 1}, {x1, y1, z, 1, 0});
    triangle(gl, {x1, y0, z, 1, 1}, {x0, y1, z, 0, 0}, {x0, y0, z, 0, 1});
}

// Viewport w x h and an orthographic projection that maps x, y in [0, w] x [0, h] one unit per pixel,
// camera at z = 0 looking down -z.
inline void pixelOrtho(CSoftGLContext& gl, int width, int height)
{
    gl.viewport(0, 0, width, height);
    gl.matrixMode(kSglProjection);
    gl.loadIdentity();
    gl.ortho(0, width, 0, height, 1, 500);
    gl.matrixMode(kSglModelview);
    gl.loadIdentity();
    gl.clear(kSglColorBufferBit | kSglDepthBufferBit);
}

inline std::vector<uint32_t> pixels(CSoftGLContext& gl)
{
    std::vector<uint32_t> out(static_cast<size_t>(gl.viewportWidth()) * gl.viewportHeight());
    gl.readPixels(0, 0, gl.viewportWidth(), gl.viewportHeight(), kSglPixelFormatBgra, kSglUnsignedByte,
                  out.data());
    return out;
}

inline unsigned makeTexture(CSoftGLContext& gl, const std::vector<uint32_t>& texels, int width, int height)
{
    unsigned name = 0;
    gl.genTextures(1, &name);
    gl.bindTexture(kSglTexture2D, name);
    gl.texImage2D(kSglTexture2D, 0, kSglInternalFormat, width, height, 0, kSglPixelFormatBgra,
                  kSglUnsignedByte, texels.data());
    return name;
}

} // namespace softgltest

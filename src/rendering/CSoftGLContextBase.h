#pragma once

#include <cstdint>

// The 47 operations of a software GL context, in slot order. Every operation is a no-op here, so a
// context variant only overrides what it implements.
class CSoftGLContextBase {
public:
    virtual ~CSoftGLContextBase() = default;

    virtual void destroy() {}                                                                      // 0
    virtual void clearColor(double, double, double, double) {}                                     // 1
    virtual void shadeModel(int) {}                                                                // 2
    virtual void enable(int) {}                                                                    // 3
    virtual void disable(int) {}                                                                   // 4
    virtual void viewport(int, int, int, int) {}                                                   // 5
    virtual void getIntegerv(int, int*) {}                                                         // 6
    virtual void lightfv(int, int, const float*) {}                                                // 7
    virtual void genTextures(int, unsigned*) {}                                                    // 8
    virtual void deleteTextures(int, const unsigned*) {}                                           // 9
    virtual void bindTexture(int, unsigned) {}                                                     // 10
    virtual void texImage2D(int, int, int, int, int, int, int, int, const void*) {}                // 11
    virtual void clear(unsigned) {}                                                                // 12
    virtual void frontFace(int) {}                                                                 // 13
    virtual void matrixMode(int) {}                                                                // 14
    virtual void loadIdentity() {}                                                                 // 15
    virtual void translated(double, double, double) {}                                             // 16
    virtual void rotated(double, double, double, double) {}                                        // 17
    virtual void multMatrixf(const float*) {}                                                      // 18
    virtual void multMatrixd(const double*) {}                                                     // 19
    virtual void lookAt(double, double, double, double, double, double, double, double, double) {} // 20
    virtual void color3ub(uint8_t, uint8_t, uint8_t) {}                                            // 21
    virtual void color4ub(uint8_t, uint8_t, uint8_t, uint8_t) {}                                   // 22
    virtual void color3ubv(const uint8_t*) {}                                                      // 23
    virtual void color4ubv(const uint8_t*) {}                                                      // 24
    virtual void color3f(float, float, float) {}                                                   // 25
    virtual void color4f(float, float, float, float) {}                                            // 26
    virtual void color3fv(const float*) {}                                                         // 27
    virtual void color4fv(const float*) {}                                                         // 28
    virtual void color3d(double, double, double) {}                                                // 29
    virtual void color4d(double, double, double, double) {}                                        // 30
    virtual void color3dv(const double*) {}                                                        // 31
    virtual void color4dv(const double*) {}                                                        // 32
    virtual void texCoord2d(double, double) {}                                                     // 33
    virtual void begin(int) {}                                                                     // 34
    virtual void normal3fv(const float*) {}                                                        // 35
    virtual void normal3dv(const double*) {}                                                       // 36
    virtual void vertex3fv(const float*) {}                                                        // 37
    virtual void vertex3dv(const double*) {}                                                       // 38
    virtual void end() {}                                                                          // 39
    virtual void finish() {}                                                                       // 40
    virtual void readPixels(int, int, int, int, int, int, void*) {}                                // 41
    virtual void frustum(double, double, double, double, double, double) {}                        // 42
    virtual void ortho(double, double, double, double, double, double) {}                          // 43
    virtual int getError() { return 31; }                                                          // 44
    virtual void useColorBuffer(void*) {}                                                          // 45
    virtual void drawBatch() {}                                                                    // 46
};

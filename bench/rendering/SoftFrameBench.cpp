// Frames per second of the animation player's frame at 256 x 256 on a head-sized mesh of over 2,000
// triangles, one thread: each processor variant of the software context, and Mesa's llvmpipe drawing
// the same triangles with the same textures through an offscreen OpenGL context. Times are the CPU time
// of the whole process, so the driver's helper threads count and a busy machine does not.
#include "BenchScene.h"
#include "rendering/SoftGLFactory.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "LlvmpipeDrawer.h"

namespace {

constexpr int kSize = 256;

const BenchScene& scene()
{
    static const BenchScene built = buildBenchScene(36, 40); // 2,880 triangles
    return built;
}

struct SoftDrawer {
    std::unique_ptr<CSoftGLContext> gl;
    unsigned textures[10] = {};
    std::vector<uint32_t> frame;

    explicit SoftDrawer(int type) : gl(createSoftGLContext(type)), frame(kSize * kSize)
    {
        gl->viewport(0, 0, kSize, kSize);
        gl->useColorBuffer(frame.data());
        static const uint32_t fallback[64] = {};
        for (int slot = 0; slot < 10; ++slot) {
            gl->genTextures(1, &textures[slot]);
            gl->bindTexture(kSglTexture2D, textures[slot]);
            bool has = !scene().slotPixels[slot].empty();
            gl->texImage2D(kSglTexture2D, 0, kSglInternalFormat, has ? scene().slotWidth[slot] : 8,
                           has ? scene().slotHeight[slot] : 8, 0, kSglPixelFormatBgra, kSglUnsignedByte,
                           has ? scene().slotPixels[slot].data() : fallback);
        }
    }

    void quad(unsigned texture, float half, float top, float bottom)
    {
        gl->enable(kSglTexture2D);
        gl->bindTexture(kSglTexture2D, texture);
        gl->begin(kSglTriangles);
        const float corners[6][4] = {{-half, top, 0, 0},   {half, bottom, 1, 1}, {half, top, 1, 0},
                                     {half, bottom, 1, 1}, {-half, top, 0, 0},   {-half, bottom, 0, 1}};
        for (const auto& c : corners) {
            gl->texCoord2d(c[2], c[3]);
            const float position[3] = {c[0], c[1], 0};
            gl->vertex3fv(position);
        }
        gl->end();
        gl->disable(kSglTexture2D);
    }

    // The same calls, in the same order, as the software renderer's player frame.
    void drawFrame()
    {
        const BenchScene& s = scene();
        gl->enable(kSglDepthTest);
        gl->clear(kSglColorBufferBit | kSglDepthBufferBit);
        gl->matrixMode(kSglProjection);
        gl->loadIdentity();
        gl->ortho(-18, 18, -18, 18, 1, 500);
        gl->matrixMode(kSglModelview);
        gl->loadIdentity();
        gl->lookAt(0, 20, 120, 0, 20, 0, 0, 1, 0);
        gl->disable(kSglDepthTest);
        quad(textures[7], 18, 38, 2);
        gl->translated(s.pivot[0], s.pivot[1], s.pivot[2]);
        gl->rotated(s.yaw * 57.295776, 0, 1, 0);
        gl->rotated(s.pitch * 57.295776, 1, 0, 0);
        gl->rotated(s.roll * 57.295776, 0, 0, 1);
        gl->translated(-s.pivot[0], -s.pivot[1], -s.pivot[2]);
        gl->enable(kSglDepthTest);
        gl->enable(kSglTexture2D);
        int bound = -1;
        for (const BenchTriangle& t : s.triangles) {
            if (t.slot != bound) {
                if (bound >= 0)
                    gl->end();
                gl->bindTexture(kSglTexture2D, textures[t.slot]);
                gl->begin(kSglTriangles);
                bound = t.slot;
            }
            for (int c = 0; c < 3; ++c) {
                gl->texCoord2d(t.texture[c][0], t.texture[c][1]);
                gl->vertex3fv(t.position[c]);
            }
        }
        gl->end();
        gl->disable(kSglTexture2D);
        gl->enable(kSglBlend);
        quad(textures[0], 20, 40, 0);
        gl->disable(kSglBlend);
        gl->finish();
    }
};

void softFrame(benchmark::State& state)
{
    SoftDrawer drawer(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        drawer.drawFrame();
        benchmark::DoNotOptimize(drawer.frame.data());
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["triangles"] = static_cast<double>(scene().triangles.size());
}
BENCHMARK(softFrame)
    ->ArgName("processor")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime();

void llvmpipeFrame(benchmark::State& state)
{
    setenv("LP_NUM_THREADS", "1", 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("GALLIUM_DRIVER", "llvmpipe", 1);
    LlvmpipeDrawer drawer;
    if (!drawer.open(kSize, kSize, scene())) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    state.SetLabel(drawer.rendererName());
    for (auto _ : state)
        drawer.drawFrame(scene());
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(llvmpipeFrame)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();

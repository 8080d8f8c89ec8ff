// The 3D editing view on llvmpipe through an offscreen context: one frame of the default head (1,825
// vertices) with its editing lines, points and fitting box, a hover pick, and the time from a mouse move
// of a line drag to the finished frame. The player's frame of the same head drawn by the software
// renderer and by the OpenGL renderer at the same size stands beside them. Both wall-clock time and the
// CPU time of the whole process are reported, since llvmpipe draws on helper threads and a busy machine
// stretches the wall clock; LP_NUM_THREADS=0 draws on the calling thread alone.
#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "rendering/CSoftRenderer.h"
#include "rendering/HeadViewSetup.h"
#include "rendering/gl/CMorphEditor.h"
#include "rendering/gl/EglOffscreenContext.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#ifndef CM_CONTENT_DIR
#define CM_CONTENT_DIR "content"
#endif

namespace {

constexpr int kWidth = 640, kHeight = 480;

struct ViewScene {
    EglOffscreenContext context;
    std::unique_ptr<CHeadModel> model;
    CMorphEditor editor;
    int lineX = 0, lineY = 0;
    bool ready = false;

    ViewScene()
    {
        model = readHeadFile(CM_CONTENT_DIR "/Models/MaleHead.cmm");
        if (!model || !context.open(kWidth, kHeight))
            return;
        std::vector<uint32_t> photo(256 * 256);
        for (size_t i = 0; i < photo.size(); ++i)
            photo[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
        model->writeSlotPixels(0, photo.data());
        editor.resize(kWidth, kHeight);
        editor.setModel(model.get(), true);
        if (!editor.createRenderer())
            return;
        // The middle of the first line segment that the pick finds as its line.
        struct Found {
            CMorphEditor* editor;
            CHeadModel* model;
            int x = -1, y = -1;
        } found{&editor, model.get()};
        model->visitEditingLines(
            [](void* context, int a, int b, int number) {
                auto& f = *static_cast<Found*>(context);
                Vec3f p, q;
                f.model->getVertex(a, p);
                f.model->getVertex(b, q);
                double x = 0, y = 0;
                f.editor->windowPoint({(p.x + q.x) / 2, (p.y + q.y) / 2, (p.z + q.z) / 2}, x, y);
                int pickClass = 0, index = -1;
                f.editor->pickAt(static_cast<int>(x), static_cast<int>(y), pickClass, index);
                if (pickClass != CGLRenderer::kPickLine || index != number)
                    return 1;
                f.x = static_cast<int>(x), f.y = static_cast<int>(y);
                return 0;
            },
            &found);
        lineX = found.x, lineY = found.y;
        ready = found.x >= 0;
    }
};

ViewScene& scene()
{
    static ViewScene built;
    return built;
}

void BM_EditViewFrame(benchmark::State& state)
{
    ViewScene& s = scene();
    if (!s.ready) {
        state.SkipWithError("no offscreen OpenGL context or no default head");
        return;
    }
    for (auto _ : state) {
        s.editor.paint();
        glFinish();
    }
    state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
}
BENCHMARK(BM_EditViewFrame)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_HoverPick(benchmark::State& state)
{
    ViewScene& s = scene();
    if (!s.ready) {
        state.SkipWithError("no offscreen OpenGL context or no default head");
        return;
    }
    int k = 0;
    for (auto _ : state) {
        s.editor.mouseMove(s.lineX + (k++ & 1), s.lineY);
        glFinish();
    }
}
BENCHMARK(BM_HoverPick)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

// One mouse move of a line drag (the line and the photo mapping follow) and the repaint it asks for.
void BM_LineDragMoveToFrame(benchmark::State& state)
{
    ViewScene& s = scene();
    if (!s.ready) {
        state.SkipWithError("no offscreen OpenGL context or no default head");
        return;
    }
    s.editor.mouseMove(s.lineX, s.lineY);
    s.editor.buttonDown(s.lineX, s.lineY);
    int k = 0;
    for (auto _ : state) {
        int step = ++k % 20;
        int x = s.lineX + (step < 10 ? step : 20 - step);
        s.editor.mouseMove(x, s.lineY);
        s.editor.paint();
        glFinish();
    }
    s.editor.buttonUp(s.lineX, s.lineY);
    s.editor.undo();
}
BENCHMARK(BM_LineDragMoveToFrame)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

// The release of a line drag: the fitting of every free vertex, the box refit and a frame.
void BM_LineDragRelease(benchmark::State& state)
{
    ViewScene& s = scene();
    if (!s.ready) {
        state.SkipWithError("no offscreen OpenGL context or no default head");
        return;
    }
    for (auto _ : state) {
        s.editor.mouseMove(s.lineX, s.lineY);
        s.editor.buttonDown(s.lineX, s.lineY);
        s.editor.mouseMove(s.lineX + 3, s.lineY);
        s.editor.buttonUp(s.lineX + 3, s.lineY);
        s.editor.paint();
        glFinish();
        state.PauseTiming();
        s.editor.undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LineDragRelease)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PlayerFrameOpenGL(benchmark::State& state)
{
    ViewScene& s = scene();
    if (!s.ready) {
        state.SkipWithError("no offscreen OpenGL context or no default head");
        return;
    }
    CGLRenderer& renderer = s.editor.renderer();
    for (auto _ : state) {
        renderer.drawPlayerFrame();
        glFinish();
    }
}
BENCHMARK(BM_PlayerFrameOpenGL)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PlayerFrameSoftware(benchmark::State& state)
{
    std::unique_ptr<CHeadModel> model = readHeadFile(CM_CONTENT_DIR "/Models/MaleHead.cmm");
    if (!model) {
        state.SkipWithError("no default head");
        return;
    }
    CSoftRenderer renderer;
    renderer.create(model.get(), 2);
    renderer.setPerspective(false);
    headview::attachWithNormalise(renderer, *model);
    std::vector<uint32_t> photo(256 * 256, 0xFF808080u), frame(kWidth * kHeight);
    model->writeSlotPixels(0, photo.data());
    renderer.setViewport(kWidth, kHeight, frame.data());
    for (auto _ : state)
        renderer.drawPlayerFrame();
}
BENCHMARK(BM_PlayerFrameSoftware)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// Repainting the track area: a full redraw of a one-hour voice with dense tracks at fit zoom and at
// 50 samples per pixel, and the time from a mouse move to the repainted picture while an item is
// dragged. The waveform is drawn two ways side by side: from the peaks read once per voice (what
// the window does) and by reading the voice for every repaint, every s-th sample of each column.

#include "audio/WavFile.h"
#include "timeline/TimelineData.h"
#include "timeline/WaveformPeaks.h"
#include "timeline/WavVoiceReader.h"
#include "timeline/ui/CTrackRegionWnd.h"
#include "timeline/ui/TrackRowPainter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr std::int32_t kHour = 16000 * 3600;

// One hour of a voice-like signal, with items on every track every tenth of a second or so.
struct LongProject {
    std::filesystem::path wav;
    TimelineData timeline;
    std::unique_ptr<CTrackRegionWnd> window;

    LongProject()
    {
        wav = std::filesystem::temp_directory_path() / "timeline_bench_hour.wav";
        if (!std::filesystem::exists(wav) || std::filesystem::file_size(wav) < std::uintmax_t(kHour) * 2) {
            CWavWriter writer;
            writer.create(wav, WavFormat());
            std::vector<std::int16_t> block(16000);
            for (std::int32_t second = 0; second < 3600; ++second) {
                for (int i = 0; i < 16000; ++i) {
                    const double envelope = 0.5 + 0.5 * std::sin((second * 16000 + i) / 2400.0);
                    block[size_t(i)] = std::int16_t(12000 * envelope * std::sin(i * 0.07 + second));
                }
                writer.write(block.data(), block.size() * 2); // bytes
            }
            writer.finish(std::uint32_t(kHour));
        }
        timeline.setVoice(wav, kHour);
        std::mt19937 random(7);
        for (std::int64_t t = 0; t + 1600 < kHour; t += 1600) {
            timeline.setSelection(std::int32_t(t), std::int32_t(t + 1500));
            VisemeItem* v = timeline.insertViseme();
            v->viseme = std::uint16_t(random() % 15);
            v->weight = 50;
            std::strcpy(v->visemeShortName, "kg");
            HeadTurnKey* key = timeline.insertHeadTurn();
            key->angle_a = int(random() % 60) - 30;
            key->angle_b = int(random() % 60) - 30;
            key->angle_c = int(random() % 20) - 10;
        }
        for (std::int64_t t = 0; t + 48000 < kHour; t += 64000) {
            timeline.setSelection(std::int32_t(t), std::int32_t(t + 48000));
            ExpressionItem* e = timeline.insertExpression();
            e->expression = 1;
            std::strcpy(e->name, "Joy");
            timeline.setSelection(std::int32_t(t + 8000), std::int32_t(t + 8000));
            EventItem* m = timeline.insertPointEvent(kMarkerEvent);
            std::strcpy(m->name, "Marker");
            timeline.setSelection(std::int32_t(t), std::int32_t(t + 40000));
            SoundItem* s = timeline.insertSound();
            std::strcpy(s->name, "Rain");
        }
        timeline.setSelection(0, 0);
        window = std::make_unique<CTrackRegionWnd>(timeline);
        window->resize(1000, 330);
        window->show();
        QCoreApplication::processEvents();
        window->resetForNewDocument(); // fit zoom
        window->composedImage();       // the peaks are read here, once
    }
    ~LongProject()
    {
        window.reset();
        timeline.release();
    }
};

// Made on first use and gone before the application is.
std::unique_ptr<LongProject> shared;

LongProject& project()
{
    if (!shared)
        shared = std::make_unique<LongProject>();
    return *shared;
}

void fullRepaint(benchmark::State& state, int samplesPerPixel)
{
    LongProject& p = project();
    if (samplesPerPixel == 0) {
        p.window->zoom(0);
    } else {
        p.window->zoom(samplesPerPixel);
        p.window->view().scrollTo(p.window->view().scrollMaximum() / 2);
    }
    for (auto _ : state) {
        p.window->redrawAllRows();
        benchmark::DoNotOptimize(p.window->composedImage().constBits());
    }
}

void BM_FullRepaintOneHourFit(benchmark::State& state) { fullRepaint(state, 0); }
void BM_FullRepaintOneHourAt50(benchmark::State& state) { fullRepaint(state, 50); }

// The waveform row alone at fit zoom: from the peaks, and reading the voice as described (every s-th
// of each column's samples, read for every repaint).
void waveformRow(benchmark::State& state, bool fromPeaks)
{
    LongProject& p = project();
    p.window->zoom(0);
    QImage picture(1000, 330, QImage::Format_RGB32);
    WaveformPeaks peaks;
    CWavVoiceReader reader;
    peaks.build(p.timeline, reader);
    TrackPaintStyle style;
    const auto read = [&](std::int64_t from, std::int64_t count, std::vector<std::int16_t>& out) {
        if (!p.timeline.openVoice(reader))
            return false;
        p.timeline.seekSamples(std::uint32_t(from * 2));
        const std::vector<std::uint8_t> bytes = p.timeline.readSamples(std::size_t(count) * 2);
        p.timeline.closeVoice();
        out.resize(bytes.size() / 2);
        std::memcpy(out.data(), bytes.data(), out.size() * 2);
        return !out.empty();
    };
    for (auto _ : state) {
        QPainter painter(&picture);
        paintTrackRow(painter, kWaveformRow, p.timeline, p.window->view(), style, fromPeaks ? &peaks : nullptr, read);
    }
}

void BM_WaveformFitFromPeaks(benchmark::State& state) { waveformRow(state, true); }
void BM_WaveformFitReadingVoice(benchmark::State& state) { waveformRow(state, false); }

// Each row alone at fit zoom, to see where a full repaint's time goes.
void BM_RowAtFit(benchmark::State& state)
{
    LongProject& p = project();
    p.window->zoom(0);
    QImage picture(1000, 330, QImage::Format_RGB32);
    TrackPaintStyle style;
    WaveformPeaks peaks;
    CWavVoiceReader reader;
    if (state.range(0) == kWaveformRow)
        peaks.build(p.timeline, reader);
    for (auto _ : state) {
        QPainter painter(&picture);
        paintTrackRow(painter, int(state.range(0)), p.timeline, p.window->view(), style, &peaks, {});
    }
}

void BM_WaveformPeaksBuildOneHour(benchmark::State& state)
{
    LongProject& p = project();
    for (auto _ : state) {
        WaveformPeaks peaks;
        CWavVoiceReader reader;
        benchmark::DoNotOptimize(peaks.build(p.timeline, reader));
    }
}

// A mouse move while a viseme's body is dragged, to the picture the window would show.
void BM_DragMoveToRepaint(benchmark::State& state)
{
    LongProject& p = project();
    p.window->zoom(50);
    p.window->view().scrollTo(p.window->view().scrollMaximum() / 2);
    p.window->redrawAllRows();
    p.window->composedImage();
    const RowRect row = p.window->view().row(kExpressionRow);
    // The expression under the window's middle, grabbed by its body.
    const std::int64_t t = p.window->view().timeAt(500);
    const int index = p.timeline.expressions().lastStartingAtOrBefore(std::uint32_t(t));
    if (index < 0) {
        state.SkipWithError("no expression under the pointer");
        return;
    }
    const ExpressionItem& item = *p.timeline.expressions().item(index);
    const int x0 = p.window->view().xOf((item.start + item.end) / 2);
    const QPointF at(x0, row.top + row.height / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(p.window.get(), &press);
    int step = 0;
    for (auto _ : state) {
        const QPointF to(x0 + (step++ % 2 ? 3 : -3), at.y());
        QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(p.window.get(), &move);
        benchmark::DoNotOptimize(p.window->composedImage().constBits());
    }
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(p.window.get(), &release);
}

} // namespace

BENCHMARK(BM_FullRepaintOneHourFit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRepaintOneHourAt50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaveformFitFromPeaks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaveformFitReadingVoice)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RowAtFit)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaveformPeaksBuildOneHour)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DragMoveToRepaint)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shared.reset();
    return 0;
}

#include "PlayerTestSupport.h"

#include "TestSupport.h"
#include "images/PngFile.h"
#include "documents/ProjectFile.h"
#include "documents/TimelineItemFiles.h"
#include "session/DocumentHead.h"
#include "session/MediaExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace playertest {

Project::Project()
{
    DocumentStatus status;
    if (!loadProject(store, testsupport::binDir() / "Default" / "Male.cmx", kLoadAll, status))
        return;
    loadTimelineFromStore(store, timeline);
    // The head the session's export takes when no studio holds one: pictures in their slots.
    head = documentHead(store);
    files = mediaFilesOf(store);
}

ExportParameters Project::parameters(const std::filesystem::path& output, ExportKind kind,
                                     std::uint32_t blinkSeed)
{
    ExportParameters p;
    p.output = output;
    p.kind = kind;
    p.head = head.get();
    p.timeline = &timeline;
    p.expressionsFolder = testsupport::binDir() / "Expressions";
    p.pictures = exportPictures(store);
    p.framesPerSecond = 15;
    p.fill = [this, blinkSeed](CFapMixer& mixer, CEventSequencer& schedule) {
        fillPlayback(timeline, files, mixer, schedule, wholeVoiceRange(timeline),
                     seededBlinkRandom(blinkSeed));
    };
    return p;
}

bool exportRendered(ExportParameters parameters, RenderedFrames& rendered)
{
    parameters.frameTap = [&rendered](std::int64_t ms, const std::uint32_t* pixels, int width, int height) {
        rendered[ms] = topDown(pixels, width, height);
    };
    return runExport(parameters) == kExportOk && !rendered.empty();
}

void expectFramesMatchRendered(const AnimationFile& file, const std::filesystem::path& folder,
                               const RenderedFrames& rendered)
{
    double lowest = 99, sum = 0;
    for (std::size_t i = 0; i < file.frames.size(); ++i) {
        const auto expected = rendered.find(file.frames[i].ms);
        ASSERT_NE(expected, rendered.end()) << "no rendered frame at " << file.frames[i].ms << " ms";
        std::vector<std::uint32_t> pixels;
        int width = 0, height = 0;
        ASSERT_TRUE(readPngBgra(framePath(folder, i).string(), pixels, width, height)) << i;
        ASSERT_EQ(pixels.size(), expected->second.size());
        const double db = psnr(pixels, expected->second);
        EXPECT_GE(db, 30.0) << "frame " << i << " at " << file.frames[i].ms << " ms";
        lowest = std::min(lowest, db);
        sum += db;
    }
    std::printf("PSNR over %zu frames: min %.2f dB, mean %.2f dB\n", file.frames.size(), lowest,
                sum / double(file.frames.size()));
}

double psnr(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const double d = double((a[i] >> shift) & 0xFF) - double((b[i] >> shift) & 0xFF);
            squares += d * d;
        }
    const double mse = squares / (3.0 * double(a.size()));
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

std::vector<std::uint32_t> topDown(const std::uint32_t* bottomUp, int width, int height)
{
    std::vector<std::uint32_t> rows(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        std::copy_n(bottomUp + std::size_t(height - 1 - y) * std::size_t(width), width,
                    rows.begin() + std::ptrdiff_t(std::size_t(y) * std::size_t(width)));
    return rows;
}

double peakCrossCorrelation(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b,
                            int maxShift)
{
    double best = 0;
    for (int shift = -maxShift; shift <= maxShift; ++shift) {
        double ab = 0, aa = 0, bb = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const long j = long(i) + shift;
            if (j < 0 || std::size_t(j) >= b.size())
                continue;
            const double x = a[i], y = b[std::size_t(j)];
            ab += x * y;
            aa += x * x;
            bb += y * y;
        }
        if (aa > 0 && bb > 0)
            best = std::max(best, ab / std::sqrt(aa * bb));
    }
    return best;
}

std::vector<std::int16_t> halveRate(const std::vector<std::int16_t>& samples)
{
    std::vector<std::int16_t> halved(samples.size() / 2);
    for (std::size_t i = 0; i < halved.size(); ++i)
        halved[i] = std::int16_t((int(samples[2 * i]) + int(samples[2 * i + 1])) / 2);
    return halved;
}

std::vector<std::int16_t> wavSamples(const std::filesystem::path& path)
{
    const std::vector<unsigned char> bytes = testsupport::readBinaryFile(path);
    std::vector<std::int16_t> samples;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::size_t size = std::size_t(bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16) |
                                 std::size_t(bytes[at + 7]) << 24;
        if (std::string(bytes.begin() + long(at), bytes.begin() + long(at) + 4) == "data") {
            const std::size_t end = std::min(bytes.size(), at + 8 + size);
            for (std::size_t i = at + 8; i + 1 < end; i += 2)
                samples.push_back(std::int16_t(bytes[i] | bytes[i + 1] << 8));
            break;
        }
        at += 8 + size + (size & 1);
    }
    return samples;
}

std::string playerProgram()
{
    return (testsupport::binDir() / "chattermask-player").string();
}

std::string cliProgram()
{
    return (testsupport::binDir() / "chattermask-cli").string();
}

std::filesystem::path framePath(const std::filesystem::path& folder, std::size_t i)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05zu.png", i);
    return folder / name;
}

std::size_t framesWritten(const std::filesystem::path& folder)
{
    std::size_t written = 0;
    while (std::filesystem::exists(framePath(folder, written)))
        ++written;
    return written;
}

} // namespace playertest

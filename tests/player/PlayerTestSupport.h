#pragma once

// What the player's tests share: the default project as the export takes it, the measures that
// compare played frames and sound with the export's own, and the program under test.
#include "documents/ProjectStore.h"
#include "export/ExportPipeline.h"
#include "face/CHeadModel.h"
#include "player/AnimationFile.h"
#include "session/PlaybackFill.h"
#include "timeline/TimelineData.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace playertest {

// The default male project, loaded as the command-line tool loads it.
struct Project {
    ProjectStore store;
    TimelineData timeline;
    std::unique_ptr<CHeadModel> head;
    MediaFiles files;

    Project();
    // The export of the whole voice with blinks drawn from `blinkSeed`.
    ExportParameters parameters(const std::filesystem::path& output, ExportKind kind,
                                std::uint32_t blinkSeed);
};

// The rendered pictures of an export, top row first, by their times.
using RenderedFrames = std::map<std::int64_t, std::vector<std::uint32_t>>;
// Runs the export with a tap on its pictures; false when the export fails.
bool exportRendered(ExportParameters parameters, RenderedFrames& rendered);

// Every frame the player wrote into `folder` against the export's picture at the record's time: at
// least 30 dB each; prints the lowest and the mean.
void expectFramesMatchRendered(const AnimationFile& file, const std::filesystem::path& folder,
                               const RenderedFrames& rendered);

// Colour channels only: the fourth byte of a rendered frame is not part of the picture.
double psnr(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b);
std::vector<std::uint32_t> topDown(const std::uint32_t* bottomUp, int width, int height);

// The largest normalised cross-correlation of two signals over the shifts of `b` within +-maxShift.
double peakCrossCorrelation(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b,
                            int maxShift);
// 16 kHz samples at 8 kHz, each pair averaged as the stream writer does.
std::vector<std::int16_t> halveRate(const std::vector<std::int16_t>& samples);
// The samples of a 16-bit PCM WAV file.
std::vector<std::int16_t> wavSamples(const std::filesystem::path& path);

std::string playerProgram();
std::string cliProgram();
std::filesystem::path framePath(const std::filesystem::path& folder, std::size_t i);
// How many numbered frames the player wrote into `folder`.
std::size_t framesWritten(const std::filesystem::path& folder);

} // namespace playertest

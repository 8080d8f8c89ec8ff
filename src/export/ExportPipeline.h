#pragma once

#include "export/AnimationStream.h"
#include "export/ExportCodes.h"

#include "Common/Progress.h"
#include "animation/CFapMixer.h"
#include "audio/EventSequencer.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class CHeadModel;
class TimelineData;

// 0 and 1 are the Windows Media kinds; MP4 is ours.
enum class ExportKind { video = 0, stream = 1, mp4 = 2 };

// Fills a fresh mixer and media schedule from the project's tracks over the whole voice, as a play
// does; the session supplies it, so the export needs no knowledge of the tracks' meaning.
using PlaybackFiller = std::function<void(CFapMixer& mixer, CEventSequencer& schedule)>;

struct ExportParameters {
    std::filesystem::path output;
    ExportKind kind = ExportKind::stream;
    int profileIndex = 0;             // video kind only
    CHeadModel* head = nullptr;       // with its textures in place
    TimelineData* timeline = nullptr; // the voice, the scripts and the markers
    PlaybackFiller fill;
    std::filesystem::path expressionsFolder; // the mixer's expression rows
    HeadPackFiles pictures;                  // what the animation stream carries
    int framesPerSecond = 15; // the animation stream and MP4; the video kind takes its profile's
    int mp4Size = 256;        // 256 or 512
    bool writePage = false;
    ProgressCallback progress; // bytes of voice done, total bytes
    // Sees every rendered picture (bottom row first) as it goes to the encoder; for checks and benches.
    std::function<void(std::int64_t ms, const std::uint32_t* pixels, int width, int height)> frameTap;
};

struct ExportSummary {
    std::vector<std::string> streams; // "video MP43 256x256 30 fps", ...
    std::uint64_t frames = 0;
    std::uint64_t durationMs = 0;
    std::uint64_t audioSamples = 0; // 16 kHz samples handed to the audio encoder
    std::uint64_t bytes = 0;
    int width = 0;
    int height = 0;
    std::string failure; // on a refusal, what was refused, for a log or standard error
};

// The whole export: profile, frame loop, header objects, index, and the page when asked. On any failure
// nothing is left at the output path (an existing file there stays as it was); a refusal of the settings
// says why in the summary's `failure`.
ExportCode runExport(const ExportParameters& parameters, ExportSummary* summary = nullptr);

// The frame step in whole milliseconds (66 at 15 frames per second); 0 for a rate of 0.
std::int32_t frameDurationMs(int framesPerSecond);

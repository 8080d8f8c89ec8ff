#pragma once

#include "documents/ProjectStore.h"
#include "export/ExportPipeline.h"
#include "face/CHeadModel.h"
#include "session/PlaybackFill.h"
#include "timeline/TimelineData.h"

#include <cstdint>
#include <filesystem>
#include <memory>

// The default male project as the export takes it, its voice looped to a long length so that start-up
// costs vanish in the figures; the tracks keep their first pass.
struct LongProject {
    ProjectStore store;
    TimelineData timeline;
    std::unique_ptr<CHeadModel> head;
    MediaFiles files;

    // Loads the project beside the programs in `bin` and writes the looped voice into `folder`.
    bool open(const std::filesystem::path& bin, double minutes, const std::filesystem::path& folder);
    // An export of the whole voice into `output` with the project's pictures and blinks from `blinkSeed`.
    ExportParameters exportParameters(const std::filesystem::path& output, ExportKind kind,
                                      const std::filesystem::path& bin, std::uint32_t blinkSeed);
};

// Processor time of this process so far, all its threads, in seconds.
double processCpuSeconds();
// Processor time a command takes, user and system, in seconds; -1 when it fails.
double commandCpuSeconds(const std::string& command);

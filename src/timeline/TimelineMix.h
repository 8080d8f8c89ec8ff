#pragma once

#include "audio/EventSequencer.h"
#include "timeline/TimelineData.h"
#include "audio/VoiceConversion.h"

#include <filesystem>

// Mixes the voice of the selection (the whole voice when the selection is at most one sample wide)
// with the scheduled clips into `destination`, as the preview plays it. Returns 0 or a WAV result
// code; on failure the destination is removed. The voice is closed again in every case.
int prepareTimelineMix(TimelineData& timeline, VoiceReader& reader, CEventSequencer& schedule,
                       const std::filesystem::path& destination, const ConversionProgress& progress = {});

#pragma once

#include "audio/EventSequencer.h"
#include "timeline/TimelineData.h"
#include "audio/VoiceConversion.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Finds the file behind a name of the project's sound or picture list; nothing for an unknown name.
using NamedFileLookup = std::function<std::optional<std::filesystem::path>(const std::string& name)>;

// Turns the sound items and background-image events into schedule entries (times in milliseconds).
// Items naming nothing in the lists are left out: there is nothing to play or show for them.
void scheduleTracks(const TimelineData& timeline, CEventSequencer& schedule, const NamedFileLookup& clipFile,
                    const NamedFileLookup& imageFile);

// Mixes the voice of the selection (the whole voice when the selection is at most one sample wide)
// with the scheduled clips into `destination`, as the preview plays it. Returns 0 or a WAV result
// code; on failure the destination is removed. The voice is closed again in every case.
int prepareTimelineMix(TimelineData& timeline, VoiceReader& reader, CEventSequencer& schedule,
                       const std::filesystem::path& destination, const ConversionProgress& progress = {});

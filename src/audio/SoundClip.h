#pragma once

#include "audio/VoiceConversion.h"

#include <cstdint>
#include <filesystem>
#include <string>

// A sound clip ready for the schedule: its list name, its converted working file and its length.
struct SoundClipEntry {
    std::string name;
    std::filesystem::path file;
    std::int32_t samples = 0;
};

// The list name of a clip: the file's base name without folder and extension.
std::string soundClipName(const std::filesystem::path& source);

// Converts `source` into a new temporary file (prefix "wav") in the voice format and measures it.
// Returns 0 or a WAV result code; on failure no temporary file is left and `entry` is unchanged.
int prepareSoundClip(const std::filesystem::path& source, SoundClipEntry& entry,
                     const ConversionProgress& progress = {});

// A length in samples as the clip list shows it: "MM : SS", or "HH : MM : SS" from one hour on.
std::string durationText(std::int64_t samples);

#pragma once

#include "audio/EventSequencer.h"
#include "audio/VoiceConversion.h"

#include <cstdint>
#include <filesystem>
#include <functional>

// Fills `buffer` with the voice's next `bytes` bytes; the buffer arrives zeroed, so a voice that ends
// early leaves silence. False on a read error.
using VoiceChunkReader = std::function<bool(std::uint8_t* buffer, std::size_t bytes)>;

// The step in which the voice and the clips are mixed, as the preview plays frames.
constexpr std::int32_t kMixStepMs = 40;

// Writes `samples` samples of voice, starting at schedule time `fromMs`, mixed with the schedule's
// sound clips, as a 16 kHz mono 16-bit WAV. Returns 0 or a WAV result code; a failed schedule or a
// cancel gives kWavCannotOpen. On failure the destination is removed.
int writeScheduleMix(const VoiceChunkReader& voice, CEventSequencer& schedule, std::int32_t fromMs,
                     std::uint32_t samples, const std::filesystem::path& destination,
                     const ConversionProgress& progress = {});

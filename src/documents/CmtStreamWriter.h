#pragma once

#include "documents/DocumentStatus.h"
#include "documents/ItemWindow.h"
#include "documents/SpeechFrameCoder.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Everything the stream file carries, gathered by the caller from the store, the head model and the
// track model.
struct StreamInputs {
    std::filesystem::path voice; // the voice's working copy: 16 kHz mono 16-bit WAV
    // Writes the head as a mesh record to the given path; false when it cannot.
    std::function<bool(const std::filesystem::path&)> writeMesh;
    std::string faceTexture, mask, teethTop, teethBottom;         // image files, empty when none
    std::vector<std::pair<std::string, std::string>> backgrounds; // name and image file, in list order
    EncodedTrack visemes, expressions, headTurns;
};

// Reports work done out of the total (voice samples); returns false to cancel.
using StreamProgress = std::function<bool(uint64_t done, uint64_t total)>;

// The progress in per mille as the stream writer reports it.
int streamPerMille(uint64_t done, uint64_t total);

constexpr uint32_t kStreamBlockUnits = 7680; // 16 speech frames of 480 samples: 0.48 s
constexpr size_t kStreamFramesPerBlock = 16;

// Writes the whole `.cmt` stream in one pass. On failure or cancel nothing is left at `path` (an
// earlier file there stays as it was): the stream is written beside it and moved over it at the end.
bool writeStreamFile(const std::filesystem::path& path, const StreamInputs& inputs, SpeechFrameCoder& coder,
                     const StreamProgress& progress, DocumentStatus& status);

// Finds the sample data of a 16 kHz mono 16-bit PCM WAV: its offset and byte count (within the file).
bool findVoiceSamples(class ByteSource& in, uint64_t& offset, uint64_t& bytes);

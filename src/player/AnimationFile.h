#pragma once

#include "animation/CFapMixer.h"
#include "face/CHeadModel.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// One animation-parameter record and the time it is shown from.
struct TimedFapFrame {
    std::int64_t ms = 0;
    FapFrame values{};
};

// Everything a player needs from an animation stream file.
struct AnimationFile {
    std::unique_ptr<CHeadModel> head;  // with its pictures in their slots
    std::vector<TimedFapFrame> frames; // in time order, every value restored
    std::vector<std::int16_t> voice;   // 16 kHz mono, from the file's start
    std::string damage;                // why reading stopped before the end; empty for a whole file
};

enum class AnimationOpen {
    whole,   // read to its end
    damaged, // readable up to `damage`: the frames and voice before it are kept
    failed,  // not an animation stream, or its head is unreadable: nothing to play
};

constexpr int kPlayerVoiceRate = 16000;

// Reads the head from the header, the records and the decoded sound from the packets. The frames hold
// the values as the export's mixer made them: what a record leaves out is blended again from its packed
// words over the expression rows in `expressionsFolder` (built-in rows where a file is missing).
AnimationOpen openAnimationFile(const std::filesystem::path& path,
                                const std::filesystem::path& expressionsFolder, AnimationFile& file,
                                std::string& error);

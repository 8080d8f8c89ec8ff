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

// The two files the player opens, told apart by their content.
enum class AnimationKind {
    parameterStream, // ".cmf": the export's animation stream, a record of parameters per frame
    itemStream,      // ".cmt": the stream file of timed items and coded speech
};

// Everything a player needs from an animation stream file.
struct AnimationFile {
    AnimationKind kind = AnimationKind::parameterStream;
    std::unique_ptr<CHeadModel> head;     // with its pictures in their slots
    std::vector<TimedFapFrame> frames;    // in time order, every value restored
    std::vector<std::int16_t> voice;      // 16 kHz mono, from the file's start
    std::string damage;                   // why reading stopped before the end; empty for a whole file
    std::vector<std::string> backgrounds; // the background list's names, where the file carries them
};

enum class AnimationOpen {
    whole,   // read to its end
    damaged, // readable up to `damage`: the frames and voice before it are kept
    failed,  // not an animation stream, or its head is unreadable: nothing to play
};

constexpr int kPlayerVoiceRate = 16000;
// The blinks of an item stream, drawn as the studio's export draws them when it is given no seed.
constexpr std::uint32_t kDefaultBlinkSeed = 0;

// Reads either kind of file. An animation stream gives the head from its header, the records and the
// decoded sound from its packets: the frames hold the values as the export's mixer made them, what a
// record leaves out blended again from its packed words over the expression rows in
// `expressionsFolder` (built-in rows where a file is missing). An item stream gives the head and its
// pictures (the first background in the background slot), frames made by the mixer from its items at
// the animation stream's rate with blinks drawn from `blinkSeed` as a play draws them, and its speech
// decoded to the voice rate.
AnimationOpen openAnimationFile(const std::filesystem::path& path,
                                const std::filesystem::path& expressionsFolder, AnimationFile& file,
                                std::string& error, std::uint32_t blinkSeed = kDefaultBlinkSeed);

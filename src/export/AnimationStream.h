#pragma once

#include "animation/CFapMixer.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class CHeadModel;

// The picture files that travel in the animation stream's head pack; an empty path is left out.
struct HeadPackFiles {
    std::filesystem::path mask, photo, teethTop, teethBottom;
    std::filesystem::path background; // the first background picture, when the project has any
};

constexpr std::size_t kFapMaskBytes = 9;

// The parameters a frame's record carries: viseme, expression and the head pose always, the four
// eyelid closures only while they are closed at all.
std::array<std::uint8_t, kFapMaskBytes> animationMask(const FapFrame& frame);
// The "CFPS" record of one frame: tag, length of the rest, the mask and the present values.
std::vector<std::uint8_t> animationRecord(const FapFrame& frame);

// The head pack before compression: "MESH" (the model's mesh record), "MSKJ", "FTXJ", "TTTJ", "BTTJ"
// and "BGRJ", each a tag, a 32-bit length and the file's bytes. Built through a "~md" temporary file.
// False when the mesh or a named file cannot be read.
bool buildHeadPack(const CHeadModel& head, const HeadPackFiles& files, std::vector<std::uint8_t>& pack);

// A ZIP archive of one deflated entry (compression level 6) holding `data` under `entryName`.
bool zipDeflate(const std::vector<std::uint8_t>& data, const std::string& entryName,
                std::vector<std::uint8_t>& zip);
// The entry of an archive made by zipDeflate, inflated; false for anything damaged or different.
bool unzipSingle(const std::vector<std::uint8_t>& zip, std::vector<std::uint8_t>& data);

#pragma once
// Speech made at test time with flite, with its own phone timing as the reference.

#include "TestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace speechsample {

struct ReferencePhone {
    std::string phone; // upper case, as the recogniser's phone set spells it; "SIL" for pauses
    int endFrame = 0;  // exclusive, 10-ms frames
};

struct Speech {
    std::vector<int16_t> samples; // 16 kHz mono
    std::vector<ReferencePhone> phones;
};

// Synthesises text with a flite voice into dir; empty samples when flite or sox fail.
Speech synthesise(const std::string& text, const std::string& voice, const std::filesystem::path& dir);

} // namespace speechsample

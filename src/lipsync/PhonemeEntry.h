#pragma once
// One recognised phoneme of a block, and one phoneme of the spliced track.

#include <cstdint>
#include <string>

// The recogniser's result for one symbol: frames while being built, samples from the block start once
// converted.
struct PhonemeEntry {
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t length = 0;
    char syllable[10] = {}; // only in the first entry of a syllable
    char symbol[10] = {};   // two Big5 bytes and NUL
    int16_t phoneme = 0;
    uint16_t viseme = 0;
    uint32_t level = 100;
};
static_assert(sizeof(PhonemeEntry) == 40);

// One item of the spliced viseme track, in samples of the whole voice.
struct TrackPhoneme {
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t length = 0;
    uint32_t level = 100;
    uint32_t weight = 50;
    int16_t phoneme = 0;
    uint16_t viseme = 0;
    std::string label;
    std::string visemeName; // the viseme's short name
    std::string syllable;
    std::string symbol;
};

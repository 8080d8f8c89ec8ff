#pragma once
// The viseme track in the plain formats other animation tools read: a tab-separated list, the switch-layer
// data file of 2D animation tools, and the JSON mouth-cue file with the nine-shape mouth set.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct VisemeSpan {
    uint32_t start = 0; // samples of the 16 kHz voice
    uint32_t end = 0;
    uint16_t viseme = 0;
    int16_t phoneme = 0; // refines a few mouths: "l" has its own, "w" its own rounded one
};

constexpr int kSwitchFramesPerSecond = 24;

// Mouth names of the switch-layer set: AI, E, O, U, etc, L, WQ, MBP, FV, rest.
std::string switchMouthOf(uint16_t viseme, int16_t phoneme);
// One of the nine shapes A to H and X (rest).
char cueShapeOf(uint16_t viseme, int16_t phoneme);

// "start<TAB>end<TAB>viseme<TAB>name", seconds with three decimals, one line per item.
void writeVisemeTsv(std::ostream& out, const std::vector<VisemeSpan>& spans);
// "MohoSwitch1", then "frame mouth" at every change, frames counted from 1 at 24 per second; gaps rest.
void writeSwitchData(std::ostream& out, const std::vector<VisemeSpan>& spans);
// {"metadata": {"soundFile", "duration"}, "mouthCues": [{"start", "end", "value"}]}: cues cover the
// whole voice without gaps (pauses are X), neighbours of one shape joined; seconds with two decimals.
void writeMouthCues(std::ostream& out, const std::vector<VisemeSpan>& spans, const std::string& soundFile,
                    uint32_t voiceSamples);

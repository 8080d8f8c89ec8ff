#pragma once
// Speech with a known phone timing for the lip-sync bench: synthesised sentences of flite and Festival
// voices at several speeds, each voice's own phone durations being the reference, and the recorded
// speech of the decoder's test data against a forced alignment of its transcripts.

#include <filesystem>
#include <string>
#include <vector>

struct BenchVoice {
    std::string source;         // "flite-awb", "festival-ked", "recorded" ...
    std::string wav;            // 16 kHz mono 16-bit
    std::string text;           // what the voice says
    std::vector<int> reference; // viseme per 10-ms frame
    bool heldOut = false;       // never used to choose settings
};

// The whole material (or only the tuning set), synthesised into workDir. Voices whose tools are missing
// are left out.
std::vector<BenchVoice> benchMaterial(const std::filesystem::path& workDir, bool tuningOnly = false);

// Viseme of a reference phone (flite, Festival or CMU dictionary spelling, lower case); 0 for pauses.
int visemeOfReferencePhone(const std::string& phone);

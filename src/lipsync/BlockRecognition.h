#pragma once
// Recognition of one block of samples into phoneme entries, and their conversion to samples.

#include "lipsync/PhonemeEntry.h"
#include "lipsync/SylRecogniser.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kSamplesPerFrame = 160;

// Runs the recogniser's call sequence over count samples and splits each syllable evenly among its
// symbols; entries are in frames. True for success (no syllables included); on failure entries is empty.
// Calls into the recogniser are serialised across the process, since the library holds one global state.
bool recogniseBlock(ISylRecogniser& recogniser, const std::string& resourceFile, const int16_t* samples,
                    int count, std::vector<PhonemeEntry>& entries);

// Frames to samples from the block start, lengths, levels and visemes.
void convertEntries(std::vector<PhonemeEntry>& entries);

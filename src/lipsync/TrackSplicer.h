#pragma once
// Splices the converted entries of one block into the track produced so far in this run.

#include "lipsync/PhonemeEntry.h"

#include <cstdint>
#include <vector>

constexpr uint32_t kOverlapSamples = 80000;   // 5 s shared by consecutive blocks
constexpr uint32_t kFallbackSplice = 40000;    // the middle of the overlap

// Merges entries of the block at sample offset blockOffset into track, which holds the items produced so
// far in this run. The first block (or the first with results) replaces the track from index 0.
// An empty block changes nothing.
void mergeBlock(std::vector<TrackPhoneme>& track, uint32_t blockOffset, const std::vector<PhonemeEntry>& entries);

TrackPhoneme trackPhonemeOf(const PhonemeEntry& entry, uint32_t blockOffset);

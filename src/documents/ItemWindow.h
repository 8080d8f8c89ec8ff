#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A track's items already encoded as their file records, with the start time of each, so that item
// files and stream blocks can cut them into time windows without knowing the record type.
struct EncodedTrack {
    uint32_t version = 0;
    std::vector<uint32_t> starts;              // ascending, one per record
    std::vector<std::vector<uint8_t>> records; // the bytes each item is stored as
};

// Picks the items of the window [windowStart, windowStart + windowLength) from `runningIndex` on:
// items starting before the window are passed over, those starting inside are taken, and when any
// were taken the first item starting after the window travels with them. Advances `runningIndex`
// by the number taken and returns the index of the first one and their count.
struct WindowPick {
    size_t first = 0;
    size_t count = 0;
};
WindowPick pickWindow(const std::vector<uint32_t>& starts, size_t& runningIndex, uint64_t windowStart,
                      uint64_t windowLength);

// The item-file body of a window: count, version, then the picked records.
std::vector<uint8_t> windowPayload(const EncodedTrack& track, size_t& runningIndex, uint64_t windowStart,
                                   uint64_t windowLength);

#include "documents/ItemWindow.h"

#include "documents/ByteSource.h"

WindowPick pickWindow(const std::vector<uint32_t>& starts, size_t& runningIndex, uint64_t windowStart,
                      uint64_t windowLength)
{
    WindowPick pick;
    uint64_t windowEnd = windowStart + windowLength;
    pick.first = runningIndex;
    bool firstFound = false;
    for (size_t i = runningIndex; i < starts.size(); ++i) {
        if (starts[i] < windowStart)
            continue;
        if (!firstFound) {
            pick.first = i;
            firstFound = true;
        }
        if (starts[i] >= windowEnd) {
            if (pick.count > 0)
                ++pick.count;
            break;
        }
        ++pick.count;
    }
    runningIndex += pick.count;
    return pick;
}

std::vector<uint8_t> windowPayload(const EncodedTrack& track, size_t& runningIndex, uint64_t windowStart,
                                   uint64_t windowLength)
{
    WindowPick pick = pickWindow(track.starts, runningIndex, windowStart, windowLength);
    std::vector<uint8_t> payload;
    appendU32(payload, static_cast<uint32_t>(pick.count));
    appendU32(payload, track.version);
    for (size_t i = pick.first; i < pick.first + pick.count && i < track.records.size(); ++i)
        payload.insert(payload.end(), track.records[i].begin(), track.records[i].end());
    return payload;
}

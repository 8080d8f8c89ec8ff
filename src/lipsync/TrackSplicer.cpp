#include "lipsync/TrackSplicer.h"

#include "lipsync/PhonemeTables.h"

#include <string>

namespace {

struct Splice {
    size_t keepOld;  // old items [0, keepOld) stay
    size_t takeFrom; // new entries from this index on are written
};

size_t symbolCount(const std::string& syllable)
{
    return syllable.size() / 2;
}

// First old index after the last syllable that starts before the block.
size_t oldRangeStart(const std::vector<TrackPhoneme>& track, uint32_t blockOffset)
{
    for (size_t i = track.size(); i-- > 0;)
        if (!track[i].syllable.empty() && track[i].start < blockOffset)
            return std::min(track.size(), i + symbolCount(track[i].syllable));
    return 0;
}

// One past the new range: the last syllable entry within the overlap.
size_t newRangeEnd(const std::vector<PhonemeEntry>& entries)
{
    for (size_t j = entries.size(); j-- > 0;)
        if (entries[j].syllable[0] && entries[j].start <= kOverlapSamples)
            return j;
    return 0;
}

// The longest run of old items and new entries that agree in start, end and syllable text; among equal
// runs the latest wins. Returns false when no pair agrees.
bool findMatchingRun(const std::vector<TrackPhoneme>& track, uint32_t blockOffset,
                     const std::vector<PhonemeEntry>& entries, Splice& splice)
{
    const size_t oldStart = oldRangeStart(track, blockOffset);
    size_t i = track.size(), j = newRangeEnd(entries);
    size_t run = 0, best = 0;
    while (i > oldStart && j > 0) {
        const TrackPhoneme& item = track[i - 1];
        const PhonemeEntry& entry = entries[j - 1];
        const uint32_t entryStart = blockOffset + entry.start;
        if (item.start > entryStart) {
            run = 0;
            --i;
            continue;
        }
        if (item.start < entryStart) {
            run = 0;
            --j;
            continue;
        }
        const bool same = !item.syllable.empty() && item.syllable == entry.syllable &&
                          item.end == blockOffset + entry.end;
        run = same ? run + 1 : 0;
        if (run > best) {
            best = run;
            splice = {i - 1, j - 1};
        }
        --i;
        --j;
    }
    return best > 0;
}

// Index just past the kept old syllable within the first half of the overlap, or none.
bool findOldSplice(const std::vector<TrackPhoneme>& track, uint32_t blockOffset, size_t& keepOld)
{
    const size_t oldStart = oldRangeStart(track, blockOffset);
    for (size_t i = track.size(); i-- > oldStart;)
        if (!track[i].syllable.empty() && track[i].start <= blockOffset + kFallbackSplice) {
            keepOld = std::min(track.size(), i + std::max<size_t>(1, symbolCount(track[i].syllable)));
            return true;
        }
    return false;
}

bool findNewSplice(const std::vector<PhonemeEntry>& entries, size_t& takeFrom)
{
    for (size_t j = 0; j < entries.size(); ++j)
        if (entries[j].syllable[0] && entries[j].start > kFallbackSplice) {
            takeFrom = j;
            return true;
        }
    return false;
}

Splice chooseSplice(const std::vector<TrackPhoneme>& track, uint32_t blockOffset,
                    const std::vector<PhonemeEntry>& entries)
{
    Splice splice{0, 0};
    if (track.empty())
        return splice;
    if (findMatchingRun(track, blockOffset, entries, splice))
        return splice;
    if (findOldSplice(track, blockOffset, splice.keepOld) && findNewSplice(entries, splice.takeFrom))
        return splice;
    // Neither half gives a splice: keep everything old and continue after it.
    return {track.size(), 0};
}

} // namespace

TrackPhoneme trackPhonemeOf(const PhonemeEntry& entry, uint32_t blockOffset)
{
    TrackPhoneme item;
    item.start = blockOffset + entry.start;
    item.end = blockOffset + entry.end;
    item.length = entry.length;
    item.level = 100;
    item.weight = 50;
    item.phoneme = entry.phoneme;
    item.label = phonemeLabel(entry.phoneme);
    item.viseme = entry.viseme;
    item.visemeName = visemeShortName(entry.viseme);
    item.syllable = entry.syllable;
    item.symbol = entry.symbol;
    return item;
}

void mergeBlock(std::vector<TrackPhoneme>& track, uint32_t blockOffset, const std::vector<PhonemeEntry>& entries)
{
    if (entries.empty())
        return;
    const Splice splice = chooseSplice(track, blockOffset, entries);
    track.resize(splice.keepOld);
    // Entries that would start inside the last kept item are dropped, so items never overlap.
    const uint32_t keptEnd = track.empty() ? 0 : track.back().end;
    for (size_t j = splice.takeFrom; j < entries.size(); ++j)
        if (blockOffset + entries[j].start >= keptEnd)
            track.push_back(trackPhonemeOf(entries[j], blockOffset));
}

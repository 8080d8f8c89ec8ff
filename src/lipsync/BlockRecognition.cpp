#include "lipsync/BlockRecognition.h"

#include "lipsync/PhonemeTables.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <mutex>

namespace {

std::mutex gRecogniserMutex;

struct Syllable {
    uint32_t start;
    uint32_t end;
    std::string text;
};

// A syllable that ends the frame before the next one starts is stretched to meet it.
std::vector<Syllable> readSyllables(ISylRecogniser& recogniser, const std::vector<SylRecord>& records)
{
    std::vector<Syllable> syllables;
    syllables.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const bool touchesNext = i + 1 < records.size() && records[i + 1].startFrame == records[i].endFrame + 1;
        char text[kSylTextCapacity + 2] = {};
        recogniser.getSyl(records[i].id, text);
        text[kSylTextCapacity - 1] = '\0'; // a recogniser that overruns its text must not run us off
        const uint32_t end = records[i].endFrame + (touchesNext ? 1u : 0u);
        // A record ending before it starts would give entries of negative length; it gets none.
        syllables.push_back({records[i].startFrame, std::max<uint32_t>(end, records[i].startFrame), text});
    }
    return syllables;
}

void copyText(char (&field)[10], const std::string& text, size_t length)
{
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

void appendSyllableEntries(const Syllable& syllable, std::vector<PhonemeEntry>& entries)
{
    const uint32_t symbols = static_cast<uint32_t>(syllable.text.size() / 2);
    if (symbols == 0)
        return;
    const uint32_t span = syllable.end > syllable.start ? (syllable.end - syllable.start) / symbols : 0;
    // The entry keeps at most four whole symbols of the text; the merge counts symbols from it.
    const size_t keptText = std::min<size_t>(syllable.text.size() & ~size_t{1}, 8);
    for (uint32_t j = 0; j < symbols; ++j) {
        PhonemeEntry entry;
        entry.start = syllable.start + j * span;
        entry.end = j + 1 == symbols ? syllable.end : syllable.start + (j + 1) * span;
        entry.length = entry.end - entry.start;
        entry.level = 100;
        if (j == 0)
            copyText(entry.syllable, syllable.text, keptText);
        copyText(entry.symbol, syllable.text.substr(2 * j, 2), 2);
        entry.phoneme = phonemeOfSymbolText(entry.symbol);
        entries.push_back(entry);
    }
}

bool recogniseLocked(ISylRecogniser& recogniser, const int16_t* samples, int count,
                     std::vector<PhonemeEntry>& entries)
{
    recogniser.numTotalSyl();
    const int n = recogniser.recogSample(samples, count);
    if (n == 0 || n == kSylNoResult)
        return true;
    if (n < 0)
        return false;
    std::vector<SylRecord> records(static_cast<size_t>(n));
    if (!recogniser.getResult(records.data(), n))
        return false;
    for (const auto& syllable : readSyllables(recogniser, records))
        appendSyllableEntries(syllable, entries);
    return true;
}

} // namespace

bool recogniseBlock(ISylRecogniser& recogniser, const std::string& resourceFile, const int16_t* samples,
                    int count, std::vector<PhonemeEntry>& entries)
{
    entries.clear();
    std::lock_guard lock(gRecogniserMutex);
    if (recogniser.init(resourceFile) != 0)
        return false;
    bool ok = false;
    try {
        ok = recogniseLocked(recogniser, samples, count, entries);
    } catch (const std::bad_alloc&) {
        ok = false; // an absurd syllable count fails the block, as a failed allocation does
    }
    recogniser.destroy();
    if (!ok)
        entries.clear();
    return ok;
}

void convertEntries(std::vector<PhonemeEntry>& entries)
{
    for (auto& entry : entries) {
        entry.start *= kSamplesPerFrame;
        entry.end *= kSamplesPerFrame;
        entry.length = entry.end - entry.start;
        entry.level = 100;
        entry.viseme = visemeOfPhoneme(entry.phoneme);
    }
}

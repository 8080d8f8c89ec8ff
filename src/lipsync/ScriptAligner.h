#pragma once
// Alignment of the voice with the text it speaks, block by block: the words of the script are found in
// each block in order, and what the script does not account for is left to the phonetic result.

#include "lipsync/PhonemeEntry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct FrameSpan {
    uint32_t start = 0; // frames from the block start
    uint32_t end = 0;   // exclusive
};

struct BlockAlignment {
    std::vector<PhonemeEntry> entries; // the script's phones found in the block, in frames
    std::vector<FrameSpan> unmatched;  // stretches whose phones the phonetic result supplies
};

class CScriptAligner {
public:
    CScriptAligner();
    ~CScriptAligner();
    CScriptAligner(const CScriptAligner&) = delete;
    CScriptAligner& operator=(const CScriptAligner&) = delete;

    // Reads the recogniser's resource (model, alignment options and pronouncing dictionary) and prepares
    // the script's words. False when the script has no words or the resource or model cannot be used;
    // the analysis is then phonetic only.
    // heardWords: the script is what the word search heard, aligned with the resource's options for it.
    bool open(const std::string& resourceFile, std::string_view script, bool heardWords = false);
    // After a successful open(): replaces the script and starts again at its first word, keeping the
    // resource and model loaded. False when the new script has no words that can be pronounced.
    bool restart(std::string_view script);
    // Aligns one block of count samples. nextBlockFrame: where the next block will start, in frames from
    // this block's start (ignored for the last block). A block the script cannot be found in at all comes
    // back as one unmatched span.
    void alignBlock(const int16_t* samples, int count, bool lastBlock, uint32_t nextBlockFrame,
                    BlockAlignment& out);

    size_t wordCount() const;
    // The bound on the decoder's own word list (see sylrecog::CTextAligner::setKnownLimit), and its size.
    void setKnownLimit(size_t limit);
    size_t knownWords() const;
    // Words of the script found in the voice so far.
    size_t wordsFound() const;

private:
    bool prepareWords(std::string_view script);

    struct State;
    std::unique_ptr<State> state_;
};

// The stretches of a block of the given frames to decode phonetically so that every unmatched span is
// covered with half a second of sound around it; close spans share one stretch, and when the stretches
// would cover most of the block the whole block is one.
std::vector<FrameSpan> phoneticPieces(const std::vector<FrameSpan>& unmatched, uint32_t frames);

// Phonetic entries (frames) that lie in the unmatched spans, cut to them, merged with the aligned entries
// in time order.
std::vector<PhonemeEntry> mergeWithPhonetic(const BlockAlignment& alignment,
                                            const std::vector<PhonemeEntry>& phonetic);

#pragma once
// Alignment of a block of speech with the words it is expected to hold. Every word may instead be heard as
// a run of any phones, at a price, so that words the speaker left out or changed are reported as not
// found rather than forced onto whatever sound lies there.

#include "SREngine/RecogResources.h"
#include "SREngine/SphinxDecoder.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace sylrecog {

struct AlignWord {
    int id = 0; // unique over all calls of one aligner (the word's place in its text)
    std::vector<std::vector<std::string>> pronunciations; // model phones, upper case
};

struct AlignedPhone {
    std::string phone; // model phone, upper case; empty for a pause
    int startFrame = 0;
    int endFrame = 0; // inclusive
    int word = -1;    // index into the words aligned; -1 for a pause or speech the text does not match
    bool unmatched = false;
};

struct AlignRequest {
    // Words the block may open with: the first entryWords of the list (at least 1).
    int entryWords = 1;
    // The block may end before the last word; the rest is then left for the next block.
    bool mayEndEarly = false;
};

class CTextAligner {
public:
    // Creates the alignment decoder from the resource's options (those for heard words when heardWords).
    // False when the model cannot be loaded.
    bool open(const CRecogResources& resources, bool heardWords = false);
    // Aligns count samples with the words; out holds phones and pauses in time order with the resource's
    // frame shift applied. False on decoder failure or when no path through the words fits the block.
    bool align(const int16_t* samples, size_t count, const std::vector<AlignWord>& words,
               const AlignRequest& request, std::vector<AlignedPhone>& out);
    // True when the last alignment needed the wider beams (the alignment retry lines' -beam, -pbeam and
    // -wbeam; other retry lines are not used).
    bool retried() const { return retried_; }
    // The decoder keeps the phones of every word it was given. Past this many (kDefaultKnownLimit unless
    // set) it is made afresh before the next alignment, so that a long voice does not grow it without end.
    void setKnownLimit(size_t limit) { knownLimit_ = limit; }
    // Entries the decoder's dictionary holds now.
    size_t knownWords() const { return narrowWords_.size(); }
    // Some 400 bytes an entry: a few megabytes at most, and a remade decoder every five minutes or so of
    // heard words (a text's words come slower), which costs a fraction of a second.
    static constexpr size_t kDefaultKnownLimit = 8000;

private:
    bool alignWith(ps_decoder_s* decoder, const int16_t* samples, size_t count,
                   const std::vector<AlignWord>& words, const AlignRequest& request,
                   std::vector<AlignedPhone>& out);
    static std::vector<std::pair<std::string, double>> beamsOf(const OptionList& options);
    static void setBeams(ps_decoder_s* decoder, const std::vector<std::pair<std::string, double>>& beams);
    bool addWords(ps_decoder_s* decoder, std::set<std::string>& known, const std::vector<AlignWord>& words);
    size_t newWords(const std::vector<AlignWord>& words) const;
    bool makeRoom(const std::vector<AlignWord>& words);

    OptionList options_;
    size_t knownLimit_ = kDefaultKnownLimit;
    SphinxDecoder narrow_;
    std::set<std::string> narrowWords_;
    std::vector<std::pair<std::string, double>> narrowBeams_;
    std::vector<std::pair<std::string, double>> wideBeams_;
    int shiftFrames_ = 0;
    bool retried_ = false;
};

} // namespace sylrecog

#pragma once
// Recognition of the words of one block with PocketSphinx's word search over a language model, for voices
// that come without their text: the words heard stand in for the text the alignment would be given.

#include "SREngine/RecogResources.h"
#include "SREngine/SphinxDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace sylrecog {

class CWordDecoder {
public:
    // Creates the decoder from the resource's word options, over the resource's smaller vocabulary when
    // it names one (the whole dictionary when that cannot be made). False when the resource names no
    // language model or the model cannot be loaded.
    bool open(const CRecogResources& resources);
    // True when the last open() made the decoder over the smaller vocabulary.
    bool vocabularyReduced() const { return vocabularyReduced_; }
    // The words heard in count samples as one utterance, separated by spaces, without pauses and fillers.
    // Empty when nothing was heard or the decoder failed.
    std::string decode(const int16_t* samples, size_t count);

private:
    SphinxDecoder decoder_;
    bool vocabularyReduced_ = false;
};

} // namespace sylrecog

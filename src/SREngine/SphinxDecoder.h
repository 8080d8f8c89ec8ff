#pragma once
// One PocketSphinx decoder made from a list of options, for the phonetic search and the text alignment.

#include "SREngine/RecogResources.h"

#include <memory>

struct ps_decoder_s;

namespace sylrecog {

struct SphinxDecoderDeleter {
    void operator()(ps_decoder_s* decoder) const;
};
using SphinxDecoder = std::unique_ptr<ps_decoder_s, SphinxDecoderDeleter>;

// nullptr when the options do not parse or the model cannot be loaded.
SphinxDecoder createSphinxDecoder(const OptionList& options);

} // namespace sylrecog

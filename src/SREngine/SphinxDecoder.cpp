#include "SREngine/SphinxDecoder.h"

#include <pocketsphinx.h>

#include <string>
#include <vector>

namespace sylrecog {

void SphinxDecoderDeleter::operator()(ps_decoder_s* decoder) const
{
    ps_free(decoder);
}

SphinxDecoder createSphinxDecoder(const OptionList& options)
{
    std::vector<std::string> words;
    for (const auto& [name, value] : options) {
        words.push_back(name);
        words.push_back(value);
    }
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    cmd_ln_t* config =
        cmd_ln_parse_r(nullptr, ps_args(), static_cast<int32>(argv.size()), argv.data(), FALSE);
    if (!config)
        return nullptr;
    SphinxDecoder decoder(ps_init(config));
    cmd_ln_free_r(config); // the decoder holds its own reference
    return decoder;
}

} // namespace sylrecog

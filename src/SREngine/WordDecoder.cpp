#include "SREngine/WordDecoder.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>

namespace sylrecog {

bool CWordDecoder::open(const CRecogResources& resources)
{
    decoder_.reset();
    const OptionList options = resources.wordOptions();
    if (options.empty())
        return false;
    err_set_logfp(nullptr); // as for the other decoders: no diagnostics on the host's stderr
    decoder_ = createSphinxDecoder(options);
    return decoder_ != nullptr;
}

std::string CWordDecoder::decode(const int16_t* samples, size_t count)
{
    if (!decoder_ || count == 0 || ps_start_utt(decoder_.get()) < 0)
        return {};
    if (ps_process_raw(decoder_.get(), samples, count, FALSE, TRUE) < 0) {
        ps_end_utt(decoder_.get());
        return {};
    }
    if (ps_end_utt(decoder_.get()) < 0)
        return {};
    // The hypothesis already names base words only (no pronunciation variants) and leaves fillers out.
    const char* hypothesis = ps_get_hyp(decoder_.get(), nullptr);
    return hypothesis ? std::string(hypothesis) : std::string();
}

} // namespace sylrecog

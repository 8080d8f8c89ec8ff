#include "SREngine/WordDecoder.h"

#include "SREngine/WordVocabulary.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace sylrecog {
namespace {

std::string optionValue(const OptionList& options, const std::string& name)
{
    for (const auto& [key, value] : options)
        if (key == name)
            return value;
    return {};
}

// A fresh file in the temporary folder for the smaller dictionary; empty when none can be made.
std::string makeTemporaryFile()
{
    std::error_code error;
    const auto folder = std::filesystem::temp_directory_path(error);
    std::string name = (error ? std::filesystem::path("/tmp") : folder) / "wordvocab-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return {};
    close(fd);
    return name;
}

} // namespace

bool CWordDecoder::open(const CRecogResources& resources)
{
    decoder_.reset();
    OptionList options = resources.wordOptions();
    if (options.empty())
        return false;
    err_set_logfp(nullptr); // as for the other decoders: no diagnostics on the host's stderr
    const std::string dictionary = optionValue(options, "-dict"), lm = optionValue(options, "-lm");
    std::string smaller;
    if (resources.vocabularySize() > 0 && !dictionary.empty() && !lm.empty())
        smaller = makeTemporaryFile();
    // Without the smaller vocabulary the search still works over the whole dictionary, only dearer.
    if (!smaller.empty() &&
        writeLikeliestWords(lm, dictionary, static_cast<size_t>(resources.vocabularySize()), smaller)) {
        for (auto& option : options)
            if (option.first == "-dict")
                option.second = smaller;
        decoder_ = createSphinxDecoder(options);
    }
    if (!smaller.empty())
        std::remove(smaller.c_str()); // the decoder has read it
    vocabularyReduced_ = decoder_ != nullptr;
    if (!decoder_)
        decoder_ = createSphinxDecoder(resources.wordOptions());
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

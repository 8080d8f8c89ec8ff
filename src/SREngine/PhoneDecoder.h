#pragma once
// Phonetic decoding of one block with PocketSphinx's all-phone search, including the wider retry when
// the narrow search collapses onto one phone.

#include "SREngine/RecogResources.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sylrecog {

struct PhoneSegment {
    std::string phone;
    int startFrame = 0;
    int endFrame = 0; // inclusive
};

class CPhoneDecoder {
public:
    struct Decoder; // the PocketSphinx handle, kept out of this header

    CPhoneDecoder();
    ~CPhoneDecoder();
    CPhoneDecoder(const CPhoneDecoder&) = delete;
    CPhoneDecoder& operator=(const CPhoneDecoder&) = delete;

    // Creates the decoder from the resource's options. False when the model cannot be loaded.
    bool open(const CRecogResources& resources);
    // Decodes count samples as one utterance into segments (silence included). False on decoder failure.
    bool decode(const int16_t* samples, size_t count, std::vector<PhoneSegment>& segments);
    // True when the last decode needed the wider retry.
    bool retried() const { return retried_; }

private:
    bool decodeWith(Decoder& decoder, const int16_t* samples, size_t count, std::vector<PhoneSegment>& out);
    bool collapsed(const std::vector<PhoneSegment>& segments) const;

    std::unique_ptr<Decoder> narrow_;
    std::unique_ptr<Decoder> wide_;
    OptionList wideOptions_;
    int collapseFrames_ = 0;
    bool retried_ = false;
};

// True for the decoder's silence and filler units, which never become syllables.
bool isSilencePhone(const std::string& phone);

} // namespace sylrecog

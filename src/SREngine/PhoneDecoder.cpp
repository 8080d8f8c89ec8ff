#include "SREngine/PhoneDecoder.h"

#include "SREngine/SphinxDecoder.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>

namespace sylrecog {

struct CPhoneDecoder::Decoder {
    SphinxDecoder ps;
};

bool isSilencePhone(const std::string& phone)
{
    return phone.empty() || phone == "SIL" || phone.front() == '+' || phone.front() == '<';
}

CPhoneDecoder::CPhoneDecoder() = default;
CPhoneDecoder::~CPhoneDecoder() = default;

namespace {

std::unique_ptr<CPhoneDecoder::Decoder> createDecoder(const OptionList& options)
{
    auto decoder = std::make_unique<CPhoneDecoder::Decoder>();
    decoder->ps = createSphinxDecoder(options);
    return decoder->ps ? std::move(decoder) : nullptr;
}

} // namespace

bool CPhoneDecoder::open(const CRecogResources& resources)
{
    // The decoder's diagnostics would go to stderr of every program that links us; the resource file
    // can still name a log file with -logfn.
    err_set_logfp(nullptr);
    narrow_ = createDecoder(resources.options());
    wide_.reset();
    wideOptions_ = resources.retryOptions();
    collapseFrames_ = resources.collapseFrames();
    return narrow_ != nullptr;
}

bool CPhoneDecoder::decodeWith(Decoder& decoder, const int16_t* samples, size_t count,
                               std::vector<PhoneSegment>& out)
{
    out.clear();
    if (ps_start_utt(decoder.ps.get()) < 0)
        return false;
    // The whole block in one call: cepstral mean normalisation then sees the whole utterance.
    if (ps_process_raw(decoder.ps.get(), samples, count, FALSE, TRUE) < 0) {
        ps_end_utt(decoder.ps.get());
        return false;
    }
    if (ps_end_utt(decoder.ps.get()) < 0)
        return false;
    for (ps_seg_t* seg = ps_seg_iter(decoder.ps.get()); seg; seg = ps_seg_next(seg)) {
        PhoneSegment segment;
        segment.phone = ps_seg_word(seg);
        ps_seg_frames(seg, &segment.startFrame, &segment.endFrame);
        out.push_back(std::move(segment));
    }
    return true;
}

bool CPhoneDecoder::collapsed(const std::vector<PhoneSegment>& segments) const
{
    for (const auto& segment : segments)
        if (!isSilencePhone(segment.phone) && segment.endFrame - segment.startFrame + 1 > collapseFrames_)
            return true;
    return false;
}

bool CPhoneDecoder::decode(const int16_t* samples, size_t count, std::vector<PhoneSegment>& segments)
{
    retried_ = false;
    if (!narrow_ || !decodeWith(*narrow_, samples, count, segments))
        return false;
    if (!collapsed(segments))
        return true;
    retried_ = true;
    if (!wide_)
        wide_ = createDecoder(wideOptions_);
    std::vector<PhoneSegment> wider;
    // Keep the narrow result when the wide decoder cannot be made; a collapsed track beats none.
    if (wide_ && decodeWith(*wide_, samples, count, wider))
        segments = std::move(wider);
    return true;
}

} // namespace sylrecog

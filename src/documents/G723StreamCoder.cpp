#include "documents/G723StreamCoder.h"

#include "G723/CG723Encoder.h"

namespace {

class G723StreamCoder : public SpeechFrameCoder {
public:
    void reset() override { encoder_.reset(); }
    size_t codeFrame(const int16_t* samples, uint8_t* out) override
    {
        int bytes = encoder_.encodeFrame(samples, out);
        return bytes > 0 ? static_cast<size_t>(bytes) : 0;
    }

private:
    static_assert(CG723Encoder::kFrameSamples == static_cast<int>(kFrameSamples));
    static_assert(CG723Encoder::kMaxFrameBytes <= static_cast<int>(kMaxFrameBytes));
    CG723Encoder encoder_{true};
};

} // namespace

std::unique_ptr<SpeechFrameCoder> makeG723StreamCoder()
{
    return std::make_unique<G723StreamCoder>();
}

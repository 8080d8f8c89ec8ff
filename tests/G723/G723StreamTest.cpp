// The coded stream as a conforming decoder sees it: sizes, type bits, field ranges and quality.
#include "G723/CG723Encoder.h"
#include "FfmpegG723.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

using Pcm = std::vector<std::int16_t>;

struct Coded {
    std::vector<std::uint8_t> stream;
    std::vector<int> sizes;
};

Coded encodeAll(const Pcm& pcm, bool vad)
{
    CG723Encoder encoder(vad);
    Coded out;
    std::uint8_t frame[CG723Encoder::kMaxFrameBytes];
    for (std::size_t s = 0; s + 240 <= pcm.size(); s += 240) {
        int n = encoder.encodeFrame(pcm.data() + s, frame);
        EXPECT_EQ(n, CG723Encoder::frameBytes(frame[0]));
        out.sizes.push_back(n);
        out.stream.insert(out.stream.end(), frame, frame + n);
    }
    return out;
}

Pcm generate(int samples, const std::function<int(int)>& f)
{
    Pcm pcm(std::size_t(samples), 0);
    for (int i = 0; i < samples; ++i)
        pcm[std::size_t(i)] = std::int16_t(std::clamp(f(i), -32768, 32767));
    return pcm;
}

Pcm noise(int samples, int amplitude, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> dist(-amplitude, amplitude);
    return generate(samples, [&](int) { return dist(rng); });
}

// Reads fields LSB first, as the frames are packed.
struct BitReader {
    const std::uint8_t* data;
    int pos = 0;
    unsigned get(int bits)
    {
        unsigned v = 0;
        for (int i = 0; i < bits; ++i, ++pos)
            v |= unsigned((data[pos >> 3] >> (pos & 7)) & 1) << i;
        return v;
    }
};

// Ranges a decoder rejects: pitch codes above 123 and predictor indices of 170 and up.
bool activeFrameAcceptable(const std::uint8_t* frame)
{
    BitReader bits{frame};
    if (bits.get(2) != 1)
        return false;
    bits.get(24);
    unsigned lag0 = bits.get(7);
    bits.get(2);
    unsigned lag1 = bits.get(7);
    bits.get(2);
    bool ok = lag0 <= 123 && lag1 <= 123;
    for (int sub = 0; sub < 4; ++sub)
        ok = ok && bits.get(12) / 24 < 170;
    return ok;
}

const int kSeconds2 = 16000;

struct ExtremeCase {
    const char* name;
    Pcm pcm;
};

std::vector<ExtremeCase> extremeCases()
{
    return {
        {"digital silence", Pcm(kSeconds2, 0)},
        {"positive full-scale DC", Pcm(kSeconds2, 32767)},
        {"negative full-scale DC", Pcm(kSeconds2, -32768)},
        {"alternating extremes", generate(kSeconds2, [](int i) { return i % 2 ? 32767 : -32768; })},
        {"square wave period 16", generate(kSeconds2, [](int i) { return (i / 8) % 2 ? 32767 : -32768; })},
        {"square wave period 147", generate(kSeconds2, [](int i) { return (i / 73) % 2 ? 32767 : -32768; })},
        {"square wave period 2000",
         generate(kSeconds2, [](int i) { return (i / 1000) % 2 ? 32767 : -32768; })},
        {"full-scale noise", noise(kSeconds2, 32767, 7)},
        {"clicks after silence", generate(kSeconds2, [](int i) { return i % 4000 == 3999 ? 32767 : 0; })},
        {"full-scale chirp", generate(kSeconds2, [](int i) { return int(32767 * std::sin(1e-4 * i * i)); })},
    };
}

TEST(G723Stream, ExtremeInputsDecodeWithoutRejection)
{
    for (const ExtremeCase& c : extremeCases()) {
        for (bool vad : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (vad ? " with VAD" : " without VAD"));
            Coded coded = encodeAll(c.pcm, vad);
            std::size_t pos = 0;
            for (int size : coded.sizes) {
                if (size == CG723Encoder::kActiveBytes) {
                    EXPECT_TRUE(activeFrameAcceptable(&coded.stream[pos])) << "frame at byte " << pos;
                }
                if (!vad) {
                    EXPECT_EQ(size, CG723Encoder::kActiveBytes);
                }
                pos += std::size_t(size);
            }
            g723ref::Decoded decoded = g723ref::decode(coded.stream, true);
            EXPECT_EQ(decoded.errors, 0);
            EXPECT_EQ(decoded.truncated, 0);
            EXPECT_EQ(decoded.frames, int(coded.sizes.size()));
            EXPECT_EQ(decoded.pcm.size(), coded.sizes.size() * 240);
        }
    }
}

TEST(G723Stream, SilenceBecomesDescriptionAndUntransmittedFrames)
{
    const struct {
        const char* name;
        Pcm pcm;
    } cases[] = {{"digital silence", Pcm(kSeconds2, 0)}, {"quiet noise", noise(kSeconds2, 60, 3)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Coded coded = encodeAll(c.pcm, true);
        ASSERT_FALSE(coded.sizes.empty());
        EXPECT_EQ(coded.sizes.front(), CG723Encoder::kSilenceBytes);
        int untransmitted = 0;
        for (int size : coded.sizes) {
            EXPECT_NE(size, CG723Encoder::kActiveBytes);
            untransmitted += size == CG723Encoder::kUntransmittedBytes;
        }
        EXPECT_GT(untransmitted, int(coded.sizes.size()) * 3 / 4);
    }
}

TEST(G723Stream, ComfortNoiseKeepsTheNoiseLevel)
{
    Pcm pcm = noise(kSeconds2 * 2, 80, 11);
    g723ref::Decoded decoded = g723ref::decode(encodeAll(pcm, true).stream, false);
    auto rms = [](const Pcm& p, std::size_t from) {
        double s = 0;
        for (std::size_t i = from; i < p.size(); ++i)
            s += double(p[i]) * p[i];
        return std::sqrt(s / double(p.size() - from));
    };
    double ratioDb = 20 * std::log10(rms(decoded.pcm, 2400) / rms(pcm, 2400));
    EXPECT_NEAR(ratioDb, 0.0, 3.0);
}

TEST(G723Stream, PausesInSpeechAreCompressedAndSpeechIsNot)
{
    Pcm speech = g723ref::synthesizeSpeech("Good morning. How are you today?", "en", 150);
    ASSERT_FALSE(speech.empty()) << "espeak-ng is needed";
    Pcm padded(8000, 0);
    padded.insert(padded.end(), speech.begin(), speech.end());
    padded.insert(padded.end(), 8000, 0);
    Coded coded = encodeAll(padded, true);
    int active = 0;
    for (int size : coded.sizes)
        active += size == CG723Encoder::kActiveBytes;
    EXPECT_NE(coded.sizes.front(), CG723Encoder::kActiveBytes);
    EXPECT_NE(coded.sizes.back(), CG723Encoder::kActiveBytes);
    EXPECT_GE(active, int(speech.size() / 240) * 2 / 3);
    EXPECT_EQ(g723ref::decode(coded.stream, true).errors, 0);
}

TEST(G723Stream, SpeechQualityNearTheHigherRateAnchor)
{
    Pcm pcm = g723ref::synthesizeSpeech("The quick brown fox jumps over the lazy dog.", "en", 160);
    ASSERT_FALSE(pcm.empty()) << "espeak-ng is needed";
    double ours = g723ref::segmentalSnr(pcm, g723ref::decode(encodeAll(pcm, false).stream, false).pcm);
    double anchor = g723ref::segmentalSnr(pcm, g723ref::decode(g723ref::encodeAnchor(pcm), false).pcm);
    EXPECT_GT(ours, 7.0);
    EXPECT_GT(ours, anchor - 2.5);
}

TEST(G723Stream, ResetRestartsTheCoder)
{
    Pcm pcm = noise(2400, 3000, 5);
    CG723Encoder encoder(true);
    std::vector<std::uint8_t> first, second;
    std::uint8_t frame[CG723Encoder::kMaxFrameBytes];
    for (auto* out : {&first, &second}) {
        encoder.reset();
        for (std::size_t s = 0; s < pcm.size(); s += 240) {
            int n = encoder.encodeFrame(pcm.data() + s, frame);
            out->insert(out->end(), frame, frame + n);
        }
    }
    EXPECT_EQ(first, second);
}

TEST(G723Stream, FrameBytesFollowTheTypeBits)
{
    const struct {
        std::uint8_t first;
        int bytes;
    } cases[] = {{0x00, 24}, {0x01, 20}, {0x02, 4}, {0x03, 1}, {0xFD, 20}, {0xFE, 4}, {0xFF, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(CG723Encoder::frameBytes(c.first), c.bytes) << int(c.first);
}

} // namespace

// Every stream the encoder writes, at the profiles' rates and at 24 and 32 kbit/s, for speech, music,
// silence, full-scale noise and a click, goes through FFmpeg's decoder without a complaint, at its
// length, its bit rate and in step with the input.
#include "FfmpegWma.h"

#include "WMA/WmaSuperframe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

struct Signal {
    std::string name;
    std::vector<std::int16_t> pcm; // interleaved
};

std::vector<Signal> signals(int rate, int channels)
{
    std::vector<Signal> out;
    const double pi = std::acos(-1.0);
    std::vector<std::int16_t> speech =
        wmaref::synthesize("Please call Stella. Ask her to bring these things.", "en", rate);
    if (speech.empty()) // no synthesiser: a voiced buzz with a formant-like ring stands in
        for (int i = 0; i < rate * 2; ++i)
            speech.push_back(std::int16_t(6000 * std::sin(2 * pi * 700 * i / rate) *
                                          std::exp(-(i % (rate / 120)) * 0.01)));
    // Notes of a chord that change four times a second, each with an attack.
    std::vector<std::int16_t> music;
    const double notes[] = {220, 262, 330, 392, 294, 349};
    for (int i = 0; i < rate * 2; ++i) {
        const int note = (i / (rate / 4)) % 6;
        const double t = double(i % (rate / 4)) / rate;
        double v = 0;
        for (int h = 1; h <= 4; ++h)
            v += std::sin(2 * pi * notes[note] * h * i / rate) / h +
                 0.5 * std::sin(2 * pi * notes[(note + 2) % 6] * h * i / rate) / h;
        music.push_back(std::int16_t(7000 * v * std::exp(-4 * t) * std::min(1.0, t * 200)));
    }
    std::vector<std::int16_t> noise(static_cast<std::size_t>(rate));
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> u(-32768, 32767);
    for (auto& s : noise)
        s = std::int16_t(u(rng));
    std::vector<std::int16_t> click(static_cast<std::size_t>(rate), 0);
    click[std::size_t(rate / 2)] = 32767;
    auto widen = [&](const std::vector<std::int16_t>& mono) {
        std::vector<std::int16_t> x;
        for (std::size_t i = 0; i < mono.size(); ++i)
            for (int c = 0; c < channels; ++c)
                x.push_back(c == 0 ? mono[i] : std::int16_t(mono[i] / 2)); // stereo: the right side quieter
        return x;
    };
    out.push_back({"speech", widen(speech)});
    out.push_back({"music", widen(music)});
    out.push_back({"silence", widen(std::vector<std::int16_t>(std::size_t(rate * 3 / 2), 0))});
    out.push_back({"full-scale noise", widen(noise)});
    out.push_back({"click", widen(click)});
    return out;
}

TEST(WmaStream, FfmpegDecodesEveryStreamAtItsLengthAndRate)
{
    const struct {
        std::uint32_t rate;
        int channels;
        std::uint32_t bitRate;
    } formats[] = {
        {8000, 1, 8000},   {11025, 1, 9992},  {16000, 1, 16000}, {8000, 1, 24000},
        {16000, 1, 24000}, {16000, 1, 32000}, {22050, 2, 32040},
    };
    for (const auto& fr : formats) {
        WmaFormat format;
        ASSERT_TRUE(makeWmaFormat(fr.rate, fr.channels, fr.bitRate, format));
        const WmaLayout layout(format);
        for (const Signal& s : signals(int(fr.rate), fr.channels)) {
            SCOPED_TRACE(std::to_string(fr.rate) + " Hz " + std::to_string(fr.bitRate) + " bit/s, " + s.name);
            const std::vector<WmaPacket> packets = wmaref::encode(format, s.pcm);
            ASSERT_FALSE(packets.empty());
            std::int64_t pts = 0;
            for (const WmaPacket& p : packets) {
                ASSERT_EQ(p.data.size(), format.blockAlign);
                WmaSuperframeHeader h;
                ASSERT_TRUE(readWmaSuperframe(layout, p.data.data(), p.data.size(), h));
                EXPECT_EQ(p.pts, pts);
                pts += p.samples;
            }
            const wmaref::Decoded d = wmaref::decode(format, packets);
            EXPECT_EQ(d.errors, 0);
            for (const std::string& line : d.logs)
                ADD_FAILURE() << "FFmpeg: " << line;
            const std::int64_t input = std::int64_t(s.pcm.size()) / fr.channels;
            const std::int64_t decoded = std::int64_t(d.pcm.size()) / fr.channels;
            EXPECT_GE(decoded, input);
            EXPECT_LT(decoded, input + layout.frameLen);
            EXPECT_EQ(decoded, pts - layout.frameLen);
            // The bytes spent over the stream's duration match the bit rate (to a superframe or two).
            const double seconds = double(pts - 2 * layout.frameLen) / fr.rate;
            const double rate = double(packets.size()) * format.blockAlign * 8 / seconds;
            EXPECT_NEAR(rate, fr.bitRate, fr.bitRate * 0.02 + 2 * format.blockAlign * 8 / seconds);

            if (s.name == "silence") {
                float peak = 0;
                for (float v : d.pcm)
                    peak = std::max(peak, std::fabs(v));
                EXPECT_LT(peak, 1e-3f);
            } else if (s.name == "click") {
                // In step with the input: the click comes back where it was, with its sign.
                std::size_t at = 0;
                for (std::size_t i = 0; i < d.pcm.size(); i += std::size_t(fr.channels))
                    if (d.pcm[i] > d.pcm[at])
                        at = i;
                EXPECT_NEAR(double(at / std::size_t(fr.channels)), fr.rate / 2.0, 2.0);
            } else if (s.name == "speech" && fr.channels == 1) {
                const wmaref::Quality q = wmaref::measure(wmaref::toFloat(s.pcm), d.pcm, int(fr.rate), 8);
                EXPECT_GT(q.envelopeCorr, 0.85);
                EXPECT_LE(std::abs(q.waveDelay), 2);
            }
        }
    }
}

TEST(WmaStream, FeedingInPiecesGivesTheSameStream)
{
    WmaFormat format;
    ASSERT_TRUE(makeWmaFormat(11025, 1, 9992, format));
    const std::vector<std::int16_t> pcm = signals(11025, 1)[1].pcm;
    const std::vector<WmaPacket> whole = wmaref::encode(format, pcm);
    for (std::size_t piece : {std::size_t(1), std::size_t(77), std::size_t(4096)}) {
        CWmaEncoder encoder;
        ASSERT_TRUE(encoder.open(format));
        std::vector<WmaPacket> packets;
        for (std::size_t at = 0; at < pcm.size(); at += piece)
            encoder.encode(pcm.data() + at, std::min(piece, pcm.size() - at), packets);
        encoder.finish(packets);
        ASSERT_EQ(packets.size(), whole.size()) << piece;
        for (std::size_t i = 0; i < packets.size(); ++i)
            ASSERT_EQ(packets[i].data, whole[i].data) << piece << " at superframe " << i;
    }
}

TEST(WmaStream, EncoderRefusesAFormatItDidNotBuild)
{
    CWmaEncoder encoder;
    WmaFormat odd;
    odd.sampleRate = 12000;
    EXPECT_FALSE(encoder.open(odd));
    WmaFormat wrongAlign;
    ASSERT_TRUE(makeWmaFormat(8000, 1, 8000, wrongAlign));
    wrongAlign.blockAlign = 100;
    EXPECT_FALSE(encoder.open(wrongAlign));
    std::vector<WmaPacket> packets;
    const std::int16_t s[4] = {};
    encoder.encode(s, 4, packets); // never opened: nothing happens
    encoder.finish(packets);
    EXPECT_TRUE(packets.empty());
}

} // namespace

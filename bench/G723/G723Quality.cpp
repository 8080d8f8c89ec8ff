// Quality report: segmental SNR of our 5.3 kbit/s stream and of FFmpeg's 6.3 kbit/s encoder, both
// decoded by FFmpeg (postfilter off, a waveform measure), per recording and on average.
#include "G723/CG723Encoder.h"
#include "FfmpegG723.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

namespace {

std::vector<std::uint8_t> encodeOurs(const std::vector<std::int16_t>& pcm, bool vad)
{
    CG723Encoder encoder(vad);
    std::vector<std::uint8_t> stream;
    std::uint8_t frame[CG723Encoder::kMaxFrameBytes];
    for (std::size_t s = 0; s + 240 <= pcm.size(); s += 240) {
        int n = encoder.encodeFrame(pcm.data() + s, frame);
        stream.insert(stream.end(), frame, frame + n);
    }
    return stream;
}

struct Recording {
    std::string name;
    std::vector<std::int16_t> pcm;
};

std::vector<Recording> recordings()
{
    const char* text = "Please call Stella. Ask her to bring these things with her from the store.";
    std::vector<Recording> out;
    const struct {
        const char* voice;
        int wpm;
    } voices[] = {{"en", 170}, {"en+f3", 150}, {"en-us+m3", 120}, {"de", 190}, {"fr+f2", 140}};
    for (const auto& v : voices)
        out.push_back({std::string("espeak ") + v.voice + " " + std::to_string(v.wpm) + " wpm",
                       g723ref::synthesizeSpeech(text, v.voice, v.wpm)});
    std::mt19937 rng(1);
    std::normal_distribution<double> gauss(0.0, 1500.0);
    std::vector<std::int16_t> noise(24000);
    for (auto& s : noise)
        s = std::int16_t(std::clamp(gauss(rng), -32768.0, 32767.0));
    out.push_back({"white noise (rms 1500)", noise});
    out.push_back({"digital silence", std::vector<std::int16_t>(24000, 0)});
    return out;
}

} // namespace

int main()
{
    std::printf("%-28s %10s %10s %10s %10s\n", "recording", "ours 5.3k", "ffm 6.3k", "diff", "ours+VAD");
    double sumOurs = 0, sumAnchor = 0;
    int counted = 0;
    for (const Recording& r : recordings()) {
        if (r.pcm.empty()) {
            std::printf("%-28s (espeak-ng missing)\n", r.name.c_str());
            continue;
        }
        double ours = g723ref::segmentalSnr(r.pcm, g723ref::decode(encodeOurs(r.pcm, false), false).pcm);
        double vad = g723ref::segmentalSnr(r.pcm, g723ref::decode(encodeOurs(r.pcm, true), false).pcm);
        double anchor =
            g723ref::segmentalSnr(r.pcm, g723ref::decode(g723ref::encodeAnchor(r.pcm), false).pcm);
        if (ours <= -100) {
            std::printf("%-28s %10s %10s %10s %10s  (no segment carries signal)\n", r.name.c_str(), "-", "-",
                        "-", "-");
            continue;
        }
        std::printf("%-28s %10.2f %10.2f %10.2f %10.2f\n", r.name.c_str(), ours, anchor, ours - anchor, vad);
        sumOurs += ours;
        sumAnchor += anchor;
        ++counted;
    }
    if (counted)
        std::printf("%-28s %10.2f %10.2f %10.2f\n", "average", sumOurs / counted, sumAnchor / counted,
                    (sumOurs - sumAnchor) / counted);
    return 0;
}

// Quality report of the WMA version 2 encoder, run by hand:
//   build/release/bin/wma_quality
// Ten spoken sentences (espeak-ng voices and flite), each converted to 8000, 11025 and 16000 Hz, are
// coded by our encoder at the stock profiles' rates (8000, 9992 and 16000 bit/s) and by FFmpeg's
// wmav2 encoder at 24000 bit/s at the same sample rate, then both at 24 and 32 kbit/s; all are
// decoded by FFmpeg. Printed per
// sentence and on average: segmental SNR (dB), the 0-4 kHz band loudness error (dB) and the
// correlation of the 20-ms log-energy envelopes at their best alignment.
#include "FfmpegWma.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Sentence {
    const char* voice;
    const char* text;
};

const Sentence kSentences[] = {
    {"en", "Please call Stella. Ask her to bring these things with her from the store."},
    {"en-us", "The quick brown fox jumps over the lazy dog near the river bank."},
    {"en+f3", "Six spoons of fresh snow peas, five thick slabs of blue cheese."},
    {"en-gb+m3", "We also need a small plastic snake and a big toy frog for the kids."},
    {"en-us+f2", "She can scoop these things into three red bags, and we will go meet her."},
    {"en-gb-scotland", "A large size in stockings is hard to sell, said the old shopkeeper."},
    {"flite:kal", "The birch canoe slid on the smooth planks. Glue the sheet to the dark blue background."},
    {"flite:slt", "It is easy to tell the depth of a well. These days a chicken leg is a rare dish."},
    {"flite:awb", "Rice is often served in round bowls. The juice of lemons makes fine punch."},
    {"flite:rms", "The box was thrown beside the parked truck. The hogs were fed chopped corn and garbage."},
};

struct Row {
    int rate;
    int bitRate;
    int peerBitRate;
};

void print(const char* who, const wmaref::Quality& q)
{
    std::printf("  %-22s segSNR %6.2f dB  loudness err %5.2f dB  envelope corr %.3f\n", who, q.segSnr,
                q.loudnessErr, q.envelopeCorr);
}

} // namespace

int main()
{
    // The profiles' rows, then two rates both encoders reach, to choose between them there.
    const Row rows[] = {{8000, 8000, 24000}, {11025, 9992, 24000}, {16000, 16000, 24000},
                        {8000, 24000, 24000}, {16000, 32000, 32000}};
    for (const Row& row : rows) {
        WmaFormat format;
        makeWmaFormat(std::uint32_t(row.rate), 1, std::uint32_t(row.bitRate), format);
        wmaref::Quality sumOurs, sumPeer;
        int count = 0, errors = 0;
        std::printf("%d Hz: ours at %d bit/s beside FFmpeg's wmav2 at %d bit/s\n", row.rate, row.bitRate,
                    row.peerBitRate);
        for (const Sentence& s : kSentences) {
            const std::vector<std::int16_t> pcm = wmaref::synthesize(s.text, s.voice, row.rate);
            if (pcm.empty()) {
                std::printf("  %s: no synthesiser\n", s.voice);
                continue;
            }
            const std::vector<float> ref = wmaref::toFloat(pcm);
            const wmaref::Decoded ours = wmaref::decode(format, wmaref::encode(format, pcm));
            const wmaref::Decoded peer = wmaref::decodePeer(wmaref::encodePeer(row.rate, row.peerBitRate, pcm));
            errors += ours.errors + int(ours.logs.size());
            const wmaref::Quality qo = wmaref::measure(ref, ours.pcm, row.rate, 2 * 1024 + 64);
            const wmaref::Quality qp = wmaref::measure(ref, peer.pcm, row.rate, 2 * 1024 + 64);
            std::printf(" %s\n", s.voice);
            print("ours", qo);
            print("FFmpeg", qp);
            for (auto [sum, q] : {std::pair{&sumOurs, &qo}, std::pair{&sumPeer, &qp}}) {
                sum->segSnr += q->segSnr;
                sum->loudnessErr += q->loudnessErr;
                sum->envelopeCorr += q->envelopeCorr;
            }
            ++count;
        }
        if (count == 0)
            continue;
        for (wmaref::Quality* q : {&sumOurs, &sumPeer}) {
            q->segSnr /= count;
            q->loudnessErr /= count;
            q->envelopeCorr /= count;
        }
        std::printf(" mean of %d sentences (decoder complaints about our streams: %d)\n", count, errors);
        print("ours", sumOurs);
        print("FFmpeg", sumPeer);
    }
    return 0;
}

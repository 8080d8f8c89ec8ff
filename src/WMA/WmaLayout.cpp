// The arithmetic here mirrors a decoder's set-up step for step, in the same float and double mix, so
// that both sides agree on every band edge and field width.
#include "WMA/WmaLayout.h"

#include "WMA/WmaTables.h"

namespace {

int floorLog2(unsigned v)
{
    int n = 0;
    while (v > 1) {
        v >>= 1;
        ++n;
    }
    return n;
}

std::vector<int> computedBands(int blockLen, int sampleRate)
{
    std::vector<int> widths;
    int lpos = 0;
    for (int i = 0; i < 25; ++i) {
        const int a = wma::kCriticalFreqs[i];
        int pos = ((blockLen * 2 * a) + (sampleRate << 1)) / (4 * sampleRate);
        pos <<= 2;
        if (pos > blockLen)
            pos = blockLen;
        if (pos > lpos)
            widths.push_back(pos - lpos);
        if (pos >= blockLen)
            break;
        lpos = pos;
    }
    return widths;
}

} // namespace

int wmaFrameLenBits(std::uint32_t sampleRate)
{
    return sampleRate <= 16000 ? 9 : sampleRate <= 22050 ? 10 : 11;
}

int wmaEscapeLevelBits(int totalGain)
{
    return totalGain < 15 ? 13 : totalGain < 32 ? 12 : totalGain < 40 ? 11 : totalGain < 45 ? 10 : 9;
}

WmaLayout::WmaLayout(const WmaFormat& f) : format(f)
{
    const int rate = int(f.sampleRate);
    const int channels = f.channels;
    frameLenBits = wmaFrameLenBits(f.sampleRate);
    frameLen = 1 << frameLenBits;

    int nb = ((kWmaEncodeFlags >> 3) & 3) + 1;
    if (int(f.bitRate) / channels >= 32000)
        nb += 2;
    const int nbMax = frameLenBits - 7;
    if (nb > nbMax)
        nb = nbMax;
    blockSizes = nb + 1;
    blockCodeBits = floorLog2(unsigned(blockSizes - 1)) + 1;

    volatile float bps = float(f.bitRate) / float(channels * rate);
    const float bpsValue = bps;
    byteOffsetBits = floorLog2(unsigned(int(bpsValue * frameLen / 8.0 + 0.5))) + 2;
    float bps1 = bpsValue;
    if (channels == 2)
        bps1 = bpsValue * 1.6f;

    int rate1 = rate >= 22050 ? 22050 : rate >= 16000 ? 16000 : rate >= 11025 ? 11025 : 8000;
    float highFreq = float(rate * 0.5);
    noiseCoding = true;
    if (rate1 == 22050) {
        if (bps1 >= 1.16)
            noiseCoding = false;
        else if (bps1 >= 0.72)
            highFreq = float(highFreq * 0.7);
        else
            highFreq = float(highFreq * 0.6);
    } else if (rate1 == 16000) {
        highFreq = bpsValue > 0.5 ? float(highFreq * 0.5) : float(highFreq * 0.3);
    } else if (rate1 == 11025) {
        highFreq = float(highFreq * 0.7);
    } else {
        if (bpsValue <= 0.625)
            highFreq = float(highFreq * 0.5);
        else if (bpsValue > 0.75)
            noiseCoding = false;
        else
            highFreq = float(highFreq * 0.65);
    }

    for (int k = 0; k < blockSizes; ++k) {
        WmaBlockLayout b;
        b.length = frameLen >> k;
        const int a = frameLenBits - 7 - k;
        if (rate >= 22050 && a < 3) {
            const std::uint8_t* table = wma::kBands22050[a];
            for (int i = 0; i < table[0]; ++i)
                b.bandWidths.push_back(table[1 + i]);
        } else {
            b.bandWidths = computedBands(b.length, rate);
        }
        b.coefsEnd = (frameLen - (frameLen * 9) / 100) >> k;
        b.highBandStart = int(float(b.length * 2) * highFreq / float(rate) + 0.5);
        int pos = 0;
        for (int w : b.bandWidths) {
            int start = pos;
            pos += w;
            int end = pos;
            if (start < b.highBandStart)
                start = b.highBandStart;
            if (end > b.coefsEnd)
                end = b.coefsEnd;
            if (end > start)
                b.highBandWidths.push_back(end - start);
        }
        blocks.push_back(std::move(b));
    }
}

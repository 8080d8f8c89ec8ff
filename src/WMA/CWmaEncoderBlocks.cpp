// Block coding: transform, the psychoacoustic exponent shape, noise substitution, the rate loop on
// the total gain, and the bit writing of one block.
#include "WMA/CWmaEncoder.h"

#include "WMA/CWmaEncoderPlan.h"
#include "WMA/WmaTables.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxGain = 255;
constexpr int kExpTop = 60;       // the largest exponent of a block; the others lie 0..60 below
constexpr double kCompress = 0.6; // noise follows the masking curve only partly: loud bands get more
constexpr double kRounding = 0.4054;

// Symbol of level 1..levels with run 0 for a table.
struct LevelBase {
    int base[2][80];
    LevelBase()
    {
        for (int t = 0; t < 2; ++t) {
            const wma::CoefTable& table = wma::kCoefTables[t];
            int at = 2;
            for (int l = 1; l <= table.levels; ++l) {
                base[t][l] = at;
                at += table.runsPerLevel[l - 1];
            }
        }
    }
};
const LevelBase kBase;

int gainBits(int gain)
{
    return 7 * (1 + (gain - 1) / 127);
}

double stepOf(int gain)
{
    return std::pow(10.0, gain / 20.0);
}

// The side channel of a mid/side block has its own code.
template <typename Plan> const wma::CoefTable& coefTable(const Plan& p, int c)
{
    return wma::kCoefTables[(c == 1 && p.ms) ? 1 : 0];
}

} // namespace

void CWmaEncoder::analyseBlock(BlockPlan& plan, std::int64_t frameStart)
{
    const int b = frameLen_ >> plan.size;
    std::vector<float> window(std::size_t(2 * b));
    // Left half: the slope of the shorter of this block and the one before, flat or zero around it.
    const int pb = std::min(b, frameLen_ >> plan.prev);
    const int nb = std::min(b, frameLen_ >> plan.next);
    const std::vector<float>& left = windows_[std::size_t(std::max(plan.size, plan.prev))];
    const std::vector<float>& right = windows_[std::size_t(std::max(plan.size, plan.next))];
    const int ln = (b - pb) / 2, rn = (b - nb) / 2;
    for (int i = 0; i < b; ++i) {
        window[std::size_t(i)] = i < ln ? 0.0f : i < ln + pb ? left[std::size_t(i - ln)] : 1.0f;
        window[std::size_t(b + i)] = i < rn        ? 1.0f
                                     : i < rn + nb ? right[std::size_t(nb - 1 - (i - rn))]
                                                   : 0.0f;
    }
    const std::int64_t start = frameStart + frameLen_ / 2 + plan.pos - b / 2 - bufferStart_;
    std::vector<float> in(std::size_t(2 * b));
    for (int c = 0; c < channels_; ++c) {
        const std::vector<float>& sig = signal_[c];
        for (int i = 0; i < 2 * b; ++i) {
            const std::int64_t at = start + i;
            const float v = at >= 0 && at < std::int64_t(sig.size()) ? sig[std::size_t(at)] : 0.0f;
            in[std::size_t(i)] = v * window[std::size_t(i)];
        }
        ChannelBlock& ch = plan.ch[c];
        ch.coefs.assign(std::size_t(b), 0.0f);
        mdct_[std::size_t(plan.size)]->forward(in.data(), ch.coefs.data());
        // The decoder's inverse transform (scaled by 2/n) is the negative transpose of this one.
        for (float& v : ch.coefs)
            v = -v;
    }
}

void CWmaEncoder::shapeExponents(std::vector<BlockPlan*>& group, int channel)
{
    BlockPlan& first = *group[0];
    const WmaBlockLayout& bl = layout_->blocks[std::size_t(first.size)];
    const std::size_t bands = bl.bandWidths.size();
    std::vector<double> power(bands, 0.0);
    int pos = 0;
    for (std::size_t j = 0; j < bands; ++j) {
        double sum = 0;
        for (const BlockPlan* p : group)
            for (int i = pos; i < pos + bl.bandWidths[j]; ++i)
                sum += double(p->ch[channel].coefs[std::size_t(i)]) * p->ch[channel].coefs[std::size_t(i)];
        power[j] = sum / (bl.bandWidths[j] * double(group.size()));
        pos += bl.bandWidths[j];
    }
    // Masking curve: each band's energy spread to its neighbours, 15 dB a band upwards in frequency
    // and 27 dB a band downwards, then compressed so that the loud bands keep more of their detail.
    std::vector<double> level(bands);
    double top = -1e9;
    for (std::size_t j = 0; j < bands; ++j) {
        double spread = 0;
        for (std::size_t m = 0; m < bands; ++m) {
            const double d = double(j) - double(m);
            spread += power[m] * std::pow(10.0, -(d > 0 ? 1.5 * d : -2.7 * d));
        }
        level[j] = kCompress * std::log10(spread + 1.0);
        top = std::max(top, level[j]);
    }
    // A 1.25 dB exponent step per 10 log10 of the curve's energy / 8; nothing more than 75 dB down.
    std::vector<int> exps(bands);
    for (std::size_t j = 0; j < bands; ++j)
        exps[j] = std::max(0, kExpTop + int(std::lround(8.0 * (level[j] - top))));
    for (BlockPlan* p : group)
        p->ch[channel].exps = exps;
    first.sendExps = true;
    for (std::size_t g = 0; g < group.size(); ++g) {
        BlockPlan& p = *group[g];
        ChannelBlock& ch = p.ch[channel];
        ch.relStep.assign(ch.coefs.size(), 1.0f);
        int at = 0;
        for (std::size_t j = 0; j < bands; ++j) {
            const float rel = float(std::pow(10.0, (exps[j] - kExpTop) / 16.0));
            for (int i = 0; i < bl.bandWidths[j]; ++i)
                ch.relStep[std::size_t(at++)] = rel;
        }
        ch.maxExp = float(std::pow(10.0, kExpTop / 16.0));
        // Band powers of this block alone, for the noise bands.
        ch.bandPower.assign(bands, 0.0f);
        at = 0;
        for (std::size_t j = 0; j < bands; ++j) {
            double sum = 0;
            for (int i = 0; i < bl.bandWidths[j]; ++i, ++at)
                sum += double(ch.coefs[std::size_t(at)]) * ch.coefs[std::size_t(at)];
            ch.bandPower[j] = float(sum / bl.bandWidths[j]);
        }
    }
}

void CWmaEncoder::chooseNoiseBands(BlockPlan& plan, int channel)
{
    const WmaBlockLayout& bl = layout_->blocks[std::size_t(plan.size)];
    ChannelBlock& ch = plan.ch[channel];
    const std::size_t high = bl.highBandWidths.size();
    ch.noise.assign(high, 0);
    ch.noiseGain.assign(high, 0);
    ch.coded.clear();
    if (!layout_->noiseCoding) {
        for (int i = 0; i < bl.coefsEnd; ++i)
            ch.coded.push_back(i);
        return;
    }
    for (int i = 0; i < bl.highBandStart; ++i)
        ch.coded.push_back(i);
    // Every high band becomes noise of its own energy; the decoder scales band j's noise by
    // E_j^2 / (E_last * E_max) before the sent gain, E being the exponent values and `last` the top
    // noise band.
    std::vector<double> rms(high), expPower(high);
    int pos = bl.highBandStart;
    for (std::size_t j = 0; j < high; ++j) {
        double sum = 0, e2 = 0;
        for (int i = pos; i < pos + bl.highBandWidths[j]; ++i) {
            sum += double(ch.coefs[std::size_t(i)]) * ch.coefs[std::size_t(i)];
            const double e = double(ch.relStep[std::size_t(i)]) * ch.maxExp;
            e2 += e * e;
        }
        rms[j] = std::sqrt(sum / bl.highBandWidths[j]);
        expPower[j] = e2 / bl.highBandWidths[j];
        ch.noise[j] = 1;
        pos += bl.highBandWidths[j];
    }
    if (high == 0)
        return;
    const double lastPower = expPower[high - 1];
    int previous = 0;
    for (std::size_t j = 0; j < high; ++j) {
        const double want = rms[j] * ch.maxExp * std::sqrt(lastPower) / expPower[j];
        int db = int(std::lround(20.0 * std::log10(std::max(want, 1e-6))));
        db = j == 0 ? std::clamp(db, -19, 108) : std::clamp(db, previous - 18, previous + 18);
        ch.noiseGain[j] = db;
        previous = db;
    }
}

int CWmaEncoder::fixedBits(const BlockPlan& plan) const
{
    int bits = channels_ == 2 ? 1 + 2 : 1;
    for (int c = 0; c < channels_; ++c) {
        const ChannelBlock& ch = plan.ch[c];
        bits += int(ch.noise.size());
        bool first = true;
        int previous = 0;
        for (std::size_t j = 0; j < ch.noise.size(); ++j) {
            if (!ch.noise[j])
                continue;
            bits += first ? 7 : wma::kHighGainBits[ch.noiseGain[j] - previous + 18];
            previous = ch.noiseGain[j];
            first = false;
        }
    }
    if (plan.size != 0)
        ++bits;
    if (plan.sendExps)
        for (int c = 0; c < channels_; ++c) {
            int previous = 36;
            for (int e : plan.ch[c].exps) {
                bits += wma::kScaleBits[e - previous + 60];
                previous = e;
            }
        }
    return bits;
}

int CWmaEncoder::coefficientBits(const BlockPlan& plan, int channel, int gain) const
{
    const ChannelBlock& ch = plan.ch[channel];
    const wma::CoefTable& table = coefTable(plan, channel);
    const int t = (channel == 1 && plan.ms) ? 1 : 0;
    const int escape = table.bits[0] + wmaEscapeLevelBits(gain) + layout_->frameLenBits + 1;
    const int maxLevel = (1 << wmaEscapeLevelBits(gain)) - 1;
    const float inv = float(1.0 / stepOf(gain));
    int bits = 0, run = 0, last = -1;
    const int n = int(ch.coded.size());
    for (int k = 0; k < n; ++k) {
        const int i = ch.coded[std::size_t(k)];
        const float r = std::fabs(ch.coefs[std::size_t(i)]) * inv / ch.relStep[std::size_t(i)];
        if (r + kRounding < 1.0f) {
            ++run;
            continue;
        }
        const int level = std::min(int(r + kRounding), maxLevel);
        if (level <= table.levels && run < table.runsPerLevel[level - 1])
            bits += table.bits[kBase.base[t][level] + run] + 1;
        else
            bits += escape;
        run = 0;
        last = k;
    }
    if (last + 1 < n)
        bits += table.bits[1];
    return bits;
}

void CWmaEncoder::quantise(BlockPlan& plan, int channel, int gain) const
{
    ChannelBlock& ch = plan.ch[channel];
    const int maxLevel = (1 << wmaEscapeLevelBits(gain)) - 1;
    const float inv = float(1.0 / stepOf(gain));
    ch.levels.assign(ch.coded.size(), 0);
    for (std::size_t k = 0; k < ch.coded.size(); ++k) {
        const int i = ch.coded[k];
        const float y = ch.coefs[std::size_t(i)];
        const float r = std::fabs(y) * inv / ch.relStep[std::size_t(i)];
        const int level = std::min(int(r + kRounding), maxLevel);
        ch.levels[k] = y < 0 ? -level : level;
    }
    ch.padEscapes = 0;
}

int CWmaEncoder::rateLoop(BlockPlan& plan, int targetBits)
{
    const int fixed = fixedBits(plan);
    auto total = [&](int gain) {
        int bits = fixed + gainBits(gain);
        for (int c = 0; c < channels_; ++c)
            bits += coefficientBits(plan, c, gain);
        return bits;
    };
    // Beyond the gain that zeroes every level a larger gain only raises the decoder's noise fill.
    double peak = 0;
    for (int c = 0; c < channels_; ++c) {
        const ChannelBlock& ch = plan.ch[c];
        for (int i : ch.coded)
            peak = std::max(peak, double(std::fabs(ch.coefs[std::size_t(i)])) / ch.relStep[std::size_t(i)]);
    }
    int hi = peak > 0 ? int(std::floor(20.0 * std::log10(peak / (1.0 - kRounding)))) + 1 : 1;
    hi = std::clamp(hi, 1, kMaxGain);
    while (hi < kMaxGain && total(hi) > total(hi + 1))
        ++hi; // rounding at the edge can leave one level standing
    int lo = 1;
    if (total(lo) <= targetBits) {
        hi = lo;
    } else {
        while (hi - lo > 1) {
            const int mid = (lo + hi) / 2;
            if (total(mid) <= targetBits)
                hi = mid;
            else
                lo = mid;
        }
    }
    plan.gain = hi;
    for (int c = 0; c < channels_; ++c)
        quantise(plan, c, hi);
    return total(hi);
}

int CWmaEncoder::addPadding(BlockPlan& plan, int bits)
{
    // Zero-level escapes after the last level decode to nothing; they only take up room. Never more
    // than asked for, so that the frame stays inside its limit.
    int added = 0;
    for (int c = 0; c < channels_ && bits - added > 0; ++c) {
        ChannelBlock& ch = plan.ch[c];
        const wma::CoefTable& table = coefTable(plan, c);
        const int n = int(ch.levels.size());
        int last = -1;
        for (int k = 0; k < n; ++k)
            if (ch.levels[std::size_t(k)] != 0)
                last = k;
        const int free = n - (last + 1) - ch.padEscapes;
        const int escape = table.bits[0] + wmaEscapeLevelBits(plan.gain) + layout_->frameLenBits + 1;
        const int eob = table.bits[1];
        // With positions left the end-of-block code stays; filling every position drops it.
        int count = std::min(free - 1, (bits - added) / escape);
        if (free > 0 && free * escape - eob <= bits - added)
            count = free;
        if (count <= 0)
            continue;
        ch.padEscapes += count;
        added += count * escape - (count == free ? eob : 0);
    }
    return added;
}

void CWmaEncoder::writeBlock(const BlockPlan& plan, WmaBitWriter& w) const
{
    if (channels_ == 2)
        w.putBit(plan.ms ? 1 : 0);
    for (int c = 0; c < channels_; ++c)
        w.putBit(1);
    for (int v = plan.gain - 1;; v -= 127) {
        w.put(unsigned(std::min(v, 127)), 7);
        if (v < 127)
            break;
    }
    for (int c = 0; c < channels_; ++c)
        for (char n : plan.ch[c].noise)
            w.putBit(n ? 1 : 0);
    for (int c = 0; c < channels_; ++c) {
        const ChannelBlock& ch = plan.ch[c];
        bool first = true;
        int previous = 0;
        for (std::size_t j = 0; j < ch.noise.size(); ++j) {
            if (!ch.noise[j])
                continue;
            if (first)
                w.put(unsigned(ch.noiseGain[j] + 19), 7);
            else {
                const int code = ch.noiseGain[j] - previous + 18;
                w.put(wma::kHighGainCodes[code], wma::kHighGainBits[code]);
            }
            previous = ch.noiseGain[j];
            first = false;
        }
    }
    if (plan.size != 0)
        w.putBit(plan.sendExps ? 1 : 0);
    if (plan.sendExps)
        for (int c = 0; c < channels_; ++c) {
            int previous = 36;
            for (int e : plan.ch[c].exps) {
                const int code = e - previous + 60;
                w.put(wma::kScaleCodes[code], wma::kScaleBits[code]);
                previous = e;
            }
        }
    const int levelBits = wmaEscapeLevelBits(plan.gain);
    const int runBits = layout_->frameLenBits;
    for (int c = 0; c < channels_; ++c) {
        const ChannelBlock& ch = plan.ch[c];
        const wma::CoefTable& table = coefTable(plan, c);
        const int t = (c == 1 && plan.ms) ? 1 : 0;
        const int n = int(ch.levels.size());
        int run = 0, k = 0;
        for (; k < n; ++k) {
            const int q = ch.levels[std::size_t(k)];
            if (q == 0) {
                ++run;
                continue;
            }
            const int level = std::abs(q);
            if (level <= table.levels && run < table.runsPerLevel[level - 1]) {
                const int sym = kBase.base[t][level] + run;
                w.put(table.codes[sym], table.bits[sym]);
            } else {
                w.put(table.codes[0], table.bits[0]);
                w.put(unsigned(level), levelBits);
                w.put(unsigned(run), runBits);
            }
            w.putBit(q > 0 ? 1 : 0);
            run = 0;
        }
        // `run` zeros remain after the last level; the padding escapes stand on the first of them.
        int pos = n - run;
        for (int e = 0; e < ch.padEscapes; ++e, ++pos) {
            w.put(table.codes[0], table.bits[0]);
            w.put(0, levelBits);
            w.put(0, runBits);
            w.putBit(1);
        }
        // A block whose last coded position holds a level ends without the end-of-block code.
        if (pos < n)
            w.put(table.codes[1], table.bits[1]);
    }
}

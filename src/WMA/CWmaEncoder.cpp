#include "WMA/CWmaEncoder.h"

#include "WMA/CWmaEncoderPlan.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxFramesPerSuperframe = 14;

} // namespace

CWmaEncoder::CWmaEncoder() = default;
CWmaEncoder::~CWmaEncoder() = default;

bool CWmaEncoder::open(const WmaFormat& format)
{
    WmaFormat checked;
    if (!makeWmaFormat(format.sampleRate, format.channels, format.bitRate, checked) ||
        checked.blockAlign != format.blockAlign)
        return false;
    layout_ = std::make_unique<WmaLayout>(format);
    channels_ = format.channels;
    frameLen_ = layout_->frameLen;
    mdct_.clear();
    windows_.clear();
    const double pi = std::acos(-1.0);
    for (int s = 0; s < layout_->blockSizes; ++s) {
        const int b = frameLen_ >> s;
        mdct_.push_back(std::make_unique<WmaMdct>(b));
        std::vector<float> w(static_cast<std::size_t>(b));
        for (int i = 0; i < b; ++i)
            w[std::size_t(i)] = float(std::sin((i + 0.5) * pi / (2.0 * b)));
        windows_.push_back(std::move(w));
    }
    for (auto& s : signal_)
        s.assign(std::size_t(leadIn()), 0.0f);
    bufferStart_ = 0;
    inputSamples_ = 0;
    frame_ = 0;
    frameCount_ = -1;
    pattern_.clear();
    lastSize_ = layout_->blockSizes - 1; // a silent short block stands before the first frame
    superframe_.clear();
    open_ = spanning_ = frameStarted_ = false;
    framesEnded_ = 0;
    superframeIndex_ = 0;
    samplesOut_ = 0;
    payloadBits_ = format.blockAlign * 8 - layout_->headerBits();
    payloadPerFrame_ =
        double(format.bitRate) * frameLen_ / format.sampleRate * payloadBits_ / (format.blockAlign * 8.0);
    maxOffset_ = (1 << (layout_->byteOffsetBits + 3)) - 1;
    return true;
}

void CWmaEncoder::encode(const std::int16_t* samples, std::size_t frames, std::vector<WmaPacket>& out)
{
    if (!layout_)
        return;
    for (int c = 0; c < channels_; ++c) {
        std::vector<float>& s = signal_[c];
        const std::size_t base = s.size();
        s.resize(base + frames);
        for (std::size_t i = 0; i < frames; ++i)
            s[base + i] = samples[i * std::size_t(channels_) + std::size_t(c)];
    }
    inputSamples_ += std::int64_t(frames);
    codeAvailable(false, out);
}

void CWmaEncoder::finish(std::vector<WmaPacket>& out)
{
    if (!layout_)
        return;
    frameCount_ = frameCount(inputSamples_, frameLen_, frameLen_ >> (layout_->blockSizes - 1));
    const std::int64_t end = (frameCount_ + 3) * frameLen_;
    for (int c = 0; c < channels_; ++c)
        signal_[c].resize(std::size_t(std::max<std::int64_t>(end - bufferStart_, 0)), 0.0f);
    codeAvailable(true, out);
    if (open_)
        closeSuperframe(out);
}

std::int64_t CWmaEncoder::frameCount(std::int64_t inputSamples, int frameLen, int /*shortestBlock*/)
{
    // A decoder puts out one frame less than the stream holds, so this many frames decode to the
    // input's length rounded up to a whole frame. The last frame, ended by a declared short block,
    // reconstructs fully only (frameLen - shortestBlock) / 2 samples into the frame the flush puts
    // out; input beyond that comes back faded rather than making the stream a frame longer.
    return std::max<std::int64_t>(2, (inputSamples + frameLen - 1) / frameLen + 1);
}

void CWmaEncoder::codeAvailable(bool final, std::vector<WmaPacket>& out)
{
    const std::int64_t bufferEnd = bufferStart_ + std::int64_t(signal_[0].size());
    while (final ? frame_ < frameCount_ : (frame_ + 3) * frameLen_ <= bufferEnd) {
        codeFrame(out);
        // Keep what the next frame and its look-ahead still read.
        const std::int64_t keep = frame_ * frameLen_ - bufferStart_;
        if (keep > 4 * frameLen_) {
            for (int c = 0; c < channels_; ++c)
                signal_[c].erase(signal_[c].begin(), signal_[c].begin() + keep);
            bufferStart_ += keep;
        }
    }
}

std::vector<int> CWmaEncoder::choosePattern(std::int64_t frame) const
{
    const int n = frameLen_;
    const int shortest = layout_->blockSizes - 1;
    const int seg = n >> shortest;
    const int segments = n / seg;
    if (frame >= 0 && frameCount_ >= 0 && frame >= frameCount_)
        return {shortest};
    // Energy of the high-passed signal in the short segments this frame's blocks are centred on, and
    // the two segments before them.
    std::vector<double> energy;
    const std::int64_t first = frame * n + n / 2 - 2 * seg;
    for (int s = 0; s < segments + 2; ++s) {
        double e = 0;
        for (int c = 0; c < channels_; ++c) {
            const std::vector<float>& sig = signal_[c];
            for (int i = 0; i < seg; ++i) {
                const std::int64_t at = first + s * seg + i - bufferStart_;
                if (at < 1 || at >= std::int64_t(sig.size()))
                    continue;
                const double d = sig[std::size_t(at)] - 0.7 * sig[std::size_t(at - 1)];
                e += d * d;
            }
        }
        energy.push_back(e / seg);
    }
    double ratio = 0;
    for (int s = 2; s < segments + 2; ++s) {
        const double before = std::max(energy[std::size_t(s - 1)], energy[std::size_t(s - 2)]);
        // Attacks quieter than about -60 dB of full scale are not worth the shorter blocks.
        if (energy[std::size_t(s)] > 1e3)
            ratio = std::max(ratio, energy[std::size_t(s)] / (before + 1e2));
    }
    const int blocks = ratio > 12 ? segments : ratio > 5 && shortest >= 1 ? 2 : 1;
    const int size = blocks == 1 ? 0 : blocks == 2 ? 1 : shortest;
    return std::vector<int>(std::size_t(blocks), size);
}

void CWmaEncoder::codeFrame(std::vector<WmaPacket>& out)
{
    const WmaLayout& lay = *layout_;
    const std::int64_t f = frame_;
    if (pattern_.empty())
        pattern_ = choosePattern(f);
    const std::vector<int> next = choosePattern(f + 1);
    if (!open_) {
        const int pad = openSuperframe(0, f);
        for (int i = 0; i < pad; ++i)
            superframe_.putBit(0);
    }
    const bool reset = !frameStarted_;

    std::vector<BlockPlan> plans(pattern_.size());
    int pos = 0;
    for (std::size_t j = 0; j < plans.size(); ++j) {
        BlockPlan& p = plans[j];
        p.size = pattern_[j];
        p.pos = pos;
        p.prev = j == 0 ? lastSize_ : pattern_[j - 1];
        p.next = j + 1 < plans.size() ? pattern_[j + 1] : next[0];
        pos += frameLen_ >> p.size;
        analyseBlock(p, f * frameLen_);
    }
    // Mid/side for the whole frame when the channels are alike, so shared exponents stay valid.
    if (channels_ == 2) {
        double side = 0, least = 0, l = 0, r = 0;
        for (const BlockPlan& p : plans)
            for (std::size_t i = 0; i < p.ch[0].coefs.size(); ++i) {
                const double a = p.ch[0].coefs[i], b = p.ch[1].coefs[i];
                l += a * a;
                r += b * b;
                side += (a - b) * (a - b) / 4;
            }
        least = std::min(l, r);
        const bool ms = side < 0.3 * least;
        for (BlockPlan& p : plans) {
            p.ms = ms;
            if (!ms)
                continue;
            for (std::size_t i = 0; i < p.ch[0].coefs.size(); ++i) {
                const float a = p.ch[0].coefs[i], b = p.ch[1].coefs[i];
                p.ch[0].coefs[i] = (a + b) / 2;
                p.ch[1].coefs[i] = (a - b) / 2;
            }
        }
    }
    // Exponents: every full block sends its own; the short blocks of a frame share the first one's.
    for (int c = 0; c < channels_; ++c) {
        std::vector<BlockPlan*> group;
        for (BlockPlan& p : plans)
            if (p.size == plans[0].size)
                group.push_back(&p);
        if (plans[0].size == 0 || group.size() != plans.size())
            for (BlockPlan& p : plans) {
                std::vector<BlockPlan*> one{&p};
                shapeExponents(one, c);
            }
        else {
            shapeExponents(group, c);
            for (std::size_t j = 1; j < plans.size(); ++j)
                plans[j].sendExps = false;
        }
        for (BlockPlan& p : plans)
            chooseNoiseBands(p, c);
    }

    // Budget: the rate's share plus half of what the reservoir holds, inside what the superframe
    // layout allows.
    const std::int64_t start = payloadPosition();
    const int local = int(start - superframeIndex_ * payloadBits_);
    // Frame 0 must end inside the first superframe; any other frame may run into the next one.
    const int structural = (f == 0 ? payloadBits_ : 2 * payloadBits_ - 8) - local;
    const int minBits = payloadBits_ / (kMaxFramesPerSuperframe - 1) + 1;
    const double reservoir = idealStart(f) - double(start);
    int target = int(payloadPerFrame_ + 0.5 * reservoir);
    target = std::clamp(target, minBits, structural);

    // Each block first gets what it costs with every level zero, then the rest by its length.
    const int codeBits = lay.blockCodeBits;
    int used = (reset ? 2 * codeBits : 0);
    std::vector<int> floorBits(plans.size());
    int floors = used;
    for (std::size_t j = 0; j < plans.size(); ++j) {
        floorBits[j] = codeBits + rateLoop(plans[j], 0);
        floors += floorBits[j];
    }
    const int spare = std::max(0, target - floors);
    int given = 0;
    for (std::size_t j = 0; j < plans.size(); ++j) {
        const int len = frameLen_ >> plans[j].size;
        const int share = floorBits[j] + int(double(spare) * len / frameLen_) + given;
        const int got = codeBits + rateLoop(plans[j], share - codeBits);
        given = share - got; // what a block left unused passes to the next
        used += got;
    }
    // Bits the reservoir cannot hold any more are spent here, as padding inside the frame: padding
    // between frames exists only at a superframe's start and cannot absorb a run of silent frames.
    const double aheadAfter = idealStart(f + 1) - double(start + used);
    int padding = std::max(minBits - used, int(aheadAfter - payloadBits_ / 2.0));
    padding = std::min(padding, structural - used);
    for (auto it = plans.rbegin(); it != plans.rend() && padding > 0; ++it) {
        const int added = addPadding(*it, padding);
        used += added;
        padding -= added;
    }

    WmaBitWriter w;
    if (reset) {
        w.put(unsigned(plans[0].prev), codeBits);
        w.put(unsigned(plans[0].size), codeBits);
    }
    for (const BlockPlan& p : plans) {
        w.put(unsigned(p.next), codeBits);
        writeBlock(p, w);
    }
    packFrame(w, out);
    lastSize_ = pattern_.back();
    pattern_ = next;
    ++frame_;
}

std::int64_t CWmaEncoder::payloadPosition() const
{
    return superframeIndex_ * payloadBits_ + std::int64_t(superframe_.size()) - layout_->headerBits();
}

int CWmaEncoder::openSuperframe(int tail, std::int64_t nextFrame)
{
    superframe_.clear();
    superframe_.put(unsigned(superframeIndex_ & 15), 4);
    superframe_.put(0, 4); // frame count, set on closing
    // Pad after the tail when the stream runs more than half a superframe ahead of the rate.
    const double ahead = idealStart(nextFrame) - double(superframeIndex_ * payloadBits_ + tail);
    int pad = int(std::max(0.0, ahead - payloadBits_ / 2.0));
    // The next frame must still start inside this superframe: a superframe that the tail and padding
    // fill leaves the decoder no remainder to carry, and it would take the next frame for padding.
    pad = std::min({pad, payloadBits_ - tail - 1, maxOffset_ - tail});
    superframe_.put(unsigned(tail + pad), layout_->byteOffsetBits + 3);
    open_ = true;
    spanning_ = tail > 0;
    frameStarted_ = false;
    framesEnded_ = 0;
    return pad;
}

void CWmaEncoder::packFrame(const WmaBitWriter& frame, std::vector<WmaPacket>& out)
{
    const std::size_t total = std::size_t(layout_->format.blockAlign) * 8;
    std::size_t from = 0;
    frameStarted_ = true;
    while (from < frame.size()) {
        const std::size_t room = total - superframe_.size();
        const std::size_t take = std::min(room, frame.size() - from);
        superframe_.append(frame, from, take);
        from += take;
        if (superframe_.size() == total) {
            if (from == frame.size())
                ++framesEnded_; // ends exactly with the superframe
            const bool more = from < frame.size();
            closeSuperframe(out);
            if (more) {
                const int pad = openSuperframe(int(frame.size() - from), frame_ + 1);
                superframe_.append(frame, from, frame.size() - from);
                for (int i = 0; i < pad; ++i)
                    superframe_.putBit(0);
                return;
            }
        } else {
            ++framesEnded_;
        }
    }
}

void CWmaEncoder::closeSuperframe(std::vector<WmaPacket>& out)
{
    const std::size_t total = std::size_t(layout_->format.blockAlign) * 8;
    while (superframe_.size() < total)
        superframe_.putBit(0);
    superframe_.patch(4, unsigned(framesEnded_ + 1), 4);
    WmaPacket packet;
    packet.data = superframe_.bytes();
    packet.pts = samplesOut_;
    packet.samples = (framesEnded_ + (spanning_ ? 1 : 0)) * frameLen_;
    samplesOut_ += packet.samples;
    out.push_back(std::move(packet));
    ++superframeIndex_;
    open_ = false;
    superframe_.clear();
}

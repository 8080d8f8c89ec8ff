#pragma once

#include "WMA/WmaBitWriter.h"
#include "WMA/WmaFormat.h"
#include "WMA/WmaLayout.h"
#include "WMA/WmaMdct.h"

#include <cstdint>
#include <memory>
#include <vector>

// One superframe of blockAlign bytes. `pts` counts the samples (per channel) a decoder has put out
// before this packet, `samples` the ones it puts out for it.
struct WmaPacket {
    std::vector<std::uint8_t> data;
    std::int64_t pts = 0;
    int samples = 0;
};

// Encoder of WMA version 2 superframes at a fixed block alignment and exact average bit rate. Frames
// are coded block by block with a psychoacoustic exponent shape, a rate loop on the total gain,
// transient-driven block switching and, where the format has it, noise substitution of high bands;
// the bit reservoir spreads frames across superframes.
class CWmaEncoder {
public:
    CWmaEncoder();
    ~CWmaEncoder();
    CWmaEncoder(const CWmaEncoder&) = delete;
    CWmaEncoder& operator=(const CWmaEncoder&) = delete;

    // Starts a stream; false for a format makeWmaFormat would not build.
    bool open(const WmaFormat& format);
    const WmaFormat& format() const { return layout_->format; }
    const WmaLayout& layout() const { return *layout_; }

    // Codes `frames` interleaved 16-bit sample frames, appending every finished superframe.
    void encode(const std::int16_t* samples, std::size_t frames, std::vector<WmaPacket>& out);
    // Codes the rest and the final superframe.
    void finish(std::vector<WmaPacket>& out);

    // The stream starts with two frames of silence, which a decoder drops (FFmpeg skips 2 frames
    // after opening), so the decoded signal lines up with the input sample for sample.
    int leadIn() const { return 2 * layout_->frameLen; }
    // Frames a stream of `inputSamples` holds. A decoder puts out one frame less (the two it drops
    // less the flushed overlap of the last one): the input's length rounded up to whole frames, of
    // which the last (frameLen + shortestBlock) / 2 samples before that end may come back faded.
    static std::int64_t frameCount(std::int64_t inputSamples, int frameLen, int shortestBlock);

private:
    struct ChannelBlock;
    struct BlockPlan;

    // Framing.
    void codeAvailable(bool final, std::vector<WmaPacket>& out);
    std::vector<int> choosePattern(std::int64_t frame) const;
    void codeFrame(std::vector<WmaPacket>& out);

    // Blocks (CWmaEncoderBlocks.cpp).
    void analyseBlock(BlockPlan& plan, std::int64_t frameStart);
    void shapeExponents(std::vector<BlockPlan*>& group, int channel);
    void chooseNoiseBands(BlockPlan& plan, int channel);
    int fixedBits(const BlockPlan& plan) const;
    int coefficientBits(const BlockPlan& plan, int channel, int gain) const;
    void quantise(BlockPlan& plan, int channel, int gain) const;
    int rateLoop(BlockPlan& plan, int targetBits);
    int addPadding(BlockPlan& plan, int bits);
    void writeBlock(const BlockPlan& plan, WmaBitWriter& w) const;

    // Superframes.
    // Starts the next superframe after `tail` bits of a spanning frame; returns the padding bits to
    // write after the tail.
    int openSuperframe(int tail, std::int64_t nextFrame);
    void packFrame(const WmaBitWriter& frame, std::vector<WmaPacket>& out);
    void closeSuperframe(std::vector<WmaPacket>& out);
    double idealStart(std::int64_t frame) const { return double(frame) * payloadPerFrame_; }
    std::int64_t payloadPosition() const;

    std::unique_ptr<WmaLayout> layout_;
    std::vector<std::unique_ptr<WmaMdct>> mdct_;
    std::vector<std::vector<float>> windows_; // rising sine half of each block size
    int channels_ = 1;
    int frameLen_ = 512;

    // Input in decoder output coordinates: signal_[c][i] is output sample bufferStart_ + i.
    std::vector<float> signal_[2];
    std::int64_t bufferStart_ = 0;
    std::int64_t inputSamples_ = 0;

    std::int64_t frame_ = 0;       // next frame to code
    std::int64_t frameCount_ = -1; // known once finish() is called
    std::vector<int> pattern_;     // block size indices of frame_
    int lastSize_ = 0;             // size index of the block before frame_

    // Superframe state.
    WmaBitWriter superframe_;
    bool open_ = false;
    bool spanning_ = false;     // the open superframe starts with the tail of a frame
    bool frameStarted_ = false; // a frame has started after the bit offset
    int framesEnded_ = 0;
    std::int64_t superframeIndex_ = 0;
    std::int64_t samplesOut_ = 0;
    int payloadBits_ = 0;        // bits per superframe after its header
    double payloadPerFrame_ = 0; // the bit rate's payload bits per frame
    int maxOffset_ = 0;
};

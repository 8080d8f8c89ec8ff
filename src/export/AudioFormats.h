#pragma once

#include "export/ExportCodes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AudioEncoderFamily;

// A finished packet of an encoder of our own: one block of the format's block alignment, stamped in
// samples (per channel) at the format's rate as a decoder puts them out.
struct EncodedAudioPacket {
    std::vector<std::uint8_t> data;
    std::int64_t pts = 0;
    std::int32_t samples = 0; // what a decoder puts out for the packet
};

// An encoder of our own beside libavcodec's. It takes interleaved 16-bit samples at the format's rate
// and channel count in pieces of any length and hands back each packet once it is complete, so the
// export's frames need not line up with the encoder's blocks.
class AudioBlockEncoder {
public:
    virtual ~AudioBlockEncoder() = default;
    virtual bool encode(const std::int16_t* samples, std::size_t frames,
                        std::vector<EncodedAudioPacket>& out) = 0;
    // Codes what is still held and closes the stream.
    virtual bool finish(std::vector<EncodedAudioPacket>& out) = 0;
    // The bytes that follow the wave format in the stream's header.
    virtual std::vector<std::uint8_t> formatExtra() const = 0;
};

// One compressed audio format an installed encoder really produces.
struct AudioFormat {
    std::int32_t tag = 0; // wave format tag
    std::int32_t sampleRate = 0;
    std::int32_t channels = 0;
    std::int32_t bitRate = 0;        // average bytes per second x 8, as the format announces it
    std::int32_t blockAlign = 0;     // bytes of one compressed block
    std::string encoder;             // which encoder family makes it, and under what name
    std::int64_t encoderBitRate = 0; // the rate to open the encoder with to get exactly this format
    const AudioEncoderFamily* family = nullptr; // set for an encoder of our own
};

// A set of audio encoders, asked which formats of a tag, rate and channel count it can produce. The
// export searches every installed family, so another encoder joins by adding a family to the list.
class AudioEncoderFamily {
public:
    virtual ~AudioEncoderFamily() = default;
    virtual std::vector<AudioFormat> formats(std::int32_t tag, std::int32_t sampleRate, std::int32_t channels,
                                             std::int32_t wantedBitRate) const = 0;
    // The encoder of one of this family's formats when it is not libavcodec's; nullptr for libavcodec's.
    virtual std::unique_ptr<AudioBlockEncoder> makeEncoder(const AudioFormat&) const { return nullptr; }
};

// The encoders of the linked libavcodec: Windows Media Audio version 2 through `wmav2`.
std::unique_ptr<AudioEncoderFamily> makeFfmpegAudioFamily();
// Our own WMA version 2 encoder, with the rows of its format list; the only one below 24 kbit/s.
std::unique_ptr<AudioEncoderFamily> makeOwnWmaAudioFamily();

// The families the export searches, in order of preference: libavcodec's, then our own encoder.
std::vector<const AudioEncoderFamily*>& installedAudioFamilies();

// The format with the wanted tag, rate, channels and exactly the wanted bit rate. Among several the
// smallest block alignment wins, or the largest when the profile has no video; of equal formats the
// earlier family's. kExportNoAudioFormat when no family offers one.
ExportCode findAudioFormat(const std::vector<const AudioEncoderFamily*>& families, std::int32_t tag,
                           std::int32_t sampleRate, std::int32_t channels, std::int32_t bitRate,
                           bool withVideo, AudioFormat& found);

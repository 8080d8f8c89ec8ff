// WMA commands: encode a WAV file into WMA version 2 audio in an audio-only ASF file, and list the
// formats the encoder writes.
#include "cli/CliCommand.h"

#include "WMA/CWmaAsfWriter.h"
#include "WMA/CWmaEncoder.h"
#include "WMA/WmaResampler.h"
#include "audio/VoiceConversion.h"
#include "audio/WavFile.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

namespace {

struct PcmInput {
    int rate = 0;
    int channels = 1;
    std::vector<std::int16_t> samples; // interleaved
};

std::int16_t sampleAt(const std::uint8_t* p, int bits)
{
    switch (bits) {
    case 8:
        return std::int16_t((int(p[0]) - 128) << 8);
    case 16:
        return std::int16_t(p[0] | (p[1] << 8));
    default: // 32: the top 16 bits
        return std::int16_t(p[2] | (p[3] << 8));
    }
}

// Reads any PCM WAV the audio library reads, as `channels` channels: mono mixes, stereo keeps both
// sides of a stereo file and doubles a mono one.
PcmInput readInput(const std::string& path, int channels)
{
    CWavReader reader;
    int code = reader.open(path);
    if (code == kWavOk)
        code = reader.startData();
    if (code != kWavOk)
        throw CliError("cannot read " + path + ": " + wavResultText(code));
    const WavFormat& format = reader.format();
    const int bits = format.bitsPerSample;
    if (format.formatTag != kWavFormatPcm || (bits != 8 && bits != 16 && bits != 32) || format.channels < 1 ||
        format.channels > 2 || format.blockAlign != format.channels * bits / 8)
        throw CliError(path + ": only 8-, 16- or 32-bit PCM in one or two channels is supported");
    if (format.samplesPerSec < kWmaMinInputRate || format.samplesPerSec > kWmaMaxInputRate)
        throw CliError(path + ": the sample rate must lie between 1000 and 768000 Hz");
    PcmInput input;
    input.rate = int(format.samplesPerSec);
    input.channels = channels;
    // Large pieces; where the file ends inside the data chunk, the last piece again frame by frame, so
    // that what is there is coded.
    std::vector<std::uint8_t> piece(std::size_t(format.blockAlign) * 1024);
    std::uint32_t consumed = 0;
    bool byFrame = false;
    for (;;) {
        std::uint32_t got = 0;
        const std::uint32_t want = byFrame ? format.blockAlign : std::uint32_t(piece.size());
        code = reader.read(piece.data(), want, got);
        if (code == kWavTruncatedData && !byFrame && reader.seekData(consumed) == kWavOk) {
            byFrame = true;
            continue;
        }
        consumed += got;
        const std::size_t frames = got / format.blockAlign;
        if (channels == 1) {
            appendMono16(piece.data(), frames, format, input.samples);
        } else {
            for (std::size_t i = 0; i < frames; ++i) {
                const std::uint8_t* f = piece.data() + i * format.blockAlign;
                const std::int16_t left = sampleAt(f, bits);
                const std::int16_t right = format.channels == 2 ? sampleAt(f + bits / 8, bits) : left;
                input.samples.push_back(left);
                input.samples.push_back(right);
            }
        }
        if (code != kWavOk || got == 0)
            break;
    }
    return input;
}

unsigned parseNumber(const CliArgs&, const std::optional<std::string>& text, const char* name,
                     unsigned fallback)
{
    if (!text)
        return fallback;
    try {
        std::size_t used = 0;
        const unsigned long v = std::stoul(*text, &used);
        if (used == text->size() && v <= 1000000)
            return unsigned(v);
    } catch (const std::exception&) {
    }
    throw CliError(std::string("bad value for ") + name + ": " + *text);
}

int runEncode(CliArgs& args, CliContext& context)
{
    const unsigned rate = parseNumber(args, args.take("--rate"), "--rate", 8000);
    const unsigned bitRate = parseNumber(args, args.take("--bitrate"), "--bitrate", 8000);
    const unsigned channels = parseNumber(args, args.take("--channels"), "--channels", 1);
    std::vector<std::string> paths = args.positionals(2, 2);
    WmaFormat format;
    std::string why;
    if (!makeWmaFormat(rate, int(channels), bitRate, format, &why))
        throw CliError("unsupported format: " + why);

    PcmInput input = readInput(paths[0], format.channels);
    const std::vector<std::int16_t> pcm = wmaResample(input.samples, input.channels, input.rate, int(rate));

    CWmaEncoder encoder;
    encoder.open(format);
    std::vector<WmaPacket> packets;
    encoder.encode(pcm.data(), pcm.size() / format.channels, packets);
    encoder.finish(packets);

    // Written beside the target and renamed, so a failure never leaves a partial output.
    const std::filesystem::path target(paths[1]);
    std::filesystem::path temp = target;
    temp += ".part";
    CWmaAsfWriter writer;
    std::string error;
    bool ok = writer.open(temp, format, error);
    for (std::size_t i = 0; ok && i < packets.size(); ++i)
        ok = writer.write(packets[i], error);
    ok = ok && writer.finish(error);
    std::error_code ec;
    if (ok)
        std::filesystem::rename(temp, target, ec);
    if (!ok || ec) {
        std::filesystem::remove(temp, ec);
        throw CliError("cannot write " + paths[1] + (error.empty() ? "" : ": " + error));
    }
    context.out << "wmav2 " << format.sampleRate << " Hz, " << format.channels << " channel(s), "
                << format.bitRate << " bit/s, block align " << format.blockAlign << ": " << packets.size()
                << " superframes, " << pcm.size() / format.channels << " samples\n";
    return 0;
}

int runFormats(CliArgs& args, CliContext& context)
{
    args.positionals(0, 0);
    for (const WmaFormat& f : wmaFormatList())
        context.out << f.sampleRate << " Hz " << f.channels << " ch " << f.bitRate << " bit/s block align "
                    << f.blockAlign << "\n";
    return 0;
}

const CliRegistration kWmaEncode("wma encode",
                                 "wma encode IN.wav OUT.wma [--rate HZ] [--bitrate BITS] [--channels 1|2]",
                                 runEncode);
const CliRegistration kWmaFormats("wma formats", "wma formats", runFormats);

} // namespace

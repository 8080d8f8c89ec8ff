// Speech coder commands: code a mono WAV file into a raw stream of 5.3 kbit/s G.723.1 frames.
#include "CliCommand.h"

#include "CG723Encoder.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

namespace {

// A small PCM WAV reader kept here until the audio library offers one.
struct PcmVoice {
    int rate = 0;
    std::vector<std::int16_t> samples;
};

std::uint32_t le32(const std::vector<unsigned char>& b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

unsigned le16(const std::vector<unsigned char>& b, std::size_t at)
{
    return unsigned(b[at]) | unsigned(b[at + 1]) << 8;
}

// Returns an empty string on success, else the reason the file cannot be used.
std::string readPcmWav(const std::string& path, PcmVoice& voice)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "cannot open " + path;
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE")
        return path + " is not a WAV file";
    bool haveFormat = false;
    for (std::size_t pos = 12; pos + 8 <= bytes.size();) {
        const std::string id(bytes.begin() + long(pos), bytes.begin() + long(pos) + 4);
        const std::uint64_t size = le32(bytes, pos + 4);
        const std::size_t body = pos + 8;
        const std::size_t available = std::size_t(std::min<std::uint64_t>(size, bytes.size() - body));
        if (id == "fmt " && available >= 16) {
            const unsigned format = le16(bytes, body);
            if ((format != 1 && format != 0xFFFE) || le16(bytes, body + 2) != 1 ||
                le16(bytes, body + 14) != 16)
                return path + ": only mono 16-bit PCM is supported";
            voice.rate = int(le32(bytes, body + 4));
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return path + ": data before format";
            for (std::size_t i = 0; i + 1 < available; i += 2)
                voice.samples.push_back(std::int16_t(le16(bytes, body + i)));
            break;
        }
        pos = body + std::size_t(std::min<std::uint64_t>(size + (size & 1), bytes.size() - body));
    }
    if (!haveFormat)
        return path + ": no format chunk";
    if (voice.rate != 8000 && voice.rate != 16000)
        return path + ": the sample rate must be 8000 or 16000 Hz";
    return {};
}

// 16 kHz input is halved as the stream writer does it: each pair of samples averaged.
std::vector<std::int16_t> toCoderRate(const PcmVoice& voice)
{
    if (voice.rate == 8000)
        return voice.samples;
    std::vector<std::int16_t> out;
    out.reserve(voice.samples.size() / 2);
    for (std::size_t i = 0; i + 1 < voice.samples.size(); i += 2)
        out.push_back(std::int16_t((int(voice.samples[i]) + int(voice.samples[i + 1])) / 2));
    return out;
}

int runEncode(CliArgs& args, CliContext& context)
{
    const bool noVad = args.flag("--no-vad");
    std::vector<std::string> paths = args.positionals(2, 2);
    PcmVoice voice;
    if (std::string problem = readPcmWav(paths[0], voice); !problem.empty())
        throw CliError(problem);
    std::vector<std::int16_t> pcm = toCoderRate(voice);

    CG723Encoder encoder(!noVad);
    std::vector<std::uint8_t> stream;
    int counts[3] = {0, 0, 0};
    std::uint8_t frame[CG723Encoder::kMaxFrameBytes];
    for (std::size_t start = 0; start + CG723Encoder::kFrameSamples <= pcm.size();
         start += CG723Encoder::kFrameSamples) {
        const int n = encoder.encodeFrame(pcm.data() + start, frame);
        stream.insert(stream.end(), frame, frame + n);
        ++counts[n == CG723Encoder::kActiveBytes ? 0 : n == CG723Encoder::kSilenceBytes ? 1 : 2];
    }

    // Written beside the target and renamed, so a failure never leaves a partial output.
    const std::filesystem::path target(paths[1]);
    std::filesystem::path temp = target;
    temp += ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(stream.data()), std::streamsize(stream.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            throw CliError("cannot write " + paths[1]);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        throw CliError("cannot write " + paths[1]);
    }
    context.out << "frames " << counts[0] + counts[1] + counts[2] << ": active " << counts[0] << ", silence "
                << counts[1] << ", untransmitted " << counts[2] << "\n";
    return 0;
}

const CliRegistration kG723Encode("g723 encode", "g723 encode IN.wav OUT.bit [--no-vad]", runEncode);

} // namespace

// Speech coder commands: code a mono WAV file into a raw stream of 5.3 kbit/s G.723.1 frames.
#include "cli/CliCommand.h"
#include "Common/AtomicFile.h"

#include "G723/CG723Encoder.h"
#include "audio/WavFile.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

namespace {

struct PcmVoice {
    unsigned rate = 0;
    std::vector<std::int16_t> samples;
};

// Reads a mono 16-bit PCM WAV at 8 or 16 kHz through the audio library's reader.
PcmVoice readCoderInput(const std::string& path)
{
    CWavReader reader;
    int code = reader.open(path);
    if (code == kWavOk)
        code = reader.startData();
    if (code != kWavOk)
        throw CliError("cannot read " + path + ": " + wavResultText(code));
    const WavFormat& format = reader.format();
    if (format.formatTag != kWavFormatPcm || format.channels != 1 || format.bitsPerSample != 16)
        throw CliError(path + ": only mono 16-bit PCM is supported");
    if (format.samplesPerSec != 8000 && format.samplesPerSec != 16000)
        throw CliError(path + ": the sample rate must be 8000 or 16000 Hz");
    PcmVoice voice;
    voice.rate = format.samplesPerSec;
    // Read piece by piece so that a data chunk cut short by the end of the file still codes what is there.
    std::vector<std::int16_t> piece(64);
    for (;;) {
        std::uint32_t bytesRead = 0;
        code = reader.read(piece.data(), static_cast<std::uint32_t>(piece.size() * 2), bytesRead);
        voice.samples.insert(voice.samples.end(), piece.begin(), piece.begin() + bytesRead / 2);
        if (code != kWavOk || bytesRead == 0)
            break;
    }
    return voice;
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
    PcmVoice voice = readCoderInput(paths[0]);
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

    if (!writeBytesAtomically(paths[1], stream))
        throw CliError("cannot write " + paths[1]);
    context.out << "frames " << counts[0] + counts[1] + counts[2] << ": active " << counts[0] << ", silence "
                << counts[1] << ", untransmitted " << counts[2] << "\n";
    return 0;
}

const CliRegistration kG723Encode("g723 encode", "g723 encode IN.wav OUT.bit [--no-vad]", runEncode);

} // namespace

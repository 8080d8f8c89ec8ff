// Sound file commands: describe a WAV file, convert a voice to the 16 kHz mono working format.
#include "cli/CliCommand.h"
#include "cli/DocCommandSupport.h"
#include "cli/JsonWriter.h"
#include "Common/TempFile.h"
#include "audio/VoiceConversion.h"
#include "cli/WavOutput.h"
#include "audio/WavFile.h"

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>

namespace {

int runWavInfo(CliArgs& args, CliContext& context)
{
    const bool json = args.flag("--json");
    const std::string path = args.positionals(1, 1)[0];
    CWavReader reader;
    int code = reader.open(path);
    if (code == kWavOk)
        code = reader.startData();
    if (code != kWavOk)
        throw CliError("cannot read " + path + ": result " + wavResultLine(code));
    const WavFormat& f = reader.format();
    const unsigned long samples = reader.dataSize() / f.blockAlign;
    if (!json) {
        context.out << "format " << f.formatTag << ", " << f.channels << " channel(s), " << f.samplesPerSec
                    << " Hz, " << f.bitsPerSample << " bits, " << reader.dataSize() << " data bytes, "
                    << samples << " samples\n";
        return 0;
    }
    JsonWriter writer(context.out);
    writer.beginObject()
        .field("format_tag", unsigned(f.formatTag))
        .field("channels", unsigned(f.channels))
        .field("rate", unsigned(f.samplesPerSec))
        .field("avg_bytes_per_sec", unsigned(f.avgBytesPerSec))
        .field("block_align", unsigned(f.blockAlign))
        .field("bits", unsigned(f.bitsPerSample))
        .field("data_bytes", unsigned(reader.dataSize()))
        .field("samples", samples)
        .endObject();
    return 0;
}

// Converts into a fresh file beside the destination and moves it into place only when complete, so a
// failed or cancelled conversion leaves an existing destination (or the source itself) untouched. A
// failure names the result code and, where the decoder said more, why.
int runVoiceConvert(CliArgs& args, CliContext&)
{
    const auto paths = args.positionals(2, 2);
    int result = kWavOk;
    std::string reason;
    try {
        writeWavInPlace(paths[1], "cannot convert " + paths[0],
                        [&](const std::filesystem::path& staging, const WavProgress& progress) {
                            result = convertVoice(staging, paths[0], progress, reason);
                            return result;
                        });
    } catch (const CliError& error) {
        if (result == kWavOk || reason.empty() || reason == wavResultText(result))
            throw;
        throw CliError(std::string(error.what()) + ": " + reason);
    }
    return 0;
}

const CliRegistration kWavInfo("wav info", "wav info FILE [--json]", runWavInfo);
const CliRegistration kVoiceConvert("voice convert", "voice convert IN.wav OUT.wav", runVoiceConvert);

} // namespace

// Sound file commands: describe a WAV file, convert a voice to the 16 kHz mono working format.
#include "CliCommand.h"
#include "DocCommandSupport.h"
#include "JsonWriter.h"
#include "TempFile.h"
#include "VoiceConversion.h"
#include "WavFile.h"

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>

namespace {

std::string resultText(int code)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", unsigned(code));
    return std::string(hex) + " (" + wavResultText(code) + ")";
}

int runWavInfo(CliArgs& args, CliContext& context)
{
    const bool json = args.flag("--json");
    const std::string path = args.positionals(1, 1)[0];
    CWavReader reader;
    int code = reader.open(path);
    if (code == kWavOk)
        code = reader.startData();
    if (code != kWavOk)
        throw CliError("cannot read " + path + ": result " + resultText(code));
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
// failed or cancelled conversion leaves an existing destination (or the source itself) untouched.
int runVoiceConvert(CliArgs& args, CliContext&)
{
    const auto paths = args.positionals(2, 2);
    const std::filesystem::path destination = paths[1];
    ScopedTempFile staging("wav", destination.parent_path().empty() ? "." : destination.parent_path());
    if (!staging.valid())
        throw CliError("cannot write " + paths[1] + ": result " + resultText(kWavCannotWrite));
    ConsoleProgress console;
    const int code = convertVoice(staging.path(), paths[0], [&](std::uint64_t position, std::uint64_t total) {
        return console.report(progressPerMille(position, total));
    });
    if (code != kWavOk)
        throw CliError("cannot convert " + paths[0] + ": result " + resultText(code));
    std::error_code error;
    std::filesystem::rename(staging.path(), destination, error);
    if (error)
        throw CliError("cannot write " + paths[1] + ": " + error.message());
    staging.release();
    return 0;
}

const CliRegistration kWavInfo("wav info", "wav info FILE [--json]", runWavInfo);
const CliRegistration kVoiceConvert("voice convert", "voice convert IN.wav OUT.wav", runVoiceConvert);

} // namespace

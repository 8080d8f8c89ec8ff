#include "cli/WavOutput.h"

#include "cli/CliCommand.h"
#include "cli/DocCommandSupport.h"
#include "Common/TempFile.h"
#include "audio/VoiceConversion.h"
#include "audio/WavFile.h"

#include <cstdio>
#include <system_error>

std::string wavResultLine(int code)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", unsigned(code));
    return std::string(hex) + " (" + wavResultText(code) + ")";
}

void writeWavInPlace(const std::string& destination, const std::string& failure, const WavProducer& produce)
{
    const std::filesystem::path target = destination;
    ScopedTempFile staging("wav", target.parent_path().empty() ? "." : target.parent_path());
    if (!staging.valid())
        throw CliError("cannot write " + destination + ": result " + wavResultLine(kWavCannotWrite));
    ConsoleProgress console;
    const int code = produce(staging.path(), [&](std::uint64_t position, std::uint64_t total) {
        return console.report(progressPerMille(position, total));
    });
    if (code != kWavOk)
        throw CliError(failure + ": result " + wavResultLine(code));
    std::error_code error;
    std::filesystem::rename(staging.path(), target, error);
    if (error)
        throw CliError("cannot write " + destination + ": " + error.message());
    staging.release();
}

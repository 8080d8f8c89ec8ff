#include "cli/WavOutput.h"

#include "cli/CliCommand.h"
#include "cli/DocCommandSupport.h"
#include "Common/AtomicFile.h"
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
    ConsoleProgress console;
    int code = kWavCannotWrite;
    const bool written = writeFileAtomically(destination, [&](const std::filesystem::path& staging) {
        code = produce(staging, [&](std::uint64_t position, std::uint64_t total) {
            return console.report(progressPerMille(position, total));
        });
        return code == kWavOk;
    });
    if (code != kWavOk)
        throw CliError(failure + ": result " + wavResultLine(code));
    if (!written)
        throw CliError("cannot write " + destination + ": result " + wavResultLine(kWavCannotWrite));
}

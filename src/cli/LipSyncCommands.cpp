// Lip-sync command: runs the analysis over a voice and prints the viseme items.
#include "CliCommand.h"
#include "JsonWriter.h"

#include "LipSyncAnalyzer.h"
#include "TempFile.h"
#include "VoiceConversion.h"
#include "VoiceDataReader.h"

#include <atomic>
#include <optional>
#include <csignal>
#include <ostream>

namespace {

std::atomic<bool> gCancelled{false};

extern "C" void cancelOnInterrupt(int)
{
    gCancelled = true;
}

struct ItemsSink : IVisemeTrackSink {
    std::vector<TrackPhoneme> items;
    void setVisemeTrack(const std::vector<TrackPhoneme>& track) override { items = track; }
};

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
    } else {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
}

// The items carry Big5 Bopomofo; JSON wants UTF-8. Bytes that are no Bopomofo show as '?'.
std::string utf8FromBig5(const std::string& big5)
{
    static const char32_t kTones[] = {0x02D9, 0x02CA, 0x02C7, 0x02CB};
    std::string out;
    for (size_t i = 0; i + 1 < big5.size(); i += 2) {
        const unsigned code = static_cast<unsigned char>(big5[i]) << 8 | static_cast<unsigned char>(big5[i + 1]);
        if (code >= 0xA374 && code <= 0xA37E)
            appendUtf8(out, 0x3105 + (code - 0xA374));
        else if (code >= 0xA3A1 && code <= 0xA3BA)
            appendUtf8(out, 0x3110 + (code - 0xA3A1));
        else if (code >= 0xA3BB && code <= 0xA3BE)
            appendUtf8(out, kTones[code - 0xA3BB]);
        else
            out += '?';
    }
    return out;
}

void writeVisemes(std::ostream& out, const std::vector<TrackPhoneme>& items)
{
    JsonWriter json(out);
    json.beginObject().key("visemes").beginArray();
    for (const auto& item : items) {
        json.beginObject()
            .field("start", item.start)
            .field("end", item.end)
            .field("viseme", static_cast<unsigned>(item.viseme))
            .field("weight", item.weight)
            .field("phoneme", static_cast<int>(item.phoneme))
            .field("label", item.label)
            .field("syllable", utf8FromBig5(item.syllable))
            .field("symbol", utf8FromBig5(item.symbol))
            .endObject();
    }
    json.endArray().endObject();
    out << "\n";
}

int lipsyncCommand(CliArgs& args, CliContext& context)
{
    args.flag("--json");
    const auto out = args.take("--out");
    const auto positionals = args.positionals(1, 1);
    if (out)
        throw CliError("--out is not available yet: the viseme item file writer is missing");
    // A voice in any other PCM format is analysed in the voice format, as the import-voice command keeps it.
    std::string voicePath = positionals[0];
    std::optional<ScopedTempFile> converted;
    {
        CVoiceDataReader probe;
        if (!probe.open(voicePath))
            throw CliError("cannot read the voice " + voicePath);
        if (!probe.isVoiceFormat()) {
            converted.emplace("wav");
            if (!converted->valid() || convertVoice(converted->path(), voicePath) != kWavOk)
                failWithMessage(context, 0xE829);
            voicePath = converted->path().string();
        }
    }
    gCancelled = false;
    const auto previous = std::signal(SIGINT, cancelOnInterrupt);
    ItemsSink sink;
    LipSyncAnalyzer analyzer(sink, voicePath,
                             [&](unsigned step, unsigned total, const std::string& remaining, const std::string&) {
                                 if (!remaining.empty())
                                     context.err << "\r" << step * 100 / total << "% remaining" << remaining
                                                 << std::flush;
                                 return gCancelled ? 0 : 1;
                             });
    const bool ok = analyzer.run();
    std::signal(SIGINT, previous);
    context.err << "\n";
    if (!ok)
        throw CliError(gCancelled ? "lip-sync cancelled" : "lip-sync analysis failed");
    writeVisemes(context.out, sink.items);
    return 0;
}

const CliRegistration kLipSync("lipsync", "lipsync VOICE.wav [--out ITEMS.vis] [--json]", lipsyncCommand);

} // namespace

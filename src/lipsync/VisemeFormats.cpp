#include "lipsync/VisemeFormats.h"

#include "lipsync/PhonemeTables.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kSamplesPerSecond = 16000.0;
constexpr int16_t kPhonemeL = 28;
constexpr int16_t kPhonemeW = 31;
constexpr int16_t kPhonemeAo = 6;

// Indexed by viseme 0 to 14.
constexpr std::array<const char*, 15> kSwitchMouths{"rest", "MBP", "FV", "etc", "etc", "etc", "etc", "etc",
                                                    "L",    "etc", "AI", "E",   "E",   "O",   "U"};
constexpr std::array<char, 15> kCueShapes{'X', 'A', 'G', 'B', 'B', 'B', 'B', 'B',
                                          'H', 'E', 'D', 'C', 'B', 'C', 'F'};

std::string seconds(uint32_t samples, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, samples / kSamplesPerSecond);
    return text;
}

int switchFrameOf(uint32_t samples)
{
    return static_cast<int>(std::floor(samples * kSwitchFramesPerSecond / kSamplesPerSecond)) + 1;
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

struct Cue {
    uint32_t start;
    uint32_t end;
    char shape;
};

void appendCue(std::vector<Cue>& cues, uint32_t start, uint32_t end, char shape)
{
    if (end <= start)
        return;
    if (!cues.empty() && cues.back().shape == shape && cues.back().end == start)
        cues.back().end = end;
    else
        cues.push_back({start, end, shape});
}

} // namespace

std::string switchMouthOf(uint16_t viseme, int16_t phoneme)
{
    if (viseme >= kSwitchMouths.size())
        return "rest";
    if (viseme == 8 && phoneme != kPhonemeL)
        return "etc"; // n: the tongue hides behind the teeth
    if (viseme == 14 && phoneme == kPhonemeW)
        return "WQ";
    return kSwitchMouths[viseme];
}

char cueShapeOf(uint16_t viseme, int16_t phoneme)
{
    if (viseme >= kCueShapes.size())
        return 'X';
    if (viseme == 8 && phoneme != kPhonemeL)
        return 'B';
    if (viseme == 13 && phoneme == kPhonemeAo)
        return 'E';
    return kCueShapes[viseme];
}

void writeVisemeTsv(std::ostream& out, const std::vector<VisemeSpan>& spans)
{
    for (const auto& span : spans)
        out << seconds(span.start, 3) << '\t' << seconds(span.end, 3) << '\t' << span.viseme << '\t'
            << visemeName(span.viseme) << '\n';
}

void writeSwitchData(std::ostream& out, const std::vector<VisemeSpan>& spans)
{
    std::vector<std::pair<int, std::string>> changes{{1, "rest"}};
    uint32_t lastEnd = 0;
    for (const auto& span : spans) {
        if (span.start > lastEnd && lastEnd > 0)
            changes.emplace_back(switchFrameOf(lastEnd), "rest");
        changes.emplace_back(switchFrameOf(span.start), switchMouthOf(span.viseme, span.phoneme));
        lastEnd = span.end;
    }
    if (lastEnd > 0)
        changes.emplace_back(switchFrameOf(lastEnd), "rest");
    // Of several mouths in one frame the last shows; a mouth repeated needs no new key.
    std::vector<std::pair<int, std::string>> keys;
    for (const auto& change : changes) {
        if (!keys.empty() && keys.back().first == change.first)
            keys.pop_back();
        if (keys.empty() || keys.back().second != change.second)
            keys.push_back(change);
    }
    out << "MohoSwitch1\n";
    for (const auto& [frame, mouth] : keys)
        out << frame << ' ' << mouth << '\n';
}

void writeMouthCues(std::ostream& out, const std::vector<VisemeSpan>& spans, const std::string& soundFile,
                    uint32_t voiceSamples)
{
    // Cues are built in hundredths, the precision they are written with, so none comes out empty.
    const auto hundredths = [](uint32_t samples) {
        return static_cast<uint32_t>(std::lround(samples / 160.0));
    };
    const uint32_t duration = hundredths(voiceSamples);
    std::vector<Cue> cues;
    uint32_t at = 0;
    for (const auto& span : spans) {
        const uint32_t start = std::max(hundredths(span.start), at);
        const uint32_t end = std::min(hundredths(span.end), duration);
        appendCue(cues, at, start, 'X');
        appendCue(cues, start, end, cueShapeOf(span.viseme, span.phoneme));
        at = std::max(at, end);
    }
    appendCue(cues, at, duration, 'X');
    out << "{\n  \"metadata\": {\n    \"soundFile\": " << jsonString(soundFile)
        << ",\n    \"duration\": " << seconds(voiceSamples, 2) << "\n  },\n  \"mouthCues\": [";
    for (size_t i = 0; i < cues.size(); ++i)
        out << (i ? ",\n" : "\n") << "    { \"start\": " << seconds(cues[i].start * 160, 2)
            << ", \"end\": " << seconds(cues[i].end * 160, 2) << ", \"value\": \"" << cues[i].shape << "\" }";
    out << (cues.empty() ? "" : "\n  ") << "]\n}\n";
}

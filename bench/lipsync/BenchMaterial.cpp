#include "BenchMaterial.h"

#include "AlignedReference.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// The sentences every earlier setting was chosen on.
const std::vector<std::string> kTuningSentences{
    "The quick brown fox jumps over the lazy dog.",
    "She sells sea shells by the sea shore.",
    "Peter Piper picked a peck of pickled peppers.",
    "We were away a year ago, while you were at home.",
    "Five very fine violins arrived for the festival in February.",
    "Thank you for thinking of this, though the weather is rather cold.",
    "Judge the church choir with cheerful charm and a gentle voice.",
    "Bob made a map of the lamp in the mobile home.",
};

// Sentences no setting is chosen on.
const std::vector<std::string> kHeldOutSentences{
    "Open the window and let the morning air into the room.",
    "My brother bought four blue balloons at the market.",
    "How much wood would a woodchuck chuck if a woodchuck could chuck wood?",
    "The old man walked slowly along the river bank.",
    "Please measure the shelf before you order the glass.",
    "Her father gave the museum a valuable painting.",
    "Wait, who moved my yellow umbrella from the hall?",
    "Nobody knew the answer, so the teacher smiled.",
    "On the 3rd of May, 42 people joined the march.",
    "Rain in Spain stays mainly on the plain.",
    "Jim quickly zipped his jacket against the chilly wind.",
    "Thousands of birds flew south over the valley.",
};

const std::map<std::string, int> kPhoneViseme{
    {"pau", 0}, {"h#", 0},  {"sil", 0}, {"brth", 0}, {"p", 1},   {"b", 1},   {"m", 1},   {"em", 1},
    {"f", 2},   {"v", 2},   {"th", 3},  {"dh", 3},   {"t", 4},   {"d", 4},   {"dx", 4},  {"k", 5},
    {"g", 5},   {"ng", 5},  {"ch", 6},  {"jh", 6},   {"sh", 6},  {"zh", 6},  {"s", 7},   {"z", 7},
    {"n", 8},   {"l", 8},   {"el", 8},  {"en", 8},   {"nx", 8},  {"r", 9},   {"er", 9},  {"axr", 9},
    {"aa", 10}, {"ay", 10}, {"aw", 10}, {"ae", 11},  {"eh", 11}, {"ey", 11}, {"hh", 11}, {"ih", 12},
    {"ix", 12}, {"iy", 12}, {"y", 12},  {"ah", 13},  {"ax", 13}, {"ao", 13}, {"ow", 14}, {"oy", 14},
    {"uh", 14}, {"uw", 14}, {"w", 14}};

// Reference viseme per 10-ms frame from "phone:end-seconds" words.
std::vector<int> referenceFrames(const std::string& durations)
{
    std::vector<int> frames;
    std::istringstream words(durations);
    std::string word;
    while (words >> word) {
        const auto colon = word.find(':');
        if (colon == std::string::npos)
            continue;
        const int viseme = visemeOfReferencePhone(word.substr(0, colon));
        const int end = static_cast<int>(std::lround(std::atof(word.c_str() + colon + 1) * 100));
        while (static_cast<int>(frames.size()) < end)
            frames.push_back(viseme);
    }
    return frames;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\' || c == '$' || c == '`')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

bool toVoiceFormat(const std::string& raw, const std::string& wav)
{
    capture("sox " + raw + " -r 16000 -c 1 -b 16 " + wav + " 2>/dev/null");
    return fs::exists(wav) && fs::file_size(wav) > 44;
}

struct Synthesis {
    std::string source;
    std::string voice;
    double stretch;
    bool festival;
};

std::string fliteDurations(const Synthesis& s, const std::string& text, const std::string& raw)
{
    char stretch[32];
    std::snprintf(stretch, sizeof stretch, "%.2f", s.stretch);
    return capture("flite -voice " + s.voice + " --setf duration_stretch=" + stretch + " -psdur -t " +
                   quoted(text) + " -o " + raw + " 2>/dev/null");
}

std::string festivalDurations(const Synthesis& s, const std::string& text, const std::string& raw,
                              const fs::path& dir)
{
    const auto script = (dir / "say.scm").string();
    std::ofstream(script) << "(" << s.voice << ")\n"
                          << "(Parameter.set 'Duration_Stretch " << s.stretch << ")\n"
                          << "(set! utt (utt.synth (Utterance Text " << quoted(text) << ")))\n"
                          << "(utt.save.wave utt " << quoted(raw) << " 'riff)\n"
                          << "(mapcar (lambda (s) (format t \"%s:%f \" (item.name s) (item.feat s \"end\")))"
                          << " (utt.relation.items utt 'Segment))\n";
    return capture("festival --batch " + script + " 2>/dev/null");
}

void synthesise(const Synthesis& s, const std::vector<std::string>& sentences, bool heldOut,
                const fs::path& dir, std::vector<BenchVoice>& out)
{
    for (const auto& text : sentences) {
        const auto base = dir / (s.source + "-" + std::to_string(out.size()));
        const auto raw = base.string() + ".raw.wav", wav = base.string() + ".wav";
        const auto durations =
            s.festival ? festivalDurations(s, text, raw, dir) : fliteDurations(s, text, raw);
        auto reference = referenceFrames(durations);
        if (reference.empty() || !toVoiceFormat(raw, wav))
            continue;
        out.push_back({s.source, wav, text, std::move(reference), heldOut});
    }
}

size_t wavFrames(const std::string& wav)
{
    return fs::exists(wav) && fs::file_size(wav) > 44 ? (fs::file_size(wav) - 44) / 320 : 0;
}

// Four sentences of one source joined with pauses of 0.8 s, as a voice track of a scene would have them.
void addParagraphs(std::vector<BenchVoice>& voices, size_t from, const fs::path& dir)
{
    constexpr size_t kSentences = 4, kPauseFrames = 80;
    const size_t to = voices.size();
    for (size_t first = from; first + kSentences <= to; first += kSentences) {
        BenchVoice paragraph{voices[first].source + "-paragraph", "", "", {}, voices[first].heldOut};
        std::string parts;
        for (size_t i = first; i < first + kSentences; ++i) {
            const auto& voice = voices[i];
            const std::string padded = voice.wav + ".padded.wav";
            capture("sox " + voice.wav + " " + padded + " pad 0 0.8");
            parts += " " + padded;
            auto reference = voice.reference;
            reference.resize(wavFrames(voice.wav), 0);
            reference.resize(reference.size() + kPauseFrames, 0);
            paragraph.reference.insert(paragraph.reference.end(), reference.begin(), reference.end());
            paragraph.text += (paragraph.text.empty() ? "" : " ") + voice.text;
        }
        paragraph.wav = (dir / (paragraph.source + "-" + std::to_string(first) + ".wav")).string();
        capture("sox" + parts + " " + paragraph.wav);
        paragraph.reference.resize(wavFrames(paragraph.wav), 0);
        if (!paragraph.reference.empty())
            voices.push_back(std::move(paragraph));
    }
}

void addRecorded(const fs::path& dir, std::vector<BenchVoice>& out)
{
    for (auto& voice : alignedTestVoices(dir / "recorded")) {
        std::vector<int> reference;
        for (const auto& phone : voice.framePhones)
            reference.push_back(visemeOfReferencePhone(phone));
        out.push_back({"recorded", voice.wav, voice.transcript, std::move(reference), true});
    }
}

} // namespace

int visemeOfReferencePhone(const std::string& phone)
{
    const auto it = kPhoneViseme.find(phone);
    return it == kPhoneViseme.end() ? 0 : it->second;
}

std::vector<BenchVoice> benchMaterial(const fs::path& workDir, bool tuningOnly)
{
    fs::create_directories(workDir);
    std::vector<BenchVoice> voices;
    for (const char* voice : {"awb", "rms", "slt"}) {
        const size_t from = voices.size();
        synthesise({std::string("flite-") + voice, voice, 1.0, false}, kTuningSentences, false, workDir,
                   voices);
        addParagraphs(voices, from, workDir);
    }
    if (tuningOnly)
        return voices;
    synthesise({"flite-kal16", "kal16", 1.0, false}, kTuningSentences, true, workDir, voices);
    for (const char* voice : {"awb", "rms", "slt", "kal16"})
        synthesise({std::string("flite-") + voice, voice, 1.0, false}, kHeldOutSentences, true, workDir,
                   voices);
    for (const double stretch : {0.8, 1.3})
        for (const char* voice : {"awb", "slt"}) {
            const auto source = std::string("flite-") + voice + (stretch < 1 ? "-fast" : "-slow");
            synthesise({source, voice, stretch, false}, kHeldOutSentences, true, workDir, voices);
        }
    for (const char* voice : {"kal_diphone", "ked_diphone", "cmu_us_slt_arctic_hts"}) {
        const std::string name = std::string(voice).substr(0, std::string(voice).find('_'));
        const auto source = "festival-" + (name == "cmu" ? std::string("slt-hts") : name);
        synthesise({source, "voice_" + std::string(voice), 1.0, true}, kTuningSentences, true, workDir,
                   voices);
        const size_t from = voices.size();
        synthesise({source, "voice_" + std::string(voice), 1.0, true}, kHeldOutSentences, true, workDir,
                   voices);
        addParagraphs(voices, from, workDir);
    }
    addRecorded(workDir, voices);
    return voices;
}

// Accuracy of the viseme track against flite's own phone timing and against aligned recordings, and speed
// and memory of the analysis. Needs flite, sox and the decoder's tools and test data at run time; figures
// are reported as counters, never asserted.

// GCC 12 reports a false overlap in operator+ on strings (its bug 105651); the command lines need it.
#pragma GCC diagnostic ignored "-Wrestrict"

#include "AlignedReference.h"
#include "lipsync/LipSyncAnalyzer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

const char* kSentences[] = {
    "The quick brown fox jumps over the lazy dog.",
    "She sells sea shells by the sea shore.",
    "Peter Piper picked a peck of pickled peppers.",
    "We were away a year ago, while you were at home.",
    "Five very fine violins arrived for the festival in February.",
    "Thank you for thinking of this, though the weather is rather cold.",
    "Judge the church choir with cheerful charm and a gentle voice.",
    "Bob made a map of the lamp in the mobile home.",
};
const char* kVoices[] = {"awb", "rms", "slt", "kal16"};

// A phonetician's viseme for each reference phone.
const std::map<std::string, int> kPhoneViseme{
    {"pau", 0}, {"p", 1},   {"b", 1},   {"m", 1},   {"f", 2},   {"v", 2},   {"th", 3},
    {"dh", 3},  {"t", 4},   {"d", 4},   {"k", 5},   {"g", 5},   {"ng", 5},  {"ch", 6},
    {"jh", 6},  {"sh", 6},  {"zh", 6},  {"s", 7},   {"z", 7},   {"n", 8},   {"l", 8},
    {"r", 9},   {"er", 9},  {"aa", 10}, {"ay", 10}, {"aw", 10}, {"ae", 11}, {"eh", 11},
    {"ey", 11}, {"hh", 11}, {"ih", 12}, {"iy", 12}, {"y", 12},  {"ah", 13}, {"ax", 13},
    {"ao", 13}, {"ow", 14}, {"oy", 14}, {"uh", 14}, {"uw", 14}, {"w", 14}};

enum LipClass { kClosed, kTeethOnLip, kOpen, kRounded, kSpread, kOther };
int lipClass(int viseme)
{
    switch (viseme) {
    case 1:
        return kClosed;
    case 2:
        return kTeethOnLip;
    case 10:
    case 13:
        return kOpen;
    case 14:
        return kRounded;
    case 11:
    case 12:
        return kSpread;
    default:
        return kOther;
    }
}

struct Sink : IVisemeTrackSink {
    std::vector<TrackPhoneme> items;
    void setVisemeTrack(const std::vector<TrackPhoneme>& track) override { items = track; }
};

// Reference viseme per 10-ms frame from "phone:end" pairs.
std::vector<int> referenceFrames(const std::string& psdur)
{
    std::vector<int> frames;
    std::istringstream words(psdur);
    std::string word;
    while (words >> word) {
        const auto colon = word.find(':');
        if (colon == std::string::npos)
            continue;
        const auto it = kPhoneViseme.find(word.substr(0, colon));
        const int end = static_cast<int>(std::lround(std::atof(word.c_str() + colon + 1) * 100));
        while (static_cast<int>(frames.size()) < end)
            frames.push_back(it == kPhoneViseme.end() ? 0 : it->second);
    }
    return frames;
}

std::vector<int> trackFrames(const std::vector<TrackPhoneme>& items, size_t frames)
{
    std::vector<int> out(frames, 0);
    for (const auto& item : items)
        for (size_t f = item.start / 160; f < item.end / 160 && f < frames; ++f)
            out[f] = item.viseme;
    return out;
}

// Mean distance in frames from each reference viseme change to the nearest change in the track.
double boundaryOffset(const std::vector<int>& ref, const std::vector<int>& got)
{
    std::vector<size_t> changes;
    for (size_t f = 1; f < got.size(); ++f)
        if (got[f] != got[f - 1])
            changes.push_back(f);
    double sum = 0;
    int count = 0;
    for (size_t f = 1; f < ref.size(); ++f) {
        if (ref[f] == ref[f - 1] || changes.empty())
            continue;
        size_t best = SIZE_MAX;
        for (size_t c : changes)
            best = std::min(best, c > f ? c - f : f - c);
        sum += static_cast<double>(best);
        ++count;
    }
    return count ? sum / count : 0;
}

struct Score {
    long frames = 0, agree15 = 0, agreeLip = 0;
    double offsetSum = 0;
    int utterances = 0;

    void add(const std::string& wav, const std::vector<int>& ref)
    {
        Sink sink;
        LipSyncAnalyzer analyzer(sink, wav, nullptr);
        if (!analyzer.run())
            return;
        const auto got = trackFrames(sink.items, ref.size());
        for (size_t f = 0; f < ref.size(); ++f) {
            agree15 += ref[f] == got[f];
            agreeLip += lipClass(ref[f]) == lipClass(got[f]);
        }
        frames += static_cast<long>(ref.size());
        offsetSum += boundaryOffset(ref, got);
        ++utterances;
    }

    void report(benchmark::State& state) const
    {
        state.counters["visemes15_pct"] = frames ? 100.0 * agree15 / frames : 0;
        state.counters["lipclass_pct"] = frames ? 100.0 * agreeLip / frames : 0;
        state.counters["boundary_ms"] = utterances ? 10.0 * offsetSum / utterances : 0;
        state.counters["frames"] = static_cast<double>(frames);
    }
};

// Sentences of four flite voices against flite's own phone timing.
void accuracy(benchmark::State& state)
{
    const fs::path dir = fs::temp_directory_path() / "lipsync_bench";
    fs::create_directories(dir);
    Score score;
    for (auto _ : state) {
        for (const char* voice : kVoices)
            for (const char* sentence : kSentences) {
                const auto raw = (dir / "raw.wav").string(), wav = (dir / "voice.wav").string();
                const auto psdur = capture(std::string("flite -voice ") + voice + " -psdur -t \"" + sentence +
                                           "\" -o " + raw);
                capture("sox " + raw + " -r 16000 -c 1 -b 16 " + wav);
                score.add(wav, referenceFrames(psdur));
            }
    }
    score.report(state);
    fs::remove_all(dir);
}
BENCHMARK(accuracy)->Iterations(1)->Unit(benchmark::kSecond);

// Recorded speech of the decoder's test data against a forced alignment of its transcripts.
void accuracyRecorded(benchmark::State& state)
{
    const fs::path dir = fs::temp_directory_path() / "lipsync_bench_recorded";
    Score score;
    for (auto _ : state)
        for (const auto& voice : alignedTestVoices(dir)) {
            std::vector<int> ref;
            for (const auto& phone : voice.framePhones) {
                const auto it = kPhoneViseme.find(phone);
                ref.push_back(it == kPhoneViseme.end() ? 0 : it->second);
            }
            score.add(voice.wav, ref);
        }
    score.report(state);
    fs::remove_all(dir);
}
BENCHMARK(accuracyRecorded)->Iterations(1)->Unit(benchmark::kSecond);

// A long voice from repeated sentences of all voices; seconds gives its length.
void analysis(benchmark::State& state)
{
    const fs::path dir = fs::temp_directory_path() / "lipsync_bench_speed";
    fs::create_directories(dir);
    std::string parts;
    int n = 0;
    for (const char* voice : kVoices)
        for (const char* sentence : kSentences) {
            const auto part = (dir / ("p" + std::to_string(n++) + ".wav")).string();
            capture(std::string("flite -voice ") + voice + " -t \"" + sentence + "\" -o " + part);
            capture("sox " + part + " -r 16000 -c 1 -b 16 " + part + ".16k.wav");
            parts += " " + part + ".16k.wav";
        }
    const auto seconds = state.range(0);
    const auto one = (dir / "round.wav").string(), voice = (dir / "long.wav").string();
    capture("sox" + parts + " " + one);
    capture("sox " + one + " " + voice + " repeat " + std::to_string(seconds / 60 + 1) + " trim 0 " +
            std::to_string(seconds));
    size_t items = 0;
    for (auto _ : state) {
        Sink sink;
        LipSyncAnalyzer analyzer(sink, voice, nullptr);
        analyzer.run();
        items = sink.items.size();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["voice_s"] = static_cast<double>(seconds);
    state.counters["items"] = static_cast<double>(items);
    state.counters["peak_rss_MB"] = usage.ru_maxrss / 1024.0;
    fs::remove_all(dir);
}
BENCHMARK(analysis)->Arg(600)->Arg(3600)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

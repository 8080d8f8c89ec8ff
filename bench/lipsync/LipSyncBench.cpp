// Accuracy of the viseme track frame by frame (10 ms) against the phone timing of synthesised and recorded
// speech, without the spoken text (phonetic, and with the words recognised first) and with it, and the
// speed of the analysis. Needs flite, Festival, sox and the decoder's tools and test data at run time;
// figures are reported, never asserted.
// LIPSYNC_BENCH_SET=tuning (or heldout) limits the accuracy run to that set and LIPSYNC_BENCH_MODE=plain
// to the phonetic analysis without text, =words to the recognised words (for trying settings quickly).

// GCC 12 reports a false overlap in operator+ on strings (its bug 105651); the command lines need it.
#pragma GCC diagnostic ignored "-Wrestrict"

#include "AlignedReference.h"
#include "BenchMaterial.h"
#include "lipsync/LipSyncAnalyzer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

namespace {

namespace fs = std::filesystem;

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

struct Tally {
    long frames = 0, agree15 = 0, agreeLip = 0;
    double offsetSum = 0;
    int utterances = 0;

    void add(const std::vector<int>& ref, const std::vector<int>& got)
    {
        for (size_t f = 0; f < ref.size(); ++f) {
            agree15 += ref[f] == got[f];
            agreeLip += lipClass(ref[f]) == lipClass(got[f]);
        }
        frames += static_cast<long>(ref.size());
        offsetSum += boundaryOffset(ref, got);
        ++utterances;
    }
    void add(const Tally& other)
    {
        frames += other.frames;
        agree15 += other.agree15;
        agreeLip += other.agreeLip;
        offsetSum += other.offsetSum;
        utterances += other.utterances;
    }
    double visemePct() const { return frames ? 100.0 * agree15 / frames : 0; }
    double lipPct() const { return frames ? 100.0 * agreeLip / frames : 0; }
    double offsetMs() const { return utterances ? 10.0 * offsetSum / utterances : 0; }
};

// Frames of reference viseme r given as viseme g, without text, over the tuning set.
long gConfusion[16][16] = {};

void addConfusion(const std::vector<int>& ref, const std::vector<int>& got)
{
    for (size_t f = 0; f < ref.size(); ++f)
        ++gConfusion[std::min(ref[f], 15)][std::min(got[f], 15)];
}

// The three commonest mistakes of each reference viseme.
void printConfusion()
{
    std::printf("\nwithout text, tuning set: reference viseme -> frames, agreement, commonest mistakes\n");
    for (int r = 0; r < 15; ++r) {
        long total = 0;
        std::vector<std::pair<long, int>> wrong;
        for (int g = 0; g < 16; ++g) {
            total += gConfusion[r][g];
            if (g != r)
                wrong.emplace_back(gConfusion[r][g], g);
        }
        std::sort(wrong.rbegin(), wrong.rend());
        std::printf("%2d: %5ld %5.1f%%  ", r, total, total ? 100.0 * gConfusion[r][r] / total : 0);
        for (int k = 0; k < 3; ++k)
            std::printf("->%d %4.1f%%  ", wrong[k].second, total ? 100.0 * wrong[k].first / total : 0);
        std::printf("\n");
    }
}

struct Scores {
    Tally plain, words, text;
    long wrongWords = 0, wrongFound = 0; // a text of another sentence: words found in the voice
};

bool analyse(const BenchVoice& voice, const std::string& text, std::vector<int>& frames,
             size_t* words = nullptr, size_t* found = nullptr, bool recogniseWords = false)
{
    Sink sink;
    LipSyncAnalyzer analyzer(sink, voice.wav, nullptr);
    analyzer.setScript(text);
    analyzer.setRecogniseWords(recogniseWords);
    if (!analyzer.run())
        return false;
    frames = trackFrames(sink.items, voice.reference.size());
    if (words)
        *words = analyzer.scriptWords();
    if (found)
        *found = analyzer.scriptWordsFound();
    return true;
}

// A text that is not what the voice says: how many of its words are claimed to be heard.
void addWrongText(const BenchVoice& voice, const std::string& wrong, Scores& scores)
{
    std::vector<int> frames;
    size_t words = 0, found = 0;
    if (!analyse(voice, wrong, frames, &words, &found))
        return;
    scores.wrongWords += static_cast<long>(words);
    scores.wrongFound += static_cast<long>(found);
}

void printRow(const char* name, const Scores& s)
{
    std::printf("%-22s %4d  %6.1f %6.1f %6.1f   %6.1f %6.1f %6.1f   %6.1f %6.1f %6.1f\n", name,
                s.plain.utterances, s.plain.visemePct(), s.plain.lipPct(), s.plain.offsetMs(),
                s.words.visemePct(), s.words.lipPct(), s.words.offsetMs(), s.text.visemePct(),
                s.text.lipPct(), s.text.offsetMs());
}

void report(benchmark::State& state, const char* prefix, const Scores& s)
{
    const std::string p(prefix);
    state.counters[p + "_vis15"] = s.plain.visemePct();
    state.counters[p + "_lip"] = s.plain.lipPct();
    state.counters[p + "_words_vis15"] = s.words.visemePct();
    state.counters[p + "_words_lip"] = s.words.lipPct();
    state.counters[p + "_text_vis15"] = s.text.visemePct();
    state.counters[p + "_text_lip"] = s.text.lipPct();
}

// Every voice of the material without its text (phonetic, then with recognised words) and with it; one
// table of sets and sources.
void accuracy(benchmark::State& state)
{
    const fs::path dir = fs::temp_directory_path() / "lipsync_bench";
    const char* only = std::getenv("LIPSYNC_BENCH_SET");
    const bool tuningOnly = only && std::strcmp(only, "tuning") == 0;
    const bool heldOutOnly = only && std::strcmp(only, "heldout") == 0;
    const char* mode = std::getenv("LIPSYNC_BENCH_MODE");
    const bool plainOnly = mode && std::strcmp(mode, "plain") == 0;
    const bool wordsOnly = mode && std::strcmp(mode, "words") == 0;
    Scores tuning, heldOut, recorded;
    std::map<std::string, Scores> bySource;
    for (auto _ : state) {
        const auto material = benchMaterial(dir, tuningOnly);
        for (size_t i = 0; i < material.size(); ++i) {
            const auto& voice = material[i];
            if ((tuningOnly && voice.heldOut) || (heldOutOnly && !voice.heldOut))
                continue;
            std::vector<int> plain, words, text;
            if (wordsOnly) {
                if (!analyse(voice, "", words, nullptr, nullptr, true))
                    continue;
                plain = text = words;
            } else if (!analyse(voice, "", plain)) {
                continue;
            } else if (plainOnly) {
                words = text = plain;
            } else if (!analyse(voice, "", words, nullptr, nullptr, true) ||
                       !analyse(voice, voice.text, text)) {
                continue;
            }
            if (!plainOnly && !wordsOnly && !voice.heldOut)
                addWrongText(voice, material[(i + 3) % material.size()].text, tuning);
            Scores one;
            one.plain.add(voice.reference, plain);
            if (!voice.heldOut)
                addConfusion(voice.reference, plain);
            one.words.add(voice.reference, words);
            one.text.add(voice.reference, text);
            Scores& set = voice.source == "recorded" ? recorded : voice.heldOut ? heldOut : tuning;
            for (Scores* s : {&set, &bySource[voice.source + (voice.heldOut ? "" : " (tuning)")]}) {
                s->plain.add(one.plain);
                s->words.add(one.words);
                s->text.add(one.text);
            }
        }
    }
    std::printf("\n%-22s %4s  %-20s   %-20s   %-20s\n", "", "", "without text", "words recognised",
                "with text");
    std::printf("%-22s %4s  %6s %6s %6s   %6s %6s %6s   %6s %6s %6s\n", "set / source", "utts", "vis15%",
                "lip%", "bnd ms", "vis15%", "lip%", "bnd ms", "vis15%", "lip%", "bnd ms");
    printRow("tuning", tuning);
    printRow("held-out (synth.)", heldOut);
    printRow("recorded (aligned)", recorded);
    for (const auto& [source, scores] : bySource)
        if (source != "recorded")
            printRow(source.c_str(), scores);
    if (tuning.wrongWords)
        std::printf("tuning, another sentence's text: %ld of %ld words found (%.1f%%)\n", tuning.wrongFound,
                    tuning.wrongWords, 100.0 * tuning.wrongFound / tuning.wrongWords);
    printConfusion();
    report(state, "tuning", tuning);
    report(state, "heldout", heldOut);
    report(state, "recorded", recorded);
    fs::remove_all(dir);
}
BENCHMARK(accuracy)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();

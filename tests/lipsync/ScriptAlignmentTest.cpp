#include "audio/WavFile.h"
#include "lipsync/LipSyncAnalyzer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TrackSink : IVisemeTrackSink {
    std::vector<TrackPhoneme> items;
    void setVisemeTrack(const std::vector<TrackPhoneme>& track) override { items = track; }
};

struct Analysis {
    bool ok = false;
    std::vector<TrackPhoneme> items;
    size_t words = 0, found = 0;
};

Analysis analyse(const std::filesystem::path& voice, const std::string& script, bool recogniseWords = false)
{
    TrackSink sink;
    LipSyncAnalyzer analyzer(sink, voice.string(), nullptr);
    analyzer.setScript(script);
    analyzer.setRecogniseWords(recogniseWords);
    Analysis result;
    result.ok = analyzer.run();
    result.items = sink.items;
    result.words = analyzer.scriptWords();
    result.found = analyzer.scriptWordsFound();
    return result;
}

void expectOrderedTrack(const std::vector<TrackPhoneme>& items, const std::string& what)
{
    ASSERT_FALSE(items.empty()) << what;
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_LT(items[i].start, items[i].end) << what << " " << i;
        EXPECT_LE(items[i].viseme, 14) << what << " " << i;
        if (i > 0) {
            EXPECT_LE(items[i - 1].end, items[i].start) << what << " " << i;
        }
    }
}

std::vector<int> framesOf(const std::vector<TrackPhoneme>& items, size_t frames)
{
    std::vector<int> out(frames, 0);
    for (const auto& item : items)
        for (size_t f = item.start / 160; f < item.end / 160 && f < frames; ++f)
            out[f] = item.viseme;
    return out;
}

std::filesystem::path speak(const testsupport::TempDir& dir, const std::string& name, const std::string& text)
{
    const auto raw = dir / (name + ".raw.wav"), voice = dir / (name + ".wav");
    const auto flite = testsupport::runCommand("flite -voice slt -t \"" + text + "\" -o " + raw.string());
    EXPECT_EQ(flite.status, 0) << "flite is needed";
    const auto sox =
        testsupport::runCommand("sox " + raw.string() + " -r 16000 -c 1 -b 16 " + voice.string());
    EXPECT_EQ(sox.status, 0) << sox.err;
    return voice;
}

size_t agreement(const std::vector<TrackPhoneme>& reference, const std::vector<TrackPhoneme>& items)
{
    const size_t frames = reference.back().end / 160 + 10;
    const auto expected = framesOf(reference, frames), got = framesOf(items, frames);
    size_t same = 0;
    for (size_t f = 0; f < frames; ++f)
        same += expected[f] == got[f];
    return same;
}

std::vector<int16_t> samplesOf(const std::filesystem::path& voice)
{
    CWavReader reader;
    EXPECT_EQ(reader.open(voice.string()), kWavOk);
    EXPECT_EQ(reader.startData(), kWavOk);
    std::vector<int16_t> samples(reader.remaining() / 2);
    uint32_t got = 0;
    EXPECT_EQ(reader.read(samples.data(), static_cast<uint32_t>(samples.size() * 2), got), kWavOk);
    samples.resize(got / 2);
    return samples;
}

std::vector<int> phonemesOf(const BlockAlignment& alignment)
{
    std::vector<int> phonemes;
    for (const auto& entry : alignment.entries)
        phonemes.push_back(entry.phoneme);
    return phonemes;
}

bool hasViseme(const std::vector<TrackPhoneme>& items, int viseme)
{
    for (const auto& item : items)
        if (item.viseme == viseme)
            return true;
    return false;
}

} // namespace

// The text's words are found in the voice; "the" brings its own tongue-between-teeth viseme, which the
// phonetic letters cannot name.
TEST(ScriptAlignment, SpokenTextIsFoundWordForWordAndNumbersAreReadOut)
{
    testsupport::TempDir dir;
    const auto fox = speak(dir, "fox", "The quick brown fox jumps over the lazy dog.");
    const auto aligned = analyse(fox, "the QUICK brown fox -- jumps over the lazy dog!");
    ASSERT_TRUE(aligned.ok);
    EXPECT_EQ(aligned.words, 9u);
    EXPECT_EQ(aligned.found, 9u);
    expectOrderedTrack(aligned.items, "aligned");
    EXPECT_TRUE(hasViseme(aligned.items, 3));
    EXPECT_FALSE(hasViseme(analyse(fox, "").items, 3));

    const auto march = speak(dir, "march", "On the third of May, forty two people joined the march.");
    const auto numbers = analyse(march, "On the 3rd of May, 42 people joined the march.");
    ASSERT_TRUE(numbers.ok);
    EXPECT_EQ(numbers.words, 11u);
    EXPECT_GE(numbers.found, 10u);
    expectOrderedTrack(numbers.items, "numbers");
}

// A word the dictionary lacks is guessed; words that are not in the voice, up to a whole text that has
// nothing to do with it, fall back to the phonetic result without failing the run. A text of no words is
// no text.
TEST(ScriptAlignment, UnknownMismatchedAndEmptyTextsFallBackToThePhoneticTrack)
{
    testsupport::TempDir dir;
    const auto fox = speak(dir, "fox", "The quick brown fox jumps over the lazy dog.");
    const auto phonetic = analyse(fox, "");
    ASSERT_TRUE(phonetic.ok);
    EXPECT_EQ(phonetic.words, 0u);
    const size_t frames = phonetic.items.back().end / 160 + 10;

    const auto unknown = analyse(fox, "The quick brown zorblax jumps over the lazy dog.");
    ASSERT_TRUE(unknown.ok);
    EXPECT_EQ(unknown.words, 9u);
    EXPECT_GE(unknown.found, 7u);
    EXPECT_LE(unknown.found, 8u);
    expectOrderedTrack(unknown.items, "unknown word");

    const auto unrelated = analyse(fox, "Seven purple elephants danced quietly in Norway yesterday.");
    ASSERT_TRUE(unrelated.ok);
    EXPECT_LE(unrelated.found, 2u);
    expectOrderedTrack(unrelated.items, "unrelated");
    const auto expected = framesOf(phonetic.items, frames), got = framesOf(unrelated.items, frames);
    size_t same = 0;
    for (size_t f = 0; f < frames; ++f)
        same += expected[f] == got[f];
    EXPECT_GT(same, frames * 8 / 10);

    for (const char* empty : {" \n\t", "... -- !?"}) {
        const auto none = analyse(fox, empty);
        ASSERT_TRUE(none.ok);
        EXPECT_EQ(none.words, 0u);
        ASSERT_EQ(none.items.size(), phonetic.items.size()) << empty;
        for (size_t i = 0; i < none.items.size(); ++i)
            EXPECT_EQ(none.items[i].start, phonetic.items[i].start) << i;
    }
}

// A text longer than one block: each block finds its own part of it and the blocks splice as before; the
// words the voice stops short of are simply not found.
TEST(ScriptAlignment, TextOverSeveralBlocksIsFoundAcrossTheSplice)
{
    testsupport::TempDir dir;
    const std::string sentence =
        "She sells sea shells by the sea shore, and the quick brown fox jumps over the lazy "
        "dog while we wait for the evening train.";
    const auto one = speak(dir, "one", sentence);
    const auto voice = dir / "voice.wav";
    std::string soxLine = "sox", script;
    for (int i = 0; i < 14; ++i) {
        soxLine.append(" ").append(one.string());
        script += sentence + "\n";
    }
    soxLine.append(" ").append(voice.string()).append(" trim 0 70");
    ASSERT_EQ(testsupport::runCommand(soxLine).status, 0);

    const auto aligned = analyse(voice, script);
    ASSERT_TRUE(aligned.ok);
    EXPECT_EQ(aligned.words, 14u * 25u);
    const double seconds = static_cast<double>(std::filesystem::file_size(one) - 44) / 32000.0;
    const auto spoken = static_cast<size_t>(70.0 / seconds * 25.0);
    EXPECT_GE(aligned.found, spoken * 9 / 10) << spoken;
    EXPECT_LE(aligned.found, spoken + 25);
    expectOrderedTrack(aligned.items, "two blocks");
    EXPECT_GT(aligned.items.back().end, 65u * 16000);
}

// Without text the voice's words can be recognised first and aligned as if given: the track comes closer
// to the one of the true text than the phonetic one does, and names the "th" of "the". No script words
// are reported, since none were given; a given text wins over the recognised words.
TEST(WordRecognition, RecognisedWordsBringTheTrackCloserToTheTextsOne)
{
    testsupport::TempDir dir;
    const auto fox = speak(dir, "fox", "The quick brown fox jumps over the lazy dog.");
    const auto reference = analyse(fox, "The quick brown fox jumps over the lazy dog.");
    const auto phonetic = analyse(fox, "");
    const auto words = analyse(fox, "", true);
    ASSERT_TRUE(reference.ok && phonetic.ok && words.ok);
    expectOrderedTrack(words.items, "words");
    EXPECT_TRUE(hasViseme(words.items, 3));
    EXPECT_GE(agreement(reference.items, words.items), agreement(reference.items, phonetic.items));
    EXPECT_EQ(words.words, 0u);
    EXPECT_EQ(words.found, 0u);

    const auto textWins = analyse(fox, "The quick brown fox jumps over the lazy dog.", true);
    ASSERT_TRUE(textWins.ok);
    EXPECT_EQ(textWins.words, 9u);
    ASSERT_EQ(textWins.items.size(), reference.items.size());
    for (size_t i = 0; i < reference.items.size(); ++i)
        EXPECT_EQ(textWins.items[i].viseme, reference.items[i].viseme) << i;
}

// Where no words are heard the block keeps the phonetic result, and a voice of silence is no failure.
TEST(WordRecognition, SilenceAndNoiseFallBackToThePhoneticResult)
{
    testsupport::TempDir dir;
    const auto silence = dir / "silence.wav";
    ASSERT_EQ(testsupport::runCommand("sox -n -r 16000 -c 1 -b 16 " + silence.string() + " trim 0 3").status,
              0);
    const auto quiet = analyse(silence, "", true);
    ASSERT_TRUE(quiet.ok);
    EXPECT_EQ(quiet.items.size(), analyse(silence, "").items.size());

    const auto hum = dir / "hum.wav";
    ASSERT_EQ(
        testsupport::runCommand("sox -n -r 16000 -c 1 -b 16 " + hum.string() + " synth 2 sine 50 vol 0.01")
            .status,
        0);
    EXPECT_TRUE(analyse(hum, "", true).ok);
}

// A voice over two blocks: each block aligns with its own heard words, the second after the first has
// fed the decoder its words, and the blocks splice into one ordered track.
TEST(WordRecognition, EachBlockAlignsWithItsOwnWords)
{
    testsupport::TempDir dir;
    const auto one = speak(dir, "one", "She sells sea shells by the sea shore while we wait for the train.");
    const auto voice = dir / "voice.wav";
    std::string soxLine = "sox";
    for (int i = 0; i < 20; ++i) // well over the 62 s kept
        soxLine.append(" ").append(one.string());
    soxLine.append(" ").append(voice.string()).append(" trim 0 62");
    ASSERT_EQ(testsupport::runCommand(soxLine).status, 0);

    const auto words = analyse(voice, "", true);
    ASSERT_TRUE(words.ok);
    expectOrderedTrack(words.items, "two blocks");
    EXPECT_GT(words.items.back().end, 60u * 16000);
    size_t secondBlockTh = 0;
    for (const auto& item : words.items)
        secondBlockTh += item.viseme == 3 && item.start > 56u * 16000;
    EXPECT_GT(secondBlockTh, 0u);
}

// An aligner given a new script keeps its model and aligns the new words as a fresh one would, although
// the decoder still knows the words of the old script.
namespace {

// Two short sentences spoken for aligners that are restarted from one text to the other.
struct TwoSpokenTexts {
    static constexpr const char* foxText = "The quick brown fox jumps over the lazy dog";
    static constexpr const char* mapText = "Bob made a map of the lamp";
    testsupport::TempDir dir;
    const std::string resource = recogniserFolder() + "/SylRecog.res";
    const std::vector<int16_t> fox = samplesOf(speak(dir, "fox", std::string(foxText) + "."));
    const std::vector<int16_t> map = samplesOf(speak(dir, "map", std::string(mapText) + "."));

    static BlockAlignment align(CScriptAligner& aligner, const std::vector<int16_t>& samples)
    {
        BlockAlignment out;
        aligner.alignBlock(samples.data(), static_cast<int>(samples.size()), true, 0, out);
        return out;
    }
};

} // namespace

TEST(WordRecognition, ARestartedAlignerAlignsItsNewScriptAsAFreshOne)
{
    TwoSpokenTexts spoken;
    const std::string& resource = spoken.resource;
    const auto& fox = spoken.fox;
    const auto& map = spoken.map;
    const auto align = &TwoSpokenTexts::align;
    CScriptAligner fresh;
    ASSERT_TRUE(fresh.open(resource, "Bob made a map of the lamp"));
    const auto expected = align(fresh, map);
    ASSERT_FALSE(expected.entries.empty());

    CScriptAligner restarted;
    ASSERT_TRUE(restarted.open(resource, "The quick brown fox jumps over the lazy dog"));
    EXPECT_EQ(restarted.wordsFound(), 0u);
    align(restarted, fox);
    EXPECT_EQ(restarted.wordsFound(), 9u);
    ASSERT_TRUE(restarted.restart("Bob made a map of the lamp"));
    EXPECT_EQ(restarted.wordCount(), 7u);
    EXPECT_EQ(restarted.wordsFound(), 0u);
    EXPECT_EQ(phonemesOf(align(restarted, map)), phonemesOf(expected));
    EXPECT_EQ(restarted.wordsFound(), 7u);
    EXPECT_FALSE(restarted.restart("... !?")) << "no words";
}

// The decoder's word list is bounded over many restarts (as over the blocks of a long voice): past the
// bound it is made afresh, while the words' ids go on rising, and every alignment still matches the one
// of a fresh aligner.
TEST(WordRecognition, TheDecodersWordListStaysBoundedOverRestarts)
{
    TwoSpokenTexts spoken;
    const std::string& resource = spoken.resource;
    const auto& fox = spoken.fox;
    const auto& map = spoken.map;
    const auto align = [](CScriptAligner& aligner, const std::vector<int16_t>& samples) {
        return phonemesOf(TwoSpokenTexts::align(aligner, samples));
    };
    const char* const foxText = TwoSpokenTexts::foxText;
    const char* const mapText = TwoSpokenTexts::mapText;
    CScriptAligner fresh;
    ASSERT_TRUE(fresh.open(resource, foxText));
    const auto expectedFox = align(fresh, fox);
    ASSERT_TRUE(fresh.open(resource, mapText));
    const auto expectedMap = align(fresh, map);
    ASSERT_FALSE(expectedFox.empty());
    ASSERT_FALSE(expectedMap.empty());
    const size_t oneText = fresh.knownWords();

    CScriptAligner bounded;
    ASSERT_TRUE(bounded.open(resource, foxText));
    const size_t limit = 3 * oneText;
    bounded.setKnownLimit(limit);
    size_t largest = 0, before = 0;
    bool remade = false;
    for (int round = 0; round < 8; ++round) {
        const bool isFox = round % 2 == 0;
        if (round > 0) {
            ASSERT_TRUE(bounded.restart(isFox ? foxText : mapText));
        }
        EXPECT_EQ(align(bounded, isFox ? fox : map), isFox ? expectedFox : expectedMap) << round;
        EXPECT_EQ(bounded.wordsFound(), bounded.wordCount()) << round;
        remade = remade || bounded.knownWords() < before;
        before = bounded.knownWords();
        largest = std::max(largest, before);
    }
    EXPECT_LE(largest, limit);
    EXPECT_TRUE(remade) << "eight texts do not fit under the bound of three";
}

// A word search that cannot start (its language model missing) leaves the phonetic result, and the run
// succeeds with the same track as without the word search.
TEST(WordRecognition, AWordSearchThatCannotStartFallsBackWithoutFailing)
{
    testsupport::TempDir dir;
    const auto voice = speak(dir, "fox", "The quick brown fox jumps over the lazy dog.");
    const auto resource = dir / "SylRecog.res";
    testsupport::writeTextFile(resource, testsupport::readTextFile(recogniserFolder() + "/SylRecog.res") +
                                             "\nwords -lm " + (dir / "missing.lm.bin").string() + "\n");
    TrackSink withWords, phonetic;
    LipSyncAnalyzer wordsAnalyzer(withWords, voice.string(), nullptr, nullptr, resource.string());
    wordsAnalyzer.setRecogniseWords(true);
    ASSERT_TRUE(wordsAnalyzer.run());
    LipSyncAnalyzer phoneticAnalyzer(phonetic, voice.string(), nullptr, nullptr, resource.string());
    ASSERT_TRUE(phoneticAnalyzer.run());
    ASSERT_FALSE(withWords.items.empty());
    ASSERT_EQ(withWords.items.size(), phonetic.items.size());
    for (size_t i = 0; i < phonetic.items.size(); ++i)
        EXPECT_EQ(withWords.items[i].viseme, phonetic.items[i].viseme) << i;
}

#include "DocTestSupport.h"

#include "documents/CmtStreamWriter.h"
#include "documents/DocumentListing.h"

#include <gtest/gtest.h>

using namespace doctest;

namespace {

// Codes loud frames as active, quiet ones as silence descriptions and silent ones as untransmitted,
// filling each coded frame with its first sample's low byte so the order can be checked.
class FakeCoder : public SpeechFrameCoder {
public:
    void reset() override { ++resets; }
    size_t codeFrame(const int16_t* samples, uint8_t* out) override
    {
        size_t bytes = samples[0] > 1000 ? 20 : samples[0] > 0 ? 4 : 1;
        for (size_t i = 0; i < bytes; ++i)
            out[i] = static_cast<uint8_t>(frames);
        ++frames;
        halvedFirst.push_back(samples[0]);
        return bytes;
    }
    int resets = 0;
    int frames = 0;
    std::vector<int16_t> halvedFirst;
};

EncodedTrack visemeTrack(std::initializer_list<uint32_t> starts)
{
    EncodedTrack track;
    track.version = 14;
    for (uint32_t start : starts) {
        track.starts.push_back(start);
        Bytes record;
        putU16(record, 3);
        putU32(record, start);
        putU32(record, start + 500);
        putU32(record, 50);
        track.records.push_back(record);
    }
    return track;
}

struct StreamRun {
    explicit StreamRun(size_t samples, int16_t level = 2000)
    {
        inputs.voice = writeVoice(temp.path() / "voice.wav", std::vector<int16_t>(samples, level));
        inputs.writeMesh = [](const std::filesystem::path& path) {
            writeFile(path, patternBytes(40));
            return true;
        };
    }
    bool write(StreamProgress progress = {})
    {
        return writeStreamFile(temp.path() / "out.cmt", inputs, coder, progress, status);
    }
    DocumentListing list()
    {
        FileByteSource in;
        EXPECT_TRUE(in.open(temp.path() / "out.cmt"));
        DocumentListing listing;
        EXPECT_TRUE(listDocument(in, "out.cmt", listing, status));
        return listing;
    }
    std::vector<std::string> tagsListed()
    {
        std::vector<std::string> found;
        for (const auto& chunk : list().chunks)
            found.push_back(tagText(chunk.tag) + ":" + std::to_string(chunk.length));
        return found;
    }
    PrivateTempFolder temp;
    StreamInputs inputs;
    FakeCoder coder;
    DocumentStatus status;
};

} // namespace

TEST(StreamFile, HeaderImagesAndEndAreInTheirOrder)
{
    StreamRun run(480);
    run.inputs.faceTexture = writeFile(run.temp.path() / "face.jpg", patternBytes(11)).string();
    run.inputs.mask = writeFile(run.temp.path() / "mask.jpg", patternBytes(12)).string();
    run.inputs.teethTop = (run.temp.path() / "missing.jpg").string();
    run.inputs.backgrounds = {{"sky", writeFile(run.temp.path() / "sky.jpg", patternBytes(13)).string()},
                              {std::string(300, 'n'), (run.temp.path() / "gone.jpg").string()}};
    ASSERT_TRUE(run.write());
    std::vector<std::string> expected = {"SHDR:4",  "BGDN:4",  "BGDN:256", "MESH:40", "MSKJ:12",
                                         "FTXJ:11", "BGRJ:13", "SPCG:24",  "SEND:0"};
    EXPECT_EQ(run.tagsListed(), expected);
    Bytes stream = readFile(run.temp.path() / "out.cmt");
    EXPECT_EQ(tagAt(stream, 0), "SHDR");
    EXPECT_EQ(u32At(stream, 8), 1u); // 16-bit 1, then 16-bit 0
    EXPECT_EQ(run.list().kind, "stream");
    EXPECT_EQ(run.list().version, 1);
}

TEST(StreamFile, BlocksFollowTheVoiceLength)
{
    struct Case {
        size_t samples;
        std::vector<std::string> speech; // the SPCG chunks in order
    };
    const Case cases[] = {
        {0, {"SPCG:4"}},
        {479, {"SPCG:4"}},
        {7679, {"SPCG:" + std::to_string(4 + 15 * 20)}},
        {7680, {"SPCG:" + std::to_string(4 + 16 * 20), "SPCG:4"}},
        {7680 + 480, {"SPCG:" + std::to_string(4 + 16 * 20), "SPCG:24"}},
    };
    for (const Case& c : cases) {
        StreamRun run(c.samples);
        ASSERT_TRUE(run.write()) << c.samples;
        std::vector<std::string> speech;
        for (const std::string& tag : run.tagsListed())
            if (tag.rfind("SPCG", 0) == 0)
                speech.push_back(tag);
        EXPECT_EQ(speech, c.speech) << c.samples;
        EXPECT_EQ(run.coder.resets, 1);
    }
}

TEST(StreamFile, FrameTypesAreTwoBitsPerFrame)
{
    std::vector<int16_t> samples;
    for (int16_t level : {2000, 500, 0, 3000})
        samples.insert(samples.end(), 480, level);
    StreamRun run(0);
    run.inputs.voice = writeVoice(run.temp.path() / "mixed.wav", samples);
    ASSERT_TRUE(run.write());
    auto listing = run.list();
    const auto& speech = listing.chunks[listing.chunks.size() - 2];
    ASSERT_EQ(speech.length, 4u + 20 + 4 + 1 + 20);
    Bytes stream = readFile(run.temp.path() / "out.cmt");
    EXPECT_EQ(u32At(stream, speech.offset + 8), 3u | 2u << 2 | 1u << 4 | 3u << 6);
    EXPECT_EQ(stream[speech.offset + 12 + 20], 1); // frame 1 follows frame 0 with no gap
}

TEST(StreamFile, PairsOfSamplesAreAveraged)
{
    StreamRun run(0);
    std::vector<int16_t> samples(480, 0);
    samples[0] = 32767;
    samples[1] = 32767;
    samples[2] = -32768;
    samples[3] = -32767;
    run.inputs.voice = writeVoice(run.temp.path() / "pairs.wav", samples);
    ASSERT_TRUE(run.write());
    ASSERT_EQ(run.coder.halvedFirst.size(), 1u);
    EXPECT_EQ(run.coder.halvedFirst[0], 32767);
}

TEST(StreamFile, ItemsTravelWithTheirBlock)
{
    StreamRun run(3 * 7680);
    run.inputs.visemes = visemeTrack({0, 7000, 8000});
    run.inputs.headTurns = visemeTrack({16000});
    ASSERT_TRUE(run.write());
    std::vector<std::string> blocks;
    for (const std::string& tag : run.tagsListed())
        if (tag.rfind("VISM", 0) == 0 || tag.rfind("MOTN", 0) == 0 || tag.rfind("SPCG", 0) == 0)
            blocks.push_back(tag.substr(0, 4) == "SPCG" ? "|" : tag);
    std::vector<std::string> expected = {"VISM:42", "|", "|", "MOTN:14", "|", "|"};
    EXPECT_EQ(blocks, expected);
}

TEST(StreamFile, CancelAndFailuresLeaveNoOutput)
{
    struct Case {
        const char* what;
        bool cancel;
        bool meshFails;
        bool voiceMissing;
    };
    const Case cases[] = {{"cancel", true, false, false},
                          {"mesh not written", false, true, false},
                          {"voice missing", false, false, true}};
    for (const Case& c : cases) {
        StreamRun run(4 * 7680);
        if (c.meshFails)
            run.inputs.writeMesh = [](const std::filesystem::path&) { return false; };
        if (c.voiceMissing)
            run.inputs.voice = run.temp.path() / "nothing.wav";
        int calls = 0;
        StreamProgress progress = [&](uint64_t, uint64_t) { return !c.cancel || ++calls < 2; };
        EXPECT_FALSE(run.write(progress)) << c.what;
        EXPECT_FALSE(std::filesystem::exists(run.temp.path() / "out.cmt")) << c.what;
        EXPECT_EQ(run.temp.fileCount(), 1u) << c.what; // only the voice
    }
}

TEST(StreamFile, ProgressIsReportedPerMille)
{
    const std::tuple<uint64_t, uint64_t, int> cases[] = {
        {0, 0, 0}, {1, 3, 333}, {999, 999, 1000}, {7680, 16000, 480}, {15360, 1600000, 9}};
    for (auto [done, total, expected] : cases)
        EXPECT_EQ(streamPerMille(done, total), expected) << done << "/" << total;
}

#include "DocTestSupport.h"

#include "documents/CmtStreamReader.h"
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
    const std::string longName(300, 'n');
    run.inputs.backgrounds = {{"sky", writeFile(run.temp.path() / "sky.jpg", patternBytes(13)).string()},
                              {"sea", (run.temp.path() / "gone.jpg").string()},
                              {longName, writeFile(run.temp.path() / "n.jpg", patternBytes(7)).string()}};
    ASSERT_TRUE(run.write());
    // The background whose picture is gone loses its name as well, so names and pictures stay paired.
    std::vector<std::string> expected = {"SHDR:4",  "BGDN:4",  "BGDN:256", "MESH:40", "MSKJ:12",
                                         "FTXJ:11", "BGRJ:13", "BGRJ:7",   "SPCG:24", "SEND:0"};
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

namespace {

// A stream with every kind of chunk: two named backgrounds (one missing), pictures, items in three
// blocks and speech of mixed frame kinds.
struct FullStream : StreamRun {
    FullStream() : StreamRun(0)
    {
        std::vector<int16_t> samples;
        for (int16_t level : {2000, 500, 0})
            samples.insert(samples.end(), 7680, level);
        samples.insert(samples.end(), 1000, 3000); // two whole frames and a rest the coder never sees
        inputs.voice = writeVoice(temp.path() / "mixed.wav", samples);
        inputs.faceTexture = writeFile(temp.path() / "face.jpg", patternBytes(11, 2)).string();
        inputs.mask = writeFile(temp.path() / "mask.jpg", patternBytes(12, 3)).string();
        inputs.teethBottom = writeFile(temp.path() / "bottom.jpg", patternBytes(9, 4)).string();
        inputs.backgrounds = {{"sky", writeFile(temp.path() / "sky.jpg", patternBytes(13, 5)).string()},
                              {"sea", (temp.path() / "gone.jpg").string()}};
        inputs.visemes = visemeTrack({0, 7000, 8000, 16000});
        inputs.expressions = visemeTrack({100});
        inputs.headTurns = visemeTrack({15000, 15500});
        EXPECT_TRUE(write());
        bytes = readFile(temp.path() / "out.cmt");
    }
    StreamRead read(const Bytes& stream, StreamContent& content, std::string& error) const
    {
        MemoryByteSource in(stream.data(), stream.size());
        return readStreamFile(in, content, error);
    }
    Bytes bytes;
};

size_t chunkOffset(const Bytes& stream, const std::string& tag, int nth = 0)
{
    for (size_t at = 0; at + 8 <= stream.size();) {
        const std::string found = tagAt(stream, at);
        if (found == tag && nth-- == 0)
            return at;
        const bool items = found == "VISM" || found == "EXPR" || found == "MOTN";
        at += 8 + u32At(stream, at + 4) + (items ? 8 : 0);
    }
    ADD_FAILURE() << "no " << tag;
    return 0;
}

} // namespace

TEST(StreamFileReading, ReadsBackWhatWasWritten)
{
    FullStream run;
    StreamContent content;
    std::string error;
    ASSERT_EQ(run.read(run.bytes, content, error), StreamRead::whole) << error << content.damage;
    EXPECT_EQ(content.version, 1);
    EXPECT_EQ(content.backgroundNames, (std::vector<std::string>{"sky"})); // "sea" has no picture
    EXPECT_EQ(content.mesh, patternBytes(40));
    EXPECT_EQ(content.faceTexture, patternBytes(11, 2));
    EXPECT_EQ(content.mask, patternBytes(12, 3));
    EXPECT_TRUE(content.teethTop.empty());
    EXPECT_EQ(content.teethBottom, patternBytes(9, 4));
    ASSERT_EQ(content.backgroundPictures.size(), 1u);
    EXPECT_EQ(content.backgroundPictures[0], patternBytes(13, 5));

    // Each item once, although the one at 8000 travels with the first block.
    std::vector<uint32_t> starts;
    for (const VisemeRecord& item : content.items.visemes)
        starts.push_back(item.start);
    EXPECT_EQ(starts, (std::vector<uint32_t>{0, 7000, 8000, 16000}));
    EXPECT_EQ(content.items.visemes[1].end, 7500u);
    EXPECT_EQ(content.items.visemes[1].viseme, 3);
    EXPECT_EQ(content.items.visemes[1].weight, 50);
    ASSERT_EQ(content.items.expressions.size(), 1u);
    EXPECT_EQ(content.items.expressions[0].start, 100u);
    EXPECT_EQ(content.items.headTurns.size(), 2u); // both in the second block

    // 16 active, 16 silence descriptions, 16 untransmitted, then the last block's two active frames,
    // each filled with its frame number by the coder.
    ASSERT_EQ(content.blocks, 4u);
    ASSERT_EQ(content.speech.sizes.size(), 50u);
    EXPECT_EQ(content.speech.sizes[0], 20);
    EXPECT_EQ(content.speech.sizes[16], 4);
    EXPECT_EQ(content.speech.sizes[32], 1);
    EXPECT_EQ(content.speech.sizes[49], 20);
    ASSERT_EQ(content.speech.bytes.size(), 16u * 20 + 16 * 4 + 16 + 2 * 20);
    EXPECT_EQ(content.speech.bytes[16 * 20], 16);
    EXPECT_EQ(content.speech.bytes.back(), 49);
}

// A file damaged after its head keeps the head and the whole blocks before the damage; one damaged
// before keeps nothing. Counts and lengths are checked before anything is taken from them.
TEST(StreamFileReading, DamageKeepsWhatCameBeforeIt)
{
    FullStream run;
    const Bytes& whole = run.bytes;
    const size_t mesh = chunkOffset(whole, "MESH"), firstItems = chunkOffset(whole, "VISM");
    const size_t secondSpeech = chunkOffset(whole, "SPCG", 1), face = chunkOffset(whole, "FTXJ");
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        StreamRead result;
        size_t blocks;       // kept
        size_t speechFrames; // kept
        const char* reason;  // in the error or the damage
    };
    const auto cut = [](size_t at) { return [at](Bytes& b) { b.resize(at); }; };
    const auto patchU32 = [](size_t at, uint32_t value) {
        return [at, value](Bytes& b) {
            for (int i = 0; i < 4; ++i)
                b[at + size_t(i)] = uint8_t(value >> (8 * i));
        };
    };
    const Case cases[] = {
        {"no header", cut(3), StreamRead::failed, 0, 0, "header"},
        {"another version", patchU32(8, 7), StreamRead::failed, 0, 0, "version 7"},
        {"cut in the mesh", cut(mesh + 20), StreamRead::failed, 0, 0, "MESH"},
        {"mesh renamed", patchU32(mesh, makeTag("MASH")), StreamRead::failed, 0, 0, "before the head"},
        {"mesh twice",
         [mesh](Bytes& b) {
             b.insert(b.begin() + long(mesh), b.begin() + long(mesh), b.begin() + long(mesh) + 48);
         },
         StreamRead::damaged, 0, 0, "out of place"},
        {"picture length past the end", patchU32(face + 4, 0xFFFFFFFFu), StreamRead::damaged, 0, 0, "FTXJ"},
        {"cut before the blocks", cut(firstItems), StreamRead::damaged, 0, 0, "cut short"},
        {"item count against its length", patchU32(firstItems + 8, 2), StreamRead::damaged, 0, 0, "counts"},
        {"item count huge", patchU32(firstItems + 8, 0x40000000u), StreamRead::damaged, 0, 0, "counts"},
        {"item version", patchU32(firstItems + 12, 13), StreamRead::damaged, 0, 0, "VISM"},
        {"frames beyond the chunk", patchU32(secondSpeech + 8, 0xFFFFFFFFu), StreamRead::damaged, 1, 16,
         "do not fill"},
        {"a frame after the last", patchU32(secondSpeech + 8, 0x2AAAAAA2u), StreamRead::damaged, 1, 16,
         "after its last"},
        {"speech chunk too short", patchU32(secondSpeech + 4, 2), StreamRead::damaged, 1, 16, "speech"},
        {"cut in the second block", cut(secondSpeech + 30), StreamRead::damaged, 1, 16, "after 480 ms"},
        {"unknown chunk in the blocks", patchU32(secondSpeech, makeTag("SPCX")), StreamRead::damaged, 1, 16,
         "unknown"},
        {"end missing", cut(whole.size() - 8), StreamRead::damaged, 4, 50, "cut short after 1920 ms"},
        {"a block after the speech ended",
         [](Bytes& b) {
             b.resize(b.size() - 8);
             putChunk(b, "SPCG", {0, 0, 0, 0});
         },
         StreamRead::damaged, 4, 50, "follows the end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = whole;
        c.damage(damaged);
        StreamContent content;
        std::string error;
        EXPECT_EQ(run.read(damaged, content, error), c.result);
        EXPECT_NE((error + content.damage).find(c.reason), std::string::npos) << error << content.damage;
        EXPECT_EQ(content.blocks, c.blocks);
        EXPECT_EQ(content.speech.sizes.size(), c.speechFrames);
        if (c.result == StreamRead::damaged) {
            EXPECT_EQ(content.mesh, patternBytes(40));
        }
    }
}

// Every prefix of a stream reads without harm: only the whole file is whole, and a longer prefix never
// keeps less.
TEST(StreamFileReading, EveryCutIsReadSafely)
{
    FullStream run;
    size_t lastFrames = 0;
    for (size_t size = 0; size < run.bytes.size(); ++size) {
        const Bytes part(run.bytes.begin(), run.bytes.begin() + long(size));
        StreamContent content;
        std::string error;
        const StreamRead result = run.read(part, content, error);
        ASSERT_NE(result, StreamRead::whole) << size;
        ASSERT_EQ(result == StreamRead::failed, content.damage.empty()) << size;
        ASSERT_GE(content.speech.sizes.size(), lastFrames) << size;
        lastFrames = content.speech.sizes.size();
    }
    EXPECT_EQ(lastFrames, 50u);
}

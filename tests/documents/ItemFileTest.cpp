#include "DocTestSupport.h"

#include "documents/ItemFiles.h"

#include <gtest/gtest.h>

using namespace doctest;

namespace {

ItemTracks sampleTracks()
{
    ItemTracks tracks;
    tracks.visemes = {{0, 100, 3, 50}, {100, 250, 14, 100}};
    tracks.expressions = {{0, 16000, 6, 75}};
    tracks.headTurns = {{0, 500, -60, 7, 60}, {500, 900, 1, -2, 3}};
    EventRecord script;
    script.start = 10;
    script.end = 11;
    script.kind = EventRecord::script;
    script.command = 0xBEEF;
    script.type = "URL";
    script.parameter = "http://example.org/";
    EventRecord picture;
    picture.start = 20;
    picture.end = 21;
    picture.kind = EventRecord::background;
    picture.text = "sky";
    EventRecord marker;
    marker.start = 20;
    marker.end = 21;
    marker.kind = EventRecord::marker;
    tracks.events = {script, picture, marker};
    tracks.sounds = {{5, 8000, 0x12345678, "bell", 90}};
    return tracks;
}

Bytes writeAndRead(const ItemTracks& tracks, ItemFileKind kind, uint64_t samples)
{
    testsupport::TempDir folder;
    EXPECT_TRUE(writeItemFile(folder / "items", tracks, kind, samples));
    return readFile(folder / "items");
}

} // namespace

TEST(ItemFiles, RecordsHaveTheirByteLayout)
{
    ItemTracks tracks = sampleTracks();
    Bytes visemes = writeAndRead(tracks, ItemFileKind::visemes, 16000);
    Bytes expected;
    putU32(expected, 2);
    putU32(expected, 14);
    for (auto [viseme, start, end, weight] : {std::tuple{3, 0, 100, 50}, std::tuple{14, 100, 250, 100}}) {
        putU16(expected, static_cast<uint16_t>(viseme));
        putU32(expected, static_cast<uint32_t>(start));
        putU32(expected, static_cast<uint32_t>(end));
        putU32(expected, static_cast<uint32_t>(weight));
    }
    EXPECT_EQ(visemes, expected);

    Bytes turns = writeAndRead(tracks, ItemFileKind::headTurns, 16000);
    ASSERT_EQ(turns.size(), 8u + 2 * 14);
    EXPECT_EQ(turns[8] | turns[9] << 8, 0xFFC4); // -60, then b and c, then the times
    EXPECT_EQ(u32At(turns, 14), 0u);
    EXPECT_EQ(u32At(turns, 18), 500u);

    Bytes events = writeAndRead(tracks, ItemFileKind::events, 16000);
    Bytes expectedEvents;
    putU32(expectedEvents, 3);
    putU32(expectedEvents, 0);
    putU32(expectedEvents, 10);
    putU32(expectedEvents, 11);
    putU16(expectedEvents, 0);
    putU16(expectedEvents, 0xBEEF);
    putU16(expectedEvents, 4);
    putText(expectedEvents, std::string("URL", 4));
    putU16(expectedEvents, 20);
    putText(expectedEvents, std::string("http://example.org/", 20));
    putU32(expectedEvents, 20);
    putU32(expectedEvents, 21);
    putU16(expectedEvents, 1);
    putU16(expectedEvents, 4);
    putText(expectedEvents, std::string("sky", 4));
    putU32(expectedEvents, 20);
    putU32(expectedEvents, 21);
    putU16(expectedEvents, 2);
    putU16(expectedEvents, 1);
    expectedEvents.push_back(0);
    EXPECT_EQ(events, expectedEvents);

    Bytes sounds = writeAndRead(tracks, ItemFileKind::sounds, 16000);
    Bytes expectedSounds;
    putU32(expectedSounds, 1);
    putU32(expectedSounds, 0);
    putU32(expectedSounds, 5);
    putU32(expectedSounds, 8000);
    putU32(expectedSounds, 0x12345678);
    putU16(expectedSounds, 5);
    putText(expectedSounds, std::string("bell", 5));
    putU32(expectedSounds, 90);
    EXPECT_EQ(sounds, expectedSounds);
}

TEST(ItemFiles, EmptyTracksWriteCountAndVersion)
{
    const std::pair<ItemFileKind, uint32_t> cases[] = {{ItemFileKind::visemes, 14},
                                                       {ItemFileKind::expressions, 14},
                                                       {ItemFileKind::headTurns, 14},
                                                       {ItemFileKind::events, 0},
                                                       {ItemFileKind::sounds, 0}};
    for (auto [kind, version] : cases) {
        Bytes file = writeAndRead(ItemTracks{}, kind, 16000);
        ASSERT_EQ(file.size(), 8u);
        EXPECT_EQ(u32At(file, 0), 0u);
        EXPECT_EQ(u32At(file, 4), version);
    }
}

TEST(ItemFiles, EveryKindRoundTrips)
{
    testsupport::TempDir folder;
    ItemTracks tracks = sampleTracks();
    ItemTracks back;
    for (ItemFileKind kind : {ItemFileKind::visemes, ItemFileKind::expressions, ItemFileKind::headTurns,
                              ItemFileKind::events, ItemFileKind::sounds}) {
        ASSERT_TRUE(writeItemFile(folder / "items", tracks, kind, 16000));
        ASSERT_TRUE(readItemFile(folder / "items", back, kind));
    }
    ASSERT_EQ(back.visemes.size(), 2u);
    EXPECT_EQ(back.visemes[1].viseme, 14);
    EXPECT_EQ(back.visemes[1].end, 250u);
    EXPECT_EQ(back.expressions[0].intensity, 75);
    EXPECT_EQ(back.headTurns[0].angleA, -60);
    EXPECT_EQ(back.headTurns[1].angleB, -2);
    ASSERT_EQ(back.events.size(), 3u);
    EXPECT_EQ(back.events[0].command, 0xBEEF);
    EXPECT_EQ(back.events[0].parameter, "http://example.org/");
    EXPECT_EQ(back.events[1].text, "sky");
    EXPECT_EQ(back.events[2].kind, EventRecord::marker);
    EXPECT_EQ(back.sounds[0].clip, "bell");
    EXPECT_EQ(back.sounds[0].extra, 0x12345678u);
    EXPECT_TRUE(readItemFile(std::filesystem::path(), back, ItemFileKind::visemes));
    EXPECT_EQ(back.visemes.size(), 2u); // an empty path reads nothing
}

TEST(ItemFiles, TextsLongerThanTheirFieldsAreCut)
{
    EventRecord script;
    script.type = std::string(40, 't');
    script.parameter = std::string(600, 'p');
    ItemTracks tracks;
    tracks.events = {script};
    testsupport::TempDir folder;
    ASSERT_TRUE(writeItemFile(folder / "act", tracks, ItemFileKind::events, 100));
    ItemTracks back;
    ASSERT_TRUE(readItemFile(folder / "act", back, ItemFileKind::events));
    EXPECT_EQ(back.events[0].type, std::string(15, 't'));
    EXPECT_EQ(back.events[0].parameter, std::string(511, 'p'));

    // A stored text longer than its field is cut on reading and the rest skipped.
    Bytes file;
    putU32(file, 1);
    putU32(file, 0);
    putU32(file, 1);
    putU32(file, 2);
    putU32(file, 0);
    putU16(file, 300);
    putText(file, std::string(300, 'c'));
    putU32(file, 55);
    MemoryByteSource in(file.data(), file.size());
    ASSERT_TRUE(readItemFile(in, back, ItemFileKind::sounds));
    EXPECT_EQ(back.sounds[0].clip, std::string(255, 'c'));
    EXPECT_EQ(back.sounds[0].volume, 55);
}

TEST(ItemFiles, MalformedFilesFailAndEmptyTheTrack)
{
    auto file = [](uint32_t count, uint32_t version, Bytes records) {
        Bytes bytes;
        putU32(bytes, count);
        putU32(bytes, version);
        bytes.insert(bytes.end(), records.begin(), records.end());
        return bytes;
    };
    struct Case {
        const char* what;
        ItemFileKind kind;
        Bytes bytes;
    };
    const Case cases[] = {
        {"wrong version", ItemFileKind::visemes, file(0, 0, {})},
        {"events with version 14", ItemFileKind::events, file(0, 14, {})},
        {"huge count", ItemFileKind::visemes, file(0xFFFFFFFF, 14, Bytes(14, 0))},
        {"record cut short", ItemFileKind::headTurns, file(1, 14, Bytes(13, 0))},
        {"text length past the end", ItemFileKind::events,
         file(1, 0, {1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0xFF, 0xFF})},
        {"no header", ItemFileKind::sounds, Bytes{1, 0}},
    };
    for (const Case& c : cases) {
        ItemTracks tracks = sampleTracks();
        MemoryByteSource in(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(readItemFile(in, tracks, c.kind)) << c.what;
        size_t left = c.kind == ItemFileKind::visemes     ? tracks.visemes.size()
                      : c.kind == ItemFileKind::headTurns ? tracks.headTurns.size()
                      : c.kind == ItemFileKind::events    ? tracks.events.size()
                                                          : tracks.sounds.size();
        EXPECT_EQ(left, 0u) << c.what;
    }
}

TEST(ItemFiles, OnlyItemsOfTheVoiceAreWrittenPlusOneBeyond)
{
    ItemTracks tracks;
    tracks.visemes = {{0, 10, 1, 50}, {20, 30, 2, 50}, {100, 110, 3, 50}, {200, 210, 4, 50}};
    EXPECT_EQ(u32At(writeAndRead(tracks, ItemFileKind::visemes, 50), 0), 3u);
    EXPECT_EQ(u32At(writeAndRead(tracks, ItemFileKind::visemes, 1000), 0), 4u);
    EXPECT_EQ(u32At(writeAndRead(tracks, ItemFileKind::visemes, 0), 0), 0u);
}

TEST(ItemWindow, WindowsTakeTheirItemsOnce)
{
    std::vector<uint32_t> starts = {0, 7000, 8000, 20000};
    size_t running = 0;
    WindowPick first = pickWindow(starts, running, 0, 7680);
    EXPECT_EQ(first.first, 0u);
    EXPECT_EQ(first.count, 3u);
    WindowPick second = pickWindow(starts, running, 7680, 7680);
    EXPECT_EQ(second.count, 0u);
    WindowPick third = pickWindow(starts, running, 15360, 7680);
    EXPECT_EQ(third.first, 3u);
    EXPECT_EQ(third.count, 1u);
    EXPECT_EQ(running, 4u);
}

// What the export writes byte by byte: the profile table, the audio format search, the bitmap header
// with its format-data chunk, the animation records, the packed head and the web page.
#include "export/AnimationStream.h"
#include "export/AudioFormats.h"
#include "export/ExportPipeline.h"
#include "export/ExportProfile.h"
#include "export/HtmlPage.h"
#include "export/StockProfiles.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>

namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

// A family offering given formats, as a second installed encoder would.
class ListedFamily : public AudioEncoderFamily {
public:
    explicit ListedFamily(std::vector<AudioFormat> formats) : formats_(std::move(formats)) {}
    std::vector<AudioFormat> formats(std::int32_t, std::int32_t, std::int32_t, std::int32_t) const override
    {
        return formats_;
    }

private:
    std::vector<AudioFormat> formats_;
};

TEST(StockProfiles, AreTheNineRowsInDialogOrder)
{
    const auto& rows = stockProfiles();
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_STREQ(rows[0].name, "28.8 Video - Voice");
    EXPECT_EQ(rows[0].audioTag, 304);
    EXPECT_STREQ(rows[8].name, "3Mb Video");
    EXPECT_EQ(rows[8].videoBitRate, 3041928);
    EXPECT_EQ(rows[4].width, 256);
    EXPECT_EQ(rows[3].width, 128);
    EXPECT_EQ(rows[5].keyFrameSeconds, 4);
    EXPECT_EQ(stockProfile(9), nullptr);
    EXPECT_EQ(stockProfile(-1), nullptr);
    const StockProfile stream = animationStreamProfile(15);
    EXPECT_EQ(stream.videoBitRate, 13440);
    EXPECT_EQ(stream.audioBitRate, 8000);
    EXPECT_EQ(frameDurationMs(15), 66);
    EXPECT_EQ(frameDurationMs(30), 33);
    EXPECT_EQ(frameDurationMs(0), 0);
}

TEST(AudioFormatSearch, FindsOnlyWhatAnInstalledEncoderProduces)
{
    struct Case {
        int row;
        ExportCode code;
        std::int32_t blockAlign;
        const char* encoder;
    };
    // libavcodec's encoder refuses every rate below 24 kbit/s, where ours serves; where both make the
    // same format libavcodec's wins. The speech codec has no encoder at all.
    const Case cases[] = {
        {0, kExportNoAudioFormat, 0, ""}, {1, kExportOk, 64, "wma"},    {2, kExportOk, 58, "wma"},
        {3, kExportOk, 58, "wma"},        {4, kExportOk, 64, "wma"},    {5, kExportOk, 186, "wmav2"},
        {6, kExportOk, 372, "wmav2"},     {7, kExportOk, 372, "wmav2"}, {8, kExportOk, 372, "wmav2"}};
    for (const Case& c : cases) {
        const StockProfile& row = stockProfiles()[std::size_t(c.row)];
        AudioFormat found;
        EXPECT_EQ(findAudioFormat(installedAudioFamilies(), row.audioTag, row.sampleRate, row.channels,
                                  row.audioBitRate, true, found),
                  c.code)
            << "row " << c.row;
        if (c.code == kExportOk) {
            EXPECT_EQ(found.blockAlign, c.blockAlign) << "row " << c.row;
            EXPECT_EQ(found.bitRate, row.audioBitRate);
            EXPECT_EQ(found.channels, row.channels);
            EXPECT_EQ(found.encoder, c.encoder) << "row " << c.row;
        }
    }
    // The animation stream's 8 kbit/s at 8 kHz mono comes from our encoder; the rate it announces is the
    // profile's exactly.
    const StockProfile stream = animationStreamProfile(15);
    AudioFormat low;
    ASSERT_EQ(findAudioFormat(installedAudioFamilies(), stream.audioTag, stream.sampleRate, stream.channels,
                              stream.audioBitRate, true, low),
              kExportOk);
    EXPECT_EQ(low.encoder, "wma");
    EXPECT_EQ(low.bitRate, 8000);
    ASSERT_TRUE(low.family);
    const std::unique_ptr<AudioBlockEncoder> encoder = low.family->makeEncoder(low);
    ASSERT_TRUE(encoder);
    // Pieces of any length go in; whole blocks come out, back to back in time, and the tail is flushed.
    std::vector<EncodedAudioPacket> packets;
    const std::vector<std::int16_t> piece(528, 1200);
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(encoder->encode(piece.data(), piece.size(), packets));
    ASSERT_TRUE(encoder->finish(packets));
    std::int64_t next = 0;
    for (const EncodedAudioPacket& packet : packets) {
        EXPECT_EQ(packet.data.size(), 64u);
        EXPECT_EQ(packet.pts, next);
        next += packet.samples;
    }
    EXPECT_GE(next, 20 * 528);
    EXPECT_LT(next, 20 * 528 + 2 * 512);
    EXPECT_EQ(encoder->formatExtra().size(), 10u);
    // Of several matches the smallest block wins with video, the largest without; near misses never match.
    const ListedFamily other({{353, 8000, 1, 8000, 64, "a", 0},
                              {353, 8000, 1, 8000, 32, "b", 0},
                              {353, 8000, 1, 8008, 16, "c", 0},
                              {353, 8000, 2, 8000, 8, "d", 0}});
    AudioFormat found;
    ASSERT_EQ(findAudioFormat({&other}, 353, 8000, 1, 8000, true, found), kExportOk);
    EXPECT_EQ(found.encoder, "b");
    ASSERT_EQ(findAudioFormat({&other}, 353, 8000, 1, 8000, false, found), kExportOk);
    EXPECT_EQ(found.encoder, "a");
    EXPECT_EQ(findAudioFormat({&other}, 354, 8000, 1, 8000, true, found), kExportNoAudioFormat);
    // The same format from two families: the earlier family's encoder makes it.
    const ListedFamily first({{353, 8000, 1, 8000, 64, "first", 0}});
    const ListedFamily second({{353, 8000, 1, 8000, 64, "second", 0}});
    for (const bool withVideo : {true, false}) {
        ASSERT_EQ(findAudioFormat({&first, &second}, 353, 8000, 1, 8000, withVideo, found), kExportOk);
        EXPECT_EQ(found.encoder, "first");
        EXPECT_EQ(found.family, &first);
    }
}

TEST(ProfileBuilder, WritesTheBitmapHeaderAndLimitsTheFormatData)
{
    VideoStreamSettings stream{216200, 256, 128, 30, 0, 4, {}};
    std::vector<std::uint8_t> header = bitmapHeader(stream);
    ASSERT_EQ(header.size(), 40u);
    EXPECT_EQ(le32(header, 0), 40u);
    EXPECT_EQ(le32(header, 4), 256u);
    EXPECT_EQ(le32(header, 8), 128u);
    EXPECT_EQ(header[12] | header[13] << 8, 1);
    EXPECT_EQ(header[14] | header[15] << 8, 32);
    EXPECT_EQ(std::memcmp(&header[16], "MP43", 4), 0);
    EXPECT_EQ(le32(header, 20), 256u * 128u * 4u);

    stream.formatData = {1, 2, 3};
    header = bitmapHeader(stream);
    ASSERT_EQ(header.size(), 40u + 8u + 3u);
    EXPECT_EQ(le32(header, 0), 51u);
    EXPECT_EQ(std::memcmp(&header[40], "MONO", 4), 0);
    EXPECT_EQ(le32(header, 44), 3u);
    EXPECT_EQ(header[50], 3);

    const ListedFamily family({{353, 44100, 2, 64080, 372, "wmav2", 64083}});
    const AudioSettings audio{353, 64080, 44100, 2};
    ExportProfile profile;
    struct Case {
        std::size_t dataBytes;
        std::size_t streams;
        ExportCode code;
    };
    // The chunk's own eight bytes count towards the limit.
    const Case cases[] = {{65527, 1, kExportOk},
                          {65528, 1, kExportInvalidArgument},
                          {0, 10, kExportOk},
                          {0, 11, kExportInvalidArgument}};
    for (const Case& c : cases) {
        stream.formatData.assign(c.dataBytes, 7);
        EXPECT_EQ(buildProfile(audio, std::vector<VideoStreamSettings>(c.streams, stream), kScriptBitRate,
                               {&family}, profile),
                  c.code)
            << c.dataBytes << " bytes, " << c.streams << " streams";
    }
    ASSERT_EQ(buildProfile(audio, {stream}, kScriptBitRate, {&family}, profile), kExportOk);
    EXPECT_EQ(profile.name, "Custom Profile");
    EXPECT_EQ(profile.description, "Custom Profile Description");
    EXPECT_EQ(profile.scriptBitRate, 2048);
    // No audio format beats a bad video stream: the audio stream is built first.
    stream.formatData.assign(70000, 7);
    EXPECT_EQ(buildProfile(audio, {stream}, kScriptBitRate, {}, profile), kExportNoAudioFormat);
}

TEST(AnimationRecord, CarriesThePoseAlwaysAndTheEyelidsOnlyWhenClosed)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> values; // parameter, value
        std::vector<int> present;
    };
    const Case cases[] = {
        {"rest", {}, {0, 1, 47, 48, 49}},
        {"pose and viseme", {{0, 5}, {47, -170}, {49, 3}}, {0, 1, 47, 48, 49}},
        {"one eyelid", {{19, 1024}}, {0, 1, 19, 47, 48, 49}},
        {"all eyelids", {{18, 1}, {19, -1}, {20, 9}, {21, 4}}, {0, 1, 18, 19, 20, 21, 47, 48, 49}},
        {"other parameters stay out", {{2, 100}, {17, 5}, {22, 5}, {67, 9}}, {0, 1, 47, 48, 49}},
    };
    for (const Case& c : cases) {
        FapFrame frame{};
        for (const auto& [i, v] : c.values)
            frame[std::size_t(i)] = v;
        const std::vector<std::uint8_t> record = animationRecord(frame);
        ASSERT_EQ(record.size(), 17 + 4 * c.present.size()) << c.name;
        EXPECT_EQ(std::memcmp(record.data(), "CFPS", 4), 0);
        EXPECT_EQ(le32(record, 4), 9 + 4 * c.present.size()) << c.name;
        for (int i = 0; i < 72; ++i) {
            const bool set = record[8 + std::size_t(i / 8)] & (1 << (i % 8));
            const bool wanted = std::find(c.present.begin(), c.present.end(), i) != c.present.end();
            EXPECT_EQ(set, wanted) << c.name << ": bit " << i;
        }
        for (std::size_t k = 0; k < c.present.size(); ++k)
            EXPECT_EQ(std::int32_t(le32(record, 17 + 4 * k)), frame[std::size_t(c.present[k])]) << c.name;
    }
}

TEST(HeadPackArchive, InflatesBackToThePackAndRefusesDamage)
{
    std::vector<std::uint8_t> pack(200000);
    for (std::size_t i = 0; i < pack.size(); ++i)
        pack[i] = std::uint8_t((i * 7) ^ (i >> 9));
    for (const std::vector<std::uint8_t>& data :
         {pack, std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{42}}) {
        std::vector<std::uint8_t> zip, back;
        ASSERT_TRUE(zipDeflate(data, "head", zip));
        EXPECT_EQ(le32(zip, 0), 0x04034B50u);
        ASSERT_TRUE(unzipSingle(zip, back));
        EXPECT_EQ(back, data);
    }
    std::vector<std::uint8_t> zip, back;
    ASSERT_TRUE(zipDeflate(pack, "head", zip));
    std::vector<std::uint8_t> flipped = zip;
    flipped[60] ^= 0x40;
    EXPECT_FALSE(unzipSingle(flipped, back));
    EXPECT_FALSE(unzipSingle(std::vector<std::uint8_t>(zip.begin(), zip.begin() + 100), back));
    EXPECT_FALSE(unzipSingle({}, back));
}

TEST(HtmlPage, IsTheFortyFourLinesBesideTheFile)
{
    const std::string page = htmlPageText("my talk.wmv", 256, 128);
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = page.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(page.substr(at, end - at));
    ASSERT_EQ(at, page.size()) << "every line ends with CR LF";
    ASSERT_EQ(lines.size(), 44u);
    EXPECT_EQ(page.find('\n'), page.find("\r\n") + 1);
    EXPECT_EQ(lines[0], "<HTML>");
    EXPECT_EQ(lines[8], "\tID=\"MediaPlayer\"");
    EXPECT_EQ(lines[12], "\t<PARAM NAME=\"FileName\" VALUE=\"my talk.wmv\">");
    EXPECT_EQ(lines[23], "\t\tSrc=\"my talk.wmv\"");
    EXPECT_EQ(lines[25], "\t\tWidth=256");
    EXPECT_EQ(lines[26], "\t\tHeight=128");
    EXPECT_EQ(lines[34], "");
    EXPECT_EQ(lines[37], "<P><A HREF=\"ICCMSetup.exe\">");
    EXPECT_EQ(lines[43], "</HTML>");
    EXPECT_NE(lines[10].find("#Version=6,4,5,715\""), std::string::npos);
    EXPECT_EQ(page.find('{'), std::string::npos);

    testsupport::TempDir dir;
    struct Case {
        std::string output;
        std::string page;
    };
    const Case cases[] = {{"talk.wmv", "talk.html"}, {"talk", "talk.html"}, {"a b.cmf", "a b.html"}};
    for (const Case& c : cases) {
        testsupport::writeTextFile(dir / c.page, std::string(100000, 'x'));
        ASSERT_TRUE(writeHtmlPage(dir / c.output, 256, 256)) << c.output;
        const std::string written = testsupport::readTextFile(dir / c.page);
        EXPECT_EQ(written, htmlPageText(c.output, 256, 256)) << "an existing page is replaced";
    }
    EXPECT_FALSE(writeHtmlPage(dir / "missing" / "x.wmv", 256, 256));
    ASSERT_TRUE(writeHtml5Page(dir / "say \"hi\".mp4", 512, 512));
    EXPECT_NE(testsupport::readTextFile(dir / "say \"hi\".html")
                  .find("src=\"say &quot;hi&quot;.mp4\" width=\"512\""),
              std::string::npos);
}

} // namespace

#include "images/CJpegPicture.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using testsupport::dataDir;

namespace {

std::string picturePath(const std::string& name)
{
    return (dataDir() / "images" / name).string();
}

std::vector<unsigned char> pictureBytes(const std::string& name)
{
    return testsupport::readBinaryFile(dataDir() / "images" / name);
}

struct LoadCase {
    const char* file;
    bool valid;
    int width, height;
    const char* text; // sampling text when valid, error text when not
};

TEST(JpegPicture, AcceptsBaselineColourAndRefusesOtherKindsWithTheirTexts)
{
    const LoadCase cases[] = {
        {"photo420.jpg", true, 64, 48, "Sampling factor: 4:1:1"},
        {"photo444.jpg", true, 64, 48, "Sampling factor: 1:1:1"},
        {"progressive.jpg", false, 0, 0, "Progressive mode is not supported."},
        {"grey.jpg", false, 0, 0, "Number of components should be 3."},
        {"precision12.jpg", false, 0, 0, "Onlt 8-bit presicion is allowed."},
    };
    for (const LoadCase& c : cases) {
        for (bool fromMemory : {false, true}) {
            SCOPED_TRACE(std::string(c.file) + (fromMemory ? " (memory)" : " (file)"));
            CJpegPicture picture;
            std::vector<unsigned char> bytes = pictureBytes(c.file);
            bool ok = fromMemory ? picture.loadMemory(bytes.data(), bytes.size(), false)
                                 : picture.loadFile(picturePath(c.file), false);
            EXPECT_EQ(ok, c.valid);
            EXPECT_EQ(picture.isValid(), c.valid);
            EXPECT_EQ(picture.width(), c.width);
            EXPECT_EQ(picture.height(), c.height);
            if (c.valid) {
                EXPECT_EQ(picture.samplingText(), c.text);
            } else {
                EXPECT_STREQ(CJpegPicture::errorText(), c.text);
                EXPECT_EQ(picture.pixels(), nullptr);
            }
        }
    }
}

TEST(JpegPicture, UnreadableInputLeavesAnInvalidPictureWithoutPixels)
{
    const std::vector<unsigned char> garbage = {0xFF, 0xD8, 0x00, 0x01, 0x02, 0x03};
    CJpegPicture picture;
    ASSERT_TRUE(picture.loadFile(picturePath("photo444.jpg"), false));
    EXPECT_FALSE(picture.loadFile(picturePath("no-such-file.jpg"), false));
    EXPECT_EQ(picture.pixels(), nullptr);
    EXPECT_FALSE(picture.loadMemory(garbage.data(), garbage.size(), false));
    EXPECT_FALSE(picture.loadMemory(garbage.data(), 0, false));
    EXPECT_FALSE(picture.loadMemory(nullptr, 10, false));
    EXPECT_FALSE(picture.isValid());
    EXPECT_NE(std::string(CJpegPicture::errorText()), "");
}

// djpeg writes red, green, blue: an independent check of the byte order.
TEST(JpegPicture, ColourPixelsAreBlueGreenRedOpaqueAndMatchAnIndependentDecoder)
{
    testsupport::TempDir dir;
    std::string ppm = (dir / "ref.ppm").string();
    auto result = testsupport::runCommand("djpeg -ppm -outfile " + ppm + " " + picturePath("photo420.jpg"));
    if (result.status != 0)
        GTEST_SKIP() << "djpeg not available";
    std::vector<unsigned char> reference = testsupport::readBinaryFile(ppm);
    const size_t header = reference.size() - 64 * 48 * 3;
    CJpegPicture picture;
    ASSERT_TRUE(picture.loadFile(picturePath("photo420.jpg"), false));
    const uint8_t* pixels = picture.pixels();
    int mismatches = 0;
    for (int i = 0; i < 64 * 48; ++i) {
        const unsigned char* rgb = &reference[header + static_cast<size_t>(i) * 3];
        const uint8_t* bgra = pixels + i * 4;
        mismatches += bgra[0] != rgb[2] || bgra[1] != rgb[1] || bgra[2] != rgb[0] || bgra[3] != 255;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(JpegPicture, CutShortInMemoryStillDecodesFullSize)
{
    std::vector<unsigned char> whole = pictureBytes("photo444.jpg");
    const unsigned char startOfScan[] = {0xFF, 0xDA};
    size_t scan = static_cast<size_t>(std::search(whole.begin(), whole.end(), startOfScan, startOfScan + 2) -
                                      whole.begin());
    ASSERT_LT(scan, whole.size());
    for (size_t keep : {scan + 20, whole.size() / 2, whole.size() - 2}) {
        SCOPED_TRACE(keep);
        CJpegPicture picture;
        ASSERT_TRUE(picture.loadMemory(whole.data(), keep, false));
        EXPECT_EQ(picture.width(), 64);
        EXPECT_EQ(picture.height(), 48);
    }
    CJpegPicture fromFile;
    EXPECT_TRUE(fromFile.loadFile(picturePath("truncated.jpg"), false));
}

TEST(JpegPicture, AlphaModeKeepsTheFirstDecodedByteAsCoverage)
{
    CJpegPicture colour, mask;
    ASSERT_TRUE(colour.loadFile(picturePath("photo444.jpg"), false));
    ASSERT_TRUE(mask.loadFile(picturePath("photo444.jpg"), true));
    EXPECT_TRUE(mask.isAlphaMode());
    int wrong = 0;
    for (int i = 0; i < 64 * 48; ++i) {
        wrong += mask.pixels()[i * 4 + 3] != colour.pixels()[i * 4];
        wrong += mask.pixels()[i * 4] != 0 || mask.pixels()[i * 4 + 1] != 0 || mask.pixels()[i * 4 + 2] != 0;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(JpegPicture, TakeAlphaFromCombinesPhotoAndMaskOnlyWhenSizesMatch)
{
    struct Case {
        const char* name;
        bool thisAlpha, otherAlpha;
        const char* otherFile;
        bool combines;
    };
    const Case cases[] = {
        {"photo takes mask", false, true, "photo444.jpg", true},
        {"mask takes photo", true, false, "photo444.jpg", true},
        {"mask takes mask", true, true, "photo444.jpg", true},
        {"photo takes photo", false, false, "photo444.jpg", false},
        {"other size", false, true, "small32.jpg", false},
    };
    CJpegPicture reference;
    ASSERT_TRUE(reference.loadFile(picturePath("photo444.jpg"), false));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CJpegPicture self, other;
        ASSERT_TRUE(self.loadFile(picturePath("photo420.jpg"), c.thisAlpha));
        ASSERT_TRUE(other.loadFile(picturePath(c.otherFile), c.otherAlpha));
        std::vector<uint8_t> before(self.pixels(), self.pixels() + 64 * 48 * 4);
        std::vector<uint8_t> otherBefore(other.pixels(), other.pixels() + other.width() * other.height() * 4);
        EXPECT_EQ(self.takeAlphaFrom(other), c.combines);
        EXPECT_TRUE(std::equal(otherBefore.begin(), otherBefore.end(), other.pixels()));
        if (!c.combines) {
            EXPECT_TRUE(std::equal(before.begin(), before.end(), self.pixels()));
            EXPECT_EQ(self.isAlphaMode(), c.thisAlpha);
            continue;
        }
        EXPECT_FALSE(self.isAlphaMode());
        const bool tookColour = c.thisAlpha && !c.otherAlpha;
        for (int i = 0; i < 64 * 48 * 4; ++i) {
            bool alphaByte = i % 4 == 3;
            uint8_t expected = alphaByte != tookColour ? other.pixels()[i] : before[i];
            ASSERT_EQ(self.pixels()[i], expected) << "byte " << i;
        }
    }
    CJpegPicture invalid;
    EXPECT_FALSE(invalid.takeAlphaFrom(reference));
    EXPECT_FALSE(reference.takeAlphaFrom(invalid));
}

} // namespace

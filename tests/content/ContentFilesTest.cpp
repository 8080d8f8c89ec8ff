// The shipped expression, teeth, face, background and voice files, read the way the studio reads them.
#include "images/CJpegPicture.h"
#include "face/FapTables.h"
#include "audio/WavFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kContent = CM_CONTENT_DIR;

struct Rgb {
    int r, g, b;
};

Rgb pixelAt(const CJpegPicture& picture, int x, int y)
{
    const std::uint8_t* p = picture.pixels() + (static_cast<size_t>(y) * picture.width() + x) * 4;
    return {p[2], p[1], p[0]};
}

int alphaAt(const CJpegPicture& picture, int x, int y)
{
    return picture.pixels()[(static_cast<size_t>(y) * picture.width() + x) * 4 + 3];
}

// Average of one picture row, so single JPEG ringing pixels do not decide a check.
Rgb rowAverage(const CJpegPicture& picture, int y, int fromX, int toX)
{
    Rgb sum{0, 0, 0};
    for (int x = fromX; x < toX; ++x) {
        const Rgb p = pixelAt(picture, x, y);
        sum.r += p.r;
        sum.g += p.g;
        sum.b += p.b;
    }
    const int n = toX - fromX;
    return {sum.r / n, sum.g / n, sum.b / n};
}

std::vector<std::string> teethBaseNames()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kContent / "Teeth")) {
        if (entry.path().extension() == ".top")
            names.push_back(entry.path().stem().string());
    }
    return names;
}

} // namespace

TEST(ContentFiles, ExpressionFilesHoldTheBuiltInRowsWithDistinctLabels)
{
    for (int row = 1; row < kExpressionRowCount; ++row) {
        SCOPED_TRACE(expressionFileName(row));
        const fs::path path = expressionFilePath(kContent, row);
        FapRow read{};
        read.fill(12345);
        ASSERT_EQ(readExpressionFile(path, read), 1);
        EXPECT_EQ(read, builtInExpressionRow(row));

        // Exactly 68 records of three fields, and the labels name each parameter (no copy-paste rows).
        std::ifstream in(path);
        std::string line;
        std::set<std::string> labels;
        int lines = 0;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string name, unit, value, extra;
            ASSERT_TRUE(fields >> name >> unit >> value) << line;
            EXPECT_FALSE(fields >> extra) << line;
            labels.insert(name);
            ++lines;
        }
        EXPECT_EQ(lines, kFapCount);
        EXPECT_EQ(labels.size(), static_cast<size_t>(kFapCount));
    }
    const ExpressionRows loaded = loadExpressionRows(kContent / "Expressions");
    for (int row = 0; row < kExpressionRowCount; ++row)
        EXPECT_EQ(loaded[static_cast<size_t>(row)], builtInExpressionRow(row)) << "row " << row;
}

TEST(ContentFiles, TeethPairsAreSmallJpegsWithGumOnTheOuterSide)
{
    const std::vector<std::string> names = teethBaseNames();
    ASSERT_GE(names.size(), 3u);
    std::set<std::string> distinctUppers;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        struct Half {
            const char* extension;
            int gumRow;   // the row along the gum
            int toothRow; // a row through the middle of the front teeth
        };
        for (const Half& half : {Half{".top", 0, 8}, Half{".btm", 15, 7}}) {
            const fs::path path = kContent / "Teeth" / (name + half.extension);
            ASSERT_TRUE(fs::exists(path)) << path;
            CJpegPicture picture;
            ASSERT_TRUE(picture.loadFile(path.string(), false)) << CJpegPicture::errorText();
            ASSERT_EQ(picture.width(), 64);
            ASSERT_EQ(picture.height(), 16);
            const Rgb gum = rowAverage(picture, half.gumRow, 24, 40);
            EXPECT_GT(gum.r, gum.b + 40) << half.extension << ": the gum edge is not pink";
            const Rgb tooth = rowAverage(picture, half.toothRow, 24, 40);
            EXPECT_GT(tooth.r + tooth.g + tooth.b, 3 * 170) << half.extension << ": front teeth too dark";
            EXPECT_LT(tooth.r - tooth.b, 60) << half.extension << ": front teeth not white or ivory";
        }
        std::ifstream in(kContent / "Teeth" / (name + ".top"), std::ios::binary);
        distinctUppers.insert(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    EXPECT_EQ(distinctUppers.size(), names.size()) << "two teeth variants are the same picture";
}

TEST(ContentFiles, DefaultFacesAndMasksFitThePhotoSquare)
{
    for (const char* face : {"Male", "Female"}) {
        SCOPED_TRACE(face);
        CJpegPicture photo;
        CJpegPicture mask;
        ASSERT_TRUE(photo.loadFile((kContent / "Faces" / (std::string(face) + ".jpg")).string(), false));
        ASSERT_TRUE(mask.loadFile((kContent / "Faces" / (std::string(face) + "-mask.jpg")).string(), true))
            << CJpegPicture::errorText();
        ASSERT_EQ(photo.width(), 256);
        ASSERT_EQ(photo.height(), 256);
        ASSERT_EQ(mask.width(), 256);
        ASSERT_EQ(mask.height(), 256);
        ASSERT_TRUE(photo.takeAlphaFrom(mask));

        // The photo drawn behind the head shows only what stays while the head turns (the clothing round
        // the neck and the shoulders): the head's mesh carries the face, the hair and the neck, so any of
        // them in the mask would show a second head beside a turned one.
        struct Spot {
            const char* where;
            int x, y;
            bool shown;
        };
        const Spot spots[] = {
            {"right pupil", 111, 131, false},
            {"left pupil", 145, 131, false},
            {"mouth", 128, 170, false},
            {"chin", 128, 192, false},
            {"hair top", 128, 70, false},
            {"beside the hair, left", 70, 110, false},
            {"beside the hair, right", 186, 110, false},
            {"top left", 0, 0, false},
            {"top right", 255, 0, false},
            {"bottom edge below the chin", 128, 255, true},
            {"left shoulder", 12, 252, true},
            {"right shoulder", 200, 250, true},
        };
        for (const Spot& spot : spots) {
            const int alpha = alphaAt(photo, spot.x, spot.y);
            if (spot.shown)
                EXPECT_GT(alpha, 235) << spot.where;
            else
                EXPECT_LT(alpha, 20) << spot.where;
        }
        // Soft but narrow: down the left edge of the picture the room gives way to the shoulder through
        // middle greys within a few pixels.
        int firstOpaque = -1;
        int lastClear = -1;
        int feathered = 0;
        for (int y = 100; y < 256; ++y) {
            const int alpha = alphaAt(photo, 12, y);
            feathered += alpha > 40 && alpha < 215;
            lastClear = alpha < 20 && firstOpaque < 0 ? y : lastClear;
            if (alpha > 235 && firstOpaque < 0)
                firstOpaque = y;
        }
        EXPECT_GE(feathered, 2) << "the mask edge is hard";
        EXPECT_GT(firstOpaque, lastClear);
        EXPECT_LE(firstOpaque - lastClear, 10) << "the mask edge is blurred into a halo";
    }
}

TEST(ContentFiles, StudioBackgroundIsUsableAsBackground)
{
    CJpegPicture background;
    ASSERT_TRUE(background.loadFile((kContent / "Backgrounds" / "Studio.jpg").string(), false));
    // The player and the export take only 256 x 256 backgrounds.
    EXPECT_EQ(background.width(), 256);
    EXPECT_EQ(background.height(), 256);
}

TEST(ContentFiles, DefaultVoicesAreInTheWorkingFormatAndOfSpeechLength)
{
    for (const char* voice : {"Male", "Female"}) {
        SCOPED_TRACE(voice);
        CWavReader reader;
        ASSERT_EQ(reader.open(kContent / "Voices" / (std::string(voice) + ".wav")), kWavOk);
        EXPECT_TRUE(isVoiceFormat(reader.format()));
        ASSERT_EQ(reader.startData(), kWavOk);
        const double seconds = reader.dataSize() / 32000.0;
        EXPECT_GE(seconds, 8.0);
        EXPECT_LE(seconds, 15.0);
        // Not silence: some stretch of the speech is loud.
        std::vector<std::int16_t> samples(reader.dataSize() / 2);
        std::uint32_t got = 0;
        ASSERT_EQ(reader.read(samples.data(), static_cast<std::uint32_t>(samples.size() * 2), got), kWavOk);
        int peak = 0;
        for (std::int16_t s : samples)
            peak = std::max(peak, s < 0 ? -static_cast<int>(s) : static_cast<int>(s));
        EXPECT_GT(peak, 4000);
    }
}

// The default head drawn with its default faces, masks, teeth and background as the player draws it:
// a turned head leaves no second face or head of hair behind in the photo, and an open mouth shows a
// shaded mouth with teeth rather than a black hole. The contact sheets of both faces are written into
// the build folder for a person to look at.
#include "face/CHeadModel.h"
#include "face/FapTables.h"
#include "face/HeadFiles.h"
#include "images/CJpegPicture.h"
#include "rendering/CSoftRenderer.h"
#include "rendering/HeadViewSetup.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kSide = 256;
constexpr int kOpenViseme = 10; // "A:"
// Photo rows above this hold the face and the hair (the chin sits at row 195); below it the neck runs
// into the collar.
constexpr int kHeadRowsEnd = 200;

fs::path contentFile(const std::string& name)
{
    return fs::path(CM_CONTENT_DIR) / name;
}

std::vector<uint32_t> pictureOf(const std::string& name, bool alphaMode)
{
    CJpegPicture picture;
    if (!picture.loadFile(contentFile(name).string(), alphaMode))
        return {};
    const auto* pixels = reinterpret_cast<const uint32_t*>(picture.pixels());
    return {pixels, pixels + static_cast<size_t>(picture.width()) * static_cast<size_t>(picture.height())};
}

// Pitch, yaw and roll in FAP units (0.00001 rad) from degrees.
int turn(double degrees)
{
    return static_cast<int>(std::lround(degrees * 3.14159265358979 / 180.0 * 100000.0));
}

struct Pose {
    const char* name;
    int pitch, yaw, roll;
};
const Pose kTurns[] = {{"yaw -10", 0, turn(-10), 0}, {"yaw -5", 0, turn(-5), 0},   {"yaw 5", 0, turn(5), 0},
                       {"yaw 10", 0, turn(10), 0},   {"pitch -8", turn(-8), 0, 0}, {"pitch 8", turn(8), 0, 0},
                       {"roll -5", 0, 0, turn(-5)},  {"roll 5", 0, 0, turn(5)}};

bool differs(uint32_t a, uint32_t b)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 24)
            return true;
    return false;
}

// One default face's head (the generic head, or the female face's with her hair) with that face's
// pictures, drawn as the player draws a frame.
class DefaultHead {
public:
    explicit DefaultHead(const std::string& face)
        : model_(readHeadFile(contentFile("Models/" + face + "Head.cmm"))),
          photo_(pictureOf("Faces/" + face + ".jpg", false)),
          mask_(pictureOf("Faces/" + face + "-mask.jpg", true))
    {
        if (!model_ || photo_.empty() || mask_.empty())
            return;
        renderer_.create(model_.get(), 0);
        renderer_.setPerspective(false);
        headview::attachWithNormalise(renderer_, *model_);
        renderer_.resetCamera();
        model_->saveToSet(1);
        model_->writeSlotPixels(1, pictureOf("Teeth/Natural.top", false).data());
        model_->writeSlotPixels(2, pictureOf("Teeth/Natural.btm", false).data());
        model_->writeSlotPixels(7, pictureOf("Backgrounds/Studio.jpg", false).data());
        ready_ = true;
    }
    bool ready() const { return ready_; }
    CHeadModel& model() { return *model_; }

    // The photo with the texels of `painted` in one colour, under the mask or with no coverage at all.
    void paintPhoto(uint32_t marker, bool masked, const std::vector<bool>& painted)
    {
        std::vector<uint32_t> photo = photo_;
        for (size_t i = 0; i < photo.size(); ++i) {
            uint32_t colour = painted[i] ? marker : photo[i] & 0x00FFFFFFu;
            photo[i] = (colour & 0x00FFFFFFu) | (masked ? mask_[i] & 0xFF000000u : 0u);
        }
        model_->writeSlotPixels(0, photo.data());
    }
    void useOwnPhoto()
    {
        std::vector<uint32_t> photo = photo_;
        for (size_t i = 0; i < photo.size(); ++i)
            photo[i] = (photo[i] & 0x00FFFFFFu) | (mask_[i] & 0xFF000000u);
        model_->writeSlotPixels(0, photo.data());
    }

    std::vector<uint32_t> draw(const Pose& pose, int viseme)
    {
        FapRow values{};
        if (viseme > 0)
            for (int i = 2; i < kFapCount; ++i)
                values[static_cast<size_t>(i)] = 2 * storedVisemeRow(viseme)[static_cast<size_t>(i)];
        values[47] = pose.pitch;
        values[48] = pose.yaw;
        values[49] = pose.roll;
        for (int i = 0; i < kFapCount; ++i)
            model_->setFapValue(i, values[static_cast<size_t>(i)]);
        model_->deform(false);
        std::vector<uint32_t> frame(kSide * kSide);
        renderer_.setViewport(kSide, kSide, frame.data());
        renderer_.drawPlayerFrame();
        return frame;
    }

private:
    std::unique_ptr<CHeadModel> model_;
    CSoftRenderer renderer_;
    std::vector<uint32_t> photo_, mask_;
    bool ready_ = false;
};

const uint32_t kMarkers[2] = {0xFFFF00FFu, 0xFF00FF00u};

// Screen pixels where the head's mesh shows texels of `painted`: drawn twice with the texels in two
// colours and no mask, so only the mesh can show them.
std::vector<bool> meshShows(DefaultHead& head, const Pose& pose, int viseme, const std::vector<bool>& painted)
{
    std::vector<uint32_t> frames[2];
    for (int k = 0; k < 2; ++k) {
        head.paintPhoto(kMarkers[k], false, painted);
        frames[k] = head.draw(pose, viseme);
    }
    std::vector<bool> shows(frames[0].size());
    for (size_t i = 0; i < shows.size(); ++i)
        shows[i] = differs(frames[0][i], frames[1][i]);
    return shows;
}

// The photo's face and hair: the texels above the neck that the head at rest covers (the overlay quad
// maps photo column c to x = c / 6.4 - 20, the camera shows x from -18 to 18 across the screen).
std::vector<bool> faceAndHair(DefaultHead& head)
{
    std::vector<bool> all(kSide * kSide, true);
    std::vector<bool> atRest = meshShows(head, {"rest", 0, 0, 0}, 0, all);
    std::vector<bool> texels(kSide * kSide, false);
    for (int row = 0; row < kHeadRowsEnd; ++row)
        for (int column = 0; column < kSide; ++column) {
            int x = static_cast<int>(((column + 0.5) / 6.4 - 2.0) / 36.0 * kSide);
            int y = static_cast<int>((38.0 - (row + 0.5) / 6.4) / 36.0 * kSide);
            if (x >= 0 && x < kSide && y >= 0 && y < kSide)
                texels[static_cast<size_t>(row * kSide + column)] =
                    atRest[static_cast<size_t>(y * kSide + x)];
        }
    return texels;
}

TEST(DefaultHeadFrames, FemaleHeadAtRestCarriesAllOfHerHair)
{
    // Between her crown and her ears the photo shows only hair and the studio behind it, and the mask
    // shows neither: a texel that is not the studio must lie on the mesh, or the hair is cut off where
    // the skull ends. (The crown above is rounded off under the top of the head, which stays at the row
    // every face photo is aligned to.)
    constexpr int kBelowCrown = 72, kAboveEars = 140;
    const std::vector<uint32_t> studio = pictureOf("Backgrounds/Studio.jpg", false);
    ASSERT_EQ(studio.size(), static_cast<size_t>(kSide * kSide));
    DefaultHead head("Female");
    ASSERT_TRUE(head.ready());
    const std::vector<bool> onMesh = faceAndHair(head);
    const std::vector<uint32_t> photo = pictureOf("Faces/Female.jpg", false);
    int cut = 0, hair = 0;
    for (int row = kBelowCrown; row < kAboveEars; ++row)
        for (int column = 0; column < kSide; ++column) {
            const size_t i = static_cast<size_t>(row * kSide + column);
            if (!differs(photo[i], studio[i]))
                continue;
            ++hair;
            cut += !onMesh[i];
        }
    EXPECT_GT(hair, 5000);
    EXPECT_LT(cut, hair / 100) << cut << " of " << hair << " texels of her hair lie off the head";
}

TEST(DefaultHeadFrames, TurnedHeadsLeaveNoSecondFaceOrHairBehind)
{
    // The photo's face and hair painted in two colours show every pixel they reach. Those the mesh does
    // not show in the turned head are the photo behind it showing its own face or hair beside the turned
    // one.
    for (const char* face : {"Male", "Female"}) {
        DefaultHead head(face);
        ASSERT_TRUE(head.ready()) << face;
        const std::vector<bool> painted = faceAndHair(head);
        for (const Pose& pose : kTurns) {
            std::vector<uint32_t> masked[2];
            for (int k = 0; k < 2; ++k) {
                head.paintPhoto(kMarkers[k], true, painted);
                masked[k] = head.draw(pose, kOpenViseme);
            }
            const std::vector<bool> mesh = meshShows(head, pose, kOpenViseme, painted);
            int leaking = 0, covered = 0;
            for (size_t i = 0; i < masked[0].size(); ++i) {
                bool onMesh = mesh[i];
                covered += onMesh;
                bool leak = differs(masked[0][i], masked[1][i]) && !onMesh;
                leaking += leak;
                if (leak && std::getenv("CM_LEAKS"))
                    std::printf("%s %s leak at column %zu, row %zu from the bottom\n", face, pose.name, i % kSide, i / kSide);
            }
            EXPECT_GT(covered, 5000) << face << ", " << pose.name << ": the head is drawn";
            EXPECT_EQ(leaking, 0) << face << ", " << pose.name
                                  << ": the photo shows its own head beside the mesh";
        }
    }
}

int red(uint32_t p)
{
    return static_cast<int>((p >> 16) & 0xFF);
}
int green(uint32_t p)
{
    return static_cast<int>((p >> 8) & 0xFF);
}
int blue(uint32_t p)
{
    return static_cast<int>(p & 0xFF);
}

// Screen position (column, row from the bottom) of a model point in the default camera.
struct ScreenPoint {
    int column = 0;
    int row = 0;
};

ScreenPoint project(const Vec3f& p)
{
    return {static_cast<int>((p.x + 18.0f) / 36.0f * kSide), static_cast<int>((p.y - 2.0f) / 36.0f * kSide)};
}

Vec3f featureVertex(CHeadModel& model, int group, int index)
{
    Vec3f vertex;
    model.getVertex(model.getFeaturePoint(group, index), vertex);
    return vertex;
}

TEST(DefaultHeadFrames, OpenMouthShowsAShadedRedInsideAndTheLowerTeeth)
{
    for (const char* face : {"Male", "Female"}) {
        DefaultHead head(face);
        ASSERT_TRUE(head.ready()) << face;
        head.useOwnPhoto();
        std::vector<uint32_t> frame = head.draw({"front", 0, 0, 0}, kOpenViseme);
        CHeadModel& model = head.model();
        const Vec3f upper = featureVertex(model, 2, 2), lower = featureVertex(model, 2, 3);
        const ScreenPoint middle = project({0.5f * (upper.x + lower.x), 0.5f * (upper.y + lower.y), 0.0f});
        const int column = middle.column, row = middle.row;
        const int bottomRow = project(lower).row;
        const int leftColumn = project(featureVertex(model, 2, 4)).column;
        const int rightColumn = project(featureVertex(model, 2, 5)).column;
        auto at = [&](int x, int y) { return frame[static_cast<size_t>(y * kSide + x)]; };
        uint32_t centre = at(column, row);
        EXPECT_GT(red(centre), 45) << face << ": the mouth's centre is black";
        EXPECT_GT(red(centre), green(centre) + 25) << face << ": the mouth's inside is not red";
        EXPECT_GT(red(centre), blue(centre) + 20) << face;
        // Shaded: darker towards the corners than in the middle.
        int darkest = 255, lightest = 0;
        for (int x = rightColumn + (column - rightColumn) / 3; x <= leftColumn - (leftColumn - column) / 3;
             ++x) {
            darkest = std::min(darkest, red(at(x, row)));
            lightest = std::max(lightest, red(at(x, row)));
        }
        EXPECT_GE(lightest - darkest, 8) << face << ": the mouth's inside is one flat colour";
        // Below the centre, before the lower lip: the lower teeth.
        bool teeth = false;
        for (int y = row; y > bottomRow && !teeth; --y)
            teeth = red(at(column, y)) > 160 && green(at(column, y)) > 150 && blue(at(column, y)) > 120;
        EXPECT_TRUE(teeth) << face << ": no lower teeth below the mouth's centre";
    }
}

// Bright and hardly redder than green: teeth, where lips and skin are pink or tanned.
bool toothWhite(uint32_t p)
{
    return green(p) > 170 && blue(p) > 140 && red(p) - green(p) < 28;
}

TEST(DefaultHeadFrames, ClosedMouthShowsNoTeethOfThePhoto)
{
    // Between the lips' mid points, over the lips' height round the mouth line, at rest and when the
    // lips press together: a smile's teeth in the photo would show there on the closed head.
    constexpr int kPressedLips = 1; // "p, b, m"
    for (const char* face : {"Male", "Female"})
        for (int viseme : {0, kPressedLips}) {
            SCOPED_TRACE(std::string(face) + (viseme == 0 ? ", at rest" : ", p, b, m"));
            DefaultHead head(face);
            ASSERT_TRUE(head.ready());
            head.useOwnPhoto();
            const std::vector<uint32_t> frame = head.draw({"front", 0, 0, 0}, viseme);
            CHeadModel& model = head.model();
            const int top = project(featureVertex(model, 8, 1)).row;
            const int bottom = project(featureVertex(model, 8, 2)).row;
            const int left = project(featureVertex(model, 2, 6)).column;
            const int right = project(featureVertex(model, 2, 7)).column;
            int teeth = 0, pixels = 0;
            for (int y = bottom; y <= top; ++y)
                for (int x = right; x <= left; ++x, ++pixels)
                    teeth += toothWhite(frame[static_cast<size_t>(y * kSide + x)]);
            ASSERT_GT(pixels, 20);
            EXPECT_LT(teeth, pixels / 20)
                << teeth << " of " << pixels << " pixels of the lips are tooth-white";
        }
}

TEST(DefaultHeadFrames, ContactSheetsOfBothFacesAreWrittenForReview)
{
    fs::path folder = testsupport::binDir().parent_path() / "sheets";
    fs::create_directories(folder);
    for (const std::string face : {"Male", "Female"}) {
        std::string command = (testsupport::binDir() / "chattermask-cli").string() + " sheet " +
                              contentFile("Models/" + face + "Head.cmm").string() + " " +
                              (folder / (face + "-sheet.png")).string() + " --turns " +
                              (folder / (face + "-turns.png")).string() + " --face " +
                              contentFile("Faces/" + face + ".jpg").string() + " --mask " +
                              contentFile("Faces/" + face + "-mask.jpg").string() + " --background " +
                              contentFile("Backgrounds/Studio.jpg").string() + " --teeth-top " +
                              contentFile("Teeth/Natural.top").string() + " --teeth-bottom " +
                              contentFile("Teeth/Natural.btm").string();
        auto result = testsupport::runCommand(command);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_GT(fs::file_size(folder / (face + "-sheet.png")), 10000u);
        EXPECT_GT(fs::file_size(folder / (face + "-turns.png")), 10000u);
    }
}

} // namespace

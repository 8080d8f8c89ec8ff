// contentgen: writes the default content besides the head. Every output is a pure function of the
// arguments (and, for faces, the source picture), so rerunning it reproduces the committed files.
#include "ExpressionText.h"
#include "FaceArguments.h"
#include "PhotoColouring.h"
#include "StudioBackdrop.h"
#include "TeethPainter.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

// The animation stream carries the face, mask, teeth and first background in 65,535 bytes beside the
// packed mesh (about 48 KB), so the pictures are kept small: at these qualities a 256 x 256 picture shows
// no blocking at the sizes the head is drawn, and the default head leaves some 2 KB to spare.
constexpr int kPhotoQuality = 64;
constexpr int kMaskQuality = 70;
constexpr int kTeethQuality = 80;
constexpr int kBackdropQuality = 60;

int usage()
{
    std::fprintf(stderr, "usage: contentgen expressions DIR\n"
                         "       contentgen teeth DIR\n"
                         "       contentgen backdrop OUT.jpg\n"
                         "       contentgen face SOURCE.png PHOTO.jpg MASK.jpg right-eye=X,Y left-eye=X,Y\n"
                         "                  [nose=X,Y mouth=X,Y right-lip=X,Y left-lip=X,Y chin=X,Y]\n"
                         "                  outline.NAME=X,Y ... (at least 3, in order around the person)\n"
                         "                  [stays.NAME=X,Y ...] [skin.NAME=X,Y,RX,RY ... lips=X,Y,RX,RY]\n"
                         "                  [lip-gap-top.NAME=X,Y ... lip-gap-bottom.NAME=X,Y ...]\n");
    return 2;
}

int fail(const std::string& what)
{
    std::fprintf(stderr, "contentgen: %s\n", what.c_str());
    return 1;
}

int writeExpressions(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    for (int row = 1; row < kExpressionRowCount; ++row) {
        const std::filesystem::path path = folder / expressionFileName(row);
        if (!writeExpressionFile(path, builtInExpressionRow(row)))
            return fail("cannot write " + path.string());
    }
    return 0;
}

int writeTeeth(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    for (const TeethStyle& style : teethStyles()) {
        const std::string top = (folder / (style.name + ".top")).string();
        const std::string bottom = (folder / (style.name + ".btm")).string();
        if (!writeJpegRgb(top, paintTeeth(style, TeethRow::Upper), kTeethQuality, true) ||
            !writeJpegRgb(bottom, paintTeeth(style, TeethRow::Lower), kTeethQuality, true))
            return fail("cannot write the teeth pair " + style.name);
    }
    return 0;
}

int writeBackdrop(const std::string& path)
{
    if (!writeJpegRgb(path, paintStudioBackdrop(kBackdropSize, kBackdropSize), kBackdropQuality, false))
        return fail("cannot write " + path);
    return 0;
}

// Where the optional landmarks land against where the head expects them, for the person tuning them.
void reportLandmarks(const std::map<std::string, Point2>& points, const Similarity& toPhoto)
{
    const FaceLandmarks& target = meshPhotoLandmarks();
    const std::map<std::string, Point2> expected{{"right-eye", target.rightEye},
                                                 {"left-eye", target.leftEye},
                                                 {"nose", target.noseTip},
                                                 {"mouth", target.mouthCentre},
                                                 {"right-lip", target.rightLipCorner},
                                                 {"left-lip", target.leftLipCorner},
                                                 {"chin", target.chinBottom}};
    std::printf("scale %.4f, rotation %.2f degrees\n", toPhoto.scale(), toPhoto.angleDegrees());
    for (const auto& [name, point] : points) {
        const Point2 mapped = toPhoto.apply(point);
        const Point2 want = expected.at(name);
        std::printf("%-10s -> (%6.1f, %6.1f)  expected (%3.0f, %3.0f)  off by (%+.1f, %+.1f)\n", name.c_str(),
                    mapped.x, mapped.y, want.x, want.y, mapped.x - want.x, mapped.y - want.y);
    }
}

int writeFace(const std::vector<std::string>& args)
{
    if (args.size() < 5)
        return usage();
    FaceArguments parsed;
    if (const std::string problem = parseFaceArguments({args.begin() + 3, args.end()}, parsed);
        !problem.empty())
        return fail(problem);
    if (const std::string problem = outlineProblem(parsed.outline); !problem.empty())
        return fail(problem);
    RgbImage source;
    if (!readPictureRgb(args[0], source))
        return fail("cannot read " + args[0]);
    if (isGrey(source) && !parsed.colouring.empty())
        source = colourGreyPortrait(source, parsed.colouring);
    closeLipGap(source, parsed.lipGap);
    FaceLandmarks landmarks;
    landmarks.rightEye = parsed.landmarks["right-eye"];
    landmarks.leftEye = parsed.landmarks["left-eye"];
    Similarity toPhoto;
    if (!eyeAlignment(landmarks, toPhoto))
        return fail("the two eye points coincide");
    reportLandmarks(parsed.landmarks, toPhoto);
    const std::vector<Point2> outline = transformOutline(parsed.outline, toPhoto);
    if (const std::string problem = outlineProblem(parsed.stays); !parsed.stays.empty() && !problem.empty())
        return fail("stays: " + problem);
    // Only what stays while the head turns shows in the mask: the head's mesh carries the rest.
    const RgbImage mask =
        paintSilhouetteMask(parsed.stays.empty() ? outline : transformOutline(parsed.stays, toPhoto),
                            kSilhouetteFeather, kFacePhotoSize);
    const RgbImage photo =
        placeOnBackdrop(warpPicture(source, toPhoto, kFacePhotoSize), outline, kSilhouetteFeather,
                        paintStudioBackdrop(kBackdropSize, kBackdropSize));
    if (!writeJpegRgb(args[1], photo, kPhotoQuality, false))
        return fail("cannot write " + args[1]);
    // A grey picture has no colour to keep: its chroma can be subsampled for free.
    if (!writeJpegRgb(args[2], mask, kMaskQuality, false))
        return fail("cannot write " + args[2]);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "expressions" && args.size() == 1)
        return writeExpressions(args[0]);
    if (command == "teeth" && args.size() == 1)
        return writeTeeth(args[0]);
    if (command == "backdrop" && args.size() == 1)
        return writeBackdrop(args[0]);
    if (command == "face")
        return writeFace(args);
    return usage();
}

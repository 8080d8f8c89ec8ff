#include "HeadRendering.h"

#include "CHeadModel.h"
#include "HeadFiles.h"
#include "HeadViewSetup.h"

#include <cmath>

namespace {

// Pictures go into fixed 256 x 256 slots; anything else is refused before the head is touched.
CJpegPicture loadSlotPicture(const CliContext& context, const std::string& path, bool alphaMode)
{
    CJpegPicture picture;
    if (!picture.loadFile(path, alphaMode))
        failWithMessage(context, 0xE81E, path.c_str());
    if (picture.width() != 256 || picture.height() != 256)
        failWithMessage(context, 0xE81F, 256, 256);
    return picture;
}

const uint32_t* pixelsOf(const CJpegPicture& picture)
{
    return reinterpret_cast<const uint32_t*>(picture.pixels());
}

void putPictures(CHeadModel& model, const HeadPictures& pictures)
{
    if (pictures.face)
        model.writeSlotColour(0, pixelsOf(*pictures.face));
    if (pictures.mask)
        model.writeSlotAlpha(0, pixelsOf(*pictures.mask));
    if (pictures.background)
        model.writeSlotPixels(7, pixelsOf(*pictures.background));
}

} // namespace

HeadPictures loadHeadPictures(const CliContext& context, const std::optional<std::string>& face,
                              const std::optional<std::string>& mask,
                              const std::optional<std::string>& background)
{
    HeadPictures pictures;
    if (face)
        pictures.face = loadSlotPicture(context, *face, false);
    if (mask)
        pictures.mask = loadSlotPicture(context, *mask, true);
    if (background)
        pictures.background = loadSlotPicture(context, *background, false);
    return pictures;
}

int takeProcessorOption(CliArgs& args)
{
    std::optional<std::string> cpu = args.take("--cpu");
    if (!cpu || *cpu == "gen")
        return 0;
    if (*cpu == "p3")
        return 1;
    if (*cpu == "p4")
        return 2;
    throw CliError("--cpu must be gen, p3 or p4, not \"" + *cpu + "\"");
}

void addTableRow(FapRow& values, const FapRow& row, int intensity, int factor)
{
    double weight = intensity / 63.0;
    for (size_t i = 2; i < values.size(); ++i)
        values[i] = static_cast<int>(std::trunc(weight * (factor * row[i]) + values[i]));
}

HeadFrameRenderer::HeadFrameRenderer(const std::string& headPath, int processor, const HeadPictures& pictures)
    : model_(readHeadFile(headPath))
{
    if (!model_)
        throw CliError("cannot read the head " + headPath);
    if (!renderer_.create(model_.get(), processor) || !renderer_.setPerspective(false))
        throw CliError("cannot create the software renderer");
    headview::attachWithNormalise(renderer_, *model_);
    renderer_.resetCamera();
    model_->saveToSet(1);
    putPictures(*model_, pictures);
}

HeadFrameRenderer::~HeadFrameRenderer() = default;

std::vector<uint32_t> HeadFrameRenderer::draw(const FapRow& values, int width, int height)
{
    for (int i = 0; i < kFapCount; ++i)
        model_->setFapValue(i, values[static_cast<size_t>(i)]);
    model_->deform(false);
    std::vector<uint32_t> frame(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (!renderer_.setViewport(width, height, frame.data()) || !renderer_.drawPlayerFrame())
        throw CliError("drawing the frame failed");
    return frame;
}

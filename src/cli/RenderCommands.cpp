// Draws one frame of a head as the export does, with the software renderer, into a PNG file.
#include "CHeadModel.h"
#include "CJpegPicture.h"
#include "CSoftRenderer.h"
#include "CliCommand.h"
#include "FapOptions.h"
#include "HeadFiles.h"
#include "HeadViewSetup.h"
#include "PngFile.h"

#include <cmath>
#include <cstdlib>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct RenderOptions {
    int width = 256, height = 256;
    int processor = 0;
    std::optional<std::string> face, mask, background;
};

void parseSize(const std::string& text, RenderOptions& options)
{
    int width = 0, height = 0;
    char separator = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &width, &separator, &height, &extra) != 3 ||
        (separator != 'x' && separator != 'X') || width < 1 || height < 1 || width > 8192 || height > 8192)
        throw CliError("--size must be WIDTHxHEIGHT with each between 1 and 8192, not \"" + text + "\"");
    options.width = width;
    options.height = height;
}

int parseProcessor(const std::string& text)
{
    if (text == "gen")
        return 0;
    if (text == "p3")
        return 1;
    if (text == "p4")
        return 2;
    throw CliError("--cpu must be gen, p3 or p4, not \"" + text + "\"");
}

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

void putPictures(CHeadModel& model, const std::optional<CJpegPicture>& face, const std::optional<CJpegPicture>& mask,
                 const std::optional<CJpegPicture>& background)
{
    auto pixels = [](const CJpegPicture& picture) { return reinterpret_cast<const uint32_t*>(picture.pixels()); };
    if (face)
        model.writeSlotColour(0, pixels(*face));
    if (mask)
        model.writeSlotAlpha(0, pixels(*mask));
    if (background)
        model.writeSlotPixels(7, pixels(*background));
}

int runRender(CliArgs& args, CliContext& context)
{
    RenderOptions options;
    if (auto size = args.take("--size"))
        parseSize(*size, options);
    if (auto cpu = args.take("--cpu"))
        options.processor = parseProcessor(*cpu);
    options.face = args.take("--face");
    options.mask = args.take("--mask");
    options.background = args.take("--background");
    FapRow values = takeFapValues(args);
    std::vector<std::string> positional = args.positionals(2, 2);
    std::optional<CJpegPicture> face, mask, background;
    if (options.face)
        face = loadSlotPicture(context, *options.face, false);
    if (options.mask)
        mask = loadSlotPicture(context, *options.mask, true);
    if (options.background)
        background = loadSlotPicture(context, *options.background, false);
    std::unique_ptr<CHeadModel> model = readHeadFile(positional[0]);
    if (!model)
        throw CliError("cannot read the head " + positional[0]);
    // Drawn as the export draws: orthographic, default camera, after attaching as the editing view does.
    CSoftRenderer renderer;
    if (!renderer.create(model.get(), options.processor) || !renderer.setPerspective(false))
        throw CliError("cannot create the software renderer");
    headview::attachWithNormalise(renderer, *model);
    renderer.resetCamera();
    model->saveToSet(1);
    for (int i = 0; i < kFapCount; ++i)
        model->setFapValue(i, values[static_cast<size_t>(i)]);
    model->deform(false);
    putPictures(*model, face, mask, background);
    std::vector<uint32_t> frame(static_cast<size_t>(options.width) * static_cast<size_t>(options.height));
    if (!renderer.setViewport(options.width, options.height, frame.data()) || !renderer.drawPlayerFrame())
        throw CliError("drawing the frame failed");
    if (!writePngBgra(positional[1], frame.data(), options.width, options.height, true))
        throw CliError("cannot write " + positional[1]);
    context.out << "wrote " << positional[1] << " (" << options.width << " x " << options.height << ")\n";
    return 0;
}

const CliRegistration kRender("render",
                              "render HEAD OUT.png [--size WxH] [--face JPG] [--mask JPG] [--background JPG] "
                              "[--fap N=V]... [--expression ROW[:I]] [--viseme ROW[:I]] [--expressions DIR] [--cpu gen|p3|p4]",
                              runRender);

} // namespace

// Draws one frame of a head as the export does, with the software renderer (or, with --gl, the OpenGL one),
// into a PNG file.
#include "cli/CliCommand.h"
#include "cli/FapOptions.h"
#include "cli/HeadRendering.h"
#include "images/PngFile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct FrameSize {
    int width = 256, height = 256;
};

FrameSize parseSize(const std::string& text)
{
    FrameSize size;
    char separator = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &size.width, &separator, &size.height, &extra) != 3 ||
        (separator != 'x' && separator != 'X') || size.width < 1 || size.height < 1 || size.width > 8192 ||
        size.height > 8192)
        throw CliError("--size must be WIDTHxHEIGHT with each between 1 and 8192, not \"" + text + "\"");
    return size;
}

int runRender(CliArgs& args, CliContext& context)
{
    FrameSize size;
    if (auto text = args.take("--size"))
        size = parseSize(*text);
    int processor = takeProcessorOption(args);
    GlFrameOptions gl = takeGlOptions(args);
    PicturePaths paths = takePicturePaths(args);
    FapRow values = takeFapValues(args);
    std::vector<std::string> positional = args.positionals(2, 2);
    HeadPictures pictures = loadHeadPictures(context, paths);
    HeadFrameRenderer renderer(positional[0], processor, pictures, gl);
    std::vector<uint32_t> frame = renderer.draw(values, size.width, size.height);
    if (!writePngOpaque(positional[1], frame.data(), size.width, size.height, true))
        throw CliError("cannot write " + positional[1]);
    context.out << "wrote " << positional[1] << " (" << size.width << " x " << size.height << ")\n";
    return 0;
}

const CliRegistration
    kRender("render",
            "render HEAD OUT.png [--size WxH] [--face JPG] [--mask JPG] [--background JPG] [--teeth-top JPG] "
            "[--teeth-bottom JPG] "
            "[--fap N=V]... [--expression ROW[:I]] [--viseme ROW[:I]] [--expressions DIR] [--cpu gen|p3|p4] "
            "[--gl [--draw-mode 0|1|2]]",
            runRender);

} // namespace

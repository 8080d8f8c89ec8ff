#pragma once

#include "images/CJpegPicture.h"
#include "rendering/CSoftRenderer.h"
#include "cli/CliArgs.h"
#include "cli/CliCommand.h"
#include "face/FapTables.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CHeadModel;

// The pictures a head frame can carry: face photo and mask on slot 0, teeth on slots 1 and 2, background
// on slot 7.
struct HeadPictures {
    std::optional<CJpegPicture> face, mask, background, teethTop, teethBottom;
};

// The picture files named on the command line by --face, --mask, --background, --teeth-top and
// --teeth-bottom.
struct PicturePaths {
    std::optional<std::string> face, mask, background, teethTop, teethBottom;
};

PicturePaths takePicturePaths(CliArgs& args);

// Loads the named pictures: face, mask and background must be 256 x 256 JPEGs, teeth 64 x 16 as the teeth
// folder holds them; a refusal uses the message the editors show for pictures that do not fit a slot.
HeadPictures loadHeadPictures(const CliContext& context, const PicturePaths& paths);

// Takes --cpu gen|p3|p4 (default gen) as a processor path number 0, 1 or 2.
int takeProcessorOption(CliArgs& args);

// --gl draws through the OpenGL renderer on an offscreen context instead of the software one, in the
// draw mode of --draw-mode 0|1|2 (2 unless given; only with --gl).
struct GlFrameOptions {
    bool on = false;
    int drawMode = 2;
};

GlFrameOptions takeGlOptions(CliArgs& args);

// Draws frames of one head exactly as the export does: attached with normalise, orthographic, default
// camera. Frames come back as 32-bit pixels, bottom row first.
class HeadFrameRenderer {
public:
    // Throws CliError when the head cannot be read or the renderer not created.
    HeadFrameRenderer(const std::string& headPath, int processor, const HeadPictures& pictures,
                      GlFrameOptions gl = {});
    ~HeadFrameRenderer();

    std::vector<uint32_t> draw(const FapRow& values, int width, int height);

private:
    struct GlDrawer;
    std::unique_ptr<CHeadModel> model_;
    CSoftRenderer renderer_;
    std::unique_ptr<GlDrawer> gl_;
};

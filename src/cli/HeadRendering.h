#pragma once

#include "CJpegPicture.h"
#include "CSoftRenderer.h"
#include "CliArgs.h"
#include "CliCommand.h"
#include "FapTables.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CHeadModel;

// The pictures a head frame can carry: face photo and mask on slot 0, background on slot 7.
struct HeadPictures {
    std::optional<CJpegPicture> face, mask, background;
};

// Loads the pictures named by --face, --mask and --background; each must be a 256 x 256 JPEG, and a refusal
// uses the message the editors show for pictures that do not fit a slot.
HeadPictures loadHeadPictures(const CliContext& context, const std::optional<std::string>& face,
                              const std::optional<std::string>& mask,
                              const std::optional<std::string>& background);

// Takes --cpu gen|p3|p4 (default gen) as a processor path number 0, 1 or 2.
int takeProcessorOption(CliArgs& args);

// Adds a table row the way the mixer blends it: each entry becomes trunc(intensity / 63 * factor * value +
// entry). Viseme rows are stored at half strength and use factor 2.
void addTableRow(FapRow& values, const FapRow& row, int intensity, int factor);

// Draws frames of one head exactly as the export does: attached with normalise, orthographic, default
// camera. Frames come back as 32-bit pixels, bottom row first.
class HeadFrameRenderer {
public:
    // Throws CliError when the head cannot be read or the renderer not created.
    HeadFrameRenderer(const std::string& headPath, int processor, const HeadPictures& pictures);
    ~HeadFrameRenderer();

    std::vector<uint32_t> draw(const FapRow& values, int width, int height);

private:
    std::unique_ptr<CHeadModel> model_;
    CSoftRenderer renderer_;
};

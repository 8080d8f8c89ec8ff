// A contact sheet of one head: every mouth shape, expression and a blink side by side, so that a head or
// a face photo can be judged at a glance.
#include "cli/CliCommand.h"
#include "Common/ContentRoot.h"
#include "cli/FapOptions.h"
#include "cli/HeadRendering.h"
#include "lipsync/PhonemeTables.h"
#include "images/PngFile.h"
#include "cli/SheetLabels.h"

#include <string>
#include <vector>

namespace {

constexpr int kCellSize = 192;
constexpr int kCaptionHeight = 26;
constexpr int kColumns = 6;
constexpr uint32_t kSheetColour = 0xFF2A2A2Au;
constexpr uint32_t kCaptionColour = 0xFFF0F0F0u;

struct SheetCell {
    std::string caption;
    FapRow values{};
};

std::vector<SheetCell> sheetCells(const CliContext& context)
{
    std::vector<SheetCell> cells{{"Neutral", {}}};
    for (int viseme = 1; viseme < kVisemeRowCount; ++viseme) {
        SheetCell cell{visemeName(viseme), {}};
        addTableRow(cell.values, storedVisemeRow(viseme), 63, 2);
        cells.push_back(cell);
    }
    ExpressionRows expressions = loadExpressionRows(contentRoot() / "Expressions");
    for (int row = 1; row < kExpressionRowCount; ++row) {
        SheetCell cell;
        expressionName(row, cell.caption, &context.resources);
        addTableRow(cell.values, expressions[static_cast<size_t>(row)], 63, 1);
        cells.push_back(cell);
    }
    SheetCell blink{"Blink", {}};
    addTableRow(blink.values, blinkRow(), 63, 1);
    cells.push_back(blink);
    return cells;
}

// Copies a frame (bottom row first) into the sheet (top row first) with its top-left corner at (left, top).
void placeFrame(std::vector<uint32_t>& sheet, int sheetWidth, const std::vector<uint32_t>& frame, int left,
                int top)
{
    for (int row = 0; row < kCellSize; ++row) {
        const uint32_t* source = frame.data() + static_cast<size_t>(kCellSize - 1 - row) * kCellSize;
        uint32_t* target =
            sheet.data() + static_cast<size_t>(top + row) * static_cast<size_t>(sheetWidth) + left;
        for (int column = 0; column < kCellSize; ++column)
            target[column] = source[column];
    }
}

int runSheet(CliArgs& args, CliContext& context)
{
    PicturePaths paths = takePicturePaths(args);
    int processor = takeProcessorOption(args);
    GlFrameOptions gl = takeGlOptions(args);
    std::vector<std::string> positional = args.positionals(2, 2);
    HeadPictures pictures = loadHeadPictures(context, paths);
    HeadFrameRenderer renderer(positional[0], processor, pictures, gl);

    std::vector<SheetCell> cells = sheetCells(context);
    const int rows = (static_cast<int>(cells.size()) + kColumns - 1) / kColumns;
    const int width = kColumns * kCellSize, height = rows * (kCellSize + kCaptionHeight);
    std::vector<uint32_t> sheet(static_cast<size_t>(width) * static_cast<size_t>(height), kSheetColour);
    SheetLabels labels(15);
    if (!labels.available())
        context.err << "no font found: the sheet has no captions\n";
    for (size_t i = 0; i < cells.size(); ++i) {
        int left = static_cast<int>(i % kColumns) * kCellSize;
        int top = static_cast<int>(i / kColumns) * (kCellSize + kCaptionHeight);
        placeFrame(sheet, width, renderer.draw(cells[i].values, kCellSize, kCellSize), left, top);
        labels.draw(sheet.data(), width, height, left + kCellSize / 2, top + kCellSize + 18, cells[i].caption,
                    kCaptionColour);
    }
    if (!writePngOpaque(positional[1], sheet.data(), width, height, false))
        throw CliError("cannot write " + positional[1]);
    context.out << "wrote " << positional[1] << " (" << cells.size() << " faces, " << width << " x " << height
                << ")\n";
    return 0;
}

const CliRegistration
    kSheet("sheet",
           "sheet HEAD OUT.png [--face JPG --mask JPG] [--background JPG] [--teeth-top JPG] "
           "[--teeth-bottom JPG] [--cpu gen|p3|p4] [--gl [--draw-mode 0|1|2]]",
           runSheet);

} // namespace

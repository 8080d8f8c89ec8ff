// A contact sheet of one head: every mouth shape, expression and a blink side by side, so that a head or
// a face photo can be judged at a glance; with --turns a second page of small head turns, at rest and
// with the mouth open, which shows whether the photo drawn behind the head leaves a second face beside
// a turned one.
#include "cli/CliCommand.h"
#include "Common/ContentRoot.h"
#include "cli/FapOptions.h"
#include "cli/HeadRendering.h"
#include "lipsync/PhonemeTables.h"
#include "images/PngFile.h"
#include "cli/SheetLabels.h"

#include <cmath>
#include <optional>
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

// Pitch, yaw and roll (FAPs 48 to 50) in their unit of 0.00001 radian.
int turnValue(double degrees)
{
    return static_cast<int>(std::lround(degrees * 3.14159265358979323846 / 180.0 * 100000.0));
}

// Each turn once at rest and once with the mouth at "A:", the rest row above the open row.
std::vector<SheetCell> turnCells()
{
    struct Turn {
        const char* axis;
        int fap; // entry of the FAP row
        double degrees;
    };
    const Turn turns[] = {{"yaw", 48, -10},  {"yaw", 48, -5},  {"yaw", 48, 5},   {"yaw", 48, 10},
                          {"pitch", 47, -8}, {"pitch", 47, 8}, {"roll", 49, -5}, {"roll", 49, 5}};
    constexpr int kOpenViseme = 10;
    std::vector<SheetCell> cells;
    for (bool open : {false, true})
        for (const Turn& turn : turns) {
            SheetCell cell;
            cell.caption = std::string(turn.axis) + " " + std::to_string(static_cast<int>(turn.degrees)) +
                           (open ? " A:" : "");
            cell.values[static_cast<size_t>(turn.fap)] = turnValue(turn.degrees);
            if (open)
                addTableRow(cell.values, storedVisemeRow(kOpenViseme), 63, 2);
            cells.push_back(cell);
        }
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

void writeSheet(const CliContext& context, HeadFrameRenderer& renderer, const std::vector<SheetCell>& cells,
                int columns, const std::string& path)
{
    const int rows = (static_cast<int>(cells.size()) + columns - 1) / columns;
    const int width = columns * kCellSize, height = rows * (kCellSize + kCaptionHeight);
    std::vector<uint32_t> sheet(static_cast<size_t>(width) * static_cast<size_t>(height), kSheetColour);
    SheetLabels labels(15);
    if (!labels.available())
        context.err << "no font found: the sheet has no captions\n";
    for (size_t i = 0; i < cells.size(); ++i) {
        int left = static_cast<int>(i % static_cast<size_t>(columns)) * kCellSize;
        int top = static_cast<int>(i / static_cast<size_t>(columns)) * (kCellSize + kCaptionHeight);
        placeFrame(sheet, width, renderer.draw(cells[i].values, kCellSize, kCellSize), left, top);
        labels.draw(sheet.data(), width, height, left + kCellSize / 2, top + kCellSize + 18, cells[i].caption,
                    kCaptionColour);
    }
    if (!writePngOpaque(path, sheet.data(), width, height, false))
        throw CliError("cannot write " + path);
    context.out << "wrote " << path << " (" << cells.size() << " faces, " << width << " x " << height
                << ")\n";
}

int runSheet(CliArgs& args, CliContext& context)
{
    PicturePaths paths = takePicturePaths(args);
    int processor = takeProcessorOption(args);
    GlFrameOptions gl = takeGlOptions(args);
    std::optional<std::string> turnsPath = args.take("--turns");
    std::vector<std::string> positional = args.positionals(2, 2);
    HeadPictures pictures = loadHeadPictures(context, paths);
    HeadFrameRenderer renderer(positional[0], processor, pictures, gl);
    writeSheet(context, renderer, sheetCells(context), kColumns, positional[1]);
    if (turnsPath)
        writeSheet(context, renderer, turnCells(), 8, *turnsPath);
    return 0;
}

const CliRegistration
    kSheet("sheet",
           "sheet HEAD OUT.png [--turns TURNS.png] [--face JPG --mask JPG] [--background JPG] "
           "[--teeth-top JPG] [--teeth-bottom JPG] [--cpu gen|p3|p4] [--gl [--draw-mode 0|1|2]]",
           runSheet);

} // namespace

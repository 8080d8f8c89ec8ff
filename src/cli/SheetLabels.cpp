#include "cli/SheetLabels.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>

namespace {

// Debian's fonts-dejavu-core; the others are fall-backs found on most systems.
const std::array<const char*, 3> kFontFiles = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/freefont/FreeSans.ttf"};

uint32_t blend(uint32_t under, uint32_t over, int coverage)
{
    uint32_t result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        int a = static_cast<int>((under >> shift) & 0xFF);
        int b = static_cast<int>((over >> shift) & 0xFF);
        result |= static_cast<uint32_t>((a * (255 - coverage) + b * coverage) / 255) << shift;
    }
    return result;
}

} // namespace

struct SheetLabels::Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Font()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

SheetLabels::SheetLabels(int pixelHeight) : font_(std::make_unique<Font>())
{
    if (FT_Init_FreeType(&font_->library) != 0) {
        font_.reset();
        return;
    }
    for (const char* file : kFontFiles)
        if (FT_New_Face(font_->library, file, 0, &font_->face) == 0)
            break;
    if (!font_->face || FT_Set_Pixel_Sizes(font_->face, 0, static_cast<FT_UInt>(pixelHeight)) != 0)
        font_.reset();
}

SheetLabels::~SheetLabels() = default;

bool SheetLabels::available() const
{
    return font_ != nullptr;
}

int SheetLabels::textWidth(const std::string& text)
{
    int width = 0;
    for (unsigned char c : text)
        if (FT_Load_Char(font_->face, c, FT_LOAD_DEFAULT) == 0)
            width += static_cast<int>(font_->face->glyph->advance.x >> 6);
    return width;
}

void SheetLabels::draw(uint32_t* pixels, int width, int height, int centreX, int baseline,
                       const std::string& text, uint32_t colour)
{
    if (!font_)
        return;
    int penX = centreX - textWidth(text) / 2;
    for (unsigned char c : text) {
        if (FT_Load_Char(font_->face, c, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot glyph = font_->face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        for (int row = 0; row < static_cast<int>(bitmap.rows); ++row) {
            int y = baseline - glyph->bitmap_top + row;
            for (int column = 0; column < static_cast<int>(bitmap.width); ++column) {
                int x = penX + glyph->bitmap_left + column;
                if (x < 0 || y < 0 || x >= width || y >= height)
                    continue;
                int coverage = bitmap.buffer[row * bitmap.pitch + column];
                uint32_t& pixel =
                    pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
                pixel = blend(pixel, colour, coverage);
            }
        }
        penX += static_cast<int>(glyph->advance.x >> 6);
    }
}

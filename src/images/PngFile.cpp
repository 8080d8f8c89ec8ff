#include "images/PngFile.h"

#include "Common/AtomicFile.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <png.h>

namespace {

// Rows in PNG order (top first), bytes red, green, blue and, with `channels` 4, alpha.
std::vector<uint8_t> toPngRows(const uint32_t* pixels, int width, int height, bool bottomUp, int channels)
{
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(channels);
    std::vector<uint8_t> rows(rowBytes * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        int sourceRow = bottomUp ? height - 1 - y : y;
        const uint32_t* source = pixels + static_cast<size_t>(sourceRow) * static_cast<size_t>(width);
        uint8_t* out = rows.data() + static_cast<size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, out += channels) {
            uint32_t p = source[x];
            out[0] = static_cast<uint8_t>(p >> 16);
            out[1] = static_cast<uint8_t>(p >> 8);
            out[2] = static_cast<uint8_t>(p);
            if (channels == 4)
                out[3] = static_cast<uint8_t>(p >> 24);
        }
    }
    return rows;
}

bool writeImage(const std::string& path, const std::vector<uint8_t>& rows, int width, int height,
                int channels)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    bool ok = png_image_write_to_file(&image, path.c_str(), 0, rows.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

bool writePng(const std::string& path, const uint32_t* pixels, int width, int height, bool bottomUp,
              int channels)
{
    if (!pixels || width <= 0 || height <= 0)
        return false;
    std::vector<uint8_t> rows = toPngRows(pixels, width, height, bottomUp, channels);
    return writeFileAtomically(path, [&](const std::filesystem::path& staging) {
        return writeImage(staging.string(), rows, width, height, channels);
    });
}

} // namespace

bool writePngBgra(const std::string& path, const uint32_t* pixels, int width, int height, bool bottomUp)
{
    return writePng(path, pixels, width, height, bottomUp, 4);
}

bool writePngOpaque(const std::string& path, const uint32_t* pixels, int width, int height, bool bottomUp)
{
    return writePng(path, pixels, width, height, bottomUp, 3);
}

bool readPngBgra(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_BGRA;
    if (static_cast<unsigned long long>(image.width) * image.height > 64ULL * 1024 * 1024) {
        png_image_free(&image);
        return false;
    }
    pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return true;
}

#include "RgbImage.h"

#include "images/PngFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include <jpeglib.h>

RgbImage::RgbImage(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0) {}

void RgbImage::set(int x, int y, double r, double g, double b)
{
    auto toByte = [](double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
    std::uint8_t* p = at(x, y);
    p[0] = toByte(r);
    p[1] = toByte(g);
    p[2] = toByte(b);
}

void sampleBilinear(const RgbImage& image, double x, double y, double out[3])
{
    const double fx = std::clamp(x, 0.0, image.width - 1.0);
    const double fy = std::clamp(y, 0.0, image.height - 1.0);
    const int x0 = static_cast<int>(fx);
    const int y0 = static_cast<int>(fy);
    const int x1 = std::min(x0 + 1, image.width - 1);
    const int y1 = std::min(y0 + 1, image.height - 1);
    const double ax = fx - x0;
    const double ay = fy - y0;
    for (int c = 0; c < 3; ++c) {
        const double top = image.at(x0, y0)[c] * (1 - ax) + image.at(x1, y0)[c] * ax;
        const double bottom = image.at(x0, y1)[c] * (1 - ax) + image.at(x1, y1)[c] * ax;
        out[c] = top * (1 - ay) + bottom * ay;
    }
}

bool readPngRgb(const std::string& path, RgbImage& image)
{
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    if (!readPngBgra(path, pixels, width, height) || width <= 0 || height <= 0)
        return false;
    image = RgbImage(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto* bgra =
                reinterpret_cast<const std::uint8_t*>(&pixels[static_cast<size_t>(y) * width + x]);
            std::uint8_t* p = image.at(x, y);
            p[0] = bgra[2];
            p[1] = bgra[1];
            p[2] = bgra[0];
        }
    }
    return true;
}

namespace {

struct JpegFile {
    std::FILE* file = nullptr;
    ~JpegFile()
    {
        if (file)
            std::fclose(file);
    }
};

bool compressTo(std::FILE* file, const RgbImage& image, int quality, bool fullChroma)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    // The generator only hands the library pictures it built itself, so the library's own error exit
    // (which ends the program) is acceptable here: a half-written file is never renamed into place.
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    // Huffman tables made for the picture: some 10 % smaller, and still a baseline file.
    cinfo.optimize_coding = TRUE;
    if (fullChroma) {
        for (int c = 0; c < 3; ++c) {
            cinfo.comp_info[c].h_samp_factor = 1;
            cinfo.comp_info[c].v_samp_factor = 1;
        }
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.at(0, static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::ferror(file) == 0;
}

bool decompressFrom(std::FILE* file, RgbImage& image)
{
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    // Sources are pictures the content script fetched from a known package; a broken one ends the run.
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    // Grey pictures come out as grey in all three channels, so they can be coloured afterwards.
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    image = RgbImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.at(0, static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return !image.empty();
}

} // namespace

bool readPictureRgb(const std::string& path, RgbImage& image)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension != ".jpg" && extension != ".jpeg")
        return readPngRgb(path, image);
    JpegFile in;
    in.file = std::fopen(path.c_str(), "rb");
    return in.file && decompressFrom(in.file, image);
}

bool isGrey(const RgbImage& image)
{
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        if (image.rgb[i] != image.rgb[i + 1] || image.rgb[i] != image.rgb[i + 2])
            return false;
    return true;
}

bool writeJpegRgb(const std::string& path, const RgbImage& image, int quality, bool fullChroma)
{
    if (image.empty() || image.rgb.size() != static_cast<size_t>(image.width) * image.height * 3)
        return false;
    const std::string partial = path + ".part";
    bool ok = false;
    {
        JpegFile out;
        out.file = std::fopen(partial.c_str(), "wb");
        if (!out.file)
            return false;
        ok = compressTo(out.file, image, quality, fullChroma);
        ok = (std::fclose(out.file) == 0) && ok;
        out.file = nullptr;
    }
    std::error_code error;
    if (ok)
        std::filesystem::rename(partial, path, error);
    if (!ok || error) {
        std::filesystem::remove(partial, error);
        return false;
    }
    return true;
}

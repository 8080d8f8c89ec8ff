#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A plain 8-bit RGB picture, rows top to bottom, as the generators paint it.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // width * height * 3

    RgbImage() = default;
    RgbImage(int w, int h);

    bool empty() const { return width <= 0 || height <= 0; }
    std::uint8_t* at(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    // Stores a colour given as floats in 0-255, rounded and clamped.
    void set(int x, int y, double r, double g, double b);
};

// Colour of the picture at a fractional position in pixel-index units (pixel centres at whole numbers);
// positions outside take the nearest edge pixel so a warp never pulls in black borders.
void sampleBilinear(const RgbImage& image, double x, double y, double out[3]);

// Reads any PNG (through the images library) into RGB; false when it cannot be read.
bool readPngRgb(const std::string& path, RgbImage& image);

// Reads a PNG or (by its extension) a JPEG, colour or grey, into RGB; false when it cannot be read.
bool readPictureRgb(const std::string& path, RgbImage& image);

// Whether every pixel has equal channels: a black-and-white photograph.
bool isGrey(const RgbImage& image);

// Writes a baseline three-component YCbCr JPEG, the only kind the studio's loader accepts, so even a
// grey mask goes out as colour. fullChroma keeps 4:4:4 sampling for small or sharp-edged pictures.
// The file appears only when complete. Returns false on any failure.
bool writeJpegRgb(const std::string& path, const RgbImage& image, int quality, bool fullChroma);

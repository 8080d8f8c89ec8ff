#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One JPEG picture as 32-bit pixels in the byte order blue, green, red, alpha, rows top to bottom.
// A picture loaded in alpha mode is a mask: only its fourth byte carries the picture.
struct DecodedJpeg;

class CJpegPicture {
public:
    bool loadFile(const std::string& path, bool alphaMode);
    bool loadMemory(const uint8_t* data, size_t length, bool alphaMode);

    bool isValid() const { return valid_; }
    bool isAlphaMode() const { return alphaMode_; }
    const uint8_t* pixels() const { return valid_ ? pixels_.data() : nullptr; }
    uint8_t* pixels() { return valid_ ? pixels_.data() : nullptr; }
    void getSize(int& width, int& height) const;
    int width() const { return width_; }
    int height() const { return height_; }
    // "Sampling factor: h:v:..." of the last successful load (information only).
    const std::string& samplingText() const { return samplingText_; }

    // Combines a photo and its mask of the same size; see the .cpp for which way the copy goes.
    bool takeAlphaFrom(const CJpegPicture& other);

    // The reason the last load on this thread failed.
    static const char* errorText();

private:
    bool finishLoad(bool decodedOk, DecodedJpeg& decoded, bool alphaMode);
    void clear();

    bool alphaMode_ = false;
    bool valid_ = false;
    std::vector<uint8_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    std::string samplingText_;
};

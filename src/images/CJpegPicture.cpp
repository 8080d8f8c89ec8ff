#include "images/CJpegPicture.h"

#include "images/JpegDecoder.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

// Colour mode keeps blue, green, red and makes the picture opaque; alpha mode keeps only the
// first decoded byte as coverage. The colour bytes of a mask start as zero rather than garbage.
void convertPixels(const DecodedJpeg& decoded, bool alphaMode, uint8_t* target)
{
    for (int y = 0; y < decoded.height; ++y) {
        const uint8_t* source = decoded.pixels + decoded.rowBytes * static_cast<size_t>(y);
        uint8_t* row = target + static_cast<size_t>(y) * static_cast<size_t>(decoded.width) * 4;
        for (int x = 0; x < decoded.width; ++x, source += 3, row += 4) {
            if (alphaMode) {
                row[3] = source[0];
            } else {
                row[0] = source[0];
                row[1] = source[1];
                row[2] = source[2];
                row[3] = 255;
            }
        }
    }
}

} // namespace

bool CJpegPicture::loadFile(const std::string& path, bool alphaMode)
{
    JpegSource source;
    source.path = path.c_str();
    DecodedJpeg decoded;
    bool ok = decodeJpeg(source, false, decoded);
    return finishLoad(ok, decoded, alphaMode);
}

bool CJpegPicture::loadMemory(const uint8_t* data, size_t length, bool alphaMode)
{
    JpegSource source;
    source.data = data;
    source.length = length;
    DecodedJpeg decoded;
    bool ok = decodeJpeg(source, false, decoded);
    return finishLoad(ok, decoded, alphaMode);
}

bool CJpegPicture::finishLoad(bool decodedOk, DecodedJpeg& decoded, bool alphaMode)
{
    clear();
    alphaMode_ = alphaMode;
    if (!decodedOk)
        return false;
    try {
        pixels_.assign(static_cast<size_t>(decoded.width) * static_cast<size_t>(decoded.height) * 4, 0);
    } catch (const std::bad_alloc&) {
        free(decoded.pixels);
        setJpegErrorText("Not enough memory to show the image.");
        return false;
    }
    convertPixels(decoded, alphaMode, pixels_.data());
    free(decoded.pixels);
    width_ = decoded.width;
    height_ = decoded.height;
    char text[64];
    snprintf(text, sizeof text, "Sampling factor: %d:%d:%d", decoded.sampling[0], decoded.sampling[1],
             decoded.sampling[2]);
    samplingText_ = text;
    valid_ = true;
    return true;
}

void CJpegPicture::clear()
{
    valid_ = false;
    std::vector<uint8_t>().swap(pixels_);
    width_ = 0;
    height_ = 0;
    samplingText_.clear();
}

void CJpegPicture::getSize(int& width, int& height) const
{
    width = width_;
    height = height_;
}

// A mask receiving a photo takes the photo's colours; a photo receiving a mask takes the mask's
// coverage. Either way the result is a complete colour picture.
bool CJpegPicture::takeAlphaFrom(const CJpegPicture& other)
{
    if (!valid_ || !other.valid_ || width_ != other.width_ || height_ != other.height_)
        return false;
    if (alphaMode_ == other.alphaMode_ && !other.alphaMode_)
        return false;
    const size_t count = pixels_.size();
    if (alphaMode_ && !other.alphaMode_) {
        for (size_t i = 0; i < count; i += 4) {
            pixels_[i] = other.pixels_[i];
            pixels_[i + 1] = other.pixels_[i + 1];
            pixels_[i + 2] = other.pixels_[i + 2];
        }
    } else {
        for (size_t i = 3; i < count; i += 4)
            pixels_[i] = other.pixels_[i];
    }
    alphaMode_ = false;
    return true;
}

const char* CJpegPicture::errorText()
{
    return jpegErrorText();
}

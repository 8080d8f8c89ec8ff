#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Writes short captions into 32-bit pixel pictures (rows top to bottom) with a system font. When no
// font can be opened, `available` is false and captions are skipped: a contact sheet without words is
// still worth having.
class SheetLabels {
public:
    explicit SheetLabels(int pixelHeight);
    ~SheetLabels();
    SheetLabels(const SheetLabels&) = delete;
    SheetLabels& operator=(const SheetLabels&) = delete;

    bool available() const;
    // Draws `text` centred on `centreX` with its baseline at `baseline`, clipped to the picture.
    void draw(uint32_t* pixels, int width, int height, int centreX, int baseline, const std::string& text,
              uint32_t colour);

private:
    struct Font;
    std::unique_ptr<Font> font_;
    int textWidth(const std::string& text);
};

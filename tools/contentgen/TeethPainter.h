#pragma once

#include "RgbImage.h"

#include <string>
#include <vector>

// Paints the small upper and lower teeth pictures the inner mouth is textured with. The upper picture
// has its gum along the top and the biting edge towards the bottom; the lower one is its mirror, gum
// along the bottom. Both span the mouth from corner to corner, darkening towards the corners.

constexpr int kTeethWidth = 64;
constexpr int kTeethHeight = 16;

enum class TeethRow { Upper, Lower };

struct TeethStyle {
    std::string name;
    double enamel[3];     // tooth colour at the front, fully lit
    double gum[3];
    double cornerShadow;  // how much darker the teeth get towards the mouth corners, 0-1
    double gapDarkness;   // how dark the thin gaps between teeth are, 0-1
    double centralGap;    // pixels between the two front teeth (0 = closed)
    double unevenness;    // 0-1: spread of tooth widths, lengths and shades
    unsigned seed;        // makes the unevenness repeatable
};

// The shipped variants, each visibly different.
const std::vector<TeethStyle>& teethStyles();

RgbImage paintTeeth(const TeethStyle& style, TeethRow row);

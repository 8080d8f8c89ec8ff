#include "TeethPainter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kSupersample = 4;
constexpr double kMouthInside[3] = {62, 24, 30};
constexpr double kTranslucentEdge[3] = {150, 160, 178};

// Tooth widths in pixels from the middle outwards, and how far each reaches below the gum base.
constexpr std::array<double, 7> kUpperWidths = {8.0, 6.5, 6.0, 5.0, 4.6, 4.2, 4.0};
constexpr std::array<double, 7> kUpperLengths = {10.6, 9.8, 10.6, 9.2, 8.6, 8.0, 7.6};
constexpr std::array<double, 7> kLowerWidths = {5.0, 5.0, 5.6, 5.6, 5.0, 4.6, 4.4};
constexpr std::array<double, 7> kLowerLengths = {8.4, 8.6, 9.2, 8.4, 8.0, 7.6, 7.2};
constexpr int kCanine = 2;
constexpr double kGumBase = 3.0;
constexpr double kPapilla = 2.2;

// A small fixed generator, so a style's irregularities come out the same on every machine.
class Jitter {
public:
    explicit Jitter(unsigned seed) : state_(seed * 2654435761u + 1u) {}
    double next() // -1 to 1
    {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

private:
    unsigned state_;
};

struct Tooth {
    double from = 0; // pixel x where it starts (left edge)
    double to = 0;
    double length = 0;
    double shade = 1;
    bool canine = false;
};

// One side's teeth, walking outwards from the middle line; `direction` is -1 for the left half.
void layOutSide(const TeethStyle& style, TeethRow row, int direction, Jitter& jitter, std::vector<Tooth>& teeth)
{
    const auto& widths = row == TeethRow::Upper ? kUpperWidths : kLowerWidths;
    const auto& lengths = row == TeethRow::Upper ? kUpperLengths : kLowerLengths;
    // A gap between the front teeth is an upper-row trait; the lower incisors stay closed.
    const double centralGap = row == TeethRow::Upper ? style.centralGap : 0.0;
    double edge = kTeethWidth / 2.0 + direction * centralGap / 2;
    for (size_t i = 0; i < widths.size(); ++i) {
        const double width = widths[i] * (1 + 0.08 * style.unevenness * jitter.next());
        Tooth tooth;
        tooth.from = direction > 0 ? edge : edge - width;
        tooth.to = direction > 0 ? edge + width : edge;
        tooth.length = lengths[i] + 0.5 * style.unevenness * jitter.next();
        tooth.shade = 1 + 0.05 * style.unevenness * jitter.next();
        tooth.canine = static_cast<int>(i) == kCanine;
        teeth.push_back(tooth);
        edge += direction * width;
    }
}

const Tooth* toothAt(const std::vector<Tooth>& teeth, double x)
{
    for (const Tooth& tooth : teeth) {
        if (x >= tooth.from && x < tooth.to)
            return &tooth;
    }
    return nullptr;
}

void mix(double colour[3], const double towards[3], double amount)
{
    for (int c = 0; c < 3; ++c)
        colour[c] += (towards[c] - colour[c]) * amount;
}

// Colour of one sample in the upper layout (gum at the top); y grows towards the biting edge.
void sampleColour(const TeethStyle& style, const std::vector<Tooth>& teeth, double x, double y, double out[3])
{
    const double sideDistance = std::abs(x - kTeethWidth / 2.0) / (kTeethWidth / 2.0);
    const double cornerLight = 1 - style.cornerShadow * std::pow(sideDistance, 1.6);
    const Tooth* tooth = toothAt(teeth, x);
    // Across a tooth: 0 in its middle, 1 at its sides.
    const double across = tooth ? std::abs((x - tooth->from) / (tooth->to - tooth->from) - 0.5) * 2 : 1.0;
    const double gumLine = kGumBase + kPapilla * std::pow(across, 2.5);
    if (y < gumLine) {
        const double lift = 1.0 - 0.12 * (gumLine - y) / gumLine;
        for (int c = 0; c < 3; ++c)
            out[c] = style.gum[c] * cornerLight * lift;
        return;
    }
    const double rounding = tooth ? (tooth->canine ? 1.6 * std::pow(across, 1.5)
                                                   : 1.8 * std::pow(std::max(0.0, (across - 0.55) / 0.45), 2))
                                  : 0;
    const double edge = tooth ? kGumBase + tooth->length - rounding : 0;
    if (!tooth || y >= edge) {
        for (int c = 0; c < 3; ++c)
            out[c] = kMouthInside[c] * (0.6 + 0.4 * cornerLight);
        return;
    }
    const double light = cornerLight * tooth->shade * (1 - 0.22 * across * across);
    for (int c = 0; c < 3; ++c)
        out[c] = style.enamel[c] * light;
    const double along = (y - gumLine) / std::max(edge - gumLine, 1e-6);
    if (along < 0.25)
        out[2] *= 0.94; // a warmer neck by the gum
    if (along > 0.8)
        mix(out, kTranslucentEdge, 0.35 * (along - 0.8) / 0.2 * cornerLight);
    const double gapStart = 1 - 1.1 / (tooth->to - tooth->from);
    if (across > gapStart)
        mix(out, kMouthInside, style.gapDarkness * (across - gapStart) / (1 - gapStart));
}

} // namespace

const std::vector<TeethStyle>& teethStyles()
{
    static const std::vector<TeethStyle> styles{
        {"White", {247, 247, 241}, {198, 100, 106}, 0.45, 0.55, 0.0, 0.15, 11},
        {"Ivory", {236, 225, 196}, {186, 90, 92}, 0.50, 0.60, 0.0, 0.35, 23},
        {"Natural", {222, 212, 188}, {172, 82, 86}, 0.62, 0.72, 0.0, 0.80, 37},
        {"Gap", {240, 236, 222}, {192, 96, 100}, 0.50, 0.60, 1.6, 0.30, 41},
    };
    return styles;
}

RgbImage paintTeeth(const TeethStyle& style, TeethRow row)
{
    Jitter jitter(style.seed + (row == TeethRow::Lower ? 1000u : 0u));
    std::vector<Tooth> teeth;
    layOutSide(style, row, -1, jitter, teeth);
    layOutSide(style, row, +1, jitter, teeth);

    RgbImage picture(kTeethWidth, kTeethHeight);
    for (int py = 0; py < kTeethHeight; ++py) {
        for (int px = 0; px < kTeethWidth; ++px) {
            double sum[3] = {0, 0, 0};
            for (int sy = 0; sy < kSupersample; ++sy) {
                for (int sx = 0; sx < kSupersample; ++sx) {
                    const double x = px + (sx + 0.5) / kSupersample;
                    const double y = py + (sy + 0.5) / kSupersample;
                    double colour[3];
                    sampleColour(style, teeth, x, y, colour);
                    for (int c = 0; c < 3; ++c)
                        sum[c] += colour[c];
                }
            }
            constexpr double samples = kSupersample * kSupersample;
            // The lower row is the same layout seen from below: gum at the bottom of its picture.
            const int outY = row == TeethRow::Upper ? py : kTeethHeight - 1 - py;
            picture.set(px, outY, sum[0] / samples, sum[1] / samples, sum[2] / samples);
        }
    }
    return picture;
}

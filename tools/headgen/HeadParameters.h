#pragma once

// Every number that shapes the generic head, in one place for review. Lengths are in building units,
// roughly a centimetre; the finished head is scaled by kAttachScale and stood on y = 5 (as the editing
// view attaches a head: a height of 25 from y = 5), so the neck reaches into the collar and a photo pixel
// is 1/6.4 attached unit: x = (px / 6.4 - 20) / kAttachScale, y = (40 - py / 6.4 - 5) / kAttachScale +
// kBottomY in building units. +x is the face's own left, +z points forward.
namespace headgen {

// Landmarks the default face photographs are aligned to.
constexpr double kBottomY = 1.5; // neck end inside the collar, photo row 224
constexpr double kTopY = 31.2;   // top of the hair, photo row 64
constexpr double kAttachScale = 25.0 / (kTopY - kBottomY);
constexpr double kChinY = 6.875;           // chin bottom, row 212
constexpr double kMouthY = 11.5625;        // mouth centre, row 182
constexpr double kMouthHalfWidth = 2.8125; // outer lip corners, columns 110 and 146
constexpr double kNoseTipY = 15.0;         // row 160
constexpr double kEyeY = 18.75;            // pupils, row 136
constexpr double kEyeX = 3.125;            // columns 108 and 148

// Cross-sections of the head: at height y the outline runs from the front z to the back z and is
// halfWidth wide on each side; between the rows the values are interpolated smoothly.
struct ProfileRow {
    double y, front, back, halfWidth;
};
constexpr ProfileRow kProfile[] = {
    {1.5, 2.35, -4.4, 4.8},    {3.4, 2.35, -4.5, 4.62},  {5.0, 2.5, -4.6, 4.6},    {5.4, 2.7, -4.6, 4.6},
    {6.0, 3.6, -4.7, 4.75},    {6.5, 5.5, -4.9, 5.05},   {6.875, 7.5, -5.1, 5.35}, {7.4, 8.6, -5.4, 5.65},
    {8.2, 9.05, -5.9, 5.9},    {9.3, 8.85, -6.5, 6.1},   {10.6, 9.2, -7.0, 6.25},  {11.6, 9.35, -7.4, 6.35},
    {12.6, 9.4, -7.9, 6.45},   {13.8, 9.05, -8.4, 6.65}, {15.0, 8.95, -8.9, 6.95}, {16.5, 8.85, -9.3, 7.2},
    {18.75, 8.75, -9.6, 7.35}, {20.5, 9.15, -9.7, 7.5},  {22.5, 9.15, -9.6, 7.55},
};
// Above this height the skull closes as a dome over the last profile row.
constexpr double kDomeStartY = 22.5;
// Cross-sections are superellipses of this exponent: flatter in front than an ellipse.
constexpr double kSectionExponent = 2.6;

// Grid of the skin outside the features: rows at these heights (between bottom and top), columns at
// these x spacings over the front and spread evenly over the back. Over the dome the rows stand at even
// steps of angle round it, the last close under the top, so the crown ends round rather than in a point.
constexpr double kRowHeights[] = {
    1.5,  3.3,   5.0,   5.4,   6.875, 7.3,  8.2,  9.05,  9.5,  9.95,  10.4,  10.85, 11.3,  11.75, 12.2, 12.65,
    13.1, 13.5,  13.85, 14.25, 14.65, 15.0, 15.4, 15.85, 16.3, 16.75, 17.15, 17.55, 18.0,  18.45, 18.9, 19.35,
    19.8, 20.25, 20.7,  21.15, 21.6,  22.1, 22.6, 23.56, 24.6, 25.76, 26.85, 27.97, 28.97, 29.88, 30.62};
constexpr double kColumnSpacing = 0.42;   // across the front
constexpr int kFrontColumnsEachSide = 14; // front columns reach 14 * 0.42 = 5.9 to each side
constexpr double kColumnReferenceHalfWidth = 7.0;
constexpr int kBackColumnSteps = 13;

// Mouth: rings around the lip line. Ring 0 is the inner lip contour, closed (zero height) at rest;
// ring kLipBorderRing the outer lip contour; the further rings exist below the lower lip only and
// reach down over the chin. Heights are measured up (upper half) and down (lower half) from the
// mouth line.
// Around each ring; 0 is the face's left corner, counter-clockwise. The inner lip contour keeps the corners
// and every segment between each lip's mid points, 16 vertices in all, so the opening stays round as the
// lips part. Between a corner and the upper mid point the lip runs straight: a vertex there would follow
// the outer lip (the only points a lip's region can tell from the other lip's) while the corner travels
// its own way, and fold against it. Below, one vertex between each corner and the lower mid point rounds
// the opening's lower corners; it is rigged from the inner lip points and the chin, which both lips share
// at rest, so it needs no outer lip to tell it from the upper lip.
constexpr int kMouthSegments = 48;
struct MouthRing {
    double halfWidth, upper, lower;
};
constexpr MouthRing kMouthRings[] = {{2.0, 0.0, 0.0},   {2.8125, 0.66, 0.82}, {3.05, 0.95, 1.45},
                                     {3.35, 1.25, 1.8}, {3.75, 1.55, 2.05},   {4.15, 1.78, 2.3}};
constexpr int kLipBorderRing = 1;
constexpr int kMouthCornerSegments = 9;      // lip mid points lie this many segments from the corners
constexpr int kLowerLipBetween = 4;          // segments from a corner to the lower inner lip's extra vertex
constexpr int kLipPeakOffset = 1;            // the upper lip's peaks, segments from its middle
constexpr double kCornerSkinHalfWidth = 3.5; // skin vertices above and below each corner
constexpr double kCornerSkinUp = 0.55, kCornerSkinDown = 0.6;
constexpr double kLipShapeExponent = 0.75; // < 1 fills the lips out towards the corners
constexpr double kCupidsBowDip = 0.12;     // of the upper lip height at the philtrum
constexpr double kCupidsBowWidth = 0.1;    // of the lip's half width; the peaks stand at its edge
constexpr double kMouthHoleMargin = 0.3;
constexpr double kMouthHoleTop = 13.8; // the opening reaches the nose: the upper lip is one band

// Eyes: rings around the lid margins; the upper half of the outer rings carries the eyebrow.
constexpr int kEyeSegments = 24; // 0 points to +x, counter-clockwise
struct EyeRing {
    double innerHalfWidth, outerHalfWidth, upper, lower;
};
constexpr EyeRing kEyeRings[] = {
    {1.4, 1.45, 0.5, 0.42},   // lid margins
    {1.55, 1.65, 0.75, 0.64}, // lid rims
    {1.75, 1.95, 0.95, 0.86}, // upper lid crease, lower lid edge
    {1.95, 2.6, 2.55, 1.2},   // eyebrow line
    {2.05, 2.95, 3.1, 1.95},  // above the eyebrow, cheek below the eye
};
constexpr int kBrowRing = 3;
constexpr double kBrowShapeExponent = 0.55;
constexpr double kEyeCornerTilt = 0.08; // outer corner higher than the inner one
constexpr double kEyeHoleMargin = 0.25;
// The openings reach well above the brows, so the brows can rise and fall without meeting a grid row.
constexpr double kEyeHoleTop = 23.0;
// Eyeball caps behind the opening; their front sits this far behind the nearest lid vertex.
constexpr double kEyeballRadius = 1.7;
constexpr double kEyeballHalfWidth = 1.6;
constexpr double kEyeballHalfHeight = 1.0;
constexpr double kEyeballClearance = 0.06;
constexpr double kEyeballRingScales[] = {0.3, 0.65, 1.0};

// Relief added to the cross-sections in front: each bump is (1 - r^2)^2 inside an ellipse.
struct Bump {
    double x, y, radiusX, radiusY, height;
    bool mirrored; // also placed at -x
};
constexpr Bump kReliefBumps[] = {
    {2.9, 20.6, 2.6, 0.9, 0.35, true},           // brow ridge
    {kEyeX, kEyeY + 0.1, 2.3, 1.6, -0.95, true}, // eye socket
    {kEyeX, kEyeY, 1.6, 0.85, 0.45, true},       // eyeball under the lids
    {4.3, 16.0, 1.8, 1.5, 0.35, true},           // cheekbone
    {0.0, 12.05, 3.0, 0.75, 0.45, false},        // upper lip
    {0.0, 10.95, 2.7, 0.8, 0.5, false},          // lower lip
    {0.0, 9.55, 1.8, 0.5, -0.2, false},          // fold under the lower lip
    {0.0, 8.2, 1.9, 1.1, 0.5, false},            // chin
    {1.05, 14.35, 0.75, 0.7, 0.9, true},         // nostril wing
};
// Nose ridge: height above the face and half width at the tip, and where it fades out at the bridge.
constexpr double kNoseTipHeight = 2.5;
constexpr double kNoseTipHalfWidth = 1.0;
constexpr double kNoseBridgeY = 18.6;
constexpr double kNoseBridgeHeight = 0.45;
constexpr double kNoseBridgeHalfWidth = 0.75;
constexpr double kNoseTopY = 19.6;
constexpr double kNoseBaseY = 13.75; // where the underside meets the upper lip

// Inner mouth.
constexpr double kTeethHalfWidth = 2.3;
constexpr double kTeethSetBack = 1.0;    // behind the lip surface at the middle
constexpr double kTeethArchCurve = 0.18; // z falls by this times x^2 towards the back teeth
constexpr double kUpperTeethTop = 1.1;   // above the mouth line
constexpr double kUpperTeethEdge = -0.05;
constexpr double kLowerTeethEdge = 0.3;     // behind the upper ones, so they show as soon as the jaw drops
constexpr double kLowerTeethSetBack = 0.12; // the lower incisors bite behind the upper ones
constexpr double kLowerTeethBottom = -0.9;
constexpr int kTeethColumns = 12;
constexpr double kInteriorHalfWidth = 3.0;
constexpr double kInteriorTop = 1.6;
constexpr double kInteriorBottom = -3.0;
constexpr double kInteriorDepth = 2.9; // behind the lip surface at the middle
constexpr double kInteriorCurve = 1.0;
constexpr double kTongueHalfWidth = 1.3;
constexpr double kTongueTop = -1.55; // below the mouth line
constexpr double kTongueFront = 2.2; // behind the lip surface
constexpr double kTongueLength = 2.2;
// Where in the teeth pictures the inside of the mouth takes its colours: the gum rows (the upper
// picture's first, the lower picture's last), across from the darkest corner (u = 0) inwards.
constexpr double kCavityPictureV = 0.5 / 16.0, kCavityDarkestU = 0.02, kCavityLightestU = 0.16;
constexpr double kTonguePictureV = 15.5 / 16.0, kTongueDarkestU = 0.22, kTongueLightestU = 0.45;

// Ears: a wedge from the side of the head, between these angles round it (the front base line nearer the
// face), its base this far under the skin; the rim, bottom (lobe) to top, stands out and back from the
// skin midway between the base lines.
constexpr double kEarFrontAngle = 1.42, kEarBackAngle = 1.78, kEarBury = 0.25;
struct EarRimRow {
    double y, out, back;
};
constexpr EarRimRow kEarRim[] = {{13.7, 0.35, 0.2}, {14.3, 0.9, 0.45}, {15.3, 1.2, 0.6},  {16.5, 1.35, 0.75},
                                 {17.7, 1.5, 0.85}, {18.8, 1.45, 0.8}, {19.5, 1.1, 0.65}, {20.0, 0.45, 0.35}};
// The lobe hangs below the lower base row and the top of the rim rises above the upper one, as an ear
// stands free of the head at both ends; these tips carry the ear's bottom and top points.
// They stay close to the base rows' heights: a tip far beyond them would tilt the wedge's end towards the
// head.
constexpr EarRimRow kEarLobeTip = {13.55, 0.5, 0.3}, kEarTopTip = {20.2, 0.7, 0.45};

// Hair standing out from the skull, for a head whose photo's hair reaches past the generic outline: its
// half width seen from the front at each height (the skin's own where that is wider), reached at the sides
// of the head and fading out towards the face and the middle of the back, so the hair turns with the head
// instead of being cut off where the skull ends. The top of the head stays where the photos expect it.
struct HairRow {
    double y, halfWidth;
};
// The female default face's bob, traced from her photo's hair outline (the wider of its two sides, and
// a pixel and a half beyond it), in building units.
constexpr HairRow kBobOutline[] = {{15.2, 7.0},  {15.6, 9.1},  {16.0, 9.4},  {16.5, 9.75},  {17.0, 10.1},
                                   {18.0, 10.6}, {19.5, 11.2}, {21.5, 11.6}, {23.5, 11.35}, {25.5, 10.6},
                                   {26.5, 10.1}, {27.5, 9.3},  {28.5, 8.5},  {29.3, 7.55},  {30.0, 6.6},
                                   {30.6, 5.7},  {31.2, 4.0}};
// Share of the skin's half width (from the middle) where the hair starts to stand out, and where it is full.
constexpr double kHairFadeStart = 0.84, kHairFadeFull = 1.0;

// The head rotation centre, on top of the spine inside the neck.
constexpr double kPivotY = 8.0;
constexpr double kPivotZ = -1.2;

} // namespace headgen

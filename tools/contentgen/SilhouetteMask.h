#pragma once

#include "FaceAlignment.h"

#include <string>
#include <vector>

// The face photo's mask: the person's silhouette (hair, face, neck, collar and shoulders), white inside
// and black over the plain background, so the photo drawn behind the head shows the rest of the person
// and nothing of the room. The outline is traced by hand in the source picture and carried into the
// photo square by the same transform as the photo, so the two cannot drift apart.

// One corner of the outline; the name lets a reviewer tell which point sits where.
struct OutlinePoint {
    std::string name;
    Point2 at;
};

// Soft edge, in photo pixels, across the outline: enough to hide the polygon's corners and the JPEG
// ringing a hard edge would cause, narrow enough not to show a halo of the photo's background.
constexpr double kSilhouetteFeather = 6.0;

// Why the outline cannot be filled (too few corners, repeated names, no area, edges that cross, values
// that are not finite); empty when it can.
std::string outlineProblem(const std::vector<OutlinePoint>& outline);

std::vector<Point2> transformOutline(const std::vector<OutlinePoint>& outline, const Similarity& toPhoto);

// Distance in pixels to the nearest edge of the closed polygon, positive inside (even-odd rule).
double signedDistanceToOutline(const std::vector<Point2>& polygon, Point2 p);

// 0 (photo hidden) to 1 (photo shown): 0.5 on the outline, easing to 0 and 1 within feather / 2 either
// side of it; a feather of 0 or less gives a hard edge.
double silhouetteAlpha(const std::vector<Point2>& polygon, double feather, Point2 p);

// The mask as grey pixels (alpha x 255 in every channel), sampled at pixel centres like the photo.
RgbImage paintSilhouetteMask(const std::vector<Point2>& polygon, double feather, int size);

// The photo with the background picture in place of everything outside the person, so wherever the head's
// mesh reaches past the hair or the face it shows the room behind, not the photo's own backdrop.
RgbImage placeOnBackdrop(const RgbImage& photo, const std::vector<Point2>& polygon, double feather,
                         const RgbImage& backdrop);

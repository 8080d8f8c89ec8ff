#pragma once

#include "MeshBuilder.h"

// The skin as a function: superelliptic cross-sections stacked along y, with the face's relief added
// in front. Grid vertices and feature rings sample the same function, so they meet without seams.
namespace headgen {

struct Section {
    double front, back, halfWidth;
};

// The cross-section at height y, closing to a point at the top of the head.
Section sectionAt(double y);
// A point of the skin by angle around the vertical axis (0 looks forward, +pi/2 is the face's left).
Point3 skinAtAngle(double angle, double y);
// The angle at which the skin of height y reaches x; |x| must stay inside the section.
double angleForX(double x, double y);
// The skin point in front with the given x and y.
Point3 skinAt(double x, double y);
// The relief in front of the cross-sections (nose, eye sockets, lips, chin).
double faceRelief(double x, double y);

} // namespace headgen

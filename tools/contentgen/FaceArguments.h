#pragma once

#include "LipClosing.h"
#include "PhotoColouring.h"
#include "SilhouetteMask.h"

#include <map>
#include <string>
#include <vector>

// The face command's trailing arguments: landmarks as "name=X,Y" (right-eye and left-eye required,
// nose, mouth, right-lip, left-lip and chin optional) and the silhouette as "outline.NAME=X,Y" in
// outline order, all in source-picture pixels; for a black-and-white source the colouring ellipses as
// "skin.NAME=X,Y,RX,RY" and "lips=X,Y,RX,RY"; and the outline of what stays while the head turns (the
// clothing round the neck and the shoulders) as "stays.NAME=X,Y": everything else turns with the head's
// mesh, so the mask shows only that. A smile that shows its teeth is closed by tracing the gap between the
// lips as "lip-gap-top.NAME=X,Y" and "lip-gap-bottom.NAME=X,Y", each edge left to right.
struct FaceArguments {
    std::map<std::string, Point2> landmarks;
    std::vector<OutlinePoint> outline;
    PhotoColouring colouring;
    std::vector<OutlinePoint> stays; // empty: the mask is the whole silhouette
    LipGap lipGap;                   // empty: the mouth is left as photographed
};

// Empty on success, else what is wrong with which argument. The outline is only collected here;
// whether it can be filled is outlineProblem()'s call.
std::string parseFaceArguments(const std::vector<std::string>& args, FaceArguments& out);

#pragma once

#include "SilhouetteMask.h"

#include <map>
#include <string>
#include <vector>

// The face command's trailing arguments: landmarks as "name=X,Y" (right-eye and left-eye required,
// nose, mouth, right-lip, left-lip and chin optional) and the silhouette as "outline.NAME=X,Y" in
// outline order, all in source-picture pixels.
struct FaceArguments {
    std::map<std::string, Point2> landmarks;
    std::vector<OutlinePoint> outline;
};

// Empty on success, else what is wrong with which argument. The outline is only collected here;
// whether it can be filled is outlineProblem()'s call.
std::string parseFaceArguments(const std::vector<std::string>& args, FaceArguments& out);

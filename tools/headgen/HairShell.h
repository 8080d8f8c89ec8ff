#pragma once

#include "HeadParameters.h"
#include "MeshBuilder.h"

#include <span>
#include <vector>

namespace headgen {

// The hair a head's photo needs beyond the generic skull; empty for a head whose hair the skull holds.
struct HairShape {
    std::span<const HairRow> outline;
    bool empty() const { return outline.empty(); }
};

// Moves the points (building units, as built) out to the hair's outline, all but the pinned ones. Only
// positions change, so a shaped head keeps the generic head's triangles and rigging and loads in its
// place; the members of deformation regions are pinned, since their neutral places weigh how the whole
// region moves (the generic head's expressions are checked on exactly those places).
void shapeHair(std::vector<Point3>& points, const std::vector<bool>& pinned, const HairShape& hair);

} // namespace headgen

#pragma once

#include "HeadParts.h"

class CHeadModel;

namespace headgen {

// Feature points, deformation regions, eyelid pairs and editing lines of the built head.
void assignFeaturePoints(CHeadModel& model, const MeshBuilder& mesh, const HeadParts& parts);
void fillRegions(CHeadModel& model, const MeshBuilder& mesh, const HeadParts& parts);
void pairEyelids(CHeadModel& model, const HeadParts& parts);
void addEditingLines(CHeadModel& model, const MeshBuilder& mesh, const HeadParts& parts);

} // namespace headgen

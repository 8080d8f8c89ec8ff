#pragma once

#include "documents/CmtStreamWriter.h"
#include "documents/ProjectStore.h"
#include "timeline/TimelineData.h"

#include <memory>

class CHeadModel;

// What the stream command gathers before writing a `.cmt` file: the pictures and backgrounds from the
// store, the voice and the three inline tracks from the timeline, and the head as a model.

// The stream's inputs; `head` writes the "MESH" payload (no head: the stream fails at its mesh).
StreamInputs streamInputsOf(const ProjectStore& store, const TimelineData& timeline, CHeadModel* head);

// Writes the model as a mesh record. The stream carries the head as it stands, so current positions
// are saved as the neutral pose first when that set is out of sync.
bool writeStreamMesh(const std::filesystem::path& path, CHeadModel& head);
// The head of the store's mesh slot, or nullptr when the slot is empty or holds no readable record.
std::unique_ptr<CHeadModel> headModelOf(const ProjectStore& store);

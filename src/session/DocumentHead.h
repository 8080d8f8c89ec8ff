#pragma once

#include <memory>

class CHeadModel;
class ProjectStore;

// The document's own head, standing as the editing view shows it, with the project's face, mask and
// teeth in its slots: what a front end without a live head (the command-line tool) draws and
// exports. A picture that is missing or does not fit its slot leaves the model's own, as the editor
// does. Null when the document holds no readable head.
std::unique_ptr<CHeadModel> documentHead(const ProjectStore& store);

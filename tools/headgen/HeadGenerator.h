#pragma once

#include <memory>

class CHeadModel;

namespace headgen {

// The generic head, neutral pose saved in both stored sets; null only when memory runs out.
std::unique_ptr<CHeadModel> generateHead();

} // namespace headgen

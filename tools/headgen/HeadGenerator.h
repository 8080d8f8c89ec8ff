#pragma once

#include "HairShell.h"

#include <memory>

class CHeadModel;

namespace headgen {

// The generic head, neutral pose saved in both stored sets, with the hair a default face needs (none
// for the generic head itself); null only when memory runs out.
std::unique_ptr<CHeadModel> generateHead(const HairShape& hair = {});

// The female default face's head: the generic head with her bob.
HairShape bobHair();

} // namespace headgen

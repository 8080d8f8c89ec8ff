#pragma once

#include "Common/CoreStatus.h"

// Documents report their failures in the one status record of the core.
using DocumentStatus = CoreStatus;

// Message numbers of the resource library used by the documents layer.
constexpr unsigned kMsgBadProjectSignature = 0xE820; // formatted with the path
constexpr unsigned kMsgVersionTooNew = 0xE821;       // formatted with the version found and 9
constexpr unsigned kMsgPackRefused = 0xE822;         // refused chunk tag or no temporary file
constexpr unsigned kMsgBadPackSignature = 0xE823;    // formatted with the path
constexpr unsigned kMsgStreamFailed = 0xE82F;

#pragma once

#include <string>

#include "seal/SealVerificationResult.h"

namespace veyrune {

// The one line veyrune-verify prints about the seals, times in UTC.
std::string sealSummaryText(const SealVerificationResult& result);

}  // namespace veyrune

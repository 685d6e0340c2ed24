#pragma once

#include <string>
#include <string_view>

#include "base/Instant.h"

namespace veyrune {

// "evidence-2026-12-04T21-40-00Z.png": the UTC time in internet form with
// every ":" replaced by "-", then the extension.
std::string evidenceFileName(Instant takenAt, std::string_view extension);

}  // namespace veyrune

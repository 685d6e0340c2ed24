#pragma once

#include <string>
#include <string_view>

#include "base/Instant.h"

namespace veyrune {

// "evidence-2026-12-04T21-40-00Z.png": the UTC time in internet form with
// every ":" replaced by "-", then the extension.
std::string evidenceFileName(Instant takenAt, std::string_view extension);

// True only for a name the capturers write: evidenceFileName() of some
// instant with "jpg" or "png". Retention removes nothing else.
bool isEvidenceFileName(std::string_view name);

}  // namespace veyrune

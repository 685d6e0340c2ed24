#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "record/LogComparisonResult.h"

namespace veyrune {

// The lines veyrune-verify prints for a comparison with a collector's copy:
// a verdict, then one line per range of entries found, at most `maxRuns`.
std::vector<std::string> comparisonText(const LogComparisonResult& result,
                                        std::size_t maxRuns = 20);

}  // namespace veyrune

#include "evidence/EvidenceFileName.h"

#include <algorithm>

namespace veyrune {

std::string evidenceFileName(Instant takenAt, std::string_view extension) {
    std::string stamp = iso8601String(takenAt);
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    return "evidence-" + stamp + "." + std::string(extension);
}

}  // namespace veyrune

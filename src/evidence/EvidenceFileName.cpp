#include "evidence/EvidenceFileName.h"

#include <algorithm>

namespace veyrune {

namespace {

constexpr std::string_view prefix = "evidence-";
// "2026-12-04T21-40-00Z"; the time's two "-" stand for ":".
constexpr std::size_t stampLength = 20;
constexpr std::size_t timeSeparators[] = {13, 16};

}  // namespace

std::string evidenceFileName(Instant takenAt, std::string_view extension) {
    std::string stamp = iso8601String(takenAt);
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    return "evidence-" + stamp + "." + std::string(extension);
}

bool isEvidenceFileName(std::string_view name) {
    if (!name.starts_with(prefix) || name.size() < prefix.size() + stampLength + 1) {
        return false;
    }
    auto extension = name.substr(prefix.size() + stampLength + 1);
    if (extension != "jpg" && extension != "png") {
        return false;
    }
    std::string stamp(name.substr(prefix.size(), stampLength));
    for (auto at : timeSeparators) {
        if (stamp[at] != '-') {
            return false;
        }
        stamp[at] = ':';
    }
    // Parsing and writing the name again rejects every other spelling of a time.
    auto takenAt = parseISO8601(stamp);
    return takenAt && evidenceFileName(*takenAt, extension) == name;
}

}  // namespace veyrune

#include "verify/CollectorCopy.h"

#include <utility>

namespace veyrune {

CollectorCopy::CollectorCopy(std::function<void(std::string_view)> events,
                             std::vector<std::string>* seals, bool dropRepeatedEvents)
    : events_(std::move(events)), seals_(seals), dropRepeatedEvents_(dropRepeatedEvents) {}

bool CollectorCopy::isSealLine(std::string_view text) {
    // Seal lines begin with their epoch; event lines, keys sorted, with their context.
    return text.starts_with("{\"epoch\":");
}

void CollectorCopy::line(std::string_view text) {
    bool seal = isSealLine(text);
    if (!seal && !events_) {
        return;
    }
    bool blank = text.find_first_not_of(" \t") == std::string_view::npos;
    if (!blank && (seal || dropRepeatedEvents_) && !seen_.insert(LineFingerprint::of(text))) {
        ++repeats_;
        return;
    }
    if (!seal) {
        events_(text);
        return;
    }
    ++sealLines_;
    if (seals_) {
        seals_->emplace_back(text);
    }
}

}  // namespace veyrune

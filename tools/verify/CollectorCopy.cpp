#include "verify/CollectorCopy.h"

#include <utility>

namespace veyrune {

CollectorCopy::CollectorCopy(std::function<void(std::string_view)> events,
                             std::vector<std::string>* seals)
    : events_(std::move(events)), seals_(seals) {}

bool CollectorCopy::isSealLine(std::string_view text) {
    // Seal lines begin with their epoch; event lines, keys sorted, with their context.
    return text.starts_with("{\"epoch\":");
}

void CollectorCopy::line(std::string_view text) {
    if (!isSealLine(text)) {
        if (events_) {
            events_(text);
        }
        return;
    }
    if (!seen_.insert(LineFingerprint::of(text))) {
        ++repeats_;
        return;
    }
    ++sealLines_;
    if (seals_) {
        seals_->emplace_back(text);
    }
}

}  // namespace veyrune

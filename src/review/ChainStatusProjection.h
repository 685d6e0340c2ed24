#pragma once

#include <optional>
#include <string>

#include "record/ChainVerificationResult.h"
#include "review/DeliveryTimelineTintIntent.h"

namespace veyrune {

// The hash-chain verdict as the timeline shows it.
struct ChainStatusProjection {
    std::string title;
    std::optional<std::string> detail;
    std::string systemImage;
    DeliveryTimelineTintIntent tintIntent = DeliveryTimelineTintIntent::inactive;
    bool didVerify = false;  // the chain was found and checked (also for a break or gap)

    static ChainStatusProjection make(const ChainVerificationResult& result);
    bool operator==(const ChainStatusProjection&) const = default;
};

// The title, then " — " and the detail when there is one.
std::string chainSummaryText(const ChainStatusProjection& projection);

}  // namespace veyrune

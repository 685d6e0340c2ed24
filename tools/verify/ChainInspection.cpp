#include "verify/ChainInspection.h"

#include "review/ChainStatusProjection.h"

namespace veyrune {

namespace {

std::string lines(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " line" : " lines");
}

}  // namespace

void ChainInspection::line(std::string_view text) {
    if (repeats && repeats->isRepeat(text, chain())) {
        ++repeatedLines;
        return;
    }
    auto legacyBefore = chain().legacyCount();
    auto verifiedBefore = chain().verifiedCount();
    if (sealed) {
        sealed->add(text);
    } else {
        verifier_.add(text);
    }
    if (chain().legacyCount() != legacyBefore && !decoder_.decodeLogLine(text)) {
        ++unreadableLines;
    }
    if (repeats) {
        repeats->remember(text, chain(), verifiedBefore);
    }
}

std::pair<std::string, int> ChainInspection::verdict(std::uint64_t fileSize) const {
    using R = ChainVerificationResult;
    auto result = chain().result();
    auto summary = chainSummaryText(ChainStatusProjection::make(result));
    if (std::holds_alternative<R::Broken>(result.value) ||
        std::holds_alternative<R::Gap>(result.value)) {
        return {summary, 1};
    }
    if (std::holds_alternative<R::Empty>(result.value) && fileSize > 0) {
        return {"Log damaged \xe2\x80\x94 " + std::to_string(fileSize) +
                    " bytes but no entry, only blank lines",
                1};
    }
    if (unreadableLines > 0) {
        return {"Log damaged \xe2\x80\x94 " + lines(unreadableLines) +
                    " before the chain cannot be read as events; " + summary,
                1};
    }
    return {summary, 0};
}

}  // namespace veyrune

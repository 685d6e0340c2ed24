#include "review/ChainStatusProjection.h"

namespace veyrune {

namespace {

using Result = ChainVerificationResult;
using Tint = DeliveryTimelineTintIntent;

std::string number(std::int64_t value) {
    return std::to_string(value);
}

ChainStatusProjection project(const Result::Empty&) {
    return {"No events yet", std::nullopt, "shield", Tint::inactive, false};
}

ChainStatusProjection project(const Result::NotStarted& r) {
    std::string detail =
        number(r.legacyCount) + (r.legacyCount == 1 ? " entry predates tamper-evident logging."
                                                    : " entries predate tamper-evident logging.");
    return {"Chain not started", detail, "shield", Tint::inactive, false};
}

ChainStatusProjection project(const Result::Intact& r) {
    std::string detail = number(r.verifiedCount) +
                         (r.verifiedCount == 1 ? " entry verified (" : " entries verified (") +
                         number(r.firstSeq) + "\u2013" + number(r.lastSeq) + ")";
    if (r.legacyCount >= 1) {
        detail += " \u00b7 " + number(r.legacyCount) +
                  (r.legacyCount == 1 ? " earlier entry predates the chain"
                                      : " earlier entries predate the chain");
    }
    return {"Chain intact", detail, "checkmark.shield.fill", Tint::ready, true};
}

ChainStatusProjection project(const Result::Broken& r) {
    return {"Chain broken at entry " + number(r.atSeq),
            "Entry " + number(r.atSeq) + " does not follow from the one before it.",
            "exclamationmark.shield.fill", Tint::attention, true};
}

ChainStatusProjection project(const Result::Gap& r) {
    return {"Entries missing between " + number(r.fromSeq) + " and " + number(r.toSeq),
            "The log skips from entry " + number(r.fromSeq) + " to entry " + number(r.toSeq) + ".",
            "exclamationmark.shield.fill", Tint::attention, true};
}

}  // namespace

ChainStatusProjection ChainStatusProjection::make(const ChainVerificationResult& result) {
    return std::visit([](const auto& r) { return project(r); }, result.value);
}

std::string chainSummaryText(const ChainStatusProjection& projection) {
    if (!projection.detail) {
        return projection.title;
    }
    return projection.title + " \u2014 " + *projection.detail;
}

}  // namespace veyrune

#include "seal/SealSummaryText.h"

namespace veyrune {

namespace {

constexpr const char* kDash = " \xe2\x80\x94 ";

std::string entries(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

// "2026-12-07 14:15 UTC"
std::string minuteText(Instant instant) {
    auto iso = iso8601String(instant);
    return iso.substr(0, 10) + " " + iso.substr(11, 5) + " UTC";
}

std::string range(std::int64_t from, std::int64_t to) {
    return from == to ? "entry " + std::to_string(from)
                      : "entries " + std::to_string(from) + "\xe2\x80\x93" + std::to_string(to);
}

std::string failureText(const SealVerificationResult::Failed& f) {
    using F = SealVerificationResult::Failure;
    std::string seal =
        "seal " + std::to_string(f.sealLine) + " (epoch " + std::to_string(f.epoch) + ")";
    switch (f.failure) {
        case F::noSeals:
            return "no seal found: the seals file is missing or empty";
        case F::epochOutOfOrder:
            return seal + " is out of order";
        case F::missingEpochs:
            return "epochs " + std::to_string(f.firstMissing) + "\xe2\x80\x93" +
                   std::to_string(f.lastMissing) + " have no seal, before " + seal;
        case F::badMAC:
            return seal + " was not made with its epoch's key";
        case F::sealChainBroken:
            return seal + " does not follow the seal before it";
        case F::wrongSpan:
            return seal + " has a time span that is not its epoch's";
        case F::entryChanged:
            return std::string("changed after sealing: the first bad entry is ") +
                   (f.fromSeq == f.toSeq ? "" : "among ") + range(f.fromSeq, f.toSeq) +
                   " (sealed in epoch " + std::to_string(f.epoch) + ")";
        case F::entriesMissing:
            return "sealed " + range(f.fromSeq, f.toSeq) + " are missing (sealed in epoch " +
                   std::to_string(f.epoch) + ")";
        case F::chainBroken:
            return "not checked past the chain's break at entry " + std::to_string(f.fromSeq);
    }
    return "failed";
}

}  // namespace

std::string sealSummaryText(const SealVerificationResult& result) {
    if (auto* sealed = std::get_if<SealVerificationResult::Sealed>(&result.value)) {
        std::string text = "Sealed through " + minuteText(sealed->through) + kDash +
                           entries(sealed->sealedEntries);
        if (sealed->unsealedEntries > 0) {
            text += "; " + entries(sealed->unsealedEntries) + " since the last seal " +
                    (sealed->unsealedEntries == 1 ? "is" : "are") + " not sealed yet";
        }
        return text;
    }
    return std::string("Seals failed") + kDash +
           failureText(std::get<SealVerificationResult::Failed>(result.value));
}

}  // namespace veyrune

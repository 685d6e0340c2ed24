// The chain verifier, two ways. Even first byte: the rest is a log file, split
// into lines as the readers split it; the verdict must be consistent with the
// lines. Odd first byte: the lines become the summaries of a correctly sealed
// chain, which must verify intact; then one byte of a line before the last is
// changed, and the chain must no longer verify.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <simdjson.h>

#include "FuzzCheck.h"
#include "record/EventChain.h"
#include "record/EventChainVerifier.h"
#include "record/JSONLines.h"

using namespace veyrune;

namespace {

using Result = ChainVerificationResult;

void checkVerdict(const std::vector<std::string>& lines) {
    Result result = EventChainVerifier::verify(lines);
    if (const auto* intact = std::get_if<Result::Intact>(&result.value)) {
        fuzz::require(intact->verifiedCount >= 1, "an intact chain has a line");
        fuzz::require(intact->verifiedCount + intact->legacyCount <= std::int64_t(lines.size()),
                      "no more lines counted than given");
        fuzz::require(intact->lastSeq - intact->firstSeq + 1 == intact->verifiedCount,
                      "an intact chain has no holes");
    }
    if (lines.empty()) {
        fuzz::require(result == Result::empty(), "no lines is empty");
    }
}

SecurityEvent eventWithSummary(std::string summary) {
    SecurityEvent event;
    event.id = Uuid::random();
    event.occurredAt = referenceDate() + std::chrono::seconds(800'000'000);
    event.kind = SecurityEventKind::usbAttached;
    event.summary = std::move(summary);
    return event;
}

// The non-empty lines of a text, as the log holds them.
std::vector<std::string_view> splitJSONLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (end > start) {
            lines.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return lines;
}

// Only valid UTF-8 makes an event summary.
bool isValidUTF8(std::string_view text) {
    return simdjson::validate_utf8(text.data(), text.size());
}

std::vector<std::string> sealedChain(const std::vector<std::string_view>& summaries) {
    std::vector<std::string> lines;
    for (auto summary : summaries) {
        if (!isValidUTF8(summary)) {
            continue;
        }
        SecurityEvent event = eventWithSummary(std::string(summary));
        EventChain::Header header = EventChain::nextHeader(lines);
        event.seq = header.seq;
        event.prev = header.prev;
        lines.push_back(EventChain::canonicalLine(event));
    }
    return lines;
}

void checkSealedChain(std::uint8_t choice, std::string_view text) {
    auto lines = sealedChain(splitJSONLines(text));
    Result result = EventChainVerifier::verify(lines);
    auto count = std::int64_t(lines.size());
    if (lines.empty()) {
        fuzz::require(result == Result::empty(), "no lines is empty");
        return;
    }
    fuzz::require(result == Result::intact(count, 0, 1, count), "a sealed chain is intact");
    if (lines.size() < 2) {
        return;
    }
    std::string& edited = lines[choice % (lines.size() - 1)];
    edited[(std::size_t(choice) * 7919) % edited.size()] ^= 0x20;
    result = EventChainVerifier::verify(lines);
    fuzz::require(!std::holds_alternative<Result::Intact>(result.value),
                  "an edit before the last line is seen");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] % 2 == 0) {
        std::vector<std::string> lines;
        for (auto line : splitJSONLines(text)) {
            lines.emplace_back(line);
        }
        checkVerdict(lines);
    } else {
        checkSealedChain(data[0] / 2, text);
    }
    return 0;
}

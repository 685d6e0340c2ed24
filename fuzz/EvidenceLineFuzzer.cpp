// Evidence log lines, read as the evidence store reads them: decoding never
// fails loudly, and a decoded item survives its own encoding unchanged.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "record/RecordCoding.h"

using namespace veyrune;

namespace {

std::optional<EvidenceItem> decodeLine(std::string_view line) {
    auto value = parseJSON(line);
    if (!value) {
        return std::nullopt;
    }
    return evidenceItemFromJSON(*value, DateEncoding::referenceSeconds);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto item = decodeLine(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!item) {
        return 0;
    }
    std::string line;
    try {
        line = defaultEncodedText(toJSON(*item, DateEncoding::referenceSeconds));
    } catch (const nlohmann::json::type_error&) {
        return 0;  // a file URL that is not UTF-8: the store refuses to write it
    }
    auto again = decodeLine(line);
    fuzz::require(again.has_value(), "an encoded item decodes");
    fuzz::require(defaultEncodedText(toJSON(*again, DateEncoding::referenceSeconds)) == line,
                  "encoding is stable");
    return 0;
}

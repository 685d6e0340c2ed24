// Stored event lines: decoding never fails loudly, and whatever decodes
// survives the log's own encoding unchanged (encode, decode, encode again).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "record/EventChain.h"
#include "record/SecurityEventDecoder.h"

using namespace veyrune;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    SecurityEventDecoder decoder;
    (void)decoder.chainFields(text);
    auto event = decoder.decodeLogLine(text);
    if (!event) {
        return 0;
    }
    std::string line = EventChain::canonicalLine(*event);
    auto again = decoder.decodeLogLine(line);
    fuzz::require(again.has_value(), "an encoded event decodes");
    fuzz::require(EventChain::canonicalLine(*again) == line, "encoding is stable");
    auto fields = decoder.chainFields(line);
    fuzz::require(fields && fields->seq == event->seq, "the chain fields survive");
    return 0;
}

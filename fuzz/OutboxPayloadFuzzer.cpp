// Outbox payloads as read back from the store: decoding never fails loudly,
// and a decoded event survives the payload encoding unchanged.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "record/RecordCoding.h"

using namespace veyrune;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto event = decodeEventPayload(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!event) {
        return 0;
    }
    std::string payload = encodeEventPayload(*event);
    auto again = decodeEventPayload(payload);
    fuzz::require(again.has_value(), "an encoded payload decodes");
    fuzz::require(encodeEventPayload(*again) == payload, "encoding is stable");
    return 0;
}

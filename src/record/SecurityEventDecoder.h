#pragma once

#include <simdjson.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "record/RecordCoding.h"
#include "record/SecurityEvent.h"

namespace veyrune {

// Fast decoding of stored event lines (simdjson), for the read paths that walk
// a whole log. Keeps its parser between calls, so one decoder serves one
// thread; make one per read.
class SecurityEventDecoder {
  public:
    // The chain fields of a line, read leniently: each is absent when missing,
    // null or of another type. Nothing when the line is not a JSON object.
    struct ChainFields {
        std::optional<std::int64_t> seq;
        std::optional<std::string_view> prev;  // valid until the next call
    };

    // A whole event; nothing when a required field is missing or mistyped.
    std::optional<SecurityEvent> decode(std::string_view text, DateEncoding dates);
    // ISO dates first, then numeric dates, as older log lines carry them.
    std::optional<SecurityEvent> decodeLogLine(std::string_view text);
    std::optional<ChainFields> chainFields(std::string_view text);
    // The chain fields and the event's "id" as stored, to find one event in
    // two copies of a log. Nothing when the line is not a JSON object.
    struct LineKey {
        ChainFields chain;
        std::optional<std::string_view> id;  // valid until the next call
    };
    std::optional<LineKey> lineKey(std::string_view text);

  private:
    std::optional<simdjson::dom::object> parseObject(std::string_view text);
    static ChainFields readChainFields(const simdjson::dom::object& obj);

    simdjson::dom::parser parser_;
};

}  // namespace veyrune

#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "record/DeliveryAttempt.h"
#include "record/EvidenceItem.h"
#include "record/RawSystemEvent.h"
#include "record/SecurityEvent.h"

namespace veyrune {

// How dates appear in a JSON record. The event log writes ISO 8601 strings;
// the evidence log and the outbox payload write seconds since 2001-01-01Z.
enum class DateEncoding { iso8601, referenceSeconds };

// JSON values of the records. Absent optionals are omitted, never null.
nlohmann::json toJSON(const EventContext& context);
nlohmann::json toJSON(const SecurityEvent& event, DateEncoding dates);
nlohmann::json toJSON(const RawSystemEvent& event, DateEncoding dates);
nlohmann::json toJSON(const EvidenceItem& item, DateEncoding dates);
nlohmann::json toJSON(const DeliveryAttempt& attempt, DateEncoding dates);

// Decoding (events are decoded by SecurityEventDecoder): a missing required key or a value of the
// wrong type gives nothing; a missing key or a null leaves an optional field absent.
std::optional<RawSystemEvent> rawSystemEventFromJSON(const nlohmann::json& json,
                                                     DateEncoding dates);
std::optional<EvidenceItem> evidenceItemFromJSON(const nlohmann::json& json, DateEncoding dates);
std::optional<DeliveryAttempt> deliveryAttemptFromJSON(const nlohmann::json& json,
                                                       DateEncoding dates);

// Text forms. `compactText` gives sorted keys, no white space, "/" unescaped and
// UTF-8 written raw; it throws nlohmann::json::type_error on invalid UTF-8.
// `defaultEncodedText` is the same with every "/" escaped as "\/".
std::string compactText(const nlohmann::json& json);
std::string defaultEncodedText(const nlohmann::json& json);
// Compact JSON text with every "/" escaped as "\/".
std::string escapingSolidus(std::string_view compactJSON);
// Parses one JSON text; nothing when it is not JSON.
std::optional<nlohmann::json> parseJSON(std::string_view text);

// The outbox payload form of an event (numeric dates, escaped solidus), and back.
std::string encodeEventPayload(const SecurityEvent& event);
std::optional<SecurityEvent> decodeEventPayload(std::string_view payload);

}  // namespace veyrune

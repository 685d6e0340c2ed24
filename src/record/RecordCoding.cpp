#include "record/RecordCoding.h"

#include <limits>

#include "record/SecurityEventDecoder.h"

namespace veyrune {

using nlohmann::json;

namespace {

json dateJSON(Instant instant, DateEncoding dates) {
    if (dates == DateEncoding::iso8601) {
        return iso8601String(instant);
    }
    return secondsSinceReferenceDate(instant);
}

// Each reader answers false when the key is missing or has the wrong type.
bool readDate(const json& object, const char* key, DateEncoding dates, Instant& out) {
    auto it = object.find(key);
    if (it == object.end()) {
        return false;
    }
    if (dates == DateEncoding::iso8601) {
        if (!it->is_string()) {
            return false;
        }
        auto parsed = parseISO8601(it->get_ref<const std::string&>());
        if (!parsed) {
            return false;
        }
        out = *parsed;
        return true;
    }
    if (!it->is_number()) {
        return false;
    }
    auto date = checkedInstantFromReferenceSeconds(it->get<double>());
    out = date.value_or(out);
    return date.has_value();
}

bool readString(const json& object, const char* key, std::string& out) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) {
        return false;
    }
    out = it->get<std::string>();
    return true;
}

bool readInt(const json& value, std::int64_t& out) {
    if (value.is_number_integer() && !value.is_number_unsigned()) {
        out = value.get<std::int64_t>();
        return true;
    }
    if (value.is_number_unsigned()) {
        auto u = value.get<std::uint64_t>();
        if (u > std::uint64_t(std::numeric_limits<std::int64_t>::max())) {
            return false;
        }
        out = std::int64_t(u);
        return true;
    }
    return false;
}

bool readUuid(const json& object, const char* key, Uuid& out) {
    std::string text;
    if (!readString(object, key, text)) {
        return false;
    }
    auto parsed = Uuid::parse(text);
    if (!parsed) {
        return false;
    }
    out = *parsed;
    return true;
}

// Optional fields: absent or null is fine (true with nothing set); a present
// value of the wrong type is a decoding failure (false).
bool readOptionalString(const json& object, const char* key, std::optional<std::string>& out) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return true;
    }
    if (!it->is_string()) {
        return false;
    }
    out = it->get<std::string>();
    return true;
}

bool readOptionalDate(const json& object, const char* key, DateEncoding dates,
                      std::optional<Instant>& out) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return true;
    }
    Instant value;
    if (!readDate(object, key, dates, value)) {
        return false;
    }
    out = value;
    return true;
}

void putOptional(json& object, const char* key, const std::optional<std::string>& value) {
    if (value) {
        object[key] = *value;
    }
}

}  // namespace

json toJSON(const EventContext& context) {
    json object = json::object();
    if (context.batteryPercent) {
        object["batteryPercent"] = *context.batteryPercent;
    }
    putOptional(object, "wifiSSID", context.wifiSSID);
    putOptional(object, "machineName", context.machineName);
    putOptional(object, "userName", context.userName);
    putOptional(object, "wakeReason", context.wakeReason);
    return object;
}

json toJSON(const SecurityEvent& event, DateEncoding dates) {
    json ids = json::array();
    for (const auto& id : event.evidenceIDs) {
        ids.push_back(id.uuidString());
    }
    json object = {
        {"id", event.id.uuidString()},
        {"occurredAt", dateJSON(event.occurredAt, dates)},
        {"kind", std::string(rawValue(event.kind))},
        {"summary", event.summary},
        {"context", toJSON(event.context)},
        {"evidenceIDs", std::move(ids)},
    };
    if (event.seq) {
        object["seq"] = *event.seq;
    }
    putOptional(object, "prev", event.prev);
    return object;
}

json toJSON(const RawSystemEvent& event, DateEncoding dates) {
    return {
        {"id", event.id.uuidString()},
        {"occurredAt", dateJSON(event.occurredAt, dates)},
        {"kind", std::string(rawValue(event.kind))},
        {"details", event.details},
    };
}

json toJSON(const EvidenceItem& item, DateEncoding dates) {
    return {
        {"id", item.id.uuidString()},
        {"eventID", item.eventID.uuidString()},
        {"kind", std::string(rawValue(item.kind))},
        {"fileURL", item.fileURL},
        {"createdAt", dateJSON(item.createdAt, dates)},
        {"byteCount", item.byteCount},
    };
}

json toJSON(const DeliveryAttempt& attempt, DateEncoding dates) {
    json object = {
        {"id", attempt.id.uuidString()},
        {"eventID", attempt.eventID.uuidString()},
        {"channel", std::string(rawValue(attempt.channel))},
        {"status", std::string(rawValue(attempt.status))},
        {"attempts", attempt.attempts},
    };
    if (attempt.nextAttemptAt) {
        object["nextAttemptAt"] = dateJSON(*attempt.nextAttemptAt, dates);
    }
    putOptional(object, "lastError", attempt.lastError);
    return object;
}

std::optional<RawSystemEvent> rawSystemEventFromJSON(const json& object, DateEncoding dates) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    RawSystemEvent event;
    std::string kind;
    if (!readUuid(object, "id", event.id) ||
        !readDate(object, "occurredAt", dates, event.occurredAt) ||
        !readString(object, "kind", kind)) {
        return std::nullopt;
    }
    auto parsedKind = securityEventKindFromRaw(kind);
    auto details = object.find("details");
    if (!parsedKind || details == object.end() || !details->is_object()) {
        return std::nullopt;
    }
    event.kind = *parsedKind;
    for (const auto& [key, value] : details->items()) {
        if (!value.is_string()) {
            return std::nullopt;
        }
        event.details[key] = value.get<std::string>();
    }
    return event;
}

std::optional<EvidenceItem> evidenceItemFromJSON(const json& object, DateEncoding dates) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    EvidenceItem item;
    std::string kind;
    auto byteCount = object.find("byteCount");
    if (!readUuid(object, "id", item.id) || !readUuid(object, "eventID", item.eventID) ||
        !readString(object, "kind", kind) || !readString(object, "fileURL", item.fileURL) ||
        !readDate(object, "createdAt", dates, item.createdAt) || byteCount == object.end() ||
        !readInt(*byteCount, item.byteCount)) {
        return std::nullopt;
    }
    auto parsedKind = evidenceKindFromRaw(kind);
    if (!parsedKind) {
        return std::nullopt;
    }
    item.kind = *parsedKind;
    return item;
}

std::optional<DeliveryAttempt> deliveryAttemptFromJSON(const json& object, DateEncoding dates) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    DeliveryAttempt attempt;
    std::string channel, status;
    auto attempts = object.find("attempts");
    if (!readUuid(object, "id", attempt.id) || !readUuid(object, "eventID", attempt.eventID) ||
        !readString(object, "channel", channel) || !readString(object, "status", status) ||
        attempts == object.end() || !readInt(*attempts, attempt.attempts) ||
        !readOptionalDate(object, "nextAttemptAt", dates, attempt.nextAttemptAt) ||
        !readOptionalString(object, "lastError", attempt.lastError)) {
        return std::nullopt;
    }
    auto parsedChannel = deliveryChannelKindFromRaw(channel);
    auto parsedStatus = deliveryAttemptStatusFromRaw(status);
    if (!parsedChannel || !parsedStatus) {
        return std::nullopt;
    }
    attempt.channel = *parsedChannel;
    attempt.status = *parsedStatus;
    return attempt;
}

std::string compactText(const json& value) {
    return value.dump();
}

std::string defaultEncodedText(const json& value) {
    return escapingSolidus(value.dump());
}

std::string escapingSolidus(std::string_view text) {
    // Outside strings compact JSON has no "/", so escaping every one is safe.
    std::string escaped;
    escaped.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '/') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

std::optional<json> parseJSON(std::string_view text) {
    json value = json::parse(text, nullptr, false);
    if (value.is_discarded()) {
        return std::nullopt;
    }
    return value;
}

std::string encodeEventPayload(const SecurityEvent& event) {
    return defaultEncodedText(toJSON(event, DateEncoding::referenceSeconds));
}

std::optional<SecurityEvent> decodeEventPayload(std::string_view payload) {
    return SecurityEventDecoder().decode(payload, DateEncoding::referenceSeconds);
}

}  // namespace veyrune

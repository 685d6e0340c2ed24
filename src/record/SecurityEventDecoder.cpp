#include "record/SecurityEventDecoder.h"

namespace veyrune {

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;
using simdjson::dom::object;

// A field that must be there.
std::optional<element> required(const object& obj, std::string_view key) {
    element value;
    if (obj.at_key(key).get(value)) {
        return std::nullopt;
    }
    return value;
}

bool isAbsent(const object& obj, std::string_view key, element& value) {
    return obj.at_key(key).get(value) != simdjson::SUCCESS || value.is_null();
}

bool readString(const element& value, std::string& out) {
    std::string_view text;
    if (value.get_string().get(text)) {
        return false;
    }
    out.assign(text);
    return true;
}

bool readInt(const element& value, std::int64_t& out) {
    // Only JSON integers; a UINT64 beyond the signed range is a failure.
    return value.type() == element_type::INT64 && !value.get_int64().get(out);
}

bool readDate(const element& value, DateEncoding dates, Instant& out) {
    if (dates == DateEncoding::iso8601) {
        std::string_view text;
        if (value.get_string().get(text)) {
            return false;
        }
        auto parsed = parseISO8601(text);
        if (!parsed) {
            return false;
        }
        out = *parsed;
        return true;
    }
    double seconds = 0;
    if (!value.is_number() || value.get_double().get(seconds)) {
        return false;
    }
    auto date = checkedInstantFromReferenceSeconds(seconds);
    out = date.value_or(out);
    return date.has_value();
}

bool readOptionalString(const object& obj, std::string_view key, std::optional<std::string>& out) {
    element value;
    if (isAbsent(obj, key, value)) {
        return true;
    }
    std::string text;
    if (!readString(value, text)) {
        return false;
    }
    out = std::move(text);
    return true;
}

bool readOptionalInt(const object& obj, std::string_view key, std::optional<std::int64_t>& out) {
    element value;
    if (isAbsent(obj, key, value)) {
        return true;
    }
    std::int64_t number = 0;
    if (!readInt(value, number)) {
        return false;
    }
    out = number;
    return true;
}

bool readContext(const element& value, EventContext& context) {
    object obj;
    if (value.get_object().get(obj)) {
        return false;
    }
    return readOptionalInt(obj, "batteryPercent", context.batteryPercent) &&
           readOptionalString(obj, "wifiSSID", context.wifiSSID) &&
           readOptionalString(obj, "machineName", context.machineName) &&
           readOptionalString(obj, "userName", context.userName) &&
           readOptionalString(obj, "wakeReason", context.wakeReason);
}

bool readEvidenceIDs(const element& value, std::vector<Uuid>& out) {
    simdjson::dom::array ids;
    if (value.get_array().get(ids)) {
        return false;
    }
    for (element id : ids) {
        std::string_view text;
        if (id.get_string().get(text)) {
            return false;
        }
        auto parsed = Uuid::parse(text);
        if (!parsed) {
            return false;
        }
        out.push_back(*parsed);
    }
    return true;
}

bool readRequired(const object& obj, DateEncoding dates, SecurityEvent& event) {
    auto id = required(obj, "id");
    auto occurredAt = required(obj, "occurredAt");
    auto kind = required(obj, "kind");
    auto summary = required(obj, "summary");
    auto context = required(obj, "context");
    auto evidenceIDs = required(obj, "evidenceIDs");
    if (!id || !occurredAt || !kind || !summary || !context || !evidenceIDs) {
        return false;
    }
    std::string_view idText, kindText;
    if (id->get_string().get(idText) || kind->get_string().get(kindText)) {
        return false;
    }
    auto parsedID = Uuid::parse(idText);
    auto parsedKind = securityEventKindFromRaw(kindText);
    if (!parsedID || !parsedKind) {
        return false;
    }
    event.id = *parsedID;
    event.kind = *parsedKind;
    return readDate(*occurredAt, dates, event.occurredAt) && readString(*summary, event.summary) &&
           readContext(*context, event.context) && readEvidenceIDs(*evidenceIDs, event.evidenceIDs);
}

}  // namespace

std::optional<object> SecurityEventDecoder::parseObject(std::string_view text) {
    element root;
    object obj;
    if (parser_.parse(text.data(), text.size(), true).get(root) || root.get_object().get(obj)) {
        return std::nullopt;
    }
    return obj;
}

std::optional<SecurityEvent> SecurityEventDecoder::decode(std::string_view text,
                                                          DateEncoding dates) {
    auto obj = parseObject(text);
    SecurityEvent event;
    if (!obj || !readRequired(*obj, dates, event) || !readOptionalInt(*obj, "seq", event.seq) ||
        !readOptionalString(*obj, "prev", event.prev)) {
        return std::nullopt;
    }
    return event;
}

std::optional<SecurityEvent> SecurityEventDecoder::decodeLogLine(std::string_view text) {
    auto obj = parseObject(text);
    if (!obj) {
        return std::nullopt;
    }
    for (auto dates : {DateEncoding::iso8601, DateEncoding::referenceSeconds}) {
        SecurityEvent event;
        if (readRequired(*obj, dates, event) && readOptionalInt(*obj, "seq", event.seq) &&
            readOptionalString(*obj, "prev", event.prev)) {
            return event;
        }
    }
    return std::nullopt;
}

std::optional<SecurityEventDecoder::ChainFields> SecurityEventDecoder::chainFields(
    std::string_view text) {
    auto obj = parseObject(text);
    if (!obj) {
        return std::nullopt;
    }
    return readChainFields(*obj);
}

std::optional<SecurityEventDecoder::LineKey> SecurityEventDecoder::lineKey(std::string_view text) {
    auto obj = parseObject(text);
    if (!obj) {
        return std::nullopt;
    }
    LineKey key{readChainFields(*obj), std::nullopt};
    element value;
    std::string_view id;
    if (!obj->at_key("id").get(value) && !value.get_string().get(id)) {
        key.id = id;
    }
    return key;
}

SecurityEventDecoder::ChainFields SecurityEventDecoder::readChainFields(const object& obj) {
    ChainFields fields;
    element value;
    std::int64_t seq = 0;
    if (!obj.at_key("seq").get(value) && readInt(value, seq)) {
        fields.seq = seq;
    }
    std::string_view prev;
    if (!obj.at_key("prev").get(value) && !value.get_string().get(prev)) {
        fields.prev = prev;
    }
    return fields;
}

}  // namespace veyrune

#include "forward/SyslogMessage.h"

#include <nlohmann/json.hpp>
#include <optional>

namespace veyrune {

namespace {

// Facility "log audit" (13), severity informational (6).
constexpr std::string_view kPriority = "<110>1 ";
constexpr std::size_t kHostNameLimit = 255;
constexpr std::size_t kMessageIDLimit = 32;

struct LineFields {
    std::string kind;
    std::optional<std::int64_t> seq;
    std::string time;
};

std::string stringField(const nlohmann::json& object, const char* key) {
    auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : "";
}

LineFields fieldsOf(const ForwardedLine& line) {
    LineFields fields;
    auto json = nlohmann::json::parse(line.text, nullptr, false);
    if (!json.is_object()) {
        return fields;
    }
    if (auto seq = json.find("seq"); seq != json.end() && seq->is_number_integer()) {
        fields.seq = seq->get<std::int64_t>();
    }
    bool seal = line.log == ForwardedLog::seals;
    fields.kind = seal ? std::string(SyslogMessage::sealMessageID) : stringField(json, "kind");
    fields.time = stringField(json, seal ? "sealedAt" : "occurredAt");
    return fields;
}

// An RFC 3339 time as the log writes it ("2026-12-07T03:31:34Z"); nil otherwise.
std::string timestampField(const std::string& time) {
    bool plain = time.size() == 20 && time[4] == '-' && time[10] == 'T' && time.back() == 'Z';
    return plain ? time : "-";
}

}  // namespace

std::string SyslogMessage::escapeParamValue(std::string_view value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (char c : value) {
        if (c == '"' || c == '\\' || c == ']') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

std::string SyslogMessage::headerField(std::string_view text, std::size_t limit) {
    std::string field;
    for (char c : text) {
        if (field.size() == limit) {
            break;
        }
        if (c > ' ' && c < 0x7f) {
            field += c;
        }
    }
    return field.empty() ? "-" : field;
}

std::string SyslogMessage::format(const ForwardedLine& line, std::string_view hostName) {
    auto fields = fieldsOf(line);
    auto messageID = headerField(fields.kind, kMessageIDLimit);
    bool kindFits = messageID == fields.kind;
    std::string message(kPriority);
    message += timestampField(fields.time);
    message += ' ';
    message += headerField(hostName, kHostNameLimit);
    message += ' ';
    message += appName;
    message += " - ";
    message += kindFits ? messageID : "-";
    message += " [";
    message += structuredDataID;
    if (fields.seq) {
        message += " seq=\"" + std::to_string(*fields.seq) + '"';
    }
    if (!kindFits && !fields.kind.empty()) {
        // A kind that cannot be a MSGID still travels, as a parameter.
        message += " kind=\"" + escapeParamValue(fields.kind) + '"';
    }
    message += "] ";
    message += line.text;
    return message;
}

}  // namespace veyrune

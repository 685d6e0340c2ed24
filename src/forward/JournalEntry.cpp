#include "forward/JournalEntry.h"

#include <syslog.h>

#include <array>

#include "seal/Seal.h"

namespace veyrune {

namespace {

// Notice: someone may be at the machine or plugging something in. Info: the
// machine going quiet, or routine changes of its outputs. Warning: the log
// holds a line it cannot read (damage or tampering). Nothing is an error:
// recording worked, and higher levels reach consoles and every terminal.
struct CatalogRow {
    SecurityEventKind kind;
    std::string_view messageID;
    int priority;
};

constexpr std::array<CatalogRow, 11> kCatalog = {{
    {SecurityEventKind::didWake, "21b139be719e4aa5ae68c9290183d821", LOG_NOTICE},
    {SecurityEventKind::willSleep, "ebad2fe9c95b4e6ca26f394ae405301d", LOG_INFO},
    {SecurityEventKind::screenLocked, "4cd4de821be34a4e8e0fc85a31106cb2", LOG_INFO},
    {SecurityEventKind::screenUnlocked, "068bcb39e12440a8b312ead01e9da569", LOG_NOTICE},
    {SecurityEventKind::usbAttached, "3bd49cf7d9214f82a727b11d0afc54c6", LOG_NOTICE},
    {SecurityEventKind::usbDetached, "38c1f79146e44a98855fa23adfa1a7fc", LOG_INFO},
    {SecurityEventKind::volumeMounted, "acabef99c0eb4b9b9c1c9ea4b78cb932", LOG_NOTICE},
    {SecurityEventKind::volumeUnmounted, "f5d925d4dfd648dbaa5113b05faca665", LOG_INFO},
    {SecurityEventKind::displayAdded, "97d2ed32c5fe4419bb010f91789e532a", LOG_INFO},
    {SecurityEventKind::displayRemoved, "311b39edb47f457b9721ae346c5e1746", LOG_INFO},
    {SecurityEventKind::audioOutputChanged, "1e13f5f2b72f4dc4915975b4ed13c2e4", LOG_INFO},
}};

// The messages of entries that carry no event summary.
constexpr std::string_view kUnreadableEventLine = "Event log line that cannot be read";
constexpr std::string_view kUnreadableSealLine = "Seal line that cannot be read";
constexpr std::string_view kSealedThrough = "Event log sealed through entry ";
constexpr std::string_view kSealedEmpty = "Event log sealed with no entries yet";
constexpr std::string_view kClosingSuffix = " (closing seal)";

const CatalogRow& rowOf(SecurityEventKind kind) {
    for (const auto& row : kCatalog) {
        if (row.kind == kind) {
            return row;
        }
    }
    return kCatalog.front();  // unreachable: every kind has a row
}

class Builder {
  public:
    void add(std::string_view name, std::string value) {
        entry_.fields.push_back({std::string(name), std::move(value)});
    }
    void addPresent(std::string_view name, const std::optional<std::string>& value) {
        if (value) {
            add(name, *value);
        }
    }
    void header(std::string_view message, std::string_view messageID, int priority) {
        add("MESSAGE", std::string(message));
        add("MESSAGE_ID", std::string(messageID));
        add("PRIORITY", std::to_string(priority));
        add("SYSLOG_IDENTIFIER", "veyrune");
    }
    JournalEntry take() { return std::move(entry_); }

  private:
    JournalEntry entry_;
};

void addEvent(Builder& entry, const SecurityEvent& event) {
    const auto& row = rowOf(event.kind);
    entry.header(event.summary.empty() ? displayTitle(event.kind) : event.summary, row.messageID,
                 row.priority);
    entry.add("VEYRUNE_KIND", std::string(rawValue(event.kind)));
    if (event.seq) {
        entry.add("VEYRUNE_SEQ", std::to_string(*event.seq));
    }
    entry.add("VEYRUNE_ID", event.id.uuidString());
    // The journal's own time is when the entry arrived, which may be much
    // later when a backlog goes out.
    entry.add("VEYRUNE_OCCURRED_AT", iso8601String(event.occurredAt));
    const auto& context = event.context;
    if (context.batteryPercent) {
        entry.add("VEYRUNE_BATTERY_PERCENT", std::to_string(*context.batteryPercent));
    }
    entry.addPresent("VEYRUNE_MACHINE_NAME", context.machineName);
    entry.addPresent("VEYRUNE_USER_NAME", context.userName);
    entry.addPresent("VEYRUNE_WAKE_REASON", context.wakeReason);
    entry.addPresent("VEYRUNE_WIFI_SSID", context.wifiSSID);
}

void addUnreadableEvent(Builder& entry, std::string_view line, SecurityEventDecoder& decoder) {
    entry.header(kUnreadableEventLine, unreadableLineJournalMessageID, LOG_WARNING);
    // Its place in the chain, when that much can still be read.
    auto chain = decoder.chainFields(line);
    if (chain && chain->seq) {
        entry.add("VEYRUNE_SEQ", std::to_string(*chain->seq));
    }
}

void addSeal(Builder& entry, std::string_view line) {
    auto seal = Seal::parse(line);
    if (!seal) {
        entry.header(kUnreadableSealLine, sealJournalMessageID, LOG_WARNING);
        return;
    }
    std::string message = seal->seq > 0 ? std::string(kSealedThrough) + std::to_string(seal->seq)
                                        : std::string(kSealedEmpty);
    if (seal->closing) {
        message += kClosingSuffix;
    }
    entry.header(message, sealJournalMessageID, LOG_INFO);
    entry.add("VEYRUNE_SEAL_EPOCH", std::to_string(seal->epoch));
    entry.add("VEYRUNE_SEALED_SEQ", std::to_string(seal->seq));
}

}  // namespace

JournalEntry JournalEntry::make(const ForwardedLine& line, SecurityEventDecoder& decoder) {
    Builder entry;
    if (line.log == ForwardedLog::seals) {
        addSeal(entry, line.text);
        entry.add("VEYRUNE_SEAL", line.text);
        return entry.take();
    }
    if (auto event = decoder.decodeLogLine(line.text)) {
        addEvent(entry, *event);
    } else {
        addUnreadableEvent(entry, line.text, decoder);
    }
    entry.add("VEYRUNE_LINE", line.text);
    return entry.take();
}

std::optional<std::string_view> JournalEntry::value(std::string_view name) const {
    for (const auto& field : fields) {
        if (field.name == name) {
            return field.value;
        }
    }
    return std::nullopt;
}

std::string_view journalMessageID(SecurityEventKind kind) {
    return rowOf(kind).messageID;
}

int journalPriority(SecurityEventKind kind) {
    return rowOf(kind).priority;
}

}  // namespace veyrune

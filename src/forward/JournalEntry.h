#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forward/LineSink.h"
#include "record/SecurityEventDecoder.h"
#include "record/SecurityEventKind.h"

namespace veyrune {

// One field of a journal entry. The value is any bytes (line breaks, NULs,
// invalid UTF-8): the journal stores it as it is.
struct JournalField {
    std::string name;  // "A"-"Z", "0"-"9" and "_", not starting with "_" or a digit
    std::string value;

    bool operator==(const JournalField&) const = default;
};

// What one stored line becomes in the system journal: the event's summary as
// MESSAGE, a fixed MESSAGE_ID per kind, PRIORITY, SYSLOG_IDENTIFIER=veyrune, the
// event's fields as VEYRUNE_*, and the exact line as VEYRUNE_LINE (a seal's as
// VEYRUNE_SEAL), so the chain can be checked from the journal. A line that
// cannot be read still becomes an entry: nothing is dropped.
struct JournalEntry {
    std::vector<JournalField> fields;

    // `decoder` is only borrowed for the call.
    static JournalEntry make(const ForwardedLine& line, SecurityEventDecoder& decoder);

    // The value of the field named `name`, if the entry has one.
    std::optional<std::string_view> value(std::string_view name) const;
};

// The catalog identifiers: 32 lowercase hexadecimal digits each, fixed for
// good so that filters and catalog entries written against them keep working.
std::string_view journalMessageID(SecurityEventKind kind);
inline constexpr std::string_view sealJournalMessageID = "1a5f410477c54e0c9a620b4841fc8138";
inline constexpr std::string_view unreadableLineJournalMessageID =
    "668be238510d47bfaaa2adf003f43bf9";

// The syslog level (0 emergency ... 7 debug) of an event of `kind`.
int journalPriority(SecurityEventKind kind);

}  // namespace veyrune

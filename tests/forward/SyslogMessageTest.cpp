#include "forward/SyslogMessage.h"

#include <gtest/gtest.h>

#include "forward/CollectorAddress.h"

namespace veyrune {
namespace {

TEST(SyslogMessage, HeadersCarryKindSeqAndTimeAndTheBodyIsTheStoredLineExactly) {
    struct Case {
        const char* name;
        ForwardedLine line;
        std::string host;
        std::string header;  // everything before the body
    };
    const std::string event =
        R"({"id":"A","kind":"didWake","occurredAt":"2026-12-07T03:31:34Z","seq":42,"summary":"Wake é"})";
    const std::string seal = R"({"epoch":7,"sealedAt":"2026-12-07T03:45:00Z","seq":42,"mac":"x"})";
    std::vector<Case> cases{
        {"event",
         {ForwardedLog::events, event},
         "laptop",
         "<110>1 2026-12-07T03:31:34Z laptop veyrune - didWake [veyrune@32473 seq=\"42\"] "},
        {"seal",
         {ForwardedLog::seals, seal},
         "laptop",
         "<110>1 2026-12-07T03:45:00Z laptop veyrune - seal [veyrune@32473 seq=\"42\"] "},
        {"not JSON: nil fields, the line still goes",
         {ForwardedLog::events, "garbled \xff"},
         "",
         "<110>1 - - veyrune - - [veyrune@32473] "},
        {"legacy line without seq, numeric date",
         {ForwardedLog::events, R"({"kind":"screenLocked","occurredAt":540.5})"},
         "pc",
         "<110>1 - pc veyrune - screenLocked [veyrune@32473] "},
        {"a kind no MSGID can hold travels escaped in the structured data",
         {ForwardedLog::events, R"({"kind":"bad kind \"]\\","seq":3})"},
         "pc",
         "<110>1 - pc veyrune - - [veyrune@32473 seq=\"3\" kind=\"bad kind \\\"\\]\\\\\"] "},
        {"host name with spaces and non-ASCII is cleaned",
         {ForwardedLog::events, "{}"},
         "Anna's Laptop é",
         "<110>1 - Anna'sLaptop veyrune - - [veyrune@32473] "},
        {"long host name is cut at 255",
         {ForwardedLog::events, "{}"},
         std::string(300, 'h'),
         "<110>1 - " + std::string(255, 'h') + " veyrune - - [veyrune@32473] "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SyslogMessage::format(c.line, c.host), c.header + c.line.text);
    }
}

TEST(SyslogMessage, ParamValuesEscapeExactlyQuoteBackslashAndBracket) {
    std::vector<std::pair<std::string, std::string>> cases{
        {R"(a"b)", R"(a\"b)"}, {R"(a\b)", R"(a\\b)"}, {"a]b", R"(a\]b)"},
        {"[x]", R"([x\])"},    {"é ü", "é ü"},        {"", ""},
    };
    for (const auto& [value, escaped] : cases) {
        EXPECT_EQ(SyslogMessage::escapeParamValue(value), escaped) << value;
    }
}

TEST(CollectorAddress, ReadsHostAndPortAndRefusesWhatCannotBeDialled) {
    struct Case {
        const char* text;
        std::optional<CollectorAddress> address;
    };
    std::vector<Case> cases{
        {"logs.example.org:2514", CollectorAddress{"logs.example.org", "2514"}},
        {"[2001:db8::1]:20514", CollectorAddress{"2001:db8::1", "20514"}},
        {"127.0.0.1:65535", CollectorAddress{"127.0.0.1", "65535"}},
        {"", std::nullopt},
        {"logs.example.org", std::nullopt},
        {":2514", std::nullopt},
        {"logs.example.org:0", std::nullopt},
        {"logs.example.org:65536", std::nullopt},
        {"logs.example.org:25x", std::nullopt},
        {"2001:db8::1:514", std::nullopt},
        {"two words:514", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CollectorAddress::parse(c.text), c.address) << c.text;
    }
}

}  // namespace
}  // namespace veyrune

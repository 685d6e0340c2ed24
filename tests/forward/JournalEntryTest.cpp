#include "forward/JournalEntry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "record/EventChain.h"
#include "seal/Seal.h"
#include "support/EventFactory.h"

using namespace veyrune;

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

std::string storedLine(SecurityEvent event, std::int64_t seq = 7) {
    event.seq = seq;
    event.prev = std::string(64, 'a');
    return EventChain::canonicalLine(event);
}

std::string sealLine(std::int64_t seq, bool closing) {
    Seal seal;
    seal.epoch = 2000;
    seal.from = referenceDate();
    seal.to = referenceDate() + std::chrono::minutes(15);
    seal.sealedAt = seal.to;
    seal.seq = seq;
    seal.lineHash = std::string(64, 'b');
    seal.prev = std::string(64, '0');
    seal.closing = closing;
    return seal.line(SealKey::Bytes{});
}

JournalEntry entryOf(ForwardedLog log, const std::string& text) {
    SecurityEventDecoder decoder;
    return JournalEntry::make({log, text}, decoder);
}

// The journal takes field names of at most 64 characters from "A"-"Z", "0"-"9"
// and "_", not starting with "_" (trusted fields) or a digit; libsystemd
// refuses a whole entry otherwise, which would hold up every later line.
bool acceptedByTheJournal(const std::string& name) {
    return !name.empty() && name.size() <= 64 && name[0] != '_' &&
           !(name[0] >= '0' && name[0] <= '9') &&
           name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") == std::string::npos;
}

}  // namespace

TEST(JournalEntry, TheInstalledCatalogExplainsExactlyTheMessageIDsWritten) {
    std::set<std::string> written{std::string(sealJournalMessageID),
                                  std::string(unreadableLineJournalMessageID)};
    for (auto kind : allSecurityEventKinds) {
        written.insert(std::string(journalMessageID(kind)));
    }
    std::ifstream catalog(std::string(VEYRUNE_TESTS_SOURCE_DIR) + "/../data/veyrune.catalog");
    ASSERT_TRUE(catalog.good());
    std::set<std::string> explained;
    for (std::string line; std::getline(catalog, line);) {
        if (line.starts_with("-- ")) {
            EXPECT_TRUE(explained.insert(line.substr(3)).second) << "twice: " << line;
        }
    }
    // A shared or malformed identifier shows as a difference.
    EXPECT_EQ(explained, written);
    for (const auto& id : written) {
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
        EXPECT_EQ(id.size(), 32u) << id;
    }
}

TEST(JournalEntry, CarriesTheEventsFieldsAndOmitsAbsentContext) {
    auto full =
        test::makeEvent(SecurityEventKind::usbAttached, referenceDate(), "USB attached: Key");
    full.context = {42, std::string("Home Net"), std::string("Laptop"), std::string("ada"),
                    std::string("Lid opened")};
    auto bare = test::makeEvent(SecurityEventKind::willSleep, referenceDate(), "System will sleep");
    auto untitled = test::makeEvent(SecurityEventKind::displayAdded, referenceDate(), "");

    const struct {
        const char* name;
        SecurityEvent event;
        Fields expected;
        std::vector<std::string> absent;
    } cases[] = {
        {"full context",
         full,
         {{"MESSAGE", "USB attached: Key"},
          {"MESSAGE_ID", std::string(journalMessageID(SecurityEventKind::usbAttached))},
          {"PRIORITY", "5"},
          {"SYSLOG_IDENTIFIER", "veyrune"},
          {"VEYRUNE_KIND", "usbAttached"},
          {"VEYRUNE_SEQ", "7"},
          {"VEYRUNE_ID", full.id.uuidString()},
          {"VEYRUNE_OCCURRED_AT", "2001-01-01T00:00:00Z"},
          {"VEYRUNE_BATTERY_PERCENT", "42"},
          {"VEYRUNE_WIFI_SSID", "Home Net"},
          {"VEYRUNE_MACHINE_NAME", "Laptop"},
          {"VEYRUNE_USER_NAME", "ada"},
          {"VEYRUNE_WAKE_REASON", "Lid opened"}},
         {}},
        {"no context",
         bare,
         {{"MESSAGE", "System will sleep"}, {"PRIORITY", "6"}, {"VEYRUNE_KIND", "willSleep"}},
         {"VEYRUNE_BATTERY_PERCENT", "VEYRUNE_WIFI_SSID", "VEYRUNE_MACHINE_NAME",
          "VEYRUNE_USER_NAME", "VEYRUNE_WAKE_REASON"}},
        {"empty summary", untitled, {{"MESSAGE", "Display Added"}}, {}},
    };
    for (const auto& c : cases) {
        auto line = storedLine(c.event);
        auto entry = entryOf(ForwardedLog::events, line);
        for (const auto& [name, value] : c.expected) {
            EXPECT_EQ(entry.value(name), value) << c.name << ": " << name;
        }
        for (const auto& name : c.absent) {
            EXPECT_FALSE(entry.value(name)) << c.name << ": " << name;
        }
        EXPECT_EQ(entry.value("VEYRUNE_LINE"), line) << c.name;
    }
}

TEST(JournalEntry, ALineThatCannotBeReadStillGoesOutWhole) {
    auto event = test::makeEvent();
    auto unknownKind = storedLine(event, 12);
    unknownKind.replace(unknownKind.find("screenLocked"), 12, "screenMelted");
    auto legacy = EventChain::canonicalLine(event);  // before chaining: no seq

    const struct {
        const char* name;
        ForwardedLog log;
        std::string text;
        std::string message;
        std::string messageID;
        std::optional<std::string> seq;
    } cases[] = {
        {"not JSON", ForwardedLog::events, "{\"seq\":3,", "Event log line that cannot be read",
         std::string(unreadableLineJournalMessageID), std::nullopt},
        {"unknown kind keeps its place in the chain", ForwardedLog::events, unknownKind,
         "Event log line that cannot be read", std::string(unreadableLineJournalMessageID), "12"},
        {"invalid UTF-8", ForwardedLog::events, "{\"seq\":1,\"summary\":\"\xff\xfe\"}",
         "Event log line that cannot be read", std::string(unreadableLineJournalMessageID),
         std::nullopt},
        {"legacy event is an event", ForwardedLog::events, legacy, "Screen locked",
         std::string(journalMessageID(SecurityEventKind::screenLocked)), std::nullopt},
        {"damaged seal", ForwardedLog::seals, sealLine(3, false).substr(0, 40),
         "Seal line that cannot be read", std::string(sealJournalMessageID), std::nullopt},
    };
    for (const auto& c : cases) {
        auto entry = entryOf(c.log, c.text);
        EXPECT_EQ(entry.value("MESSAGE"), c.message) << c.name;
        EXPECT_EQ(entry.value("MESSAGE_ID"), c.messageID) << c.name;
        EXPECT_EQ(entry.value("VEYRUNE_SEQ"), c.seq) << c.name;
        auto kept = entry.value(c.log == ForwardedLog::seals ? "VEYRUNE_SEAL" : "VEYRUNE_LINE");
        EXPECT_EQ(kept, c.text) << c.name;
    }
}

TEST(JournalEntry, SealsAreTheirOwnEntriesAndNeverPassForEvents) {
    const struct {
        std::string line;
        std::string message;
    } cases[] = {
        {sealLine(812, false), "Event log sealed through entry 812"},
        {sealLine(812, true), "Event log sealed through entry 812 (closing seal)"},
        {sealLine(0, false), "Event log sealed with no entries yet"},
    };
    for (const auto& c : cases) {
        auto entry = entryOf(ForwardedLog::seals, c.line);
        EXPECT_EQ(entry.value("MESSAGE"), c.message);
        EXPECT_EQ(entry.value("MESSAGE_ID"), sealJournalMessageID);
        EXPECT_EQ(entry.value("VEYRUNE_SEAL"), c.line);
        // A seal among the VEYRUNE_LINE values would break the chain checked
        // from the journal; its seq is the last sealed line's, not its own.
        EXPECT_FALSE(entry.value("VEYRUNE_LINE"));
        EXPECT_FALSE(entry.value("VEYRUNE_SEQ"));
    }
}

TEST(JournalEntry, FieldsSurviveAnyBytesAndNamesAreOnesTheJournalTakes) {
    auto event = test::makeEvent(SecurityEventKind::usbAttached, referenceDate(),
                                 std::string("USB attached: a\nb\0c", 19));
    event.context.wifiSSID = std::string("Caf\xc3\xa9\r\n\0Net", 11);
    event.context.machineName = "name=with=equals";
    event.context.batteryPercent = -1;
    const std::vector<ForwardedLine> lines = {
        {ForwardedLog::events, storedLine(event)},
        {ForwardedLog::events, "\x01\x02 not a line"},
        {ForwardedLog::seals, sealLine(1, true)},
    };
    for (const auto& line : lines) {
        auto entry = entryOf(line.log, line.text);
        std::set<std::string> names;
        for (const auto& field : entry.fields) {
            EXPECT_TRUE(acceptedByTheJournal(field.name)) << field.name;
            EXPECT_TRUE(names.insert(field.name).second) << "twice: " << field.name;
        }
        EXPECT_TRUE(names.contains("MESSAGE") && names.contains("SYSLOG_IDENTIFIER"));
    }
    auto entry = entryOf(ForwardedLog::events, lines[0].text);
    EXPECT_EQ(entry.value("MESSAGE"), event.summary);
    EXPECT_EQ(entry.value("VEYRUNE_WIFI_SSID"), *event.context.wifiSSID);
    EXPECT_EQ(entry.value("VEYRUNE_MACHINE_NAME"), "name=with=equals");
    EXPECT_EQ(entry.value("VEYRUNE_BATTERY_PERCENT"), "-1");
}

#include "record/RecordCoding.h"

#include <gtest/gtest.h>

#include "record/EventChain.h"
#include "record/SecurityEventDecoder.h"
#include "support/EventFactory.h"

using namespace veyrune;
using veyrune::test::makeEvent;

namespace {

const Uuid kEventID = *Uuid::parse("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d");
const Uuid kEvidenceID = *Uuid::parse("11111111-2222-4333-8444-555555555555");

SecurityEvent fullEvent() {
    SecurityEvent event;
    event.id = kEventID;
    event.occurredAt = *parseISO8601("2026-12-04T21:40:05Z") + std::chrono::milliseconds(750);
    event.kind = SecurityEventKind::volumeMounted;
    event.summary = "Volume mounted: /media/Ünïcode/€";
    event.context.batteryPercent = 87;
    event.context.wifiSSID = "Café/Net";
    event.context.machineName = "desk";
    event.context.userName = "ada";
    event.context.wakeReason = "lid";
    event.evidenceIDs = {kEvidenceID};
    event.seq = 12;
    event.prev = std::string(64, 'a');
    return event;
}

}  // namespace

TEST(RecordCoding, CanonicalLineIsByteExact) {
    // Sorted keys at both levels, whole seconds, raw UTF-8 and raw "/".
    const std::string expected =
        R"({"context":{"batteryPercent":87,"machineName":"desk","userName":"ada",)"
        R"("wakeReason":"lid","wifiSSID":"Café/Net"},)"
        R"("evidenceIDs":["11111111-2222-4333-8444-555555555555"],)"
        R"("id":"0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","kind":"volumeMounted",)"
        R"("occurredAt":"2026-12-04T21:40:05Z","prev":")" +
        std::string(64, 'a') + R"(","seq":12,"summary":"Volume mounted: /media/Ünïcode/€"})";
    EXPECT_EQ(EventChain::canonicalLine(fullEvent()), expected);

    // An unsealed event has no chain keys and no empty values.
    auto event = makeEvent();
    std::string line = EventChain::canonicalLine(event);
    EXPECT_NE(line.find(R"("context":{},"evidenceIDs":[],)"), std::string::npos) << line;
    for (const char* absent : {"seq", "prev", "null"}) {
        EXPECT_EQ(line.find(absent), std::string::npos) << absent;
    }
    event.summary = "bad \xff byte";
    EXPECT_THROW(EventChain::canonicalLine(event), EventChainError);
}

TEST(RecordCoding, EveryRecordRoundTripsThroughBothDateEncodings) {
    // Whole-second instants so the ISO form loses nothing.
    auto event = fullEvent();
    event.occurredAt = *parseISO8601("2026-12-04T21:40:05Z");
    RawSystemEvent raw{kEventID,
                       event.occurredAt,
                       SecurityEventKind::usbAttached,
                       {{"name", "Key/Drive"}, {"extra", "x"}}};
    EvidenceItem item{kEvidenceID,
                      kEventID,
                      EvidenceKind::cameraPhoto,
                      "file:///home/a/.local/share/Veyrune/Evidence/x%20y.jpg",
                      event.occurredAt,
                      4096};
    DeliveryAttempt attempt{kEvidenceID,
                            kEventID,
                            DeliveryChannelKind::webhook,
                            DeliveryAttemptStatus::failed,
                            3,
                            event.occurredAt,
                            "rateLimited"};
    for (auto dates : {DateEncoding::iso8601, DateEncoding::referenceSeconds}) {
        EXPECT_EQ(SecurityEventDecoder().decode(compactText(toJSON(event, dates)), dates), event);
        EXPECT_EQ(rawSystemEventFromJSON(*parseJSON(defaultEncodedText(toJSON(raw, dates))), dates),
                  raw);
        EXPECT_EQ(evidenceItemFromJSON(*parseJSON(defaultEncodedText(toJSON(item, dates))), dates),
                  item);
        EXPECT_EQ(deliveryAttemptFromJSON(*parseJSON(compactText(toJSON(attempt, dates))), dates),
                  attempt);
    }
}

TEST(RecordCoding, PayloadKeepsFractionalSecondsAndEscapesSolidus) {
    auto event = fullEvent();
    std::string payload = encodeEventPayload(event);
    EXPECT_EQ(payload.find("\\u00e9"), std::string::npos);  // raw UTF-8, not escapes
    EXPECT_NE(payload.find(R"(Café\/Net)"), std::string::npos) << payload;
    auto decoded = decodeEventPayload(payload);
    ASSERT_TRUE(decoded);
    EXPECT_NEAR(secondsBetween(event.occurredAt, decoded->occurredAt), 0.0, 1e-6);
    decoded->occurredAt = event.occurredAt;
    EXPECT_EQ(*decoded, event);
}

struct DecodeCase {
    const char* name;
    std::string json;
    DateEncoding dates;
    bool decodes;
};

TEST(RecordCoding, SecurityEventDecodingRejectsWhatItMust) {
    const auto iso = DateEncoding::iso8601;
    const auto numeric = DateEncoding::referenceSeconds;
    // A line with the given date and any further members; the summary, context
    // and evidence IDs are added unless `rest` replaces them.
    auto line = [](const std::string& kindAndDate, const std::string& extra = "",
                   const std::string& rest = R"("summary":"s","context":{},"evidenceIDs":[])") {
        return R"({"id":"0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d",)" + kindAndDate + extra + "," +
               rest + "}";
    };
    const std::string wake = R"("kind":"didWake","occurredAt":"2026-01-01T00:00:00Z")";
    const std::string fractional = R"("kind":"didWake","occurredAt":"2026-01-01T00:00:00.5Z")";
    auto at = [](const char* seconds) {
        return std::string(R"("kind":"didWake","occurredAt":)") + seconds;
    };
    const DecodeCase cases[] = {
        {"lower-case id", line(wake), iso, true},
        {"unknown kind", line(R"("kind":"didExplode","occurredAt":"2026-01-01T00:00:00Z")"), iso,
         false},
        {"fractional ISO date", line(fractional), iso, false},
        {"fractional ISO date as number form", line(fractional), numeric, false},
        {"numeric date, legacy form", line(at("786000000.25")), numeric, true},
        {"numeric date beyond 2262", line(at("9e9")), numeric, false},
        {"numeric date, ISO form", line(at("786000000")), iso, false},
        {"missing summary", line(wake, "", R"("context":{},"evidenceIDs":[])"), iso, false},
        {"missing evidenceIDs", line(wake, "", R"("summary":"s","context":{})"), iso, false},
        {"null seq and prev", line(wake, R"(,"seq":null,"prev":null)"), iso, true},
        {"seq as string", line(wake, R"(,"seq":"1")"), iso, false},
        {"battery as text",
         line(wake, "", R"("summary":"s","context":{"batteryPercent":"9"},"evidenceIDs":[])"), iso,
         false},
        {"bad evidence id", line(wake, "", R"("summary":"s","context":{},"evidenceIDs":["nope"])"),
         iso, false},
        {"an array", "[1,2]", iso, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SecurityEventDecoder().decode(c.json, c.dates).has_value(), c.decodes) << c.name;
    }
}

TEST(RecordCoding, EvidenceItemNeedsAllSixFields) {
    EvidenceItem item{kEvidenceID, kEventID,        EvidenceKind::screenshot,
                      "file:///a", referenceDate(), 7};
    auto json = toJSON(item, DateEncoding::referenceSeconds);
    for (const char* key : {"id", "eventID", "kind", "fileURL", "createdAt", "byteCount"}) {
        auto missing = json;
        missing.erase(key);
        EXPECT_FALSE(evidenceItemFromJSON(missing, DateEncoding::referenceSeconds)) << key;
    }
    json["byteCount"] = 7.5;
    EXPECT_FALSE(evidenceItemFromJSON(json, DateEncoding::referenceSeconds));
    json["byteCount"] = 7;
    json["createdAt"] = 1e30;
    EXPECT_FALSE(evidenceItemFromJSON(json, DateEncoding::referenceSeconds));
}

TEST(RecordCoding, ISODatesParseOffsetsAndRejectMalformedText) {
    EXPECT_EQ(parseISO8601("2026-12-04T23:40:00+02:00"), parseISO8601("2026-12-04T21:40:00Z"));
    for (const char* bad : {"2026-12-04 21:40:00Z", "2026-13-04T21:40:00Z", "2026-02-30T00:00:00Z",
                            "2026-12-04T21:40:00", "2026-12-04T21:40:00.000Z", ""}) {
        EXPECT_FALSE(parseISO8601(bad)) << bad;
    }
    // Writing drops the fraction rather than rounding it.
    EXPECT_EQ(iso8601String(*parseISO8601("2026-12-04T21:40:00Z") + std::chrono::milliseconds(999)),
              "2026-12-04T21:40:00Z");
    EXPECT_EQ(iso8601String(referenceDate() - std::chrono::milliseconds(1)),
              "2000-12-31T23:59:59Z");
}

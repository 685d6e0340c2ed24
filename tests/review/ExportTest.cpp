#include <gtest/gtest.h>

#include "base/PosixFileSystem.h"
#include "review/CSVExport.h"
#include "review/JSONExport.h"
#include "review/QuickCSVExport.h"
#include "review/TimelineExporter.h"
#include "support/InMemorySecurityEventStore.h"
#include "support/ManualClock.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using test::readFile;
using test::writeFile;

namespace {

Instant at(const char* iso) {
    return *parseISO8601(iso);
}

std::string expected(const char* name) {
    return readFile(std::filesystem::path(VEYRUNE_TESTS_SOURCE_DIR) / "review" / "expected" / name);
}

SecurityEvent eventA() {
    SecurityEvent e;
    e.id = *Uuid::parse("11111111-2222-3333-4444-555555555555");
    e.occurredAt = at("2026-03-05T14:07:09Z");
    e.kind = SecurityEventKind::usbAttached;
    e.summary = "Attached \"Key, Pro\"\nnext";
    e.context.machineName = "Mac";
    e.context.userName = "ana";
    e.context.wifiSSID = "Home/5G";
    e.context.batteryPercent = 87;
    e.evidenceIDs = {*Uuid::parse("EEEEEEEE-0000-0000-0000-000000000001"),
                     *Uuid::parse("EEEEEEEE-0000-0000-0000-000000000002")};
    e.seq = 7;
    e.prev = "abc";
    return e;
}

SecurityEvent eventB() {
    SecurityEvent e;
    e.id = *Uuid::parse("aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee");
    e.occurredAt = at("2026-03-05T12:00:00Z");
    e.kind = SecurityEventKind::didWake;
    e.summary = " leading blank";
    return e;
}

SecurityEvent eventC() {
    SecurityEvent e;
    e.id = *Uuid::parse("CCCCCCCC-0000-0000-0000-000000000001");
    e.occurredAt = at("2026-03-04T09:30:00Z");
    e.kind = SecurityEventKind::usbAttached;
    e.summary = "line\r\nbreak";
    e.context.batteryPercent = 5;
    return e;
}

const std::string kIntact40 = "Chain intact \u2014 40 entries verified (1\u201340)";

}  // namespace

TEST(CSVExport, UnfilteredExportWithVerifiedChain) {
    auto csv = exportCSV({eventA(), eventB()}, "Chain intact \u2014 2 entries verified (1\u20132)",
                         std::nullopt, std::nullopt, std::nullopt, 0);
    EXPECT_EQ(csv, expected("unfiltered.csv"));
}

TEST(CSVExport, FilteredExportWithLinkedEvent) {
    // Three displayed rows, one of them opened from a link, out of a log of 40.
    auto csv = exportCSV({eventA(), eventB(), eventC()}, kIntact40, std::nullopt, 40,
                         "USB Attached; 2026-01-01 to 2026-01-31", 1);
    EXPECT_EQ(csv, expected("filtered-linked.csv"));
}

TEST(CSVExport, DefaultFilterWithALinkedEventIsStillAnExtract) {
    auto csv = exportCSV({eventB()}, "No events yet", 0, 5, std::nullopt, 2);
    EXPECT_EQ(csv.substr(0, csv.find("id,occurredAt")),
              "# Veyrune event export \u2014 0 events, plus 2 events opened from a link\n"
              "# Full log at export: No events yet\n"
              "# This is a filtered extract and cannot itself be re-verified; verify "
              "security-events.jsonl.\n");
}

TEST(CSVExport, FieldQuotingAndFormulaEscaping) {
    struct Row {
        const char* value;
        const char* written;
    } rows[] = {
        {" leading", " leading"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"a\nb", "\"a\nb\""},
        // A spreadsheet runs a cell that starts like a formula; the apostrophe
        // keeps it text, and the quoting rule still applies after it.
        {"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
        {"+cmd", "'+cmd"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tTab", "'\tTab"},
        {"\rReturn", "\"'\rReturn\""},
        {"a=b", "a=b"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(csvField(row.value), row.written) << row.value;
    }
}

TEST(JSONExport, DocumentBytes) {
    TimelineFilter filter{TimelineDateRange::last7(),
                          {SecurityEventKind::usbAttached, SecurityEventKind::didWake}};
    auto json = exportJSON({eventA(), eventB()}, filter, 40, kIntact40, true, 1,
                           at("2026-03-06T08:00:00Z"), generatorText("1.2 (45)"));
    EXPECT_EQ(json, expected("export.json"));
}

TEST(JSONExport, EmptyExportAndDefaultFilter) {
    auto json = exportJSON({}, TimelineFilter{}, 0, std::nullopt, false, 0,
                           at("2026-03-06T08:00:00Z"), generatorText(""));
    auto parsed = nlohmann::json::parse(json);
    EXPECT_TRUE(parsed["events"].is_array());
    EXPECT_TRUE(parsed["events"].empty());
    EXPECT_EQ(parsed["filter"]["active"], false);
    EXPECT_TRUE(parsed["filter"]["description"].is_null());
    EXPECT_TRUE(parsed["integrity"]["statement"].is_null());
    EXPECT_FALSE(jsonObject(eventA()).contains("seq"));
}

class TimelineExporterTest : public ::testing::Test {
  protected:
    test::TempDirectory folder;
    std::filesystem::path liveLog = folder / "data" / "security-events.jsonl";
    test::ManualClock clock{*parseISO8601("2026-03-06T08:00:00Z")};
    TimelineExporter exporter{PosixFileSystem::shared(), liveLog, clock, "1.2"};

    ExportRequest request(ExportFormat format) {
        ExportRequest r;
        r.format = format;
        r.events = {eventA(), eventB(), eventC()};
        r.filter = TimelineFilter{
            TimelineDateRange::custom(at("2026-01-31T00:00:00Z"), at("2026-01-01T00:00:00Z")),
            {SecurityEventKind::usbAttached}};
        r.totalCount = 40;
        r.chainSummary = kIntact40;
        r.chainWasVerified = true;
        r.linkedEventCount = 1;
        return r;
    }
};

TEST_F(TimelineExporterTest, WritesTheCSVAndTheLiveLogVerbatim) {
    EXPECT_EQ(exporter.write(request(ExportFormat::csv), folder / "out.csv"), std::nullopt);
    EXPECT_EQ(readFile(folder / "out.csv"), expected("filtered-linked.csv"));

    std::filesystem::create_directories(liveLog.parent_path());
    const std::string bytes = "{\"seq\":1}\nnot json at all\n{\"seq\":2}";
    writeFile(liveLog, bytes);
    EXPECT_EQ(exporter.write(request(ExportFormat::verifiableLog), folder / "copy.jsonl"),
              std::nullopt);
    EXPECT_EQ(readFile(folder / "copy.jsonl"), bytes);
}

TEST_F(TimelineExporterTest, TheVerifiableLogNeverCarriesTheSealingKeyBesideIt) {
    std::filesystem::create_directories(liveLog.parent_path());
    writeFile(liveLog, "{\"seq\":1}\n");
    const std::string key =
        "{\"epoch\":1,\"epochSeconds\":900,\"key\":\"" + std::string(64, 'f') + "\"}\n";
    writeFile(liveLog.parent_path() / "security-events.sealkey", key);
    auto out = folder / "exported";
    std::filesystem::create_directories(out);
    EXPECT_EQ(exporter.write(request(ExportFormat::verifiableLog), out / "copy.jsonl"),
              std::nullopt);
    EXPECT_EQ(readFile(out / "copy.jsonl"), "{\"seq\":1}\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 1);
}

TEST_F(TimelineExporterTest, RefusesTheLiveLogHoweverItIsSpelled) {
    std::filesystem::create_directories(liveLog.parent_path());
    writeFile(liveLog, "original");
    const std::string refusal =
        "Veyrune cannot export on top of its own event log. Choose a different name or folder.";
    std::filesystem::path spellings[] = {
        liveLog,
        folder / "data" / "." / "security-events.jsonl",
        folder / "data" / ".." / "data" / "security-events.jsonl",
    };
    for (const auto& path : spellings) {
        for (auto format : allExportFormats) {
            EXPECT_EQ(exporter.write(request(format), path), refusal) << path;
        }
    }
    EXPECT_EQ(readFile(liveLog), "original");
}

TEST_F(TimelineExporterTest, MissingLogAndFailedWrites) {
    EXPECT_EQ(exporter.write(request(ExportFormat::verifiableLog), folder / "x.jsonl"),
              "There is no event log to export yet.");

    // Text that is not UTF-8 fails in the serializer; the earlier export stays.
    auto destination = folder / "old.json";
    writeFile(destination, "earlier export");
    auto bad = request(ExportFormat::json);
    bad.events[0].summary = "bad \xff byte";
    auto error = exporter.write(bad, destination);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->rfind("Could not write old.json: ", 0), 0u) << *error;
    EXPECT_EQ(readFile(destination), "earlier export");

    auto unwritable = folder / "missing-folder" / "out.csv";
    error = exporter.write(request(ExportFormat::csv), unwritable);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->rfind("Could not write out.csv: ", 0), 0u) << *error;
}

TEST(ExportRequest, VerifiableLogAlwaysStandsForTheWholeLog) {
    TimelineEventSet set;
    set.all = {eventA(), eventB(), eventC()};
    set.filtered = {eventA()};
    set.linked = {eventC()};
    set.displayed = {eventA(), eventC()};
    TimelineFilter filter{TimelineDateRange::today(), {SecurityEventKind::usbAttached}};
    auto chain = ChainStatusProjection::make(ChainVerificationResult::broken(3));

    auto csv = ExportRequest::make(ExportFormat::csv, set, filter, chain);
    EXPECT_EQ(csv.events, set.displayed);
    EXPECT_EQ(csv.linkedEventCount, 1);
    EXPECT_EQ(csv.totalCount, 3);
    EXPECT_EQ(csv.chainSummary, chainSummaryText(chain));
    EXPECT_TRUE(csv.chainWasVerified);

    auto log = ExportRequest::make(ExportFormat::verifiableLog, set, filter, std::nullopt);
    EXPECT_EQ(log.events, set.all);
    EXPECT_TRUE(log.filter.isDefault());
    EXPECT_EQ(log.linkedEventCount, 0);
    EXPECT_FALSE(log.chainSummary);
    EXPECT_FALSE(log.chainWasVerified);
}

TEST(QuickCSVExport, WritesTheNewest500WithoutIntegrity) {
    test::InMemorySecurityEventStore store;
    for (int i = 0; i < 501; ++i) {
        SecurityEvent e = eventB();
        e.id = Uuid::random();
        e.occurredAt = addSeconds(at("2026-01-01T00:00:00Z"), i);
        store.append(e);
    }
    test::TempDirectory folder;
    auto path = quickExportCSV(store, PosixFileSystem::shared(), folder / "Veyrune",
                               at("2026-03-05T14:07:09Z"));
    ASSERT_TRUE(path);
    EXPECT_EQ(path->filename(), "veyrune-events-2026-03-05T14-07-09Z.csv");
    auto csv = readFile(*path);
    EXPECT_EQ(csv.rfind("# Veyrune event export \u2014 500 events\n"
                        "# Integrity could not be checked at export.\n",
                        0),
              0u);
    EXPECT_EQ(csv.find("2026-01-01T00:00:00Z"), std::string::npos);  // the oldest is left out

    store.setFailReads(true);
    EXPECT_FALSE(quickExportCSV(store, PosixFileSystem::shared(), folder.path(), Instant{}));
}

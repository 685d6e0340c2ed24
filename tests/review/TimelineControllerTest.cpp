#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>

#include "base/PosixFileSystem.h"
#include "record/EventChainVerifier.h"
#include "record/JSONLFileSecurityEventStore.h"
#include "review/TimelineController.h"
#include "support/ChainLogCases.h"
#include "support/FakeShellCollaborators.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/InMemorySecurityEventStore.h"
#include "support/ManualClock.h"
#include "support/ManualSerialQueue.h"
#include "support/ManualTaskPool.h"
#include "support/TempDirectory.h"

using namespace veyrune;

namespace {

Instant at(const char* iso) {
    return *parseISO8601(iso);
}

using Evidence = test::InMemoryEvidenceItemStore;

class Deliveries final : public DeliveryStatusSource {
  public:
    std::unordered_map<Uuid, std::vector<DeliveryAttempt>> deliveryAttempts(
        const std::unordered_set<Uuid>& ids) override {
        ++lookups;
        std::unordered_map<Uuid, std::vector<DeliveryAttempt>> found;
        for (const auto& [id, list] : attempts) {
            if (ids.contains(id)) {
                found[id] = list;
            }
        }
        return found;
    }
    void retry(const Uuid& eventID) override { retried.push_back(eventID); }
    DeliveryQueueSummary queueSummary() override { return {}; }

    std::unordered_map<Uuid, std::vector<DeliveryAttempt>> attempts;
    std::vector<Uuid> retried;
    int lookups = 0;
};

SecurityEvent event(SecurityEventKind kind, const char* when) {
    SecurityEvent e;
    e.id = Uuid::random();
    e.kind = kind;
    e.occurredAt = at(when);
    e.summary = "Lid opened";
    return e;
}

DeliveryAttempt attempt(const Uuid& eventID, DeliveryChannelKind channel,
                        DeliveryAttemptStatus status) {
    DeliveryAttempt a;
    a.id = Uuid::random();
    a.eventID = eventID;
    a.channel = channel;
    a.status = status;
    return a;
}

}  // namespace

TEST(EventTimelineRowModel, RowCountsEvidenceJoinsContextAndListsDeliveries) {
    TimestampFormatter formatter("en_US", "UTC");
    auto e = event(SecurityEventKind::didWake, "2026-03-05T14:07:09Z");
    e.evidenceIDs = {Uuid::random(), Uuid::random()};
    e.context.machineName = "Studio";
    e.context.userName = "";  // empty values are skipped like absent ones
    e.context.batteryPercent = 87;
    auto row = EventTimelineRowModel::make(
        e, 3, {attempt(e.id, DeliveryChannelKind::telegram, DeliveryAttemptStatus::failed)},
        formatter);
    EXPECT_EQ(row.evidenceText, "3 evidence items");
    EXPECT_EQ(row.contextText, "Studio \u00b7 87% battery");
    ASSERT_EQ(row.deliveries.size(), 1u);
    EXPECT_TRUE(row.deliveries[0].canRetry);
    EXPECT_EQ(row.accessibilitySummary, "Wake, Lid opened, " + row.timestampText +
                                            ", 3 evidence items, Studio \u00b7 87% battery, "
                                            "Telegram alert failed");

    // Items missing from the store still count through the event's own IDs.
    EXPECT_EQ(EventTimelineRowModel::make(e, 0, {}, formatter).evidenceText, "2 evidence items");
    e.context = {};
    EXPECT_EQ(EventTimelineRowModel::make(e, 0, {}, formatter).contextText, std::nullopt);
}

namespace {

// The controller and its collaborators around an event store and its log path.
struct Rig {
    Rig(const SecurityEventStore& store, std::filesystem::path log,
        FileSystem& files = PosixFileSystem::shared(),
        std::function<DiagnosticsSnapshot()> diagnostics = {})
        : exporter(files, std::move(log), clock, "1.0"),
          controller(
              {store, evidence, deliveries, std::move(diagnostics), exporter, clock, pool, main},
              std::make_unique<TimestampFormatter>("en_US", "UTC")) {}

    Evidence evidence;
    Deliveries deliveries;
    test::ManualClock clock{*parseISO8601("2026-03-06T00:00:00Z")};
    TimelineExporter exporter;
    test::ManualTaskPool pool;
    test::ManualSerialQueue main;
    TimelineController controller;
};

struct MemoryLog {
    test::InMemorySecurityEventStore store;
};

class TimelineControllerTest : public ::testing::Test, protected MemoryLog, protected Rig {
  protected:
    TimelineControllerTest()
        : Rig(store, "/nonexistent/security-events.jsonl", PosixFileSystem::shared(), [this] {
              ++diagnosticsCalls;
              return makeDiagnosticsSnapshot({});
          }) {
        wake = event(SecurityEventKind::didWake, "2026-03-05T12:00:00Z");
        usb = event(SecurityEventKind::usbAttached, "2026-03-05T11:00:00Z");
        store.append(usb);
        store.append(wake);
        EvidenceItem item;
        item.eventID = wake.id;
        evidence.append(item);
        evidence.append(item);
        deliveries.attempts[usb.id] = {
            attempt(usb.id, DeliveryChannelKind::webhook, DeliveryAttemptStatus::failed)};
    }

    int diagnosticsCalls = 0;
    SecurityEvent wake, usb;
};

}  // namespace

TEST_F(TimelineControllerTest, RefreshBuildsRowsAndVerifiesOffTheCallersThread) {
    controller.refresh();
    ASSERT_EQ(controller.rows().size(), 2u);
    EXPECT_EQ(controller.rows()[0].id, wake.id);
    EXPECT_EQ(controller.rows()[0].evidenceText, "2 evidence items");
    EXPECT_EQ(controller.rows()[1].deliveries[0].title, "Webhook alert failed");
    EXPECT_EQ(diagnosticsCalls, 1);
    EXPECT_EQ(controller.diagnostics().rows.size(), 8u);

    // The check waits on the pool; a second refresh does not start another.
    EXPECT_TRUE(controller.isVerifying());
    EXPECT_FALSE(controller.chainStatus());
    controller.refresh();
    EXPECT_EQ(pool.pendingCount(), 1u);
    pool.drain();
    EXPECT_TRUE(controller.isVerifying());  // the result waits for the main queue
    main.drain();
    EXPECT_FALSE(controller.isVerifying());
    EXPECT_EQ(controller.chainStatus()->title, "Chain not started");  // unsealed lines

    controller.refresh();
    EXPECT_EQ(pool.pendingCount(), 1u);
}

TEST_F(TimelineControllerTest, UnreadableLogSetsErrorUntilARefreshSucceeds) {
    controller.refresh();
    store.setFailReads(true);
    controller.refresh();
    EXPECT_EQ(controller.errorText(), "The event log could not be read.");
    pool.drain();
    main.drain();
    EXPECT_EQ(controller.chainStatus()->title, "No events yet");  // a failed read counts as empty
    store.setFailReads(false);
    controller.refresh();
    EXPECT_FALSE(controller.errorText());
}

TEST_F(TimelineControllerTest, LinkedSelectionRetryAndExportPause) {
    TimelineFilter wakesOnly;
    wakesOnly.kinds = {SecurityEventKind::didWake};
    controller.setFilter(wakesOnly);
    EXPECT_EQ(controller.rows().size(), 1u);

    controller.selectTab(TimelineTab::diagnostics);
    controller.setSelectedEventID(usb.id);
    EXPECT_EQ(controller.selectedTab(), TimelineTab::events);
    ASSERT_EQ(controller.rows().size(), 2u);
    EXPECT_EQ(controller.rows()[1].id, usb.id);
    EXPECT_EQ(controller.events().linked.size(), 1u);

    controller.retryDelivery(usb.id);
    EXPECT_EQ(deliveries.retried, std::vector<Uuid>{usb.id});

    int lookups = deliveries.lookups;
    auto request = controller.beginExport(ExportFormat::csv);
    EXPECT_EQ(request.linkedEventCount, 1);
    controller.timerFired();  // skipped while the save dialog is open
    EXPECT_EQ(deliveries.lookups, lookups);
    controller.finishExport(request, std::nullopt);
    EXPECT_FALSE(controller.isExporting());
    EXPECT_FALSE(controller.exportErrorText());
    controller.timerFired();
    EXPECT_EQ(deliveries.lookups, lookups + 1);

    auto log = controller.beginExport(ExportFormat::verifiableLog);
    controller.finishExport(log, std::filesystem::temp_directory_path() / "never.jsonl");
    EXPECT_EQ(controller.exportErrorText(), "There is no event log to export yet.");
    controller.dismissExportError();
    EXPECT_FALSE(controller.exportErrorText());
}

TEST_F(TimelineControllerTest, ResultAfterTheControllerIsGoneIsDropped) {
    auto owned = std::make_unique<TimelineController>(
        TimelineController::Collaborators{
            store, evidence, deliveries, {}, exporter, clock, pool, main},
        std::make_unique<TimestampFormatter>("en_US", "UTC"));
    owned->refresh();
    owned.reset();
    pool.drain();
    EXPECT_EQ(main.drain(), 1);  // runs and does nothing
}

namespace {

struct FileLog {
    test::TempDirectory dir;
    test::FaultInjectingFileSystem files;
    std::filesystem::path path = dir / "security-events.jsonl";
    JSONLFileSecurityEventStore store{path, files};
};

// The controller over a real log file, checked against reading it from scratch.
class TimelineControllerLogTest : public ::testing::Test, protected FileLog, protected Rig {
  protected:
    TimelineControllerLogTest() : Rig(store, path, files) {}

    void refreshAndCheck() {
        controller.refresh();
        pool.drain();
        main.drain();
    }
    void expectSameAsFromScratch(const std::string& step) {
        JSONLFileSecurityEventStore fresh(path, PosixFileSystem::shared());
        EXPECT_EQ(controller.events(),
                  TimelineEventSet::load(fresh, controller.filter(), std::nullopt, clock.now()))
            << step;
        EXPECT_EQ(controller.chainStatus(),
                  ChainStatusProjection::make(EventChainVerifier::verify(fresh.readLines())))
            << step;
    }
    void appendText(const std::string& text) { test::writeFile(path, test::readFile(path) + text); }
    SecurityEvent at(int minute) {
        return test::makeEvent(SecurityEventKind::usbAttached,
                               *parseISO8601("2026-03-05T00:00:00Z") + std::chrono::minutes(minute),
                               "event at " + std::to_string(minute));
    }
};

}  // namespace

TEST_F(TimelineControllerLogTest, EachRefreshMatchesAReadFromScratchAndSkipsAnUnchangedLog) {
    struct Step {
        const char* name;
        std::function<void()> change;
    };
    std::string kept;
    const Step steps[] = {
        {"no log yet", [] {}},
        {"first events",
         [&] {
             for (int m : {5, 1, 5, 3})
                 store.append(at(m));
         }},
        {"one appended", [&] { store.append(at(9)); }},
        {"older and equal instants appended",
         [&] {
             for (int m : {2, 9, 0})
                 store.append(at(m));
         }},
        {"unterminated last line",
         [&] {
             kept = test::readFile(path);
             SecurityEvent e = at(7);
             e.seq = 9;
             e.prev = EventChain::linkHash(store.readLines().back());
             appendText(EventChain::canonicalLine(e));
         }},
        {"unterminated line completed", [&] { appendText("\n"); }},
        {"garbage and an invalid byte", [&] { appendText("{oops\n\xc3\x28\n"); }},
        {"appended after the damage", [&] { store.append(at(4)); }},
        {"shrunk in place", [&] { test::writeFile(path, kept); }},
        {"replaced by another log",
         [&] {
             auto other = dir / "other.jsonl";
             JSONLFileSecurityEventStore(other, files).append(at(8));
             std::filesystem::rename(other, path);
         }},
        {"rewritten in place and longer",
         [&] {
             std::string text = test::readFile(path);
             text[text.find("event at")] = 'E';
             test::writeFile(path, text + test::legacyLine(1) + "\n");
         }},
        {"removed", [&] { std::filesystem::remove(path); }},
    };
    for (const auto& step : steps) {
        step.change();
        refreshAndCheck();
        expectSameAsFromScratch(step.name);
        int reads = files.reads();  // an unchanged log is not read again
        refreshAndCheck();
        EXPECT_EQ(files.reads(), reads) << step.name;
        expectSameAsFromScratch(step.name);
    }
}

namespace {

// Waits until a file written now gets a later change time than `path` has, so
// that an edit right after cannot share its timestamp (on kernels without
// fine-grained change times, file times move only once per clock tick).
void waitForLaterChangeTime(const std::filesystem::path& path) {
    auto changeTime = [](const std::filesystem::path& file) {
        struct stat info {};
        ::stat(file.c_str(), &info);
        return std::pair(info.st_ctim.tv_sec, info.st_ctim.tv_nsec);
    };
    auto before = changeTime(path);
    auto tick = path.parent_path() / "tick";
    do {
        test::writeFile(tick, "tick");
    } while (changeTime(tick) <= before);
}

// Overwrites one byte of the log in place, as an editor that keeps the file
// would; `keepTimes` then puts the modification time back, as `touch -d` can.
void overwriteByte(const std::filesystem::path& path, std::size_t offset, char byte,
                   bool keepTimes) {
    auto before = PosixFileSystem().status(path)->modifiedNanoseconds;
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(std::streamoff(offset));
        file.put(byte);
    }
    if (keepTimes) {
        const timespec times[2] = {{0, UTIME_OMIT},
                                   {before / 1000000000, long(before % 1000000000)}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        ASSERT_EQ(PosixFileSystem().status(path)->modifiedNanoseconds, before);
    }
}

}  // namespace

TEST_F(TimelineControllerLogTest,
       OldLineEditedBehindAnAppendOrWithTimesPutBackBreaksBadgeAndExport) {
    struct Edit {
        const char* name;
        int line;  // 1-based; its successor no longer follows from it
        bool keepTimes;
        bool appendAfter;
    };
    const Edit edits[] = {
        {"edited more than 4 KiB back, one event appended", 2, false, true},
        {"edited in place, size and modification time put back", 30, true, false},
    };
    for (const auto& edit : edits) {
        std::filesystem::remove(path);
        for (int m = 0; m < 40; ++m) {
            store.append(at(m));
        }
        refreshAndCheck();
        ASSERT_EQ(controller.chainStatus()->title, "Chain intact") << edit.name;

        std::string text = test::readFile(path);
        std::size_t lineStart = 0;
        for (int i = 1; i < edit.line; ++i) {
            lineStart = text.find('\n', lineStart) + 1;
        }
        std::size_t offset = text.find("event at", lineStart);
        if (edit.appendAfter) {
            ASSERT_GT(text.size() - offset, 4096u) << "the edit must lie before the compared tail";
        }
        waitForLaterChangeTime(path);
        overwriteByte(path, offset, 'E', edit.keepTimes);
        if (edit.appendAfter) {
            store.append(at(99));
        }

        refreshAndCheck();
        const std::string broken = "Chain broken at entry " + std::to_string(edit.line + 1);
        EXPECT_EQ(controller.chainStatus()->title, broken) << edit.name;
        expectSameAsFromScratch(edit.name);  // the rows show the edited line too

        int reads = files.reads();  // nothing changed since: the verdict stands unread
        refreshAndCheck();
        EXPECT_EQ(files.reads(), reads) << edit.name;

        auto request = controller.beginExport(ExportFormat::csv);
        EXPECT_TRUE(request.chainWasVerified);
        controller.finishExport(request, dir / "export.csv");
        EXPECT_NE(test::readFile(dir / "export.csv").find("\n# " + broken + " \u2014 Entry "),
                  std::string::npos)
            << edit.name;
    }
}

TEST(TimelineControllerReadFailure, LogBehindAFolderThatCannotBeReachedShowsTheError) {
    test::TempDirectory dir;
    std::filesystem::create_directory_symlink(dir / "loop", dir / "loop");
    JSONLFileSecurityEventStore store(dir / "loop" / "security-events.jsonl",
                                      PosixFileSystem::shared());
    Rig rig(store, store.fileURL());
    rig.controller.refresh();
    ASSERT_TRUE(rig.controller.errorText());  // not the empty log's "No events yet"
    EXPECT_NE(rig.controller.errorText()->find("security-events.jsonl"), std::string::npos);
}

namespace {

TEST(TimelineControllerSeals, TheSealLineFollowsEachCheckAndAnUnreadableSealsFileShowsNone) {
    test::InMemorySecurityEventStore store;
    std::optional<SealChainStatus> seals = SealChainStatus{true, at("2026-03-05T14:15:00Z"), 0};
    bool unreadable = false;
    Evidence evidence;
    Deliveries deliveries;
    test::ManualClock clock{at("2026-03-06T00:00:00Z")};
    TimelineExporter exporter(PosixFileSystem::shared(), "/nonexistent/security-events.jsonl",
                              clock, "1.0");
    test::ManualTaskPool pool;
    test::ManualSerialQueue main;
    TimelineController controller({store,
                                   evidence,
                                   deliveries,
                                   {},
                                   exporter,
                                   clock,
                                   pool,
                                   main,
                                   [&]() -> std::optional<SealChainStatus> {
                                       if (unreadable) {
                                           throw std::runtime_error("unreadable");
                                       }
                                       return seals;
                                   }},
                                  std::make_unique<TimestampFormatter>("en_US", "UTC"));
    auto check = [&] {
        controller.startChainVerification();
        pool.drain();
        main.drain();
    };

    check();
    ASSERT_TRUE(controller.sealText());
    EXPECT_EQ(*controller.sealText(),
              "Sealed through " + TimestampFormatter("en_US", "UTC").format(seals->through));
    EXPECT_NE(controller.sealText()->find("2026"), std::string::npos);
    EXPECT_EQ(controller.chainStatus()->title, "No events yet");

    seals = SealChainStatus{false, {}, 3};
    check();
    EXPECT_EQ(controller.sealText(), "Seals broken at seal 3");

    unreadable = true;
    check();
    EXPECT_FALSE(controller.sealText());
    EXPECT_EQ(controller.chainStatus()->title, "No events yet");

    unreadable = false;
    seals.reset();
    check();
    EXPECT_FALSE(controller.sealText());
}

}  // namespace

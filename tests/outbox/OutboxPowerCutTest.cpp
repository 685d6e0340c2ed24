// The outbox on a disk that loses power: what enqueue returned must come back,
// and a lost status change may only make an alert go out again.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "outbox/SQLiteOutboxStore.h"
#include "support/PowerCutVFS.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using Kind = DeliveryChannelKind;

namespace {

class OutboxPowerCutTest : public ::testing::Test {
  protected:
    test::TempDirectory dir;
    std::filesystem::path file = dir / "Veyrune/VeyruneModel.sqlite";
    test::PowerCutVFS disk;
    Instant t0 = referenceDate() + std::chrono::hours(24 * 9000);
    Instant later = addSeconds(t0, 86400);

    std::unique_ptr<SQLiteOutboxStore> openStore() {
        auto store = std::make_unique<SQLiteOutboxStore>(file, disk.name());
        EXPECT_FALSE(store->persistentStoreLoadError());
        return store;
    }
    // Cuts the power under `store`, then starts again on what the disk kept.
    std::unique_ptr<SQLiteOutboxStore> cutPowerAndReopen(std::unique_ptr<SQLiteOutboxStore> store) {
        disk.cutPower();
        store.reset();
        return openStore();
    }
    // Every record by id, through the timeline's query.
    std::map<Uuid, DeliveryAttempt> stored(SQLiteOutboxStore& store, const Uuid& event) {
        std::map<Uuid, DeliveryAttempt> byID;
        auto attempts = store.deliveryAttempts({event}, 500);
        for (auto& attempt : attempts[event]) {
            byID.emplace(attempt.id, attempt);
        }
        return byID;
    }
};

}  // namespace

TEST_F(OutboxPowerCutTest, EnqueuedAlertsSurviveAPowerCutInANewOrAnEarlierFile) {
    for (bool earlierFile : {false, true}) {
        SCOPED_TRACE(earlierFile ? "file from an earlier run" : "new file");
        std::filesystem::remove_all(dir / "Veyrune");
        if (earlierFile) {
            openStore()->enqueue(std::nullopt, Kind::telegram, "old", t0);
        }
        auto store = openStore();
        auto event = Uuid::random();
        std::vector<OutboxRecord> enqueued;
        for (auto kind : {Kind::telegram, Kind::webhook, Kind::smtp}) {
            enqueued.push_back(
                store->enqueue(event, kind, "alert " + std::string(rawValue(kind)), t0));
        }

        store = cutPowerAndReopen(std::move(store));

        auto due = store->claimDueRecords(t0);
        std::map<Uuid, OutboxRecord> back;
        for (auto& record : due) {
            back.emplace(record.id, record);
        }
        EXPECT_EQ(back.size(), enqueued.size() + (earlierFile ? 1 : 0));
        for (auto record : enqueued) {
            record.status = OutboxStatus::sending;
            EXPECT_EQ(back[record.id], record) << record.payload << " was lost";
        }
    }
}

TEST_F(OutboxPowerCutTest, LostStatusChangesOnlySendAlertsAgainAcrossCheckpoints) {
    // Large payloads fill the log past SQLite's automatic checkpoint, so the
    // cut also meets a log that was copied into the file and started over.
    const std::string payload(48 * 1024, 'p');
    auto store = openStore();
    auto event = Uuid::random();
    std::vector<std::pair<Uuid, DeliveryAttemptStatus>> outcomes;
    for (int round = 0; round < 61; ++round) {
        auto now = addSeconds(t0, round);
        auto record = store->enqueue(event, Kind::webhook, payload, now);
        ASSERT_EQ(store->claimDueRecords(now).size(), 1u);
        if (round % 3 == 2) {
            store->reschedule(record.id, 1, later, DeliveryFailureCode::network);
            outcomes.emplace_back(record.id, DeliveryAttemptStatus::pending);
        } else {
            store->markSent(record.id);
            outcomes.emplace_back(record.id, DeliveryAttemptStatus::sent);
        }
    }
    ASSERT_GT(std::filesystem::file_size(file), 1024u * 1024u) << "no checkpoint was reached";

    store = cutPowerAndReopen(std::move(store));

    auto back = stored(*store, event);
    ASSERT_EQ(back.size(), outcomes.size());
    // An outcome written before a later alert was enqueued stands.
    for (std::size_t i = 0; i + 1 < outcomes.size(); ++i) {
        EXPECT_EQ(back.at(outcomes[i].first).status, outcomes[i].second) << "round " << i;
    }
    // The last "sent" may be gone: the alert is then due again, not lost.
    auto& last = back.at(outcomes.back().first);
    if (last.status != DeliveryAttemptStatus::sent) {
        store->recoverInterruptedSends(later);
        auto due = store->claimDueRecords(later);
        EXPECT_TRUE(std::any_of(due.begin(), due.end(),
                                [&](const OutboxRecord& r) { return r.id == last.id; }));
    }
}

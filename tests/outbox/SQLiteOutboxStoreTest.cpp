#include "outbox/SQLiteOutboxStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include "outbox/OutboxStoreError.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using Kind = DeliveryChannelKind;

namespace {

// A second connection to the same file, for arranging rows the store would
// never write and for reading what it did write.
class RawDatabase {
  public:
    explicit RawDatabase(const std::filesystem::path& file) {
        sqlite3_open(file.c_str(), &db_);
        sqlite3_busy_timeout(db_, 5000);
    }
    ~RawDatabase() { sqlite3_close(db_); }
    void execute(const std::string& sql) {
        char* error = nullptr;
        ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error;
    }
    std::vector<std::string> column(const std::string& sql) {
        std::vector<std::string> values;
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            auto text = sqlite3_column_text(statement, 0);
            values.emplace_back(text ? reinterpret_cast<const char*>(text) : "NULL");
        }
        sqlite3_finalize(statement);
        return values;
    }

  private:
    sqlite3* db_ = nullptr;
};

class OutboxStoreTest : public ::testing::Test {
  protected:
    test::TempDirectory dir;
    std::filesystem::path file = dir / "Veyrune/VeyruneModel.sqlite";
    SQLiteOutboxStore store{file};
    RawDatabase raw{file};
    Instant t0 = referenceDate() + std::chrono::hours(24 * 9000);
    Uuid event = Uuid::random();

    Instant at(double seconds) { return addSeconds(t0, seconds); }
    OutboxRecord add(Kind kind = Kind::telegram, double createdAt = 0) {
        return store.enqueue(event, kind, "{}", at(createdAt));
    }
    // A row the store would never write itself, with an ID of eight `letter`s.
    void insert(char letter, const std::string& values) {
        raw.execute("INSERT INTO OutboxItem VALUES ('" + std::string(8, letter) +
                    "-0000-4000-8000-000000000000', " + values + ")");
    }
    OutboxStoreError::Code errorOf(const std::function<void()>& operation) {
        try {
            operation();
        } catch (const OutboxStoreError& error) {
            return error.code();
        }
        ADD_FAILURE() << "no OutboxStoreError";
        return OutboxStoreError::Code::operationDidNotComplete;
    }
};

}  // namespace

TEST_F(OutboxStoreTest, FileIsPrivateWithTheExpectedSchemaAndWAL) {
    ASSERT_FALSE(store.persistentStoreLoadError());
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(
        raw.column("SELECT name || ':' || type || ':' || \"notnull\" FROM "
                   "pragma_table_info('OutboxItem')"),
        (std::vector<std::string>{"id:TEXT:1", "createdAt:REAL:1", "payload:BLOB:1",
                                  "channel:TEXT:1", "status:TEXT:1", "attempts:INTEGER:1",
                                  "nextAttemptAt:REAL:0", "eventID:TEXT:0", "lastFailure:TEXT:0"}));
    EXPECT_EQ(raw.column("PRAGMA journal_mode"), std::vector<std::string>{"wal"});
}

TEST_F(OutboxStoreTest, NewRecordIsDueAtOnceAndClaimedOnlyOnce) {
    auto record = add();
    EXPECT_EQ(record.status, OutboxStatus::pending);
    EXPECT_EQ(record.nextAttemptAt, at(0));
    auto claimed = store.claimDueRecords(at(0));
    ASSERT_EQ(claimed.size(), 1u);
    EXPECT_EQ(claimed[0].id, record.id);
    EXPECT_EQ(claimed[0].status, OutboxStatus::sending);
    EXPECT_TRUE(store.claimDueRecords(at(100)).empty());
    EXPECT_EQ(store.queueSummary().pendingCount, 1);  // sending counts as pending
}

TEST_F(OutboxStoreTest, DueRecordsComeByNextAttemptThenCreatedThenID) {
    const std::vector<std::tuple<char, int, const char*, double>> rows = {
        {'C', 5, "pending", 1},   {'B', 3, "pending", 1},  {'A', 3, "pending", 1},
        {'D', 9, "pending", 0.5}, {'E', 1, "pending", 50}, {'F', 1, "failed", 0}};
    for (const auto& [letter, createdAt, status, next] : rows) {
        insert(letter, std::to_string(createdAt) + ", x'00', 'telegram', '" + status + "', 0, " +
                           std::to_string(next) + ", NULL, NULL");
    }
    std::vector<char> order;
    for (const auto& record : store.claimDueRecords(instantFromReferenceSeconds(10))) {
        order.push_back(record.id.uuidString()[0]);
    }
    EXPECT_EQ(order, (std::vector<char>{'D', 'A', 'B', 'C'}));
}

TEST_F(OutboxStoreTest, UnknownStoredTextsReadAsTheirFallbacks) {
    insert('1', "0, x'00', 'pigeon', 'lost', 2, 0, '" + event.uuidString() + "', 'gremlins'");
    auto attempts = store.deliveryAttempts({event}, 500)[event];
    ASSERT_EQ(attempts.size(), 1u);
    EXPECT_EQ(attempts[0].channel, Kind::telegram);
    EXPECT_EQ(attempts[0].status, DeliveryAttemptStatus::failed);
    EXPECT_FALSE(attempts[0].lastError);
    EXPECT_EQ(store.queueSummary().failedCount, 0);  // counts use the stored text
}

TEST_F(OutboxStoreTest, OutcomesMoveRecordsThroughTheirStates) {
    auto sent = add(Kind::telegram), retried = add(Kind::webhook), failed = add(Kind::smtp);
    store.claimDueRecords(at(0));
    store.markSent(sent.id);
    store.reschedule(retried.id, 1, at(30), DeliveryFailureCode::network);
    store.markFailed(failed.id, 4, DeliveryFailureCode::rejected);
    store.markSent(Uuid::random());  // a missing record is ignored

    auto attempts = store.deliveryAttempts({event}, 500)[event];
    ASSERT_EQ(attempts.size(), 3u);  // ordered by channel text
    EXPECT_EQ(attempts[0].channel, Kind::smtp);
    EXPECT_EQ(attempts[0].status, DeliveryAttemptStatus::failed);
    EXPECT_EQ(attempts[0].attempts, 4);
    EXPECT_EQ(attempts[0].lastError, "rejected");
    EXPECT_FALSE(attempts[0].nextAttemptAt);
    EXPECT_EQ(attempts[1].status, DeliveryAttemptStatus::sent);
    EXPECT_EQ(attempts[1].attempts, 1);
    EXPECT_FALSE(attempts[1].lastError);
    EXPECT_EQ(attempts[2].status, DeliveryAttemptStatus::pending);
    EXPECT_EQ(attempts[2].nextAttemptAt, at(30));
    EXPECT_EQ(attempts[2].lastError, "network");

    store.makeNetworkFailuresDue(at(5));
    EXPECT_EQ(store.nextDueDate(), at(5));
    store.retryFailedDeliveries(event, at(6));
    attempts = store.deliveryAttempts({event}, 500)[event];
    EXPECT_EQ(attempts[0].status, DeliveryAttemptStatus::pending);
    EXPECT_EQ(attempts[0].attempts, 4);  // kept
    EXPECT_FALSE(attempts[0].lastError);
    EXPECT_EQ(store.queueSummary(),
              (DeliveryQueueSummary{2, 0, DeliveryStorageAvailability::available}));
}

TEST_F(OutboxStoreTest, InterruptedSendsResumeOrFailByTheirEventID) {
    auto resumable = add();
    insert('2', "0, x'00', 'webhook', 'sending', 1, NULL, 'not-a-uuid', NULL");
    insert('3', "0, x'00', 'webhook', 'sending', 1, 9, NULL, NULL");
    store.claimDueRecords(at(0));
    store.recoverInterruptedSends(at(7));
    EXPECT_EQ(raw.column("SELECT status || ':' || IFNULL(lastFailure, '-') || ':' || "
                         "IFNULL(nextAttemptAt, '-') FROM OutboxItem WHERE channel = 'webhook'"),
              (std::vector<std::string>{"failed:legacyPayload:-", "failed:legacyPayload:-"}));
    EXPECT_EQ(store.nextDueDate(), at(7));
    auto due = store.claimDueRecords(at(7));
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].id, resumable.id);
}

TEST_F(OutboxStoreTest, NextDueDateHasThreeAnswers) {
    EXPECT_FALSE(store.nextDueDate());
    auto record = add();
    store.claimDueRecords(at(0));
    EXPECT_FALSE(store.nextDueDate());  // sending is not pending
    store.reschedule(record.id, 1, at(40), DeliveryFailureCode::server);
    add(Kind::webhook, 5);
    EXPECT_EQ(store.nextDueDate(), at(5));
    store.makeNetworkFailuresDue(at(1));  // a server failure keeps its time
    EXPECT_EQ(store.nextDueDate(), at(5));
    raw.execute("UPDATE OutboxItem SET nextAttemptAt = NULL WHERE channel = 'webhook'");
    EXPECT_EQ(store.nextDueDate(), distantPast());
}

TEST_F(OutboxStoreTest, RowsWithDatesOutOfRangeAreNeverHandedOut) {
    auto good = add();
    const std::string rest = ", '" + event.uuidString() + "', NULL";
    insert('1', "1e30, x'00', 'telegram', 'pending', 0, NULL" + rest);
    insert('2', "0, x'00', 'telegram', 'pending', 0, -1e300" + rest);
    insert('3', "0, x'00', 'telegram', 'pending', 0, 1e300" + rest);

    auto claimed = store.claimDueRecords(at(0));

    ASSERT_EQ(claimed.size(), 1u);
    EXPECT_EQ(claimed[0].id, good.id);
    // The due rows that cannot be read end as failed, like an undecodable payload.
    EXPECT_EQ(
        raw.column("SELECT status || ' ' || IFNULL(lastFailure, '-') FROM OutboxItem "
                   "WHERE id <> '" +
                   good.id.uuidString() + "' ORDER BY id"),
        (std::vector<std::string>{"failed legacyPayload", "failed legacyPayload", "pending -"}));
    EXPECT_FALSE(store.nextDueDate());  // the far-future row is not a due date
    EXPECT_EQ(store.deliveryAttempts({event}, 500)[event].size(), 3u);
}

TEST_F(OutboxStoreTest, AttemptsForManyEventsAreFetchedInBatches) {
    std::vector<Uuid> events(1200);
    for (auto& id : events) {
        id = Uuid::random();
    }
    store.enqueue(events[0], Kind::webhook, "{}", t0);
    store.enqueue(events[1199], Kind::telegram, "{}", t0);
    store.enqueue(std::nullopt, Kind::telegram, "{}", t0);
    int selects = 0;
    store.traceStatements(
        [&](std::string_view sql) { selects += sql.find("eventID IN") != std::string_view::npos; });
    auto attempts = store.deliveryAttempts(events, 500);
    EXPECT_EQ(selects, 3);
    EXPECT_EQ(attempts.size(), 2u);
    EXPECT_EQ(attempts[events[0]].at(0).channel, Kind::webhook);
    EXPECT_TRUE(store.deliveryAttempts({}, 500).empty());
}

TEST_F(OutboxStoreTest, CorruptedIDSurfacesAsInvalidRecordID) {
    add();
    raw.execute("UPDATE OutboxItem SET id = 'garbled'");
    try {
        store.claimDueRecords(at(0));
        FAIL() << "expected invalidRecordID";
    } catch (const OutboxStoreError& error) {
        EXPECT_EQ(error.code(), OutboxStoreError::Code::invalidRecordID);
        EXPECT_EQ(error.storedText(), "garbled");
    }
    EXPECT_EQ(raw.column("SELECT status FROM OutboxItem"), std::vector<std::string>{"pending"});
}

TEST_F(OutboxStoreTest, RecordsSurviveReopeningAndOldFilesGainMissingColumns) {
    auto record = add();
    {
        RawDatabase old(dir / "old.sqlite");
        old.execute(
            "CREATE TABLE OutboxItem (id TEXT NOT NULL, createdAt REAL NOT NULL, payload "
            "BLOB NOT NULL, channel TEXT NOT NULL, status TEXT NOT NULL, attempts INTEGER "
            "NOT NULL, nextAttemptAt REAL)");
        old.execute("INSERT INTO OutboxItem VALUES ('" + record.id.uuidString() +
                    "', 0, x'7b7d', 'telegram', 'pending', 0, NULL)");
    }
    SQLiteOutboxStore upgraded(dir / "old.sqlite");
    ASSERT_FALSE(upgraded.persistentStoreLoadError());
    auto claimed = upgraded.claimDueRecords(at(0));
    ASSERT_EQ(claimed.size(), 1u);
    EXPECT_FALSE(claimed[0].eventID);

    SQLiteOutboxStore reopened(file);
    EXPECT_EQ(reopened.claimDueRecords(at(0)).at(0).id, record.id);
}

TEST_F(OutboxStoreTest, FileThatIsNotADatabaseMakesEveryOperationUnavailable) {
    const std::string garbage(8192, '\x5a');
    auto path = dir / "garbage.sqlite";
    test::writeFile(path, garbage);
    SQLiteOutboxStore broken(path);
    EXPECT_TRUE(broken.persistentStoreLoadError());
    using C = OutboxStoreError::Code;
    const std::vector<std::function<void()>> operations = {
        [&] { broken.enqueue(event, Kind::telegram, "{}", t0); },
        [&] { broken.claimDueRecords(t0); },
        [&] { broken.markSent(event); },
        [&] { broken.recoverInterruptedSends(t0); },
        [&] { broken.deliveryAttempts({event}, 500); },
        [&] { broken.queueSummary(); },
        [&] { broken.nextDueDate(); },
    };
    for (const auto& operation : operations) {
        EXPECT_EQ(errorOf(operation), C::persistentStoreUnavailable);
    }
    EXPECT_EQ(test::readFile(path), garbage);
}

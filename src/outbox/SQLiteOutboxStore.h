#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "outbox/OutboxStore.h"
#include "outbox/SQLiteDatabase.h"

namespace veyrune {

// The outbox as the table OutboxItem in a SQLite database: WAL journal, one
// transaction per operation. New work (enqueue, a retry the user asked for) is
// synced before the call returns, so it survives a power cut; status changes
// are not, and a power cut may undo the latest ones, which sends an alert again
// but never loses one. A store that cannot be opened keeps its load error and
// every operation then throws OutboxStoreError::persistentStoreUnavailable.
// Thread-safe: one connection behind a mutex.
class SQLiteOutboxStore final : public OutboxStore {
  public:
    // Opens or creates the database file (mode 0600) and its folder (0700),
    // through the registered SQLite VFS named `vfs` (empty: the default one).
    // Never throws.
    explicit SQLiteOutboxStore(const std::filesystem::path& file, const std::string& vfs = {});
    // A private database in memory, gone with the store.
    static std::unique_ptr<SQLiteOutboxStore> inMemory();
    // VeyruneModel.sqlite in the Veyrune data folder.
    static std::filesystem::path defaultFile();

    // Why opening failed; nothing when the store is open.
    const std::optional<std::string>& persistentStoreLoadError() const { return loadError_; }
    // Reports each statement's text as it runs (empty to stop). For diagnostics.
    void traceStatements(std::function<void(std::string_view sql)> observer);

    OutboxRecord enqueue(std::optional<Uuid> eventID, DeliveryChannelKind channel,
                         const std::string& payload, Instant createdAt) override;
    std::vector<OutboxRecord> claimDueRecords(Instant now) override;
    void markSent(const Uuid& id) override;
    void reschedule(const Uuid& id, std::int64_t attempts, Instant nextAttemptAt,
                    DeliveryFailureCode failure) override;
    void markFailed(const Uuid& id, std::int64_t attempts, DeliveryFailureCode failure) override;
    void recoverInterruptedSends(Instant now) override;
    void makeNetworkFailuresDue(Instant now) override;
    void retryFailedDeliveries(const Uuid& eventID, Instant now) override;
    AttemptsByEvent deliveryAttempts(const std::vector<Uuid>& eventIDs,
                                     std::size_t batchSize) override;
    DeliveryQueueSummary queueSummary() override;
    std::optional<Instant> nextDueDate() override;

  private:
    struct InMemoryTag {};
    explicit SQLiteOutboxStore(InMemoryTag);

    void open(const std::string& location, const std::string& vfs);
    // Runs `body` in one transaction on the open database, under the mutex.
    // The commit survives a crash of Veyrune; performDurably's a power cut too.
    template <typename Body>
    auto perform(Body&& body) -> decltype(body(std::declval<SQLiteDatabase&>()));
    template <typename Body>
    auto performDurably(Body&& body) -> decltype(body(std::declval<SQLiteDatabase&>()));
    template <typename Body>
    auto performWith(SQLiteDatabase::Synchronous level, Body&& body)
        -> decltype(body(std::declval<SQLiteDatabase&>()));
    AttemptsByEvent fetchAttempts(const std::vector<Uuid>& chunk);

    std::optional<std::string> loadError_;  // set once while constructing
    std::mutex mutex_;
    std::unique_ptr<SQLiteDatabase> db_;  // guarded by mutex_; null when not open
};

}  // namespace veyrune

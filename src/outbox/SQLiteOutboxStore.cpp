#include "outbox/SQLiteOutboxStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "base/DataLocation.h"
#include "base/PosixFileSystem.h"
#include "outbox/OutboxItemTable.h"
#include "outbox/OutboxStoreError.h"

namespace veyrune {

namespace fs = std::filesystem;

namespace {

// SQLite creates files with the umask's mode; make the database private first.
// Its journal files copy the database's mode.
void createPrivateFile(const fs::path& file) {
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw FileError(file, std::strerror(errno));
    }
    int result = ::fchmod(fd, 0600);
    int chmodError = errno;
    ::close(fd);
    if (result != 0) {
        throw FileError(file, std::strerror(chmodError));
    }
}

double seconds(Instant instant) {
    return secondsSinceReferenceDate(instant);
}

std::string selectRows(const std::string& rest) {
    return std::string("SELECT rowid, ") + OutboxItemTable::columns + " FROM OutboxItem " + rest;
}

// The first column of a statement that must produce a row.
std::int64_t scalar(SQLiteStatement& statement) {
    if (!statement.step()) {
        throw OutboxStoreError::operationDidNotComplete();
    }
    return statement.integer(0);
}

// Looks a record up by its id text, at most one row.
const char* const kByID = "rowid = (SELECT rowid FROM OutboxItem WHERE id = ? LIMIT 1)";

}  // namespace

SQLiteOutboxStore::SQLiteOutboxStore(const fs::path& file, const std::string& vfs) {
    try {
        PosixFileSystem::shared().createDirectories(file.parent_path());
        createPrivateFile(file);
        open(file.string(), vfs);
    } catch (const std::exception& error) {
        loadError_ = error.what();
    }
}

SQLiteOutboxStore::SQLiteOutboxStore(InMemoryTag) {
    try {
        open(":memory:", {});
    } catch (const std::exception& error) {
        loadError_ = error.what();
    }
}

std::unique_ptr<SQLiteOutboxStore> SQLiteOutboxStore::inMemory() {
    return std::unique_ptr<SQLiteOutboxStore>(new SQLiteOutboxStore(InMemoryTag{}));
}

fs::path SQLiteOutboxStore::defaultFile() {
    return veyruneDataDirectory() / "VeyruneModel.sqlite";
}

void SQLiteOutboxStore::open(const std::string& location, const std::string& vfs) {
    auto db = std::make_unique<SQLiteDatabase>(location, vfs);
    db->execute("PRAGMA busy_timeout = 5000");
    // The first reads of the file: a file that is not a database fails here,
    // before anything is written to it. A new file turns to WAL through a
    // rollback journal; EXTRA syncs the folder once that journal is deleted, or
    // a power cut could bring it back, and SQLite would roll the file back to
    // empty and discard the log with every alert in it.
    db->setSynchronous(SQLiteDatabase::Synchronous::extra);
    db->prepare("PRAGMA journal_mode = WAL").run();
    db->transaction([&] { OutboxItemTable::prepare(*db); });
    db_ = std::move(db);
}

void SQLiteOutboxStore::traceStatements(std::function<void(std::string_view)> observer) {
    std::lock_guard lock(mutex_);
    if (db_) {
        db_->traceStatements(std::move(observer));
    }
}

template <typename Body>
auto SQLiteOutboxStore::performWith(SQLiteDatabase::Synchronous level, Body&& body)
    -> decltype(body(std::declval<SQLiteDatabase&>())) {
    std::lock_guard lock(mutex_);
    if (!db_) {
        throw OutboxStoreError::persistentStoreUnavailable();
    }
    db_->setSynchronous(level);
    return db_->transaction([&] { return body(*db_); });
}

// With WAL, NORMAL leaves a commit in the log unsynced until the next
// checkpoint: safe from a kill of Veyrune, not from a power cut. FULL syncs the
// log at each commit (one disk flush), and with it every earlier commit.
template <typename Body>
auto SQLiteOutboxStore::perform(Body&& body) -> decltype(body(std::declval<SQLiteDatabase&>())) {
    return performWith(SQLiteDatabase::Synchronous::normal, std::forward<Body>(body));
}

template <typename Body>
auto SQLiteOutboxStore::performDurably(Body&& body)
    -> decltype(body(std::declval<SQLiteDatabase&>())) {
    return performWith(SQLiteDatabase::Synchronous::full, std::forward<Body>(body));
}

OutboxRecord SQLiteOutboxStore::enqueue(std::optional<Uuid> eventID, DeliveryChannelKind channel,
                                        const std::string& payload, Instant createdAt) {
    return performDurably([&](SQLiteDatabase& db) {
        std::optional<std::string> eventText;
        if (eventID) {
            eventText = eventID->uuidString();
        }
        db.prepare(
              "INSERT INTO OutboxItem (id, createdAt, payload, channel, status, attempts, "
              "nextAttemptAt, eventID, lastFailure) VALUES (?, ?, ?, ?, ?, 0, ?, ?, NULL)")
            .bind(1, Uuid::random().uuidString())
            .bind(2, seconds(createdAt))
            .bindBlob(3, payload)
            .bind(4, rawValue(channel))
            .bind(5, rawValue(OutboxStatus::pending))
            .bind(6, seconds(createdAt))
            .bindOptional(7, eventText)
            .run();
        // Read back, so the answer carries the stored values.
        auto row = db.prepare(selectRows("WHERE rowid = ?"));
        row.bind(1, db.lastInsertRowID());
        auto record = row.step() ? OutboxItemTable::record(row) : std::nullopt;
        if (!record) {
            throw OutboxStoreError::operationDidNotComplete();
        }
        return *record;
    });
}

std::vector<OutboxRecord> SQLiteOutboxStore::claimDueRecords(Instant now) {
    return perform([&](SQLiteDatabase& db) {
        const std::string due =
            "WHERE status = ? AND (nextAttemptAt IS NULL OR nextAttemptAt <= ?)";
        auto query = db.prepare(selectRows(due + " ORDER BY nextAttemptAt, createdAt, id"));
        query.bind(1, rawValue(OutboxStatus::pending)).bind(2, seconds(now));
        std::vector<OutboxRecord> records;
        std::vector<std::int64_t> unreadable;
        while (query.step()) {
            if (auto record = OutboxItemTable::record(query)) {
                records.push_back(std::move(*record));
                records.back().status = OutboxStatus::sending;
            } else {
                unreadable.push_back(query.integer(0));
            }
        }
        // The same predicate in the same transaction: exactly the rows read.
        db.prepare("UPDATE OutboxItem SET status = ? " + due)
            .bind(1, rawValue(OutboxStatus::sending))
            .bind(2, rawValue(OutboxStatus::pending))
            .bind(3, seconds(now))
            .run();
        // A row that cannot be read ends like an undecodable payload.
        for (auto rowid : unreadable) {
            db.prepare(
                  "UPDATE OutboxItem SET status = ?, nextAttemptAt = NULL, lastFailure = ? "
                  "WHERE rowid = ?")
                .bind(1, rawValue(OutboxStatus::failed))
                .bind(2, rawValue(DeliveryFailureCode::legacyPayload))
                .bind(3, rowid)
                .run();
        }
        return records;
    });
}

void SQLiteOutboxStore::markSent(const Uuid& id) {
    perform([&](SQLiteDatabase& db) {
        db.prepare(std::string("UPDATE OutboxItem SET status = ?, attempts = attempts + 1, "
                               "nextAttemptAt = NULL, lastFailure = NULL WHERE ") +
                   kByID)
            .bind(1, rawValue(OutboxStatus::sent))
            .bind(2, id.uuidString())
            .run();
    });
}

void SQLiteOutboxStore::reschedule(const Uuid& id, std::int64_t attempts, Instant nextAttemptAt,
                                   DeliveryFailureCode failure) {
    perform([&](SQLiteDatabase& db) {
        db.prepare(std::string("UPDATE OutboxItem SET status = ?, attempts = ?, "
                               "nextAttemptAt = ?, lastFailure = ? WHERE ") +
                   kByID)
            .bind(1, rawValue(OutboxStatus::pending))
            .bind(2, attempts)
            .bind(3, seconds(nextAttemptAt))
            .bind(4, rawValue(failure))
            .bind(5, id.uuidString())
            .run();
    });
}

void SQLiteOutboxStore::markFailed(const Uuid& id, std::int64_t attempts,
                                   DeliveryFailureCode failure) {
    perform([&](SQLiteDatabase& db) {
        db.prepare(std::string("UPDATE OutboxItem SET status = ?, attempts = ?, "
                               "nextAttemptAt = NULL, lastFailure = ? WHERE ") +
                   kByID)
            .bind(1, rawValue(OutboxStatus::failed))
            .bind(2, attempts)
            .bind(3, rawValue(failure))
            .bind(4, id.uuidString())
            .run();
    });
}

void SQLiteOutboxStore::recoverInterruptedSends(Instant now) {
    perform([&](SQLiteDatabase& db) {
        auto query = db.prepare("SELECT rowid, eventID FROM OutboxItem WHERE status = ?");
        query.bind(1, rawValue(OutboxStatus::sending));
        std::vector<std::int64_t> resumable;
        std::vector<std::int64_t> orphaned;
        while (query.step()) {
            auto eventText = query.optionalText(1);
            bool hasEvent = eventText && Uuid::parse(*eventText);
            (hasEvent ? resumable : orphaned).push_back(query.integer(0));
        }
        auto resume =
            db.prepare("UPDATE OutboxItem SET status = ?, nextAttemptAt = ? WHERE rowid = ?");
        for (auto rowid : resumable) {
            resume.bind(1, rawValue(OutboxStatus::pending)).bind(2, seconds(now)).bind(3, rowid);
            resume.run();
            resume.reset();
        }
        auto fail = db.prepare(
            "UPDATE OutboxItem SET status = ?, nextAttemptAt = NULL, lastFailure = ? WHERE rowid = "
            "?");
        for (auto rowid : orphaned) {
            fail.bind(1, rawValue(OutboxStatus::failed))
                .bind(2, rawValue(DeliveryFailureCode::legacyPayload))
                .bind(3, rowid);
            fail.run();
            fail.reset();
        }
    });
}

void SQLiteOutboxStore::makeNetworkFailuresDue(Instant now) {
    perform([&](SQLiteDatabase& db) {
        db.prepare("UPDATE OutboxItem SET nextAttemptAt = ? WHERE status = ? AND lastFailure = ?")
            .bind(1, seconds(now))
            .bind(2, rawValue(OutboxStatus::pending))
            .bind(3, rawValue(DeliveryFailureCode::network))
            .run();
    });
}

void SQLiteOutboxStore::retryFailedDeliveries(const Uuid& eventID, Instant now) {
    performDurably([&](SQLiteDatabase& db) {
        db.prepare(
              "UPDATE OutboxItem SET status = ?, nextAttemptAt = ?, lastFailure = NULL "
              "WHERE eventID = ? AND status = ?")
            .bind(1, rawValue(OutboxStatus::pending))
            .bind(2, seconds(now))
            .bind(3, eventID.uuidString())
            .bind(4, rawValue(OutboxStatus::failed))
            .run();
    });
}

OutboxStore::AttemptsByEvent SQLiteOutboxStore::deliveryAttempts(const std::vector<Uuid>& eventIDs,
                                                                 std::size_t batchSize) {
    if (eventIDs.empty()) {
        return {};
    }
    if (batchSize < 1) {
        throw std::invalid_argument("deliveryAttempts needs a batch size of at least 1");
    }
    AttemptsByEvent result;
    for (std::size_t start = 0; start < eventIDs.size(); start += batchSize) {
        std::size_t end = std::min(eventIDs.size(), start + batchSize);
        auto chunk = fetchAttempts({eventIDs.begin() + long(start), eventIDs.begin() + long(end)});
        for (auto& [event, attempts] : chunk) {
            auto& merged = result[event];
            merged.insert(merged.end(), attempts.begin(), attempts.end());
        }
    }
    return result;
}

OutboxStore::AttemptsByEvent SQLiteOutboxStore::fetchAttempts(const std::vector<Uuid>& chunk) {
    return perform([&](SQLiteDatabase& db) {
        std::string placeholders;
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            placeholders += i == 0 ? "?" : ", ?";
        }
        auto query =
            db.prepare(selectRows("WHERE eventID IN (" + placeholders + ") ORDER BY channel"));
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            query.bind(int(i) + 1, chunk[i].uuidString());
        }
        AttemptsByEvent attempts;
        while (query.step()) {
            auto event = OutboxItemTable::eventID(query);
            auto attempt = event ? OutboxItemTable::attempt(query, *event) : std::nullopt;
            if (attempt) {
                attempts[*event].push_back(std::move(*attempt));
            }
        }
        return attempts;
    });
}

DeliveryQueueSummary SQLiteOutboxStore::queueSummary() {
    return perform([&](SQLiteDatabase& db) {
        auto outstanding =
            db.prepare("SELECT COUNT(*) FROM OutboxItem WHERE status = ? OR status = ?");
        outstanding.bind(1, rawValue(OutboxStatus::pending))
            .bind(2, rawValue(OutboxStatus::sending));
        auto failed = db.prepare("SELECT COUNT(*) FROM OutboxItem WHERE status = ?");
        failed.bind(1, rawValue(OutboxStatus::failed));
        return DeliveryQueueSummary{scalar(outstanding), scalar(failed),
                                    DeliveryStorageAvailability::available};
    });
}

std::optional<Instant> SQLiteOutboxStore::nextDueDate() {
    return perform([&](SQLiteDatabase& db) -> std::optional<Instant> {
        auto dueNow = db.prepare(
            "SELECT COUNT(*) FROM (SELECT 1 FROM OutboxItem "
            "WHERE status = ? AND nextAttemptAt IS NULL LIMIT 1)");
        dueNow.bind(1, rawValue(OutboxStatus::pending));
        if (scalar(dueNow) > 0) {
            return distantPast();
        }
        auto next = db.prepare(
            "SELECT nextAttemptAt FROM OutboxItem WHERE status = ? AND nextAttemptAt IS NOT NULL "
            "ORDER BY nextAttemptAt");
        next.bind(1, rawValue(OutboxStatus::pending));
        while (next.step()) {
            // A date beyond the range of Instant: one far in the past is due at
            // once (the claim then fails the row), one far ahead never.
            auto due = checkedInstantFromReferenceSeconds(next.real(0));
            if (due || next.real(0) < 0) {
                return due.value_or(distantPast());
            }
        }
        return std::nullopt;
    });
}

}  // namespace veyrune

#include "outbox/OutboxItemTable.h"

#include <set>
#include <string>

#include "outbox/OutboxStoreError.h"

namespace veyrune {

namespace {

struct OptionalColumn {
    const char* name;
    const char* type;
};

// Columns that may be missing from a file written by an older version.
constexpr OptionalColumn kOptionalColumns[] = {
    {"nextAttemptAt", "REAL"},
    {"eventID", "TEXT"},
    {"lastFailure", "TEXT"},
};

// Column positions of a row selected as "rowid, " + columns.
struct Column {
    static constexpr int id = 1;
    static constexpr int createdAt = 2;
    static constexpr int payload = 3;
    static constexpr int channel = 4;
    static constexpr int status = 5;
    static constexpr int attempts = 6;
    static constexpr int nextAttemptAt = 7;
    static constexpr int eventID = 8;
    static constexpr int lastFailure = 9;
};

std::set<std::string> existingColumns(SQLiteDatabase& db) {
    std::set<std::string> names;
    auto info = db.prepare("PRAGMA table_info(OutboxItem)");
    while (info.step()) {
        names.insert(info.text(1));
    }
    return names;
}

// A NULL column reads as nothing; `valid` turns false for a date out of range.
std::optional<Instant> optionalInstant(const SQLiteStatement& row, int column, bool& valid) {
    auto seconds = row.optionalReal(column);
    if (!seconds) {
        return std::nullopt;
    }
    auto date = checkedInstantFromReferenceSeconds(*seconds);
    valid = valid && date.has_value();
    return date;
}

Uuid recordID(const SQLiteStatement& row) {
    std::string text = row.text(Column::id);
    auto parsed = Uuid::parse(text);
    if (!parsed) {
        throw OutboxStoreError::invalidRecordID(text);
    }
    return *parsed;
}

DeliveryChannelKind channelOf(const SQLiteStatement& row) {
    std::string text = row.text(Column::channel);
    if (text == "webhook") {
        return DeliveryChannelKind::webhook;
    }
    if (text == "smtp") {
        return DeliveryChannelKind::smtp;
    }
    return DeliveryChannelKind::telegram;
}

std::optional<DeliveryFailureCode> lastFailureOf(const SQLiteStatement& row) {
    auto text = row.optionalText(Column::lastFailure);
    return text ? deliveryFailureCodeFromRaw(*text) : std::nullopt;
}

}  // namespace

const char* const OutboxItemTable::columns =
    "id, createdAt, payload, channel, status, attempts, nextAttemptAt, eventID, lastFailure";

void OutboxItemTable::prepare(SQLiteDatabase& db) {
    db.execute(
        "CREATE TABLE IF NOT EXISTS OutboxItem ("
        "id TEXT NOT NULL, createdAt REAL NOT NULL, payload BLOB NOT NULL, "
        "channel TEXT NOT NULL, status TEXT NOT NULL, attempts INTEGER NOT NULL, "
        "nextAttemptAt REAL, eventID TEXT, lastFailure TEXT)");
    auto present = existingColumns(db);
    for (const auto& column : kOptionalColumns) {
        if (!present.contains(column.name)) {
            db.execute(std::string("ALTER TABLE OutboxItem ADD COLUMN ") + column.name + " " +
                       column.type);
        }
    }
}

std::optional<Uuid> OutboxItemTable::eventID(const SQLiteStatement& row) {
    auto text = row.optionalText(Column::eventID);
    return text ? Uuid::parse(*text) : std::nullopt;
}

std::optional<OutboxRecord> OutboxItemTable::record(const SQLiteStatement& row) {
    OutboxRecord record;
    record.id = recordID(row);
    record.eventID = eventID(row);
    record.channel = channelOf(row);
    auto createdAt = checkedInstantFromReferenceSeconds(row.real(Column::createdAt));
    bool valid = createdAt.has_value();
    record.createdAt = createdAt.value_or(Instant{});
    record.payload = row.blob(Column::payload);
    record.status = outboxStatusFromRaw(row.text(Column::status)).value_or(OutboxStatus::failed);
    record.attempts = row.integer(Column::attempts);
    record.nextAttemptAt = optionalInstant(row, Column::nextAttemptAt, valid);
    record.lastFailure = lastFailureOf(row);
    return valid ? std::optional<OutboxRecord>(std::move(record)) : std::nullopt;
}

std::optional<DeliveryAttempt> OutboxItemTable::attempt(const SQLiteStatement& row,
                                                        const Uuid& event) {
    DeliveryAttempt attempt;
    attempt.id = recordID(row);
    attempt.eventID = event;
    attempt.channel = channelOf(row);
    std::string statusText = row.text(Column::status);
    if (statusText == "pending" || statusText == "sending") {
        attempt.status = DeliveryAttemptStatus::pending;
    } else if (statusText == "sent") {
        attempt.status = DeliveryAttemptStatus::sent;
    } else {
        attempt.status = DeliveryAttemptStatus::failed;
    }
    attempt.attempts = row.integer(Column::attempts);
    bool valid = true;
    attempt.nextAttemptAt = optionalInstant(row, Column::nextAttemptAt, valid);
    if (auto failure = lastFailureOf(row)) {
        attempt.lastError = std::string(rawValue(*failure));
    }
    return valid ? std::optional<DeliveryAttempt>(std::move(attempt)) : std::nullopt;
}

}  // namespace veyrune

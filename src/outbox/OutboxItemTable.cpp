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

std::optional<Instant> optionalInstant(const SQLiteStatement& row, int column) {
    auto seconds = row.optionalReal(column);
    return seconds ? std::optional<Instant>(instantFromReferenceSeconds(*seconds)) : std::nullopt;
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

OutboxRecord OutboxItemTable::record(const SQLiteStatement& row) {
    OutboxRecord record;
    record.id = recordID(row);
    record.eventID = eventID(row);
    record.channel = channelOf(row);
    record.createdAt = instantFromReferenceSeconds(row.real(Column::createdAt));
    record.payload = row.blob(Column::payload);
    record.status = outboxStatusFromRaw(row.text(Column::status)).value_or(OutboxStatus::failed);
    record.attempts = row.integer(Column::attempts);
    record.nextAttemptAt = optionalInstant(row, Column::nextAttemptAt);
    record.lastFailure = lastFailureOf(row);
    return record;
}

DeliveryAttempt OutboxItemTable::attempt(const SQLiteStatement& row, const Uuid& event) {
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
    attempt.nextAttemptAt = optionalInstant(row, Column::nextAttemptAt);
    if (auto failure = lastFailureOf(row)) {
        attempt.lastError = std::string(rawValue(*failure));
    }
    return attempt;
}

}  // namespace veyrune

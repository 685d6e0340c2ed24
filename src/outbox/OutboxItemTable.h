#pragma once

#include "outbox/OutboxRecord.h"
#include "outbox/SQLiteDatabase.h"
#include "record/DeliveryAttempt.h"

namespace veyrune {

// The layout of the OutboxItem table and the reading of its rows. Dates are
// REAL seconds since 2001-01-01Z.
class OutboxItemTable {
  public:
    // The columns a row reader expects, after rowid: select as
    // "SELECT rowid, " + columns + " FROM OutboxItem ...".
    static const char* const columns;

    // Creates the table when missing and adds any optional column an older
    // file lacks, so later optional columns need no migration step.
    static void prepare(SQLiteDatabase& db);

    // The row at the statement's cursor (selected as above); nothing when a
    // stored date is beyond the range of Instant. Throws
    // OutboxStoreError::invalidRecordID when its id is not a UUID.
    static std::optional<OutboxRecord> record(const SQLiteStatement& row);
    // The row's event identifier; nothing when absent or not a UUID.
    static std::optional<Uuid> eventID(const SQLiteStatement& row);
    // The row as the timeline's delivery of `eventID`; nothing as for `record`.
    static std::optional<DeliveryAttempt> attempt(const SQLiteStatement& row, const Uuid& eventID);
};

}  // namespace veyrune

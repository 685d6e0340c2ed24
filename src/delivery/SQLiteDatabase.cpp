#include "delivery/SQLiteDatabase.h"

#include <sqlite3.h>

#include "delivery/SQLiteError.h"

namespace veyrune {

SQLiteDatabase::SQLiteDatabase(const std::string& location) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    int result = sqlite3_open_v2(location.c_str(), &db_, flags, nullptr);
    if (result != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(result);
        sqlite3_close(db_);
        db_ = nullptr;
        throw SQLiteError(result, message);
    }
    sqlite3_extended_result_codes(db_, 1);
}

SQLiteDatabase::~SQLiteDatabase() {
    sqlite3_close_v2(db_);
}

SQLiteStatement SQLiteDatabase::prepare(std::string_view sql) {
    return SQLiteStatement(db_, sql);
}

void SQLiteDatabase::execute(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw SQLiteError(sqlite3_extended_errcode(db_), message);
    }
}

std::int64_t SQLiteDatabase::lastInsertRowID() const {
    return sqlite3_last_insert_rowid(db_);
}

void SQLiteDatabase::rollback() noexcept {
    // Some errors end the transaction by themselves; only roll back an open one.
    if (!sqlite3_get_autocommit(db_)) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void SQLiteDatabase::traceStatements(std::function<void(std::string_view)> observer) {
    traceObserver_ = std::move(observer);
    if (traceObserver_) {
        sqlite3_trace_v2(db_, SQLITE_TRACE_STMT, &SQLiteDatabase::traceCallback, this);
    } else {
        sqlite3_trace_v2(db_, 0, nullptr, nullptr);
    }
}

int SQLiteDatabase::traceCallback(unsigned, void* context, void*, void* sql) {
    auto* self = static_cast<SQLiteDatabase*>(context);
    const char* text = static_cast<const char*>(sql);
    // Statements run from triggers arrive as "-- comment" text; skip them.
    if (text && !(text[0] == '-' && text[1] == '-')) {
        self->traceObserver_(text);
    }
    return 0;
}

}  // namespace veyrune
